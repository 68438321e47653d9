// Move and Move32, and the module function to_move.

#include "board/board.h"
#include "core/board/notation/move_text.h"
#include "values/move_classes.h"
#include "support/convert.h"

namespace korvan::py {

namespace {

// The USI move layout.
struct UsiLayout {
    static constexpr auto to_sq = move_to;
    static constexpr auto from_sq = move_from;
    static constexpr std::uint8_t move_type(std::uint32_t m) {
        const bool drop = korvan::is_drop(m);
        const bool promotion = korvan::is_promotion(m);
        return promotion && !drop ? 1 : drop && !promotion ? 2 : 0;
    }
    static constexpr auto is_drop = korvan::is_drop;
    static constexpr auto is_promotion = korvan::is_promotion;
    static constexpr auto dropped = dropped_type;
    static constexpr auto usi = move_display_usi;
    static constexpr auto is_normal = is_normal_move;
};

// Only a normal move is accepted: special words and fields off the board are not.
template <class C>
PyObject* move_from_usi_method(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    if (!str_arg(args[0], "usi", text)) return nullptr;
    const auto move = move_from_usi(text);
    if (!move || !is_normal_move(*move)) {
        PyErr_SetString(PyExc_ValueError, "invalid USI move");
        return nullptr;
    }
    return wrap<C>(*move);
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

template <class C>
constexpr Methods leading_methods = method_table<C,
    ClassMethod<"from_usi(usi)", move_from_usi_method<C>>,
    Method<"to_usi()", display_str<UsiLayout::usi, typename C::Value>>>;

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

template <class C>
constexpr Constant<C> SPECIAL_MOVES[] = {
    {"MOVE_NONE", MOVE_NONE}, {"MOVE_NULL", MOVE_NULL}, {"MOVE_RESIGN", MOVE_RESIGN},
    {"MOVE_WIN", MOVE_WIN},   {"MOVE_END", MOVE_END},
};

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

const ClassDefinition MoveClass::definition = define_move<MoveClass, UsiLayout>(
    leading_methods<MoveClass>, MOVE_METHODS, {}, add_constants<MoveClass, SPECIAL_MOVES<MoveClass>>);
const ClassDefinition Move32Class::definition = define_move<Move32Class, UsiLayout>(
    leading_methods<Move32Class>, MOVE32_METHODS, MOVE32_ATTRIBUTES, add_constants<Move32Class, SPECIAL_MOVES<Move32Class>>);

constexpr Methods MOVE_FUNCTIONS = function_table<Function<"to_move(move)", to_move>>;

}  // namespace korvan::py
