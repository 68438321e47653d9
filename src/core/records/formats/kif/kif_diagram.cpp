#include "core/records/formats/kif/kif_diagram.h"

#include <array>

#include "core/util/text.h"

namespace korvan {

namespace {

struct PieceName {
    std::string_view name;
    std::string_view code;
};

constexpr std::array<PieceName, 16> DIAGRAM_PIECES = {{
    {"歩", "FU"}, {"香", "KY"}, {"桂", "KE"}, {"銀", "GI"}, {"金", "KI"}, {"角", "KA"},
    {"飛", "HI"}, {"玉", "OU"}, {"王", "OU"}, {"と", "TO"}, {"杏", "NY"}, {"圭", "NK"},
    {"全", "NG"}, {"馬", "UM"}, {"龍", "RY"}, {"竜", "RY"},
}};

// The hand names a hand line may hold: the first nine of the diagram names.
constexpr std::size_t HAND_PIECE_NAMES = 9;

std::string_view diagram_code(std::string_view name, std::size_t names = DIAGRAM_PIECES.size()) {
    for (std::size_t i = 0; i < names; ++i)
        if (DIAGRAM_PIECES[i].name == name) return DIAGRAM_PIECES[i].code;
    return {};
}

// One cell of a row: two characters, a side mark and a piece.
void read_cell(std::string_view cell, int file, int rank, BoardRows& rows) {
    cell = trim_line(cell);
    if (cell.empty() || cell == "・") return;
    char side = '+';
    if (cell.front() == 'v' || cell.front() == '^') {
        side = '-';
        cell.remove_prefix(1);
    }
    const std::string_view code = diagram_code(cell);
    if (code.empty()) return;
    rows[{file, rank}] = {side, std::string(code)};
}

void read_row(std::string_view line, int rank, BoardRows& rows) {
    const std::size_t bar = line.find('|');
    if (bar == std::string_view::npos) return;
    std::string_view rest = line.substr(bar + 1);
    std::size_t pos = 0;
    for (int file = 9; file >= 1 && pos < rest.size(); --file) {
        const std::size_t start = pos;
        for (int c = 0; c < 2 && pos < rest.size(); ++c) utf8_next(rest, pos);
        read_cell(rest.substr(start, pos - start), file, rank, rows);
    }
}

bool opens_with_frame(std::string_view line) { return trim_line(line).starts_with('+'); }

// A run of kanji numerals; each step saturates at 255.
unsigned read_kanji_count(std::string_view text, std::size_t& pos) {
    unsigned tens = 0, running = 0;
    auto clamp = [](unsigned v) { return v > 255 ? 255u : v; };
    while (pos < text.size()) {
        const std::string_view here = text.substr(pos);
        if (const int d = kanji_digit_at(here)) {
            running = clamp(running * 10 + static_cast<unsigned>(d));
        } else if (here.starts_with("〇") || here.starts_with("零")) {
            running = clamp(running * 10);
        } else if (here.starts_with("十")) {
            tens = clamp(tens + 10 * (running <= 1 ? 1 : running));
            running = 0;
        } else {
            break;
        }
        pos += KANJI_BYTES;
    }
    return clamp(tens + running);
}

// A run of ASCII or full-width digits, as the writers put counts past ten.
unsigned read_digit_count(std::string_view text, std::size_t& pos) {
    unsigned v = 0;
    while (pos < text.size()) {
        int d = -1;
        std::size_t width = 1;
        if (is_ascii_digit(text[pos])) {
            d = text[pos] - '0';
        } else if ((d = full_width_digit_at(text.substr(pos))) >= 0) {
            width = KANJI_BYTES;
        } else {
            break;
        }
        v = v * 10 + static_cast<unsigned>(d);
        if (v > 255) v = 255;
        pos += width;
    }
    return v;
}

}  // namespace

BodBoardRows parse_bod_board_rows(const std::vector<std::string_view>& lines, std::size_t header_index) {
    BodBoardRows out{header_index + 1, {}};
    std::size_t i = header_index + 1;
    if (i < lines.size() && opens_with_frame(lines[i])) ++i;
    for (int rank = 1; rank <= 9 && i < lines.size(); ++rank, ++i) read_row(lines[i], rank, out.rows);
    if (i < lines.size() && opens_with_frame(lines[i])) ++i;
    out.next_line = i;
    return out;
}

HandCountMap parse_bod_hand(std::string_view text) {
    std::string compact;
    compact.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        if (text.substr(pos).starts_with("　")) {
            pos += KANJI_BYTES;
            continue;
        }
        if (text[pos] != ' ') compact.push_back(text[pos]);
        ++pos;
    }
    HandCounts counts;
    new_hand_counts_by_side(counts);
    if (compact.empty() || compact == "なし") return {};
    const std::string_view s = compact;
    for (std::size_t pos = 0; pos < s.size();) {
        const std::size_t start = pos;
        utf8_next(s, pos);
        const std::string_view code = diagram_code(s.substr(start, pos - start), HAND_PIECE_NAMES);
        if (code.empty()) continue;
        const bool digits = pos < s.size() && (is_ascii_digit(s[pos]) || full_width_digit_at(s.substr(pos)) >= 0);
        const unsigned n = digits ? read_digit_count(s, pos) : read_kanji_count(s, pos);
        hand_counts_add(counts, '+', code, n == 0 ? 1 : n);
    }
    return std::move(counts['+']);
}

Expected<std::string, std::string> sfen_from_diagram(const KifSetup& setup) {
    auto board = sfen_board_from_rows(setup.board);
    if (!board) return board;
    auto hands = sfen_from_parsed_setup(setup.hands);
    if (!hands) return hands;
    std::string out = std::move(*board);
    out += setup.side_mark == '-' ? " w " : " b ";
    out += *hands;
    out += " 1";
    return out;
}

}  // namespace korvan
