#pragma once
// What the four move classes share: the constructor, the value and field attributes,
// the predicates, str and repr (the USI text), comparison and hash. Move and Move32
// read their values in the USI move layout, AperyMove and AperyMove32 in Apery's; a
// layout is a struct of field readers over the low bits:
//     to_sq, from_sq, move_type, is_drop, is_promotion, dropped, usi, is_normal

#include "values/value_tags.h"
#include "support/integers.h"
#include "core/types/apery.h"

namespace korvan::py {

namespace move_fields {

template <class V>
bool init(PyObject* const* args, V& out) {
    return int_arg(args[0], "value", out);
}

template <class L, class V>
PyObject* to_sq(const V& m) {
    return wrap<SquareClass>(L::to_sq(m));
}
template <class L, class V>
PyObject* from_sq(const V& m) {
    return wrap<SquareClass>(L::from_sq(m));
}
template <class L, class V>
PyObject* move_type(const V& m) {
    return wrap<MoveTypeClass>(L::move_type(m));
}
template <class L, class V>
PyObject* dropped_piece_type(const V& m) {
    if (!L::is_drop(m)) Py_RETURN_NONE;
    return wrap<PieceTypeClass>(L::dropped(m));
}
template <bool (*Test)(std::uint32_t), class V>
PyObject* test(const V& m) {
    return PyBool_FromLong(Test(m));
}

template <class C, class L, class V = typename C::Value>
constexpr Methods predicates = method_table<C,
    Method<"is_drop()", test<L::is_drop, V>>,
    Method<"is_promotion()", test<L::is_promotion, V>>,
    Method<"is_normal()", test<L::is_normal, V>>>;

template <class C, class L, class V = typename C::Value>
constexpr Attributes attributes = attribute_table<C,
    Attribute<"value", raw_int<V>>,
    Attribute<"to_sq", to_sq<L, V>>,
    Attribute<"from_sq", from_sq<L, V>>,
    Attribute<"move_type", move_type<L, V>>,
    Attribute<"dropped_piece_type", dropped_piece_type<L, V>>>;

}  // namespace move_fields

// A move class: `leading` methods come first (from_usi and to_usi in the class's
// order), then the predicates and the class's own methods and attributes.
template <class C, class L>
constexpr ClassDefinition define_move(Methods leading, Methods own_methods, Attributes own_attributes,
                                      bool (*class_attributes)(PyTypeObject*) = nullptr) {
    return define_displayed<C, L::usi>({
        .constructor = constructor<C, "(value)", move_fields::init<typename C::Value>>,
        .methods = {leading, move_fields::predicates<C, L>, own_methods},
        .attributes = {move_fields::attributes<C, L>, own_attributes},
        .class_attributes = class_attributes,
    });
}

}  // namespace korvan::py
