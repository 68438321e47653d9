#include "support/integers.h"

#include <string_view>

namespace korvan::py {

namespace {

// A signed decimal number of at most 128 bits: an optional sign, then digits only.
bool parse_i128(std::string_view text, __int128& out) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    // Accumulate toward the negative side, whose range is one larger.
    constexpr __int128 MIN = static_cast<__int128>(static_cast<unsigned __int128>(1) << 127);
    __int128 value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        const int digit = c - '0';
        if (value < (MIN + digit) / 10) return false;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == MIN) return false;
        value = -value;
    }
    out = value;
    return true;
}

}  // namespace

U16 extract_u16_int(PyObject* obj, const char* name, std::uint16_t& out) {
    if (!PyLong_Check(obj)) return U16::NotInt;
    if (PyLong_CheckExact(obj)) {
        int overflow = 0;
        const long long v = PyLong_AsLongLongAndOverflow(obj, &overflow);
        if (!overflow) {
            if (v < 0 || v > 0xFFFF) {
                PyErr_Format(PyExc_ValueError, "%s must fit in uint16 range", name);
                return U16::Failed;
            }
            out = static_cast<std::uint16_t>(v);
            return U16::Ok;
        }
    }
    Ref text(PyObject_Str(obj));
    if (!text) return U16::Failed;
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(text.get(), &size);
    if (!utf8) return U16::Failed;
    __int128 value = 0;
    if (!parse_i128(std::string_view(utf8, static_cast<std::size_t>(size)), value)) {
        PyErr_Format(PyExc_ValueError, "%s must be an integer fitting in uint16 range", name);
        return U16::Failed;
    }
    if (value < 0 || value > 0xFFFF) {
        PyErr_Format(PyExc_ValueError, "%s must fit in uint16 range", name);
        return U16::Failed;
    }
    out = static_cast<std::uint16_t>(value);
    return U16::Ok;
}

}  // namespace korvan::py
