// AperyMove and AperyMove32.

#include "board/board.h"
#include "class_tags.h"
#include "support/convert.h"
#include "support/value_shape.h"
#include "core/types/apery.h"

namespace korvan::py {

namespace {

constexpr const char* VALUE[] = {"value"};
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
    return to_py_str(move_display_usi(apery_to_move(a)));
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

constexpr Signature NEW{"__new__", VALUE};
constexpr Signature FROM_USI{"from_usi", USI};
constexpr Signature TO_USI{"to_usi"};
constexpr Signature TO_MOVE{"to_move"};
constexpr Signature IS_DROP{"is_drop"};
constexpr Signature IS_PROMOTION{"is_promotion"};
constexpr Signature IS_NORMAL{"is_normal"};
constexpr Signature TO_APERY_MOVE{"to_apery_move"};
constexpr Signature IS_CAPTURE{"is_capture"};
constexpr const char* BOARD[] = {"board"};
constexpr Signature TO_MOVE32{"to_move32", BOARD};

// A move that is not normal keeps its 16-bit value with no piece; a normal one is
// widened on the board, which gives 0 when it does not fit the position.
PyObject* apery_to_move32(const std::uint32_t& apery, PyObject* const* args) {
    BoardArg board;
    if (!board.bind(args[0], "board")) return nullptr;
    const Move m = apery_to_move(apery);
    return wrap<Move32Class>(is_normal_move(m) ? position_move_to_move32(board.position(), m) : Move32{m});
}

template <class C, class V = typename C::Value>
constexpr std::array<PyMethodDef, 5> shared_methods() {
    return {{
        method_def<method<C, TO_USI, apery_to_usi<V>>>("to_usi", "to_usi($self)\n--\n\n"),
        method_def<method<C, TO_MOVE, apery_to_move_method<V>>>("to_move", "to_move($self)\n--\n\n"),
        method_def<method<C, IS_DROP, apery_is_drop_method<V>>>("is_drop", "is_drop($self)\n--\n\n"),
        method_def<method<C, IS_PROMOTION, apery_is_promotion_method<V>>>("is_promotion",
                                                                          "is_promotion($self)\n--\n\n"),
        method_def<method<C, IS_NORMAL, apery_is_normal<V>>>("is_normal", "is_normal($self)\n--\n\n"),
    }};
}

template <class C, class V = typename C::Value>
constexpr std::array<PyGetSetDef, 5> shared_getset() {
    return {{
        {"value", getter<C, apery_value<V>>, nullptr, nullptr, nullptr},
        {"to_sq", getter<C, apery_to_sq<V>>, nullptr, nullptr, nullptr},
        {"from_sq", getter<C, apery_from_sq<V>>, nullptr, nullptr, nullptr},
        {"move_type", getter<C, apery_move_type<V>>, nullptr, nullptr, nullptr},
        {"dropped_piece_type", getter<C, apery_dropped_piece_type<V>>, nullptr, nullptr, nullptr},
    }};
}

auto apery_methods = join(shared_methods<AperyMoveClass>(),
                          std::array{class_method_def<class_method<AperyMoveClass, FROM_USI, apery_from_usi>>(
                                         "from_usi", "from_usi($cls, usi)\n--\n\n"),
                                     METHODS_END});
auto apery_getset = join(shared_getset<AperyMoveClass>(), std::array{GETSET_END});

auto apery32_methods = join(
    shared_methods<AperyMove32Class>(),
    std::array{method_def<method<AperyMove32Class, TO_APERY_MOVE, apery_to_apery_move>>(
                   "to_apery_move", "to_apery_move($self)\n--\n\n"),
               method_def<method<AperyMove32Class, IS_CAPTURE, apery_is_capture>>("is_capture",
                                                                                "is_capture($self)\n--\n\n"),
               method_def<method<AperyMove32Class, TO_MOVE32, apery_to_move32>>("to_move32",
                                                                              "to_move32($self, board)\n--\n\n"),
               METHODS_END});
auto apery32_getset = join(
    shared_getset<AperyMove32Class>(),
    std::array{PyGetSetDef{"piece_type_before", getter<AperyMove32Class, apery_piece_type_before_getter>, nullptr,
                           nullptr, nullptr},
               PyGetSetDef{"piece_type_after", getter<AperyMove32Class, apery_piece_type_after_getter>, nullptr,
                           nullptr, nullptr},
               PyGetSetDef{"captured_piece_type", getter<AperyMove32Class, apery_captured_type_getter>, nullptr,
                           nullptr, nullptr},
               GETSET_END});

template <class C>
PyTypeObject* create_apery_like(const char* doc, PyMethodDef* methods, PyGetSetDef* getset) {
    ClassSpec spec = value_class_spec<C>(doc);
    spec.new_ = construct_new<C, NEW, apery_init<typename C::Value>>;
    spec.vectorcall = construct_vectorcall<C, NEW, apery_init<typename C::Value>>;
    spec.methods = methods;
    spec.getset = getset;
    spec.repr = slot<C, apery_repr<C>>;
    spec.str = slot<C, apery_to_usi<typename C::Value>>;
    PyTypeObject* type = build_class(spec);
    if (!type) return nullptr;
    C::type = type;
    return type;
}

}  // namespace

PyTypeObject* create_apery_move_class() {
    return create_apery_like<AperyMoveClass>("AperyMove(value)\n--\n\n", apery_methods.data(), apery_getset.data());
}

PyTypeObject* create_apery_move32_class() {
    return create_apery_like<AperyMove32Class>("AperyMove32(value)\n--\n\n", apery32_methods.data(),
                                               apery32_getset.data());
}

}  // namespace korvan::py
