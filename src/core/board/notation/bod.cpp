#include "core/board/notation/bod.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/board/notation/move_text.h"
#include "core/board/position/updates.h"
#include "core/types/apery.h"
#include "core/util/kanji.h"
#include "core/util/text.h"

namespace korvan {

namespace {

// By piece type; 0 and GOLD_LIKE name no piece.
constexpr std::array<std::string_view, 16> BOD_NAMES = {"",   "歩", "香", "桂", "銀", "角", "飛", "金",
                                                        "玉", "と", "杏", "圭", "全", "馬", "龍", ""};
constexpr std::array<std::string_view, 11> KANJI = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十"};
constexpr std::array<std::string_view, 9> FULL_WIDTH_DIGITS = {"１", "２", "３", "４", "５", "６", "７", "８", "９"};
constexpr std::string_view IDEOGRAPHIC_SPACE = "　";
constexpr std::string_view SAME = "同";

void append_cell(std::string& out, Piece p) {
    if (!names_piece(p)) {
        // Empty, or a byte no live position holds: drawn as an empty square.
        out += " ・";
        return;
    }
    out += color_of(p) == BLACK ? " " : "v";
    out += BOD_NAMES[type_of(p)];
}

// "▲同　歩" -> "▲２四同歩": the square spelled out before "同", the space after it dropped.
std::string spell_out_same(const std::string& text, Square to) {
    const std::size_t mark = std::string_view("▲").size();
    if (text.compare(mark, SAME.size(), SAME) != 0) return text;
    std::string out = text.substr(0, mark);
    out += FULL_WIDTH_DIGITS[file_of(to)];
    out += KANJI[rank_of(to) + 1];
    out += SAME;
    std::string_view rest = std::string_view(text).substr(mark + SAME.size());
    if (rest.starts_with(IDEOGRAPHIC_SPACE)) rest.remove_prefix(IDEOGRAPHIC_SPACE.size());
    out += rest;
    return out;
}

// The piece names a diagram's cells hold, variants included.
struct CellName {
    std::string_view name;
    PieceType type;
};
constexpr std::array<CellName, 16> CELL_NAMES = {{
    {"歩", PAWN},       {"香", LANCE},      {"桂", KNIGHT},     {"銀", SILVER}, {"金", GOLD},  {"角", BISHOP},
    {"飛", ROOK},       {"玉", KING},       {"王", KING},       {"と", PRO_PAWN}, {"杏", PRO_LANCE},
    {"圭", PRO_KNIGHT}, {"全", PRO_SILVER}, {"馬", HORSE},      {"龍", DRAGON}, {"竜", DRAGON},
}};
// A hand line names the first nine (the kings among them, which no hand holds).
constexpr std::size_t HAND_NAMES = 9;

PieceType cell_type(std::string_view name, std::size_t names = CELL_NAMES.size()) {
    for (std::size_t i = 0; i < names; ++i)
        if (CELL_NAMES[i].name == name) return CELL_NAMES[i].type;
    return NO_PIECE_TYPE;
}

// One cell of a row: two characters, a side mark and a piece.
void read_cell(std::string_view cell, Square sq, std::array<Piece, SQUARE_NB>& board) {
    cell = trim_line(cell);
    if (cell.empty() || cell == "・") return;
    Color side = BLACK;
    if (cell.front() == 'v' || cell.front() == '^') {
        side = WHITE;
        cell.remove_prefix(1);
    }
    const PieceType pt = cell_type(cell);
    if (pt != NO_PIECE_TYPE) board[sq] = make_piece(side, pt);
}

void read_row(std::string_view line, int rank, std::array<Piece, SQUARE_NB>& board) {
    const std::size_t bar = line.find('|');
    if (bar == std::string_view::npos) return;
    std::string_view rest = line.substr(bar + 1);
    std::size_t pos = 0;
    for (int file = 8; file >= 0 && pos < rest.size(); --file) {
        const std::size_t start = pos;
        for (int c = 0; c < 2 && pos < rest.size(); ++c) utf8_next(rest, pos);
        read_cell(rest.substr(start, pos - start), make_square(file, rank), board);
    }
}

bool opens_with_frame(std::string_view line) { return trim_line(line).starts_with('+'); }

constexpr unsigned COUNT_LIMIT = 255;

// A run of kanji numerals; each step saturates.
unsigned read_kanji_count(std::string_view text, std::size_t& pos) {
    unsigned tens = 0, running = 0;
    auto clamp = [](unsigned v) { return v > COUNT_LIMIT ? COUNT_LIMIT : v; };
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
        v = std::min(COUNT_LIMIT, v * 10 + static_cast<unsigned>(d));
        pos += width;
    }
    return v;
}

}  // namespace

