// AperyMove and AperyMove32.

#include "board/board.h"
#include "values/value_tags.h"
#include "support/convert.h"
#include "support/value_shape.h"
#include "core/types/apery.h"

namespace korvan::py {

namespace {

constexpr const char* USI[] = {"usi"};

template <class V>
bool apery_init(PyObject* const* args, V& out) {
    if (extract_int(args[0], out)) return true;
    argument_error("value");
    return false;
}

PyObject* apery_from_usi(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    if (!extract_str(args[0], text)) {
        argument_error("usi");
        return nullptr;
    }
    const auto move = move_from_usi(text);
    if (!move) {
        PyErr_SetString(PyExc_ValueError, "invalid USI move");
        return nullptr;
    }
    return wrap<AperyMoveClass>(move_to_apery16(*move));
}

template <class V>
PyObject* apery_value(const V& a) {
    return PyLong_FromUnsignedLong(a);
}
template <class V>
PyObject* apery_to_sq(const V& a) {
    return wrap<SquareClass>(static_cast<Square>(a & 0x7F));
}
template <class V>
PyObject* apery_from_sq(const V& a) {
    return wrap<SquareClass>(apery_is_drop(a) ? SQ_NONE : static_cast<Square>(apery_from_field(a)));
}
template <class V>
PyObject* apery_move_type(const V& a) {
    return wrap<MoveTypeClass>(apery_is_drop(a) ? 2 : apery_is_promotion(a) ? 1 : 0);
}
template <class V>
PyObject* apery_dropped_piece_type(const V& a) {
    if (!apery_is_drop(a)) Py_RETURN_NONE;
    return wrap<PieceTypeClass>(static_cast<std::uint8_t>(apery_from_field(a) - APERY_DROP_BASE));
}
template <class V>
PyObject* apery_to_usi(const V& a) {
    return message_str(move_display_usi(apery_to_move(a)));
}
template <class V>
PyObject* apery_to_move_method(const V& a) {
    return wrap<MoveClass>(apery_to_move(a));
}
template <class V>
PyObject* apery_is_drop_method(const V& a) {
    return PyBool_FromLong(apery_is_drop(a));
}
template <class V>
PyObject* apery_is_promotion_method(const V& a) {
    return PyBool_FromLong(apery_is_promotion(a));
}
template <class V>
PyObject* apery_is_normal(const V& a) {
    return PyBool_FromLong(is_normal_move(apery_to_move(a)));
}
template <class C>
PyObject* apery_repr(const typename C::Value& a) {
    return PyUnicode_FromFormat("%s(%s)", C::name, move_display_usi(apery_to_move(a)).c_str());
}

PyObject* apery_piece_type_before_getter(const std::uint32_t& a) {
    return wrap<PieceTypeClass>(apery_piece_type_before(a));
}
PyObject* apery_piece_type_after_getter(const std::uint32_t& a) {
    return wrap<PieceTypeClass>(apery_piece_type_after(a));
}
PyObject* apery_captured_type_getter(const std::uint32_t& a) { return wrap<PieceTypeClass>(apery_captured_type(a)); }
PyObject* apery_to_apery_move(const std::uint32_t& a) { return wrap<AperyMoveClass>(static_cast<AperyMove>(a)); }
PyObject* apery_is_capture(const std::uint32_t& a) { return PyBool_FromLong(apery_captured_type(a) != 0); }

// A move that is not normal keeps its 16-bit value with no piece; a normal one is
// widened on the board, which gives 0 when it does not fit the position.
PyObject* apery_to_move32(const std::uint32_t& apery, PyObject* const* args) {
    BoardArg board;
    if (!board.bind(args[0], "board")) return nullptr;
    const Move m = apery_to_move(apery);
    return wrap<Move32Class>(is_normal_move(m) ? position_move_to_move32(board.position(), m) : Move32{m});
}

template <class C, class V = typename C::Value>
constexpr Methods shared_methods = method_table<C,
    Method<"to_usi()", apery_to_usi<V>>,
    Method<"to_move()", apery_to_move_method<V>>,
    Method<"is_drop()", apery_is_drop_method<V>>,
    Method<"is_promotion()", apery_is_promotion_method<V>>,
    Method<"is_normal()", apery_is_normal<V>>>;

template <class C, class V = typename C::Value>
constexpr Attributes shared_attributes = attribute_table<C,
    Attribute<"value", apery_value<V>>,
    Attribute<"to_sq", apery_to_sq<V>>,
    Attribute<"from_sq", apery_from_sq<V>>,
    Attribute<"move_type", apery_move_type<V>>,
    Attribute<"dropped_piece_type", apery_dropped_piece_type<V>>>;

constexpr Methods APERY_METHODS = method_table<AperyMoveClass,
    ClassMethod<"from_usi(usi)", apery_from_usi>>;

constexpr Methods APERY32_METHODS = method_table<AperyMove32Class,
    Method<"to_apery_move()", apery_to_apery_move>,
    Method<"is_capture()", apery_is_capture>,
    Method<"to_move32(board)", apery_to_move32>>;

constexpr Attributes APERY32_ATTRIBUTES = attribute_table<AperyMove32Class,
    Attribute<"piece_type_before", apery_piece_type_before_getter>,
    Attribute<"piece_type_after", apery_piece_type_after_getter>,
    Attribute<"captured_piece_type", apery_captured_type_getter>>;

template <class C>
constexpr ClassBody apery_class(Methods own_methods, Attributes own_attributes) {
    using V = typename C::Value;
    return {
        .constructor = constructor<C, "(value)", apery_init<V>>,
        .methods = {shared_methods<C>, own_methods},
        .attributes = {shared_attributes<C>, own_attributes},
        .richcompare = richcompare<C>,
        .hash = hash_value<C>,
        .repr = slot<C, apery_repr<C>>,
        .str = slot<C, apery_to_usi<V>>,
        .to_int = slot<C, raw_int<V>>,
    };
}

}  // namespace

const ClassDefinition AperyMoveClass::definition =
    define<AperyMoveClass>(apery_class<AperyMoveClass>(APERY_METHODS, {}));
const ClassDefinition AperyMove32Class::definition =
    define<AperyMove32Class>(apery_class<AperyMove32Class>(APERY32_METHODS, APERY32_ATTRIBUTES));

}  // namespace korvan::py
