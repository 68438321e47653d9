#pragma once
// The entering-king declaration test under the position's rule.

#include <cstdint>
#include <optional>

#include "core/board/position/position.h"

namespace korvan {

const char* entering_king_rule_name(EnteringKingRule rule);

struct Declaration {
    enum class Detail : std::uint8_t { NoRule, PointRule, TryRule };
    EnteringKingRule rule = EnteringKingRule::None;
    bool can_declare = false;
    Detail detail = Detail::NoRule;
    // Point rules.
    bool not_in_check = false;
    bool king_in_enemy_camp = false;
    int pieces_in_camp = 0;
    bool enough_pieces = false;
    int points = 0;
    std::int32_t required_points = 0;
    // Try rule.
    std::optional<Square> king_square;
    Square try_square = SQ_NONE;
    bool can_reach = false;
    bool can_occupy = false;
    bool is_safe = false;
};

Declaration position_evaluate_declaration(const Position& pos);

}  // namespace korvan
