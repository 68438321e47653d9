#include "core/labels/policy.h"

#include "core/types/move.h"

namespace korvan {

std::optional<std::uint16_t> move_to_policy_label(std::uint32_t move, Color turn) {
    const Move m = move16(move);
    if (is_special_move(m)) return std::nullopt;
    const Square to = move_to(m);
    if (to > 80) return std::nullopt;
    const bool black = turn == BLACK;
    const Square to_view = black ? to : flip_side(to);
    if (is_drop(m)) {
        const unsigned pt = dropped_type(m);
        if (pt < PAWN || pt > GOLD) return std::nullopt;
        return static_cast<std::uint16_t>(DROP_LABEL_BASE + 81 * (pt - 1) + to_view);
    }
    const Square from = move_from(m);
    if (from > 80) return std::nullopt;
    const Square from_view = black ? from : flip_side(from);
    const int plane = direction_class(from_view, to_view) + (is_promotion(m) ? 10 : 0);
    return static_cast<std::uint16_t>(plane * 81 + to_view);
}

}  // namespace korvan
