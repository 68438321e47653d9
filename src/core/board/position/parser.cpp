#include "core/board/position/parser.h"

#include <array>

#include "core/util/panic.h"
#include "core/util/text.h"
#include "core/util/utf8_repair.h"

namespace korvan {

namespace {

constexpr std::array<std::string_view, 4> FIELD_NAMES = {"Placement", "Turn", "Hand", "Ply"};

constexpr char ascii_lower(char32_t c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
}
constexpr bool ascii_upper(char32_t c) { return c >= 'A' && c <= 'Z'; }

// Base piece letters of the board field; promoted pieces take a "+".
PieceType board_letter_type(char lower) {
    switch (lower) {
        case 'b': return BISHOP;
        case 'g': return GOLD;
        case 'k': return KING;
        case 'l': return LANCE;
        case 'n': return KNIGHT;
        case 'p': return PAWN;
        case 'r': return ROOK;
        case 's': return SILVER;
        default: return NO_PIECE_TYPE;
    }
}

PieceType hand_letter_type(char lower) {
    switch (lower) {
        case 'p': return PAWN;
        case 'l': return LANCE;
        case 'n': return KNIGHT;
        case 's': return SILVER;
        case 'b': return BISHOP;
        case 'r': return ROOK;
        case 'g': return GOLD;
        default: return NO_PIECE_TYPE;
    }
}

SfenError error(SfenError::Kind kind) { return SfenError{kind}; }
SfenError invalid_piece(char32_t c) {
    SfenError e{SfenError::Kind::InvalidPiece};
    e.ch = c;
    return e;
}

Expected<Ok, SfenError> parse_placement(std::string_view token, std::array<Piece, 81>& board) {
    int file = 8, rank = 0;
    std::size_t pos = 0;
    while (pos < token.size()) {
        const char32_t c = utf8_next(token, pos);
        if (c == '/') {
            if (file != -1) return unexpected(error(SfenError::Kind::InvalidSquare));
            ++rank;
            file = 8;
            continue;
        }
        if (c >= '1' && c <= '9') {
            file -= static_cast<int>(c - '0');
            if (file < -1) return unexpected(error(SfenError::Kind::InvalidSquare));
            continue;
        }
        if (file < 0 || rank > 8) return unexpected(error(SfenError::Kind::InvalidSquare));
        PieceType pt;
        char32_t letter = c;
        if (c == '+') {
            if (pos >= token.size()) return unexpected(invalid_piece('+'));
            letter = utf8_next(token, pos);
            switch (ascii_lower(letter)) {
                case 'b': pt = HORSE; break;
                case 'l': pt = PRO_LANCE; break;
                case 'n': pt = PRO_KNIGHT; break;
                case 'p': pt = PRO_PAWN; break;
                case 'r': pt = DRAGON; break;
                case 's': pt = PRO_SILVER; break;
                default: return unexpected(invalid_piece(letter));
            }
        } else {
            pt = letter < 0x80 ? board_letter_type(ascii_lower(letter)) : NO_PIECE_TYPE;
            if (pt == NO_PIECE_TYPE) return unexpected(invalid_piece(letter));
        }
        board[make_square(file, rank)] = make_piece(ascii_upper(letter) ? BLACK : WHITE, pt);
        --file;
    }
    if (rank != 8 || file != -1) return unexpected(error(SfenError::Kind::InvalidSquare));
    return Ok{};
}

// Counts that do not fit their hand field are refused rather than wrapped into the
// next field; counts up to the field's capacity (31 pawns, 3 bishops...) pass, so
// that validation can report a hand that holds more than a full set.
Expected<Ok, SfenError> parse_hands(std::string_view token, std::array<Hand, 2>& hands) {
    if (token == "-") return Ok{};
    std::array<std::array<std::uint32_t, 7>, 2> counts{};
    std::size_t pos = 0;
    std::uint64_t count = 0;
    bool have_digits = false;
    while (pos < token.size()) {
        const char32_t c = utf8_next(token, pos);
        if (c >= '0' && c <= '9') {
            count = count * 10 + (c - '0');
            if (count > 0xFFFFFFFFULL) count = 0xFFFFFFFFULL + 1;  // saturate: already too many
            have_digits = true;
            continue;
        }
        const PieceType pt = c < 0x80 ? hand_letter_type(ascii_lower(c)) : NO_PIECE_TYPE;
        if (pt == NO_PIECE_TYPE) return unexpected(invalid_piece(c));
        const Color color = ascii_upper(c) ? BLACK : WHITE;
        const HandPiece hp = hand_piece_of(pt);
        const std::uint64_t n = have_digits ? count : 1;
        const std::uint64_t total = counts[color][hp] + n;
        if (total > HAND_MASK[hp]) {
            SfenError e{SfenError::Kind::InvalidHandCount};
            e.piece = pt;
            e.count = total > 0xFFFFFFFFULL ? 0xFFFFFFFFU : static_cast<std::uint32_t>(total);
            return unexpected(e);
        }
        counts[color][hp] = static_cast<std::uint32_t>(total);
        count = 0;
        have_digits = false;
    }
    for (int c = 0; c < 2; ++c) {
        Hand h = 0;
        for (int hp = 0; hp < 7; ++hp) h |= counts[c][hp] << HAND_SHIFT[hp];
        hands[c] = h;
    }
    return Ok{};
}

}  // namespace

std::string sfen_error_display(const SfenError& e) {
    using K = SfenError::Kind;
    switch (e.kind) {
        case K::MissingField: return "missing field: " + std::string(FIELD_NAMES[static_cast<int>(e.field)]);
        case K::InvalidPiece: return "invalid piece: '" + utf8_encode(e.ch) + "'";
        case K::InvalidSquare: return "invalid square";
        case K::InvalidHandCount:
            return "invalid hand count for " + tuple_debug("PieceType", e.piece) + ": " + std::to_string(e.count);
        case K::InvalidTurn: return "invalid turn: '" + utf8_encode(e.ch) + "'";
        case K::InvalidPly: return "invalid ply: " + std::string(int_error_display(e.int_error));
        case K::TrailingToken: return "trailing token: '" + utf8_replace_invalid(e.text) + "'";
        case K::InvalidMove: return "invalid move in sequence: '" + utf8_replace_invalid(e.text) + "'";
    }
    return {};
}

std::string sfen_error_debug(const SfenError& e) {
    using K = SfenError::Kind;
    switch (e.kind) {
        case K::MissingField: return tuple_debug("MissingField", FIELD_NAMES[static_cast<int>(e.field)]);
        case K::InvalidPiece: return tuple_debug("InvalidPiece", debug_char(e.ch));
        case K::InvalidSquare: return "InvalidSquare";
        case K::InvalidHandCount:
            return "InvalidHandCount { piece: " + tuple_debug("PieceType", e.piece) +
                   ", count: " + std::to_string(e.count) + " }";
        case K::InvalidTurn: return tuple_debug("InvalidTurn", debug_char(e.ch));
        case K::InvalidPly:
            return "InvalidPly(ParseIntError { kind: " + std::string(int_error_debug_name(e.int_error)) + " })";
        case K::TrailingToken: return tuple_debug("TrailingToken", debug_str(e.text));
        case K::InvalidMove: return tuple_debug("InvalidMove", debug_str(e.text));
    }
    return {};
}

Expected<SfenFields, SfenError> parse_sfen_fields(std::string_view text) {
    const auto tokens = split_whitespace(text);
    if (tokens.size() < 3) {
        SfenError e{SfenError::Kind::MissingField};
        e.field = static_cast<SfenField>(tokens.size());
        return unexpected(e);
    }
    SfenFields f;
    if (auto r = parse_placement(tokens[0], f.board); !r) return unexpected(r.error());

    std::size_t pos = 0;
    const char32_t side = utf8_next(tokens[1], pos);
    if (pos != tokens[1].size() || (side != 'b' && side != 'w')) {
        SfenError e{SfenError::Kind::InvalidTurn};
        e.ch = side;
        return unexpected(e);
    }
    f.side_to_move = side == 'b' ? BLACK : WHITE;

    if (auto r = parse_hands(tokens[2], f.hands); !r) return unexpected(r.error());

    if (tokens.size() >= 4) {
        auto ply = parse_decimal<std::uint16_t>(tokens[3]);
        if (!ply) {
            SfenError e{SfenError::Kind::InvalidPly};
            e.int_error = ply.error();
            return unexpected(e);
        }
        f.ply = *ply;
    }
    return f;
}

void position_set(Position& pos, const PositionState& fields) {
    pos.board = fields.board;
    pos.hands = fields.hands;
    pos.side_to_move = fields.side_to_move;
    pos.ply = fields.ply;
    pos.entering_king_rule = EnteringKingRule::None;
    pos.declaration_threshold = {0, 0};
    pos.states.reset();
    position_set_up(pos);
}

Expected<Position, SfenError> position_from_sfen(std::string_view text) {
    auto fields = parse_sfen_fields(text);
    if (!fields) return unexpected(fields.error());
    Position pos;
    position_set(pos, *fields);
    return pos;
}

Position position_startpos() {
    // Built once and copied: cheaper than parsing the text for every new board.
    static const Position start = [] {
        auto pos = position_from_sfen(STARTPOS_SFEN);
        if (!pos) panic("Invalid startpos SFEN");
        // Derived once here, so that no copy derives it again.
        position_blockers(*pos, BLACK);
        position_blockers(*pos, WHITE);
        position_check_squares(*pos);
        return std::move(*pos);
    }();
    return start;
}

namespace {

void append_board(std::string& out, const std::array<Piece, 81>& board) {
    static constexpr std::string_view LETTERS = "?PLNSBRGK";
    for (int rank = 0; rank < 9; ++rank) {
        if (rank) out.push_back('/');
        int empty = 0;
        for (int file = 8; file >= 0; --file) {
            const Piece p = board[make_square(file, rank)];
            if (p == NO_PIECE) {
                ++empty;
                continue;
            }
            if (empty) out.push_back(static_cast<char>('0' + empty)), empty = 0;
            if (!names_piece(p)) {
                out.push_back('?');
                continue;
            }
            const PieceType pt = type_of(p);
            if (is_promoted(pt)) out.push_back('+');
            char letter = LETTERS[demote(pt)];
            if (color_of(p) == WHITE) letter = static_cast<char>(letter + 32);
            out.push_back(letter);
        }
        if (empty) out.push_back(static_cast<char>('0' + empty));
    }
}

void append_hands(std::string& out, const std::array<Hand, 2>& hands) {
    static constexpr PieceType ORDER[7] = {ROOK, BISHOP, GOLD, SILVER, KNIGHT, LANCE, PAWN};
    static constexpr std::string_view LETTERS = "?PLNSBRG";
    const std::size_t start = out.size();
    for (int c = 0; c < 2; ++c) {
        for (PieceType pt : ORDER) {
            const std::uint32_t n = hand_count(hands[c], pt);
            if (n == 0) continue;
            if (n > 1) out += std::to_string(n);
            out.push_back(c == BLACK ? LETTERS[pt] : static_cast<char>(LETTERS[pt] + 32));
        }
    }
    if (out.size() == start) out.push_back('-');
}

}  // namespace

std::string sfen_fields_text(const std::array<Piece, 81>& board, Color side, const std::array<Hand, 2>& hands) {
    std::string out;
    out.reserve(96);
    append_board(out, board);
    out += side == BLACK ? " b " : " w ";
    append_hands(out, hands);
    return out;
}

std::string position_to_sfen(const Position& pos, std::uint32_t ply) {
    return sfen_fields_text(pos.board, pos.side_to_move, pos.hands) + " " + std::to_string(ply);
}

std::string position_state_to_sfen(const PositionState& state, bool include_ply) {
    std::string out = sfen_fields_text(state.board, state.side_to_move, state.hands);
    if (include_ply) out += " " + std::to_string(state.ply);
    return out;
}

namespace {
constexpr std::array<std::string_view, 15> PRESETS = {
    "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1",
    "9/9/9/9/9/9/9/9/9 b - 1",
    "lnsgkgsn1/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    "1nsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    "lnsgkgsnl/1r7/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    "lnsgkgsnl/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    "lnsgkgsn1/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    "lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    "lnsgkgsn1/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    "1nsgkgsn1/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    "2sgkgsn1/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    "1nsgkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    "2sgkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    "3gkg3/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
    "4k4/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
};
}  // namespace

int handicap_kind_from_sfen(std::string_view text) {
    for (int k = 0; k < 15; ++k)
        if (PRESETS[k] == text) return k;
    return 15;
}

std::string_view handicap_sfen(int kind) { return kind >= 0 && kind < 15 ? PRESETS[kind] : std::string_view{}; }

}  // namespace korvan
