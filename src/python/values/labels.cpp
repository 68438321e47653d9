// Policy move labels: the five module functions and the two table lists.

#include "values/value_tags.h"
#include "core/labels/policy.h"
#include "support/convert.h"

namespace korvan::py {

namespace {

// The turn is read before the move, and must be a Color: an int is refused.
bool move_and_turn(PyObject* const* args, Move& move, Color& turn) {
    std::uint8_t color = 0;
    if (!extract_arg<ColorClass>(args[1], "turn", color)) return false;
    if (!extract_move_arg(args[0], move)) return false;
    turn = Color(color);
    return true;
}

PyObject* move_label(PyObject* const* args) {
    Move move = 0;
    Color turn = BLACK;
    if (!move_and_turn(args, move, turn)) return nullptr;
    const auto label = move_to_policy_label(move, turn);
    if (!label) {
        PyErr_SetString(PyExc_ValueError, "move cannot be encoded as a policy label");
        return nullptr;
    }
    return PyLong_FromLong(*label);
}

PyObject* optional_int(std::optional<std::uint16_t> v) {
    if (!v) Py_RETURN_NONE;
    return PyLong_FromLong(*v);
}

PyObject* compact_move_label(PyObject* const* args) {
    Move move = 0;
    Color turn = BLACK;
    if (!move_and_turn(args, move, turn)) return nullptr;
    const auto label = move_to_policy_label(move, turn);
    return optional_int(label ? compact_of_label(*label) : std::nullopt);
}

// A label argument: an int 0..65535, then below `bound`.
bool label_arg(PyObject* obj, unsigned bound, const char* range_error, std::uint16_t& out) {
    if (!int_arg(obj, "label", out)) return false;
    if (out >= bound) {
        raise_value_error(range_error);
        return false;
    }
    return true;
}

constexpr const char* LABEL_RANGE = "move label must be in 0..2187";

PyObject* move_label_to_compact(PyObject* const* args) {
    std::uint16_t label = 0;
    if (!label_arg(args[0], MOVE_LABEL_NB, LABEL_RANGE, label)) return nullptr;
    return optional_int(compact_of_label(label));
}

PyObject* compact_move_label_to_move_label(PyObject* const* args) {
    std::uint16_t compact = 0;
    if (!label_arg(args[0], COMPACT_MOVE_LABEL_NB, "compact move label must be in 0..1496", compact)) return nullptr;
    return PyLong_FromLong(label_of_compact(compact));
}

PyObject* is_structurally_valid_move_label(PyObject* const* args) {
    std::uint16_t label = 0;
    if (!label_arg(args[0], MOVE_LABEL_NB, LABEL_RANGE, label)) return nullptr;
    return PyBool_FromLong(label_is_valid(label));
}

}  // namespace

constexpr Methods LABEL_FUNCTIONS = function_table<
    Function<"move_label(move, turn)", move_label>,
    Function<"compact_move_label(move, turn)", compact_move_label>,
    Function<"move_label_to_compact(label)", move_label_to_compact>,
    Function<"compact_move_label_to_move_label(label)", compact_move_label_to_move_label>,
    Function<"is_structurally_valid_move_label(label)", is_structurally_valid_move_label>>;

namespace {

// A new list of `Item(i)` for i in 0..Count-1.
template <int Count, PyObject* (*Item)(int)>
PyObject* table_list() {
    Ref list(PyList_New(Count));
    if (!list) return nullptr;
    for (int i = 0; i < Count; ++i) {
        PyObject* item = Item(i);
        if (!item) return nullptr;
        PyList_SET_ITEM(list.get(), i, item);
    }
    return list.release();
}

PyObject* compact_of(int label) { return optional_int(compact_of_label(label)); }
PyObject* label_of(int compact) { return PyLong_FromLong(label_of_compact(compact)); }

}  // namespace

PyObject* move_label_to_compact_list() { return table_list<MOVE_LABEL_NB, compact_of>(); }
PyObject* compact_to_move_label_list() { return table_list<COMPACT_MOVE_LABEL_NB, label_of>(); }

}  // namespace korvan::py
