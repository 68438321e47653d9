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

// `str_arg` for a view (support/convert.h) and `int_arg` (support/integers.h) are the
// common cases; a str copied out is this one.
inline bool str_arg(PyObject* obj, const char* name, std::string& out) {
    std::string_view text;
    if (!str_arg(obj, name, text)) return false;
    out.assign(text);
    return true;
}

}  // namespace korvan::py
