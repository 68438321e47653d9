#include "core/records/formats/kif/ki2_resolver.h"

#include <array>

#include "core/board/attack_tables.h"
#include "core/board/position/parser.h"
#include "core/board/position/position_state.h"
#include "core/board/position/updates.h"
#include "core/records/editor.h"
#include "core/records/formats/kif/kif_move_lines.h"
#include "core/util/kanji.h"

namespace korvan {

namespace {

// The side marks "▲", "△", "▼", "▽", "☗", "☖" (three bytes each).
std::size_t side_mark_at(std::string_view text) {
    switch (char3_at(text)) {
        case char3("▲"):
        case char3("△"):
        case char3("▼"):
        case char3("▽"):
        case char3("☗"):
        case char3("☖"): return KANJI_BYTES;
        default: return 0;
    }
}

enum class Horizontal : std::uint8_t { None, Straight, Left, Right };
enum class Vertical : std::uint8_t { None, Up, Down, Sideways };
enum class Suffix : std::uint8_t { None, Promote, NoPromote, Drop };

struct Token {
    Square to = SQ_NONE;
    PieceType type = NO_PIECE_TYPE;
    Horizontal horizontal = Horizontal::None;
    Vertical vertical = Vertical::None;
    Suffix suffix = Suffix::None;
    std::optional<Square> source;
};

// The relative words, each one character but "不成"; a word read is removed from the text.
template <class T, std::size_t N>
T word_at(std::string_view& text, const std::array<std::pair<std::uint32_t, T>, N>& words, T none) {
    const std::uint32_t first = char3_at(text);
    for (const auto& [word, value] : words) {
        if (word != first) continue;
        text.remove_prefix(KANJI_BYTES);
        return value;
    }
    return none;
}

constexpr std::array<std::pair<std::uint32_t, Horizontal>, 3> HORIZONTAL_WORDS = {{
    {char3("直"), Horizontal::Straight}, {char3("左"), Horizontal::Left}, {char3("右"), Horizontal::Right},
}};
constexpr std::array<std::pair<std::uint32_t, Vertical>, 4> VERTICAL_WORDS = {{
    {char3("上"), Vertical::Up}, {char3("行"), Vertical::Up}, {char3("引"), Vertical::Down},
    {char3("寄"), Vertical::Sideways},
}};

Suffix suffix_word(std::string_view& text) {
    switch (char3_at(text)) {
        case char3("成"): text.remove_prefix(KANJI_BYTES); return Suffix::Promote;
        case char3("打"): text.remove_prefix(KANJI_BYTES); return Suffix::Drop;
        case char3("不"):
            if (char3_at(text.substr(KANJI_BYTES)) != char3("成")) return Suffix::None;
            text.remove_prefix(2 * KANJI_BYTES);
            return Suffix::NoPromote;
        default: return Suffix::None;
    }
}

std::optional<Token> read_token(std::string_view text, bool has_previous, Square previous) {
    text.remove_prefix(side_mark_at(text));
    const auto square = kif_square_at(text, has_previous, previous);
    if (!square) return std::nullopt;
    Token t;
    t.to = square->square;
    text.remove_prefix(square->bytes);
    const KifPieceName piece = kif_piece_name_at(text, false);
    if (piece.type == NO_PIECE_TYPE) return std::nullopt;
    t.type = piece.type;
    text.remove_prefix(piece.bytes);
    t.horizontal = word_at(text, HORIZONTAL_WORDS, Horizontal::None);
    t.vertical = word_at(text, VERTICAL_WORDS, Vertical::None);
    t.suffix = suffix_word(text);
    // "(77)": a source square; any other shape is ignored, as is what follows.
    if (text.size() >= 4 && text[0] == '(' && text.find(')') == 3 && text[1] >= '1' && text[1] <= '9' &&
        text[2] >= '1' && text[2] <= '9')
        t.source = make_square(text[1] - '1', text[2] - '1');
    return t;
}

bool is_horse_or_dragon(PieceType pt) { return pt == HORSE || pt == DRAGON; }

// Whether a candidate satisfies the token's words, both squares in the mover's frame.
bool satisfies(const Token& t, Square candidate, Square to, Color us) {
    const Square c = us == WHITE ? flip_side(candidate) : candidate;
    const Square d = us == WHITE ? flip_side(to) : to;
    const int F = file_of(c), R = rank_of(c), f = file_of(d), r = rank_of(d);
    const bool wide = is_horse_or_dragon(t.type);
    switch (t.vertical) {
        case Vertical::Up: if (!(R > r)) return false; break;
        case Vertical::Down: if (!(R < r)) return false; break;
        case Vertical::Sideways: if (R != r) return false; break;
        case Vertical::None: break;
    }
    switch (t.horizontal) {
        case Horizontal::Straight: return R > r && F == f;
        case Horizontal::Right: return wide ? F <= f : F < f;
        case Horizontal::Left: return wide ? F >= f : F > f;
        case Horizontal::None: return true;
    }
    return true;
}

Move board_move(Square from, Square to, bool promote) {
    return promote ? make_move16_promote(from, to) : make_move16(from, to);
}

// Visits the squares of the pieces that can make the token's move by its words, in
// increasing order. The pieces that reach the destination are those a piece of the
// other colour on it would reach: one attack set instead of one per piece of the type.
template <class Visit>
void for_each_candidate(const Position& pos, const Token& t, Visit visit) {
    const Color us = pos.side_to_move;
    const Bitboard reaching = pos.pieces(us, t.type) & piece_type_attacks(t.type, t.to, ~us, pos.occupied);
    reaching.for_each([&](Square s) {
        if (satisfies(t, s, t.to, us)) visit(s);
    });
}

// Whether the named piece, when no board piece makes the move, is one the side to move
// can drop: a kind a hand holds, and one in hand.
bool droppable(const Position& pos, const Token& t) {
    return t.type >= PAWN && t.type <= GOLD && hand_has(pos.hands[pos.side_to_move], t.type);
}

}  // namespace

namespace {

// The byte length of a space the tokens leave out (U+0020 or U+3000) at the start, or 0.
std::size_t token_space_at(std::string_view text) {
    if (text.empty()) return 0;
    if (text[0] == ' ') return 1;
    return char3_at(text) == char3("　") ? KANJI_BYTES : 0;
}

}  // namespace

std::optional<std::string_view> Ki2Tokens::next() {
    // The rest of the line from k, without the bounds check of substr: k never passes
    // the end.
    const auto from = [this](std::size_t k) { return std::string_view(line_.data() + k, line_.size() - k); };
    // Spaces that open the rest belong to no token.
    while (const std::size_t w = token_space_at(from(pos_))) pos_ += w;
    if (pos_ >= line_.size()) return std::nullopt;
    const std::size_t start = pos_;
    std::size_t end = start + side_mark_at(from(start));
    bool inner_space = false;
    std::size_t last = end;  // one past the token's last byte that is no space
    // Marks begin with 0xE2 and the wide space with 0xE3: a byte that is neither, nor a
    // blank, belongs to the token whatever follows it.
    const auto plain = [](char c) { return c != ' ' && (static_cast<unsigned char>(c) & 0xFE) != 0xE2; };
    while (end < line_.size()) {
        if (plain(line_[end])) {
            inner_space |= last != end;
            while (++end < line_.size() && plain(line_[end])) {
            }
            last = end;
            continue;
        }
        if (line_[end] != ' ' && side_mark_at(from(end))) break;
        if (const std::size_t w = token_space_at(from(end))) {
            end += w;
            continue;
        }
        inner_space |= last != end;
        ++end;
        last = end;
    }
    pos_ = end;
    const std::string_view token = line_.substr(start, last - start);
    if (!inner_space) return token;
    buffer_.clear();
    for (std::size_t i = 0; i < token.size();) {
        if (const std::size_t w = token_space_at(token.substr(i))) {
            i += w;
            continue;
        }
        buffer_.push_back(token[i++]);
    }
    return std::string_view(buffer_);
}

std::optional<Ki2Move> resolve_ki2_token(const Position& pos, std::string_view text, bool has_previous,
                                         Square previous) {
    const auto token = read_token(text, has_previous, previous);
    if (!token) return std::nullopt;
    const Token& t = *token;
    const bool promote = t.suffix == Suffix::Promote;
    if (t.suffix == Suffix::Drop) {
        // A king names no piece a hand can hold.
        if (t.type == KING) return std::nullopt;
        return Ki2Move{make_drop16(demote(t.type), t.to), t.to};
    }
    if (t.source) return Ki2Move{board_move(*t.source, t.to, promote), t.to};

    Square kept[2];
    int count = 0;
    for_each_candidate(pos, t, [&](Square s) {
        if (count < 2) kept[count] = s;
        ++count;
    });
    if (count == 1) return Ki2Move{board_move(kept[0], t.to, promote), t.to};
    if (count == 2 && is_horse_or_dragon(t.type)) {
        const Color us = pos.side_to_move;
        const bool first_on_file = compare_square_files(kept[0], t.to, us) == 0;
        const bool second_on_file = compare_square_files(kept[1], t.to, us) == 0;
        if (first_on_file == second_on_file) return std::nullopt;
        return Ki2Move{board_move(first_on_file ? kept[1] : kept[0], t.to, promote), t.to};
    }
    if (count == 0 && droppable(pos, t)) return Ki2Move{make_drop16(t.type, t.to), t.to};
    return std::nullopt;
}

std::optional<Ki2Move> resolve_ki2_token_legally(const Position& pos, std::string_view text, bool has_previous,
                                                 Square previous) {
    const auto token = read_token(text, has_previous, previous);
    if (!token || token->suffix == Suffix::Drop || token->source) return std::nullopt;
    const Token& t = *token;
    std::optional<Ki2Move> found;
    int count = 0;
    for_each_candidate(pos, t, [&](Square s) {
        const Move move = board_move(s, t.to, t.suffix == Suffix::Promote);
        if (!record_checked_move(pos, move)) return;
        found = Ki2Move{move, t.to};
        ++count;
    });
    if (count == 1) return found;
    if (count > 0 || !droppable(pos, t)) return std::nullopt;
    const Move drop = make_drop16(t.type, t.to);
    if (!record_checked_move(pos, drop)) return std::nullopt;
    return Ki2Move{drop, t.to};
}

Expected<std::vector<Ki2Move>, Ki2Error> parse_ki2_move(const Position& pos, std::string_view line, bool has_previous,
                                                       Square previous) {
    // A private copy without the history: resolving and the legality test read only the
    // board, the hands and the side to move.
    Position copy;
    position_set(copy, position_state_of(pos));
    std::vector<Ki2Move> out;
    Ki2Tokens tokens(line);
    while (const auto token = tokens.next()) {
        auto move = resolve_ki2_token(copy, *token, has_previous, previous);
        auto checked = move ? record_checked_move(copy, move->move) : std::nullopt;
        if (!checked) {
            if (const auto legal = resolve_ki2_token_legally(copy, *token, has_previous, previous)) {
                move = legal;
                checked = record_checked_move(copy, legal->move);
            }
        }
        if (!move) return unexpected(Ki2Error::invalid_move(line));
        out.push_back(*move);
        if (!checked) break;
        position_do_move(copy, *checked);
        has_previous = true;
        previous = move->to;
    }
    return out;
}

}  // namespace korvan
