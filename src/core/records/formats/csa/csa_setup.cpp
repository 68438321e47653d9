#include "core/records/formats/csa/csa_setup.h"

#include <array>

#include "core/board/notation/move_text.h"
#include "core/records/reader_support.h"
#include "core/util/text.h"

namespace korvan {

namespace {

struct HandKind {
    std::string_view code;
    unsigned full_set;  // of both sides together
};
constexpr std::array<HandKind, 7> HAND_KINDS = {{
    {"FU", 18}, {"KY", 4}, {"KE", 4}, {"GI", 4}, {"KI", 4}, {"KA", 2}, {"HI", 2},
}};

bool is_digit19(char c) { return c >= '1' && c <= '9'; }

std::string without_blanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t') out += c;
    return out;
}

bool is_piece_code(std::string_view code) { return csa_piece_type(code) != NO_PIECE_TYPE; }

bool is_hand_code(std::string_view base) {
    for (const HandKind& k : HAND_KINDS)
        if (k.code == base) return true;
    return false;
}

CsaError board_error(std::string_view text) {
    return CsaError::of_text(CsaError::Kind::InvalidBoardLine, std::string(text));
}

// The standard start position by rank, files 9 to 1.
constexpr std::array<std::string_view, 9> START_RANKS = {
    "-KY-KE-GI-KI-OU-KI-GI-KE-KY", " * -HI *  *  *  *  * -KA * ", "-FU-FU-FU-FU-FU-FU-FU-FU-FU",
    "",  "", "",
    "+FU+FU+FU+FU+FU+FU+FU+FU+FU", " * +KA *  *  *  *  * +HI * ", "+KY+KE+GI+KI+OU+KI+GI+KE+KY",
};

void place_startpos(BoardRows& rows) {
    for (int rank = 1; rank <= 9; ++rank) {
        const std::string_view cells = START_RANKS[rank - 1];
        for (std::size_t i = 0; i < cells.size(); i += 3) {
            if (cells[i] == ' ') continue;
            rows.emplace_hint(rows.end(), std::pair{9 - static_cast<int>(i / 3), rank},
                              std::pair{cells[i], std::string(cells.substr(i + 1, 2))});
        }
    }
}

// "PI" and groups of four naming the squares to empty; the codes are not compared.
Expected<Ok, CsaError> read_handicap_line(std::string_view line, BoardRows& rows) {
    const std::string_view rest = trim_whitespace(line.substr(2));
    if (rest.size() % 4 != 0) return unexpected(board_error(line));
    for (std::size_t i = 0; i < rest.size(); i += 4)
        if (is_digit19(rest[i]) && is_digit19(rest[i + 1])) rows.erase({rest[i] - '0', rest[i + 1] - '0'});
    return Ok{};
}

Expected<Ok, CsaError> read_rank_line(std::string_view line, BoardRows& rows) {
    const int rank = line[1] - '0';
    for (int file = 1; file <= 9; ++file) rows.erase({file, rank});
    const std::string cells = without_blanks(line.substr(2));
    int file = 9;
    for (std::size_t i = 0; i < cells.size(); --file) {
        if (file < 1) return unexpected(board_error(line));
        const char c = cells[i];
        if (c == '*') {
            ++i;
            continue;
        }
        if ((c != '+' && c != '-') || i + 3 > cells.size()) return unexpected(board_error(line));
        const std::string_view code = std::string_view(cells).substr(i + 1, 2);
        if (!is_piece_code(code)) return unexpected(board_error(line));
        rows[{file, rank}] = {c, std::string(code)};
        i += 3;
    }
    return Ok{};
}

Expected<Ok, CsaError> read_piece_line(std::string_view line, BoardRows& rows, HandCounts& hands,
                                       std::vector<char>& all_requests) {
    const char side = line[1];
    const std::string groups = without_blanks(line.substr(2));
    if (groups.size() % 4 != 0) return unexpected(board_error(line));
    for (std::size_t i = 0; i < groups.size(); i += 4) {
        const std::string_view group = std::string_view(groups).substr(i, 4);
        const std::string_view code = group.substr(2);
        if (group[0] == '0' && group[1] == '0') {
            if (code == "AL") {
                all_requests.push_back(side);
                continue;
            }
            const std::string_view base = csa_piece_code(code);
            if (!is_hand_code(base)) return unexpected(board_error(line));
            hand_counts_add(hands, side, base, 1);
            continue;
        }
        if (!is_digit19(group[0]) || !is_digit19(group[1]) || !is_piece_code(code))
            return unexpected(board_error(line));
        rows[{group[0] - '0', group[1] - '0'}] = {side, std::string(code)};
    }
    return Ok{};
}

// What each "00AL" hands out: per kind, the full set less every piece already placed
// on the board or in either hand, never below zero.
void hand_out_the_rest(const BoardRows& rows, HandCounts& hands, const std::vector<char>& all_requests) {
    for (char side : all_requests) {
        for (const HandKind& kind : HAND_KINDS) {
            unsigned placed = 0;
            for (const auto& [square, piece] : rows) placed += csa_piece_code(piece.second) == kind.code;
            for (const auto& [hand_side, counts] : hands) {
                const auto it = counts.find(kind.code);
                if (it != counts.end()) placed += it->second;
            }
            if (placed < kind.full_set) hand_counts_add(hands, side, kind.code, kind.full_set - placed);
        }
    }
}

}  // namespace

std::string_view csa_piece_code(std::string_view code) {
    if (code == "TO") return "FU";
    if (code == "NY") return "KY";
    if (code == "NK") return "KE";
    if (code == "NG") return "GI";
    if (code == "UM") return "KA";
    if (code == "RY") return "HI";
    return code;
}

Expected<std::string, CsaError> csa_setup_sfen(const std::vector<std::string_view>& position_lines, char side) {
    BoardRows rows;
    HandCounts hands;
    new_hand_counts_by_side(hands);
    std::vector<char> all_requests;

    std::string_view handicap;
    for (std::string_view line : position_lines) {
        if (line.substr(0, 2) == "PI") {
            handicap = line;
            break;
        }
    }
    if (position_lines.empty()) {
        place_startpos(rows);
    } else if (!handicap.empty()) {
        place_startpos(rows);
        if (auto ok = read_handicap_line(handicap, rows); !ok) return unexpected(ok.error());
    } else {
        for (std::string_view line : position_lines) {
            if (line.size() < 2 || !is_digit19(line[1])) continue;
            if (auto ok = read_rank_line(line, rows); !ok) return unexpected(ok.error());
        }
    }
    for (std::string_view line : position_lines) {
        if (line.size() < 2 || (line[1] != '+' && line[1] != '-')) continue;
        if (auto ok = read_piece_line(line, rows, hands, all_requests); !ok) return unexpected(ok.error());
    }
    hand_out_the_rest(rows, hands, all_requests);

    auto board = sfen_board_from_rows(rows);
    if (!board) return unexpected(board_error(board.error()));
    auto hand = sfen_from_parsed_setup(hands);
    if (!hand) return unexpected(board_error(hand.error()));
    std::string sfen = std::move(*board);
    sfen += side == '-' ? " w " : " b ";
    sfen += *hand;
    sfen += " 1";
    return sfen;
}

}  // namespace korvan
