#pragma once
// The definition most classes need, in one line: a class doc or a constructor, the
// attribute table, the method table, and the repr and len() slots when the class has
// them. Classes with comparisons, hashes, str or class attributes spell out their
// ClassBody instead.
//
//     const ClassDefinition SbkMoveClass::definition =
//         simple_class<SbkMoveClass, move_repr>("A candidate move of an SBK state.", MOVE_GETSET);

#include <type_traits>

#include "support/class_definition.h"

namespace korvan::py {

namespace simple_class_detail {

template <class C, auto Repr, auto Length>
constexpr ClassDefinition define_simple(ClassBody body, Attributes attributes, Methods methods) {
    body.methods[0] = methods;
    body.attributes[0] = attributes;
    // Told apart by type: comparing a function's address with null is not a constant
    // expression in every build (the sanitizers' build refuses it).
    if constexpr (!std::is_null_pointer_v<decltype(Repr)>) body.repr = slot<C, Repr>;
    if constexpr (!std::is_null_pointer_v<decltype(Length)>) body.length = length<C, Length>;
    return define<C>(body);
}

}  // namespace simple_class_detail

// A class Python cannot instantiate; `doc` is its class doc.
template <class C, auto Repr = nullptr, auto Length = nullptr>
constexpr ClassDefinition simple_class(const char* doc, Attributes attributes, Methods methods = {}) {
    return simple_class_detail::define_simple<C, Repr, Length>({.doc = doc}, attributes, methods);
}

// A class made by calling it; the constructor's text signature and doc are the class doc.
template <class C, auto Repr = nullptr, auto Length = nullptr>
constexpr ClassDefinition simple_class(const Constructor& constructor, Attributes attributes,
                                       Methods methods = {}) {
    return simple_class_detail::define_simple<C, Repr, Length>({.constructor = constructor}, attributes, methods);
}

}  // namespace korvan::py
