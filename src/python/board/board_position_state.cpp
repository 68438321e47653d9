// Board members that move a PositionState in and out, and validation.

#include "board/board.h"
#include "board/validation.h"

namespace korvan::py {

namespace {

PyObject* set_position_state(Position& pos, PyObject* const* args) {
    PositionState state;
    if (!extract_arg<PositionStateClass>(args[0], "state", state)) return nullptr;
    if (auto set = position_set_state(pos, state); !set) {
        raise_value_error(set.error());
        return nullptr;
    }
    Py_RETURN_NONE;
}

PyObject* to_position_state(const Position& pos) { return wrap<PositionStateClass>(position_state_of(pos)); }

}  // namespace

constexpr Methods BOARD_POSITION_STATE_METHODS = method_table<BoardClass,
    Method<"set_position_state(state)", set_position_state, Access::Exclusive>,
    Method<"to_position_state()", to_position_state>,
    Method<"validate()", validate_position>,
    Method<"is_valid()", position_is_valid_bool>,
    Method<"validate_all()", validate_all_position>>;

}  // namespace korvan::py