BodBoard parse_bod_board(const std::vector<std::string_view>& lines, std::size_t header_index) {
    BodBoard out{header_index + 1, {}};
    std::size_t i = header_index + 1;
    if (i < lines.size() && opens_with_frame(lines[i])) ++i;
    for (int rank = 0; rank < 9 && i < lines.size(); ++rank, ++i) read_row(lines[i], rank, out.board);
    if (i < lines.size() && opens_with_frame(lines[i])) ++i;
    out.next_line = i;
    return out;
}

std::array<std::uint32_t, HAND_PIECE_NB> parse_bod_hand(std::string_view text) {
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
    std::array<std::uint32_t, HAND_PIECE_NB> counts{};
    if (compact.empty() || compact == "なし") return counts;
    const std::string_view s = compact;
    for (std::size_t pos = 0; pos < s.size();) {
        const std::size_t start = pos;
        utf8_next(s, pos);
        const PieceType pt = cell_type(s.substr(start, pos - start), HAND_NAMES);
        if (pt == NO_PIECE_TYPE) continue;
        const bool digits = pos < s.size() && (is_ascii_digit(s[pos]) || full_width_digit_at(s.substr(pos)) >= 0);
        const unsigned n = digits ? read_digit_count(s, pos) : read_kanji_count(s, pos);
        if (pt == KING) continue;
        std::uint32_t& count = counts[hand_piece_of(pt)];
        count = std::min(COUNT_LIMIT, count + (n == 0 ? 1 : n));
    }
    return counts;
}

std::string kanji_number(unsigned n) {
    if (n >= 1 && n <= 10) return std::string(KANJI[n]);
    return std::to_string(n);
}

std::string write_hand_words(Hand hand, const std::array<PieceType, 7>& order) {
    std::string out;
    for (PieceType pt : order) {
        const std::uint32_t n = hand_count(hand, pt);
        if (n == 0) continue;
        if (!out.empty()) out += IDEOGRAPHIC_SPACE;
        out += BOD_NAMES[pt];
        if (n > 1) out += kanji_number(n);
    }
    return out.empty() ? "なし" : out;
}

std::string write_bod_hand(Hand hand) {
    static constexpr std::array<PieceType, 7> ORDER = {ROOK, BISHOP, GOLD, SILVER, KNIGHT, LANCE, PAWN};
    return write_hand_words(hand, ORDER);
}

std::string position_to_bod(const Position& pos) {
    std::string out = "後手の持駒：" + write_bod_hand(pos.hands[WHITE]) + "\n";
    out += "  ９ ８ ７ ６ ５ ４ ３ ２ １\n";
    out += "+---------------------------+\n";
    for (int rank = 0; rank < 9; ++rank) {
        out += "|";
        for (int file = 8; file >= 0; --file) append_cell(out, pos.board[make_square(file, rank)]);
        out += "|";
        out += KANJI[rank + 1];
        out += "\n";
    }
    out += "+---------------------------+\n";
    out += "先手の持駒：" + write_bod_hand(pos.hands[BLACK]);
    if (pos.side_to_move == WHITE) out += "\n後手番";
    return out;
}

Expected<std::string, std::string> position_to_bod_with_last_move(const Position& pos) {
    const Move32 last = pos.st().last_move;
    if (!is_normal_move(last)) return position_to_bod(pos);
    Position before = pos;
    if (auto undone = position_undo_move(before, last); !undone)
        return unexpected(std::string(state_stack_error_debug(undone.error())));
    const auto text = move_to_ki2(last, before);
    if (!text) return unexpected(std::string("invalid move"));
    return position_to_bod(pos) + "\n手数＝" + std::to_string(before.ply) + "　" + spell_out_same(*text, move_to(last)) +
           "　まで";
}

}  // namespace korvan
