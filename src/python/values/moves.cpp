// Move and Move32, and the module function to_move.

#include "board/board.h"
#include "core/board/notation/move_text.h"
#include "class_tags.h"
#include "module_parts.h"
#include "support/convert.h"
#include "support/value_shape.h"
#include "core/types/apery.h"

namespace korvan::py {

namespace {

constexpr const char* VALUE[] = {"value"};
constexpr const char* USI[] = {"usi"};
constexpr const char* MOVE[] = {"move"};

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
    return to_py_str(move_display_usi(m));
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

constexpr const char* BOARD[] = {"board"};

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

constexpr Signature NEW{"__new__", VALUE};
constexpr Signature TO_KI2{"to_ki2", BOARD};
constexpr Signature TO_CSA{"to_csa"};
constexpr Signature TO_APERY32{"to_apery", BOARD};
constexpr Signature FROM_USI{"from_usi", USI};
constexpr Signature TO_USI{"to_usi"};
constexpr Signature IS_DROP{"is_drop"};
constexpr Signature IS_PROMOTION{"is_promotion"};
constexpr Signature IS_NORMAL{"is_normal"};
constexpr Signature TO_APERY{"to_apery"};
constexpr Signature TO_MOVE{"to_move"};

template <class C, class V = typename C::Value>
constexpr std::array<PyMethodDef, 5> shared_methods() {
    return {{
        class_method_def<class_method<C, FROM_USI, move_from_usi_method<C>>>("from_usi", "from_usi($cls, usi)\n--\n\n"),
        method_def<method<C, TO_USI, move_to_usi<V>>>("to_usi", "to_usi($self)\n--\n\n"),
        method_def<method<C, IS_DROP, move_is_drop<V>>>("is_drop", "is_drop($self)\n--\n\n"),
        method_def<method<C, IS_PROMOTION, move_is_promotion<V>>>("is_promotion", "is_promotion($self)\n--\n\n"),
        method_def<method<C, IS_NORMAL, move_is_normal<V>>>("is_normal", "is_normal($self)\n--\n\n"),
    }};
}

template <class C, class V = typename C::Value>
constexpr std::array<PyGetSetDef, 5> shared_getset() {
    return {{
        {"value", getter<C, move_value<V>>, nullptr, nullptr, nullptr},
        {"to_sq", getter<C, move_to_sq<V>>, nullptr, nullptr, nullptr},
        {"from_sq", getter<C, move_from_sq<V>>, nullptr, nullptr, nullptr},
        {"move_type", getter<C, move_move_type<V>>, nullptr, nullptr, nullptr},
        {"dropped_piece_type", getter<C, move_dropped_piece_type<V>>, nullptr, nullptr, nullptr},
    }};
}

auto move_methods = join(shared_methods<MoveClass>(),
                         std::array{method_def<method<MoveClass, TO_KI2, move_ki2>>("to_ki2",
                                                                                   "to_ki2($self, board)\n--\n\n"),
                                    method_def<method<MoveClass, TO_APERY, move_to_apery>>(
                                        "to_apery", "to_apery($self)\n--\n\n"),
                                    METHODS_END});
auto move_getset = join(shared_getset<MoveClass>(), std::array{GETSET_END});

auto move32_methods = join(shared_methods<Move32Class>(),
                           std::array{method_def<method<Move32Class, TO_KI2, move32_ki2>>(
                                          "to_ki2", "to_ki2($self, board)\n--\n\n"),
                                      method_def<method<Move32Class, TO_MOVE, move32_to_move>>(
                                          "to_move", "to_move($self)\n--\n\n"),
                                      method_def<method<Move32Class, TO_CSA, move32_csa>>("to_csa",
                                                                                         "to_csa($self)\n--\n\n"),
                                      method_def<method<Move32Class, TO_APERY32, move32_apery>>(
                                          "to_apery", "to_apery($self, board)\n--\n\n"),
                                      METHODS_END});
auto move32_getset = join(shared_getset<Move32Class>(),
                          std::array{PyGetSetDef{"piece_after_move", getter<Move32Class, move32_piece_after_move>,
                                                 nullptr, nullptr, nullptr},
                                     GETSET_END});

constexpr const char* SPECIAL_NAMES[] = {"MOVE_NONE", "MOVE_NULL", "MOVE_RESIGN", "MOVE_WIN", "MOVE_END"};
constexpr Move SPECIAL_VALUES[] = {MOVE_NONE, MOVE_NULL, MOVE_RESIGN, MOVE_WIN, MOVE_END};

template <class C>
PyTypeObject* create_move_like(const char* doc, PyMethodDef* methods, PyGetSetDef* getset) {
    ClassSpec spec = value_class_spec<C>(doc);
    spec.new_ = construct_new<C, NEW, move_init<typename C::Value>>;
    spec.vectorcall = construct_vectorcall<C, NEW, move_init<typename C::Value>>;
    spec.methods = methods;
    spec.getset = getset;
    spec.repr = slot<C, move_repr<C>>;
    spec.str = slot<C, move_to_usi<typename C::Value>>;
    PyTypeObject* type = build_class(spec);
    if (!type) return nullptr;
    C::type = type;
    for (int i = 0; i < 5; ++i)
        if (!add_class_attribute(type, SPECIAL_NAMES[i], wrap<C>(SPECIAL_VALUES[i]))) return nullptr;
    return type;
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

constexpr Signature TO_MOVE_FUNCTION{"to_move", MOVE};

}  // namespace

PyTypeObject* create_move_class() {
    return create_move_like<MoveClass>("Move(value)\n--\n\n", move_methods.data(), move_getset.data());
}

PyTypeObject* create_move32_class() {
    return create_move_like<Move32Class>("Move32(value)\n--\n\n", move32_methods.data(), move32_getset.data());
}

PyMethodDef TO_MOVE_DEF = method_def<function<TO_MOVE_FUNCTION, to_move>>("to_move", "to_move(move)\n--\n\n");

}  // namespace korvan::py
