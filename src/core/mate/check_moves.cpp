#include "core/mate/check_moves.h"

#include "core/mate/mate_in_one.h"

namespace korvan {

void mate_in_one_search_board_moves(const Position& pos, MoveList& list, Color us, Color) {
    mate_detail::for_each_checking_move(pos, us, [&](Move m) {
        if (is_drop(m) && dropped_type(m) == PAWN && !position_pawn_drop_not_mate(pos, move_to(m))) return false;
        list.push(m);
        return false;
    });
}

}  // namespace korvan
