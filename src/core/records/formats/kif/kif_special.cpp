#include "core/records/formats/kif/kif_special.h"

#include <array>
#include <string>

#include "core/util/kanji.h"
#include "core/util/lines.h"
#include "core/util/text.h"

namespace korvan {

namespace {

// The result is base, plus or minus the side to move (Black 0, White 1) as step says.
struct SpecialWord {
    std::string_view word;
    SpecialMoveKind kind;
    GameResult base;
    int step;
};

constexpr GameResult PAUSED = 11;

constexpr std::array<SpecialWord, 16> SPECIAL_WORDS = {{
    {"投了", SpecialMoveKind::Resign, 1, -1},
    {"詰み", SpecialMoveKind::Resign, 1, -1},
    {"詰", SpecialMoveKind::Resign, 1, -1},
    {"中断", SpecialMoveKind::Interrupt, PAUSED, 0},
    {"不詰", SpecialMoveKind::NoMate, PAUSED, 0},
    {"千日手", SpecialMoveKind::RepetitionDraw, 2, 0},
    {"持将棋", SpecialMoveKind::Impasse, 10, 0},
    {"最大手数", SpecialMoveKind::MaxMoves, 6, 0},
    {"トライ", SpecialMoveKind::Try, PAUSED, 0},
    {"不戦勝", SpecialMoveKind::WinByDefault, 8, 1},
    {"不戦敗", SpecialMoveKind::LoseByDefault, 9, -1},
    {"切れ負け", SpecialMoveKind::Timeout, 17, -1},
    {"反則勝ち", SpecialMoveKind::WinByIllegalMove, 12, 1},
    {"反則負け", SpecialMoveKind::LoseByIllegalMove, 13, -1},
    {"入玉宣言", SpecialMoveKind::WinByDeclaration, 4, 1},
    {"入玉勝ち", SpecialMoveKind::WinByDeclaration, 4, 1},
}};

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
    for (const SpecialWord& w : SPECIAL_WORDS) {
        if (w.word != word) continue;
        return special(w.kind, static_cast<GameResult>(w.base + w.step * static_cast<int>(side_to_move)));
    }
    SpecialMove unknown = special(SpecialMoveKind::Unknown, PAUSED);
    unknown.unknown_name = word;
    return unknown;
}

std::optional<SpecialMove> parse_kif_result_line(std::string_view line, Color side_to_move) {
    using K = SpecialMoveKind;
    line = trim_line(line);
    if (!line.starts_with("まで")) return std::nullopt;
    if (contains(line, "時間切れ"))
        if (auto s = by_side(line, K::Timeout, 16, 17)) return s;
    if (contains(line, "千日手")) return special(K::RepetitionDraw, 2);
    if (contains(line, "最大手数")) return special(K::MaxMoves, 6);
    if (contains(line, "持将棋")) return special(K::Impasse, 10);
    if (contains(line, "中断")) return special(K::Interrupt, PAUSED);
    if (contains(line, "入玉宣言") || contains(line, "入玉勝ち")) return by_side(line, K::WinByDeclaration, 4, 5);
    if (contains(line, "反則勝ち"))
        if (auto s = by_side(line, K::WinByIllegalMove, 12, 13)) return s;
    if (contains(line, "反則負け"))
        if (auto s = by_side(line, K::LoseByIllegalMove, 13, 12)) return s;
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
    if (contains(line, "勝ち")) return by_side(line, K::Resign, 0, 1);
    return std::nullopt;
}

SpecialMoveEntry special_entry_from_result_line(std::string_view line, SpecialMove special) {
    SpecialMoveEntry entry;
    entry.special = std::move(special);
    entry.special.raw = std::string(line);
    return entry;
}

}  // namespace korvan
