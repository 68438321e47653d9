#include "support/sequences.h"

#include <algorithm>

#include "support/errors.h"
#include "support/integers.h"

namespace korvan::py {

namespace {

// collections.abc.Sequence, looked up once and kept.
PyObject* abc_sequence() {
    static PyObject* type = [] {
        Ref module(PyImport_ImportModule("collections.abc"));
        return module ? PyObject_GetAttrString(module.get(), "Sequence") : nullptr;
    }();
    return type;
}

}  // namespace

bool check_sequence(PyObject* obj) {
    if (PyUnicode_Check(obj)) {
        PyErr_SetString(PyExc_TypeError, "Can't extract `str` to `Vec`");
        return false;
    }
    if (PySequence_Check(obj)) return true;
    PyObject* sequence = abc_sequence();
    if (!sequence) return false;
    const int is = PyObject_IsInstance(obj, sequence);
    if (is < 0) return false;
    if (is == 0) {
        wrong_class(obj, "Sequence");
        return false;
    }
    return true;
}

std::size_t length_hint(PyObject* obj) {
    const Py_ssize_t n = PyObject_Size(obj);
    if (n < 0) {
        PyErr_Clear();
        return 0;
    }
    // Only a hint: an object may report any length, and the list grows as items come.
    constexpr std::size_t limit = 1 << 16;
    return std::min(static_cast<std::size_t>(n), limit);
}

bool extract_byte_list(PyObject* obj, std::vector<std::uint8_t>& out) {
    out.clear();
    if (PyBytes_Check(obj)) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(PyBytes_AS_STRING(obj));
        out.assign(data, data + PyBytes_GET_SIZE(obj));
        return true;
    }
    if (PyByteArray_Check(obj)) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(PyByteArray_AS_STRING(obj));
        out.assign(data, data + PyByteArray_GET_SIZE(obj));
        return true;
    }
    if (!check_sequence(obj)) return false;
    out.reserve(length_hint(obj));
    return for_each_sequence_item(obj, [&](PyObject* item) {
        std::uint8_t byte = 0;
        if (!extract_int(item, byte)) return false;
        out.push_back(byte);
        return true;
    });
}

}  // namespace korvan::py
