#include "core/board/notation/bod.h"

#include <array>
#include <string_view>

#include "core/board/notation/move_text.h"
#include "core/board/position/updates.h"
#include "core/types/apery.h"

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

}  // namespace

std::string kanji_number(unsigned n) {
    if (n >= 1 && n <= 10) return std::string(KANJI[n]);
    return std::to_string(n);
}

std::string write_bod_hand(Hand hand) {
    static constexpr PieceType ORDER[7] = {ROOK, BISHOP, GOLD, SILVER, KNIGHT, LANCE, PAWN};
    std::string out;
    for (PieceType pt : ORDER) {
        const std::uint32_t n = hand_count(hand, pt);
        if (n == 0) continue;
        if (!out.empty()) out += IDEOGRAPHIC_SPACE;
        out += BOD_NAMES[pt];
        if (n > 1) out += kanji_number(n);
    }
    return out.empty() ? "なし" : out;
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
