#pragma once
// Single arguments converted to C++ values by hand: each returns false with an
// exception set, a TypeError raised again under the argument's name ("argument 'name':
// ..."); any other exception passes unchanged.

#include <string>
#include <string_view>

#include "support/convert.h"
#include "support/integers.h"

namespace korvan::py {

// The tail of every such conversion: `converted` as it is, the exception named for the
// argument when it is false.
inline bool named_arg(bool converted, const char* name) {
    if (!converted) argument_error(name);
    return converted;
}

// A str (or subclass); the view lives as long as the object.
inline bool str_arg(PyObject* obj, const char* name, std::string_view& out) {
    return named_arg(extract_str(obj, out), name);
}

inline bool str_arg(PyObject* obj, const char* name, std::string& out) {
    std::string_view text;
    if (!str_arg(obj, name, text)) return false;
    out.assign(text);
    return true;
}

// An int in the range of T, through the index protocol.
template <class T>
bool int_arg(PyObject* obj, const char* name, T& out) {
    return named_arg(extract_int(obj, out), name);
}

}  // namespace korvan::py
