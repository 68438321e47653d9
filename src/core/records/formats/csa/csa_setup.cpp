#include "core/records/formats/csa/csa_setup.h"

#include <array>

#include "core/board/notation/move_text.h"
#include "core/util/text.h"

namespace korvan {

namespace {

bool is_digit19(char c) { return c >= '1' && c <= '9'; }

Square square_at(char file, char rank) { return make_square(file - '1', rank - '1'); }

std::string without_blanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t') out += c;
    return out;
}

CsaError board_error(std::string_view text) { return CsaError::invalid_board_line(std::string(text)); }

// The piece a side mark and a code name, or nothing for a code that names none.
std::optional<Piece> piece_of(char mark, std::string_view code) {
    const PieceType pt = csa_piece_type(code);
    if (pt == NO_PIECE_TYPE) return std::nullopt;
    return make_piece(mark == '-' ? WHITE : BLACK, pt);
}

// "PI" and groups of four naming the squares to empty; the codes are not compared.
Expected<Ok, CsaError> read_handicap_line(std::string_view line, RecordSetup& setup) {
    const std::string_view rest = trim_line(line.substr(2));
    if (rest.size() % 4 != 0) return unexpected(board_error(line));
    for (std::size_t i = 0; i < rest.size(); i += 4)
        if (is_digit19(rest[i]) && is_digit19(rest[i + 1])) setup.state.board[square_at(rest[i], rest[i + 1])] = NO_PIECE;
    return Ok{};
}

Expected<Ok, CsaError> read_rank_line(std::string_view line, RecordSetup& setup) {
    const char rank = line[1];
    for (char file = '1'; file <= '9'; ++file) setup.state.board[square_at(file, rank)] = NO_PIECE;
    const std::string cells = without_blanks(line.substr(2));
    char file = '9';
    for (std::size_t i = 0; i < cells.size(); --file) {
        if (file < '1') return unexpected(board_error(line));
        const char c = cells[i];
        if (c == '*') {
            ++i;
            continue;
        }
        if ((c != '+' && c != '-') || i + 3 > cells.size()) return unexpected(board_error(line));
        const auto piece = piece_of(c, std::string_view(cells).substr(i + 1, 2));
        if (!piece) return unexpected(board_error(line));
        setup.state.board[square_at(file, rank)] = *piece;
        i += 3;
    }
    return Ok{};
}

Expected<Ok, CsaError> read_piece_line(std::string_view line, RecordSetup& setup, std::vector<Color>& all_requests) {
    const char side = line[1];
    const std::string groups = without_blanks(line.substr(2));
    if (groups.size() % 4 != 0) return unexpected(board_error(line));
    for (std::size_t i = 0; i < groups.size(); i += 4) {
        const std::string_view group = std::string_view(groups).substr(i, 4);
        const std::string_view code = group.substr(2);
        if (group[0] == '0' && group[1] == '0') {
            if (code == "AL") {
                all_requests.push_back(side == '-' ? WHITE : BLACK);
                continue;
            }
            // A promoted code stands for its unpromoted piece in hand.
            const PieceType pt = demote(csa_piece_type(code));
            if (pt < PAWN || pt > GOLD) return unexpected(board_error(line));
            setup_add_to_hand(setup, side == '-' ? WHITE : BLACK, hand_piece_of(pt), 1);
            continue;
        }
        const auto piece = piece_of(side, code);
        if (!is_digit19(group[0]) || !is_digit19(group[1]) || !piece) return unexpected(board_error(line));
        setup.state.board[square_at(group[0], group[1])] = *piece;
    }
    return Ok{};
}

// What each "00AL" hands out: per kind, the full set less every piece already placed
// on the board or in either hand, never below zero; never a king.
void hand_out_the_rest(RecordSetup& setup, const std::vector<Color>& all_requests) {
    for (Color side : all_requests) {
        for (HandPiece hp = 0; hp < HAND_PIECE_NB; ++hp) {
            const PieceType kind = piece_type_of(hp);
            std::uint32_t placed = setup.hands[BLACK][hp] + setup.hands[WHITE][hp];
            for (Piece p : setup.state.board) placed += p != NO_PIECE && demote(type_of(p)) == kind;
            if (placed < HAND_FULL_SET[hp]) setup_add_to_hand(setup, side, hp, HAND_FULL_SET[hp] - placed);
        }
    }
}

}  // namespace

Expected<RecordSetup, CsaError> csa_setup(const std::vector<std::string_view>& position_lines, char side) {
    RecordSetup setup;
    std::vector<Color> all_requests;

    std::string_view handicap;
    for (std::string_view line : position_lines) {
        if (line.substr(0, 2) == "PI") {
            handicap = line;
            break;
        }
    }
    if (position_lines.empty() || !handicap.empty()) setup.state.board = position_startpos().board;
    if (!handicap.empty()) {
        if (auto ok = read_handicap_line(handicap, setup); !ok) return unexpected(ok.error());
    } else {
        for (std::string_view line : position_lines) {
            if (line.size() < 2 || !is_digit19(line[1])) continue;
            if (auto ok = read_rank_line(line, setup); !ok) return unexpected(ok.error());
        }
    }
    for (std::string_view line : position_lines) {
        if (line.size() < 2 || (line[1] != '+' && line[1] != '-')) continue;
        if (auto ok = read_piece_line(line, setup, all_requests); !ok) return unexpected(ok.error());
    }
    hand_out_the_rest(setup, all_requests);
    setup.state.side_to_move = side == '-' ? WHITE : BLACK;
    return setup;
}

}  // namespace korvan
