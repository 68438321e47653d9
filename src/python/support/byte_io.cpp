#include "support/byte_io.h"

#include <bit>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace korvan::py {

namespace {

// numpy's array class, recognised by name so that numpy is never imported here, and
// remembered once seen.
bool is_exact_ndarray(PyObject* obj) {
    static PyTypeObject* ndarray = nullptr;
    PyTypeObject* type = Py_TYPE(obj);
    if (type == ndarray) return true;
    if (ndarray || std::strcmp(type->tp_name, "numpy.ndarray") != 0) return false;
    ndarray = type;
    return true;
}

class Buffer {
public:
    Buffer(PyObject* obj, int flags) {
        if (PyObject_GetBuffer(obj, &view_, flags) == 0)
            held_ = true;
        else
            PyErr_Clear();
    }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    ~Buffer() {
        if (held_) PyBuffer_Release(&view_);
    }
    explicit operator bool() const { return held_; }
    const Py_buffer* operator->() const { return &view_; }
    std::string_view format() const { return view_.format ? view_.format : "B"; }
    // A one-dimensional buffer of unsigned bytes.
    bool is_bytes() const { return held_ && view_.ndim == 1 && view_.itemsize == 1 && format() == "B"; }
    std::uint8_t* item(Py_ssize_t i) const {
        return static_cast<std::uint8_t*>(view_.buf) + i * (view_.strides ? view_.strides[0] : 1);
    }

private:
    Py_buffer view_{};
    bool held_ = false;
};

bool may_copy(PyObject* obj) { return PyByteArray_CheckExact(obj) || is_exact_ndarray(obj); }

}  // namespace

PyObject* interned(const char* text) {
    // A handful of field names, each made once and kept for the life of the process.
    static std::vector<std::pair<const char*, PyObject*>> cache;
    for (const auto& [name, key] : cache)
        if (name == text || std::strcmp(name, text) == 0) return key;
    PyObject* key = PyUnicode_InternFromString(text);
    if (key) cache.emplace_back(text, key);
    return key;
}

bool assign_items(PyObject* out, const std::uint8_t* bytes, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        Ref index(PyLong_FromSize_t(i));
        Ref value(PyLong_FromLong(bytes[i]));
        if (!index || !value || PyObject_SetItem(out, index.get(), value.get()) < 0) return false;
    }
    return true;
}

bool copy_into_bytes(PyObject* out, const std::uint8_t* bytes, std::size_t n) {
    if (!may_copy(out)) return false;
    Buffer view(out, PyBUF_WRITABLE | PyBUF_FORMAT | PyBUF_STRIDES);
    if (!view.is_bytes() || view->shape[0] != static_cast<Py_ssize_t>(n)) return false;
    for (std::size_t i = 0; i < n; ++i) *view.item(static_cast<Py_ssize_t>(i)) = bytes[i];
    return true;
}

bool copy_into_first_record(PyObject* out, const char* format, const std::uint8_t* bytes, std::size_t n,
                            std::size_t flat_length) {
    // The record fields are little-endian; numpy's native ones match only there.
    if constexpr (std::endian::native != std::endian::little) return false;
    if (!is_exact_ndarray(out)) return false;
    Buffer view(out, PyBUF_WRITABLE | PyBUF_FORMAT | PyBUF_STRIDES);
    if (!view || view->ndim != 1 || view->itemsize != static_cast<Py_ssize_t>(n) || view.format() != format)
        return false;
    const Py_ssize_t length = view->shape[0];
    if (length == 0 || length == static_cast<Py_ssize_t>(flat_length)) return false;
    std::memcpy(view->buf, bytes, n);
    return true;
}

bool read_byte_sequence(PyObject* obj, std::uint8_t* out, std::size_t capacity, std::size_t& length) {
    auto take = [&](const char* data, std::size_t size) {
        length = size;
        if (size == capacity) std::memcpy(out, data, size);
        return true;
    };
    if (PyBytes_Check(obj)) return take(PyBytes_AS_STRING(obj), static_cast<std::size_t>(PyBytes_GET_SIZE(obj)));
    if (PyByteArray_Check(obj))
        return take(PyByteArray_AS_STRING(obj), static_cast<std::size_t>(PyByteArray_GET_SIZE(obj)));
    if (is_exact_ndarray(obj)) {
        // Every item of an unsigned byte array is an int 0..255.
        Buffer view(obj, PyBUF_FORMAT | PyBUF_STRIDES);
        if (view.is_bytes()) {
            length = static_cast<std::size_t>(view->shape[0]);
            if (length == capacity)
                for (std::size_t i = 0; i < length; ++i) out[i] = *view.item(static_cast<Py_ssize_t>(i));
            return true;
        }
    }
    if (PyUnicode_Check(obj) || !PySequence_Check(obj)) return false;
    const Py_ssize_t n = PySequence_Size(obj);
    if (n < 0) {
        PyErr_Clear();
        return false;
    }
    for (Py_ssize_t i = 0; i < n; ++i) {
        Ref item(PySequence_GetItem(obj, i));
        Ref number(item ? PyNumber_Index(item.get()) : nullptr);
        const long v = number ? PyLong_AsLong(number.get()) : -1;
        if (!number || (v == -1 && PyErr_Occurred())) {
            PyErr_Clear();
            return false;
        }
        if (v < 0 || v > 255) return false;
        if (static_cast<std::size_t>(i) < capacity) out[i] = static_cast<std::uint8_t>(v);
    }
    length = static_cast<std::size_t>(n);
    return true;
}

}  // namespace korvan::py
