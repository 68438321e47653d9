// Board members that move a PositionState in and out, and validation.

#include "board/board.h"
#include "board/validation.h"

namespace korvan::py {

namespace {

PyObject* set_position_state(Position& pos, PyObject* const* args) {
    PositionState state;
    if (!extract_arg<PositionStateClass>(args[0], "state", state)) return nullptr;
    if (auto set = position_set_state(pos, state); !set) {
        PyErr_SetString(PyExc_ValueError, set.error().c_str());
        return nullptr;
    }
    Py_RETURN_NONE;
}

PyObject* to_position_state(const Position& pos) { return wrap<PositionStateClass>(position_state_of(pos)); }

constexpr const char* STATE[] = {"state"};
constexpr Signature SET_POSITION_STATE{"set_position_state", STATE};
constexpr Signature TO_POSITION_STATE{"to_position_state"};
constexpr Signature VALIDATE{"validate"};
constexpr Signature IS_VALID{"is_valid"};
constexpr Signature VALIDATE_ALL{"validate_all"};

using B = BoardClass;

const PyMethodDef POSITION_STATE_METHODS[] = {
    method_def<method<B, SET_POSITION_STATE, set_position_state, Access::Exclusive>>(
        "set_position_state", "set_position_state($self, state)\n--\n\n"),
    method_def<method<B, TO_POSITION_STATE, to_position_state>>("to_position_state",
                                                                "to_position_state($self)\n--\n\n"),
    method_def<method<B, VALIDATE, validate_position>>("validate", "validate($self)\n--\n\n"),
    method_def<method<B, IS_VALID, position_is_valid_bool>>("is_valid", "is_valid($self)\n--\n\n"),
    method_def<method<B, VALIDATE_ALL, validate_all_position>>("validate_all", "validate_all($self)\n--\n\n"),
};

}  // namespace

std::span<const PyMethodDef> board_position_state_methods() { return POSITION_STATE_METHODS; }

}  // namespace korvan::py
