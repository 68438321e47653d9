// Move and Move32, and the module function to_move.

#include "board/board.h"
#include "core/board/notation/move_text.h"
#include "values/value_tags.h"
#include "support/convert.h"
#include "support/value_shape.h"
#include "core/types/apery.h"

namespace korvan::py {

namespace {

template <class V>
bool move_init(PyObject* const* args, V& out) {
    if (extract_int(args[0], out)) return true;
    argument_error("value");
    return false;
}

// Only a normal move is accepted: special words and fields off the board are not.
bool parse_normal_usi(PyObject* const* args, Move& out) {
    std::string_view text;
    if (!extract_str(args[0], text)) {
        argument_error("usi");
        return false;
    }
    const auto move = move_from_usi(text);
    if (!move || !is_normal_move(*move)) {
        PyErr_SetString(PyExc_ValueError, "invalid USI move");
        return false;
    }
    out = *move;
    return true;
}

template <class C>
PyObject* move_from_usi_method(PyTypeObject*, PyObject* const* args) {
    Move m = 0;
    if (!parse_normal_usi(args, m)) return nullptr;
    return wrap<C>(m);
}

// Getters and methods common to both classes read the low 16 bits.
template <class V>
PyObject* move_value(const V& m) {
    return PyLong_FromUnsignedLong(m);
}
template <class V>
PyObject* move_to_sq(const V& m) {
    return wrap<SquareClass>(move_to(m));
}
template <class V>
PyObject* move_from_sq(const V& m) {
    return wrap<SquareClass>(move_from(m));
}
template <class V>
PyObject* move_move_type(const V& m) {
    const bool drop = is_drop(m);
    const bool promotion = is_promotion(m);
    return wrap<MoveTypeClass>(promotion && !drop ? 1 : drop && !promotion ? 2 : 0);
}
template <class V>
PyObject* move_dropped_piece_type(const V& m) {
    if (!is_drop(m)) Py_RETURN_NONE;
    return wrap<PieceTypeClass>(dropped_type(m));
}
template <class V>
PyObject* move_to_usi(const V& m) {
    return message_str(move_display_usi(m));
}
template <class V>
PyObject* move_is_drop(const V& m) {
    return PyBool_FromLong(is_drop(m));
}
template <class V>
PyObject* move_is_promotion(const V& m) {
    return PyBool_FromLong(is_promotion(m));
}
template <class V>
PyObject* move_is_normal(const V& m) {
    return PyBool_FromLong(is_normal_move(m));
}
template <class C>
PyObject* move_repr(const typename C::Value& m) {
    return PyUnicode_FromFormat("%s(%s)", C::name, move_display_usi(m).c_str());
}

PyObject* move_to_apery(const std::uint16_t& m) { return wrap<AperyMoveClass>(move_to_apery16(m)); }
PyObject* move32_to_move(const std::uint32_t& m) { return wrap<MoveClass>(move16(m)); }
PyObject* move32_piece_after_move(const std::uint32_t& m) { return wrap<PieceClass>(moved_piece_after(m)); }

PyObject* optional_text(const std::optional<std::string>& text) {
    if (!text) Py_RETURN_NONE;
    return to_py_str(*text);
}

// A Move is widened on the board first and must then name a real move there.
PyObject* move_ki2(const std::uint16_t& m, PyObject* const* args) {
    BoardArg board;
    if (!board.bind(args[0], "board")) return nullptr;
    const Move32 wide = position_move_to_move32(board.position(), m);
    if (!is_normal_move(wide)) {
        PyErr_SetString(PyExc_ValueError, "invalid move value");
        return nullptr;
    }
    return optional_text(move_to_ki2(wide, board.position()));
}

// A Move32 is written as it stands, piece field included.
PyObject* move32_ki2(const std::uint32_t& m, PyObject* const* args) {
    BoardArg board;
    if (!board.bind(args[0], "board")) return nullptr;
    return optional_text(move_to_ki2(m, board.position()));
}

PyObject* move32_csa(const std::uint32_t& m) { return optional_text(move_to_csa(m)); }

PyObject* move32_apery(const std::uint32_t& m, PyObject* const* args) {
    BoardArg board;
    if (!board.bind(args[0], "board")) return nullptr;
    return wrap<AperyMove32Class>(korvan::move_to_apery(board.position().board, m));
}

template <class C, class V = typename C::Value>
constexpr Methods shared_methods = method_table<C,
    ClassMethod<"from_usi(usi)", move_from_usi_method<C>>,
    Method<"to_usi()", move_to_usi<V>>,
    Method<"is_drop()", move_is_drop<V>>,
    Method<"is_promotion()", move_is_promotion<V>>,
    Method<"is_normal()", move_is_normal<V>>>;

template <class C, class V = typename C::Value>
constexpr Attributes shared_attributes = attribute_table<C,
    Attribute<"value", move_value<V>>,
    Attribute<"to_sq", move_to_sq<V>>,
    Attribute<"from_sq", move_from_sq<V>>,
    Attribute<"move_type", move_move_type<V>>,
    Attribute<"dropped_piece_type", move_dropped_piece_type<V>>>;

constexpr Methods MOVE_METHODS = method_table<MoveClass,
    Method<"to_ki2(board)", move_ki2>,
    Method<"to_apery()", move_to_apery>>;

constexpr Methods MOVE32_METHODS = method_table<Move32Class,
    Method<"to_ki2(board)", move32_ki2>,
    Method<"to_move()", move32_to_move>,
    Method<"to_csa()", move32_csa>,
    Method<"to_apery(board)", move32_apery>>;

constexpr Attributes MOVE32_ATTRIBUTES = attribute_table<Move32Class,
    Attribute<"piece_after_move", move32_piece_after_move>>;

constexpr const char* SPECIAL_NAMES[] = {"MOVE_NONE", "MOVE_NULL", "MOVE_RESIGN", "MOVE_WIN", "MOVE_END"};
constexpr Move SPECIAL_VALUES[] = {MOVE_NONE, MOVE_NULL, MOVE_RESIGN, MOVE_WIN, MOVE_END};

template <class C>
bool add_special_moves(PyTypeObject* type) {
    for (int i = 0; i < 5; ++i)
        if (!add_class_attribute(type, SPECIAL_NAMES[i], wrap<C>(SPECIAL_VALUES[i]))) return false;
    return true;
}

template <class C>
constexpr ClassBody move_class(Methods own_methods, Attributes own_attributes) {
    using V = typename C::Value;
    return {
        .constructor = constructor<C, "(value)", move_init<V>>,
        .methods = {shared_methods<C>, own_methods},
        .attributes = {shared_attributes<C>, own_attributes},
        .richcompare = richcompare<C>,
        .hash = hash_value<C>,
        .repr = slot<C, move_repr<C>>,
        .str = slot<C, move_to_usi<V>>,
        .to_int = slot<C, raw_int<V>>,
        .class_attributes = add_special_moves<C>,
    };
}

PyObject* to_move(PyObject* const* args) {
    PyObject* obj = args[0];
    bool raised = false;
    std::uint16_t m = 0;
    if (extract<MoveClass>(obj, m, raised)) return wrap<MoveClass>(m);
    if (raised) return nullptr;
    std::uint32_t wide = 0;
    if (extract<Move32Class>(obj, wide, raised)) return wrap<MoveClass>(move16(wide));
    if (raised) return nullptr;
    switch (extract_u16_int(obj, "move", m)) {
        case U16::Ok: return wrap<MoveClass>(m);
        case U16::Failed: return nullptr;
        case U16::NotInt: break;
    }
    PyErr_SetString(PyExc_TypeError, "to_move() expects Move, Move32, or int");
    return nullptr;
}

}  // namespace

const ClassDefinition MoveClass::definition = define<MoveClass>(move_class<MoveClass>(MOVE_METHODS, {}));
const ClassDefinition Move32Class::definition =
    define<Move32Class>(move_class<Move32Class>(MOVE32_METHODS, MOVE32_ATTRIBUTES));

constexpr Methods MOVE_FUNCTIONS = function_table<Function<"to_move(move)", to_move>>;

}  // namespace korvan::py
