#pragma once
// The validation members that Board and PositionState share: the first finding as a
// ValueError or a bool, or every finding as a ValidationReport.

#include "board/board_tags.h"

namespace korvan::py {

PyObject* validate_position(const Position& pos);
PyObject* position_is_valid_bool(const Position& pos);
PyObject* validate_all_position(const Position& pos);

}  // namespace korvan::py
