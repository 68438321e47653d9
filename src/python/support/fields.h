#pragma once
// Attributes that show one member of the value as it is stored: the getter of
//
//     Attribute<"depth", member<&SbkEval::depth>>
//
// makes an int of an integer member, a str of a string (exact, as to_py_str), and None
// of an absent optional member. Members that need their own rule keep a getter of
// their own.

#include <concepts>
#include <optional>
#include <string>
#include <type_traits>

#include "support/convert.h"

namespace korvan::py {

template <std::integral T>
PyObject* field_object(T value) {
    if constexpr (std::is_signed_v<T>)
        return PyLong_FromLongLong(value);
    else
        return PyLong_FromUnsignedLongLong(value);
}

inline PyObject* field_object(const std::string& text) { return to_py_str(text); }

template <class T>
PyObject* field_object(const std::optional<T>& value) {
    if (!value) Py_RETURN_NONE;
    return field_object(*value);
}

namespace field_detail {
template <class S, class T>
S owner_of(T S::*);
}  // namespace field_detail

template <auto Member>
PyObject* member(const decltype(field_detail::owner_of(Member))& value) {
    return field_object(value.*Member);
}

}  // namespace korvan::py
