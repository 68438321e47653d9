#pragma once
// What the byte-valued classes (Color, Square, PieceType, Piece) share: the constructor
// argument and the value attribute.

#include <cstdint>

#include "support/declarations.h"
#include "support/integers.h"

namespace korvan::py {

// The constructor's `value`: None (or nothing) gives `Default`; an int is read as a
// signed byte and must pass `Valid`, else ValueError with `Error`.
template <bool (*Valid)(std::uint8_t), Text Error, std::uint8_t Default = 0>
bool byte_init(PyObject* const* args, std::uint8_t& out) {
    out = Default;
    if (!args[0] || args[0] == Py_None) return true;
    if (!extract_signed_byte(args[0], "value", out)) return false;
    if (Valid(out)) return true;
    PyErr_SetString(PyExc_ValueError, Error.chars);
    return false;
}

inline PyObject* byte_value(const std::uint8_t& v) { return PyLong_FromLong(v); }

template <class C>
constexpr Attributes value_attribute = attribute_table<C, Attribute<"value", byte_value>>;

}  // namespace korvan::py
