#pragma once

#include "core/board/position/position.h"

namespace korvan {

// True when the side to move has no legal move (in check or not).
bool position_is_mated(const Position& pos);

}  // namespace korvan
