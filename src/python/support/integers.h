#pragma once
// Integer arguments. Anything the interpreter turns into an int through its index
// protocol is accepted (numpy integer scalars, bool). A value outside the field fails
// with "out of range integral type conversion attempted"; for the 64-bit fields one
// that the interpreter's long long or unsigned long long cannot hold keeps the
// interpreter's text.

#include <cstdint>
#include <limits>
#include <type_traits>

#include "support/args.h"
#include "support/errors.h"
#include "support/ref.h"

namespace korvan::py {

// The object as an int through the index protocol: `obj` itself when it is one, else
// the index result, kept alive by `holder`. Null with an exception set on failure.
inline PyObject* as_index(PyObject* obj, Ref& holder) {
    if (PyLong_Check(obj)) return obj;
    holder = Ref(PyNumber_Index(obj));
    return holder.get();
}

template <class T>
bool extract_int(PyObject* obj, T& out) {
    Ref holder;
    PyObject* number = as_index(obj, holder);
    if (!number) return false;
    if constexpr (std::is_same_v<T, std::uint64_t>) {
        const unsigned long long v = PyLong_AsUnsignedLongLong(number);
        if (v == static_cast<unsigned long long>(-1) && PyErr_Occurred()) return false;
        out = v;
        return true;
    } else if constexpr (std::is_same_v<T, std::int64_t>) {
        const long long v = PyLong_AsLongLong(number);
        if (v == -1 && PyErr_Occurred()) return false;
        out = v;
        return true;
    } else {
        static_assert(sizeof(T) < sizeof(long));
        // Every integer outside the field, however large, fails with the one text.
        int overflow = 0;
        const long v = PyLong_AsLongAndOverflow(number, &overflow);
        if (v == -1 && PyErr_Occurred()) return false;
        if (overflow || v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) {
            integer_out_of_range();
            return false;
        }
        out = static_cast<T>(v);
        return true;
    }
}

// An int parameter: extract_int with a failure under the argument's name.
template <class T>
bool int_arg(PyObject* obj, const char* name, T& out) {
    if (extract_int(obj, out)) return true;
    argument_error(name);
    return false;
}

// A parameter converted as a signed byte (-128..127) and then read unsigned, so a
// negative number becomes 128..255. A failure carries the argument's name.
inline bool extract_signed_byte(PyObject* obj, const char* name, std::uint8_t& out) {
    std::int8_t v = 0;
    if (!int_arg(obj, name, v)) return false;
    out = static_cast<std::uint8_t>(v);
    return true;
}

// A 16-bit value read from an int argument by its decimal text (so an int subclass
// is read as it prints, and a bool, printing "True", is refused).
enum class U16 { NotInt, Ok, Failed };
U16 extract_u16_int(PyObject* obj, const char* name, std::uint16_t& out);

}  // namespace korvan::py
