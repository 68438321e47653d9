// AperyMove and AperyMove32.

#include "board/board.h"
#include "values/move_classes.h"
#include "support/convert.h"

namespace korvan::py {

namespace {

// Apery's layout: no drop flag, a drop's source field is 80 + the piece type, and the
// promotion flag sits in bit 14.
struct AperyLayout {
    static constexpr Square to_sq(std::uint32_t a) { return static_cast<Square>(a & 0x7F); }
    static constexpr Square from_sq(std::uint32_t a) {
        return apery_is_drop(a) ? SQ_NONE : static_cast<Square>(apery_from_field(a));
    }
    static constexpr std::uint8_t move_type(std::uint32_t a) { return apery_is_drop(a) ? 2 : apery_is_promotion(a) ? 1 : 0; }
    static constexpr auto is_drop = apery_is_drop;
    static constexpr auto is_promotion = apery_is_promotion;
    static constexpr std::uint8_t dropped(std::uint32_t a) {
        return static_cast<std::uint8_t>(apery_from_field(a) - APERY_DROP_BASE);
    }
    static std::string usi(std::uint32_t a) { return move_display_usi(apery_to_move(a)); }
    static constexpr bool is_normal(std::uint32_t a) { return is_normal_move(apery_to_move(a)); }
};

PyObject* apery_from_usi(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    if (!str_arg(args[0], "usi", text)) return nullptr;
    const auto move = move_from_usi(text);
    if (!move) {
        PyErr_SetString(PyExc_ValueError, "invalid USI move");
        return nullptr;
    }
    return wrap<AperyMoveClass>(move_to_apery16(*move));
}

template <class V>
PyObject* apery_to_move_method(const V& a) {
    return wrap<MoveClass>(apery_to_move(a));
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
constexpr Methods leading_methods = method_table<C,
    Method<"to_usi()", display_str<AperyLayout::usi, V>>,
    Method<"to_move()", apery_to_move_method<V>>>;

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

}  // namespace

const ClassDefinition AperyMoveClass::definition =
    define_move<AperyMoveClass, AperyLayout>(leading_methods<AperyMoveClass>, APERY_METHODS, {});
const ClassDefinition AperyMove32Class::definition =
    define_move<AperyMove32Class, AperyLayout>(leading_methods<AperyMove32Class>, APERY32_METHODS, APERY32_ATTRIBUTES);

}  // namespace korvan::py
