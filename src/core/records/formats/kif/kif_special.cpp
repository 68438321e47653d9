#include "core/records/formats/kif/kif_special.h"

#include <string>

#include "core/records/special_moves.h"
#include "core/util/text.h"

namespace korvan {

namespace {

SpecialMove special(SpecialMoveKind kind, GameResult result) {
    SpecialMove s;
    s.kind = kind;
    s.result = result;
    return s;
}

bool contains(std::string_view line, std::string_view word) { return line.find(word) != std::string_view::npos; }

// The side a line names: "先手" wins over "後手"; nothing when it names neither.
std::optional<Color> named_side(std::string_view line) {
    if (contains(line, "先手")) return BLACK;
    if (contains(line, "後手")) return WHITE;
    return std::nullopt;
}

// The value for the side named, Black's first.
std::optional<SpecialMove> by_side(std::string_view line, SpecialMoveKind kind, GameResult black, GameResult white) {
    const auto side = named_side(line);
    if (!side) return std::nullopt;
    return special(kind, *side == BLACK ? black : white);
}

}  // namespace

SpecialMove kif_special_word(std::string_view word, Color side_to_move) {
    if (auto known = special_move_from_word(SpecialFormat::Kif, word, side_to_move)) return std::move(*known);
    SpecialMove unknown = special(SpecialMoveKind::Unknown, PAUSED);
    unknown.unknown_name = word;
    return unknown;
}

std::optional<SpecialMove> parse_kif_result_line(std::string_view line, Color side_to_move) {
    using K = SpecialMoveKind;
    line = trim_line(line);
    if (!line.starts_with("まで")) return std::nullopt;
    if (contains(line, "時間切れ"))
        if (auto s = by_side(line, K::Timeout, BLACK_WIN_BY_TIMEOUT, WHITE_WIN_BY_TIMEOUT)) return s;
    if (contains(line, "千日手")) return special(K::RepetitionDraw, DRAW_BY_REPETITION);
    if (contains(line, "最大手数")) return special(K::MaxMoves, DRAW_BY_MAX_PLIES);
    if (contains(line, "持将棋")) return special(K::Impasse, DRAW_BY_IMPASSE);
    if (contains(line, "中断")) return special(K::Interrupt, PAUSED);
    if (contains(line, "入玉宣言") || contains(line, "入玉勝ち"))
        return by_side(line, K::WinByDeclaration, BLACK_WIN_BY_DECLARATION, WHITE_WIN_BY_DECLARATION);
    if (contains(line, "反則勝ち"))
        if (auto s = by_side(line, K::WinByIllegalMove, BLACK_WIN_BY_ILLEGAL_MOVE, WHITE_WIN_BY_ILLEGAL_MOVE)) return s;
    if (contains(line, "反則負け"))
        if (auto s = by_side(line, K::LoseByIllegalMove, WHITE_WIN_BY_ILLEGAL_MOVE, BLACK_WIN_BY_ILLEGAL_MOVE))
            return s;
    // The writers close a game won or lost by default, or ended by a try, with the
    // word after the side it concerns.
    for (std::string_view word : {"不戦勝", "不戦敗", "トライ"}) {
        if (!contains(line, word)) continue;
        if (const auto side = named_side(line)) return kif_special_word(word, *side);
    }
    if (contains(line, "不詰")) return special(K::NoMate, PAUSED);
    if (line.ends_with("詰")) return kif_special_word("詰", side_to_move);
    // The writers' closing lines of a mate and of a draw.
    if (line.ends_with("詰み")) return kif_special_word("詰み", side_to_move);
    if (line.ends_with("引き分け")) return kif_special_word("引き分け", side_to_move);
    if (contains(line, "勝ち")) return by_side(line, K::Resign, BLACK_WIN, WHITE_WIN);
    return std::nullopt;
}

std::optional<SpecialMove> parse_kif_closing_word(std::string_view line, Color side_to_move) {
    constexpr std::string_view OPEN = "まで", MIDDLE = "手で";
    line = trim_line(line);
    if (!line.starts_with(OPEN)) return std::nullopt;
    std::string_view rest = line.substr(OPEN.size());
    std::size_t digits = 0;
    while (digits < rest.size() && is_ascii_digit(rest[digits])) ++digits;
    if (digits == 0 || !rest.substr(digits).starts_with(MIDDLE)) return std::nullopt;
    const std::string_view word = trim_line(rest.substr(digits + MIDDLE.size()));
    if (word.empty()) return std::nullopt;
    return kif_special_word(word, side_to_move);
}

SpecialMoveEntry special_entry_from_result_line(std::string_view line, SpecialMove special) {
    SpecialMoveEntry entry;
    entry.special = std::move(special);
    entry.special.raw = std::string(line);
    return entry;
}

}  // namespace korvan
