// AperyMove and AperyMove32.

#include "class_tags.h"
#include "support/convert.h"
#include "support/value_shape.h"
#include "types/apery.h"

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

constexpr Signature APERY_NEW{"AperyMove.__new__()", VALUE};
constexpr Signature APERY_FROM_USI{"AperyMove.from_usi()", USI};
constexpr Signature APERY_TO_USI{"AperyMove.to_usi()"};
constexpr Signature APERY_TO_MOVE{"AperyMove.to_move()"};
constexpr Signature APERY_IS_DROP{"AperyMove.is_drop()"};
constexpr Signature APERY_IS_PROMOTION{"AperyMove.is_promotion()"};
constexpr Signature APERY_IS_NORMAL{"AperyMove.is_normal()"};

using A16 = std::uint16_t;
using A32 = std::uint32_t;

PyMethodDef apery_methods[] = {
    class_method_def<class_method<AperyMoveClass, APERY_FROM_USI, apery_from_usi>>("from_usi",
                                                                                  "from_usi($cls, usi)\n--\n\n"),
    method_def<method<AperyMoveClass, APERY_TO_USI, apery_to_usi<A16>>>("to_usi", "to_usi($self)\n--\n\n"),
    method_def<method<AperyMoveClass, APERY_TO_MOVE, apery_to_move_method<A16>>>("to_move",
                                                                                 "to_move($self)\n--\n\n"),
    method_def<method<AperyMoveClass, APERY_IS_DROP, apery_is_drop_method<A16>>>("is_drop",
                                                                                 "is_drop($self)\n--\n\n"),
    method_def<method<AperyMoveClass, APERY_IS_PROMOTION, apery_is_promotion_method<A16>>>(
        "is_promotion", "is_promotion($self)\n--\n\n"),
    method_def<method<AperyMoveClass, APERY_IS_NORMAL, apery_is_normal<A16>>>("is_normal",
                                                                              "is_normal($self)\n--\n\n"),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef apery_getset[] = {
    {"value", getter<AperyMoveClass, apery_value<A16>>, nullptr, nullptr, nullptr},
    {"to_sq", getter<AperyMoveClass, apery_to_sq<A16>>, nullptr, nullptr, nullptr},
    {"from_sq", getter<AperyMoveClass, apery_from_sq<A16>>, nullptr, nullptr, nullptr},
    {"move_type", getter<AperyMoveClass, apery_move_type<A16>>, nullptr, nullptr, nullptr},
    {"dropped_piece_type", getter<AperyMoveClass, apery_dropped_piece_type<A16>>, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

constexpr Signature APERY32_NEW{"AperyMove32.__new__()", VALUE};
constexpr Signature APERY32_TO_USI{"AperyMove32.to_usi()"};
constexpr Signature APERY32_TO_MOVE{"AperyMove32.to_move()"};
constexpr Signature APERY32_IS_DROP{"AperyMove32.is_drop()"};
constexpr Signature APERY32_IS_PROMOTION{"AperyMove32.is_promotion()"};
constexpr Signature APERY32_IS_NORMAL{"AperyMove32.is_normal()"};
constexpr Signature APERY32_TO_APERY_MOVE{"AperyMove32.to_apery_move()"};
constexpr Signature APERY32_IS_CAPTURE{"AperyMove32.is_capture()"};

PyMethodDef apery32_methods[] = {
    method_def<method<AperyMove32Class, APERY32_TO_USI, apery_to_usi<A32>>>("to_usi", "to_usi($self)\n--\n\n"),
    method_def<method<AperyMove32Class, APERY32_TO_MOVE, apery_to_move_method<A32>>>("to_move",
                                                                                     "to_move($self)\n--\n\n"),
    method_def<method<AperyMove32Class, APERY32_IS_DROP, apery_is_drop_method<A32>>>("is_drop",
                                                                                     "is_drop($self)\n--\n\n"),
    method_def<method<AperyMove32Class, APERY32_IS_PROMOTION, apery_is_promotion_method<A32>>>(
        "is_promotion", "is_promotion($self)\n--\n\n"),
    method_def<method<AperyMove32Class, APERY32_IS_NORMAL, apery_is_normal<A32>>>("is_normal",
                                                                                  "is_normal($self)\n--\n\n"),
    method_def<method<AperyMove32Class, APERY32_TO_APERY_MOVE, apery_to_apery_move>>(
        "to_apery_move", "to_apery_move($self)\n--\n\n"),
    method_def<method<AperyMove32Class, APERY32_IS_CAPTURE, apery_is_capture>>("is_capture",
                                                                               "is_capture($self)\n--\n\n"),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef apery32_getset[] = {
    {"value", getter<AperyMove32Class, apery_value<A32>>, nullptr, nullptr, nullptr},
    {"to_sq", getter<AperyMove32Class, apery_to_sq<A32>>, nullptr, nullptr, nullptr},
    {"from_sq", getter<AperyMove32Class, apery_from_sq<A32>>, nullptr, nullptr, nullptr},
    {"move_type", getter<AperyMove32Class, apery_move_type<A32>>, nullptr, nullptr, nullptr},
    {"dropped_piece_type", getter<AperyMove32Class, apery_dropped_piece_type<A32>>, nullptr, nullptr, nullptr},
    {"piece_type_before", getter<AperyMove32Class, apery_piece_type_before_getter>, nullptr, nullptr, nullptr},
    {"piece_type_after", getter<AperyMove32Class, apery_piece_type_after_getter>, nullptr, nullptr, nullptr},
    {"captured_piece_type", getter<AperyMove32Class, apery_captured_type_getter>, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

template <class C, const Signature& New>
PyTypeObject* create_apery_like(const char* doc, PyMethodDef* methods, PyGetSetDef* getset) {
    ClassSpec spec = value_class_spec<C>(doc);
    spec.new_ = construct_new<C, New, apery_init<typename C::Value>>;
    spec.vectorcall = construct_vectorcall<C, New, apery_init<typename C::Value>>;
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
    return create_apery_like<AperyMoveClass, APERY_NEW>("AperyMove(value)\n--\n\n", apery_methods, apery_getset);
}

PyTypeObject* create_apery_move32_class() {
    return create_apery_like<AperyMove32Class, APERY32_NEW>("AperyMove32(value)\n--\n\n", apery32_methods,
                                                            apery32_getset);
}

}  // namespace korvan::py
