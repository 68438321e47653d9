#include "support/byte_io.h"

#include <bit>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace korvan::py {

namespace {

// numpy's array and record classes, recognised by name so that numpy is never
// imported here, and remembered once seen; with the members the fast paths call,
// looked up on the class once instead of by name on every call.
class NumpyClass {
public:
    constexpr explicit NumpyClass(const char* name) : name_(name) {}

    bool is_exact(PyObject* obj) {
        PyTypeObject* type = Py_TYPE(obj);
        if (type == type_) return true;
        if (type_ || std::strcmp(type->tp_name, name_) != 0) return false;
        type_ = type;
        return true;
    }
    // The data type of an instance (a new reference); null, with no exception, when it
    // cannot be had.
    Ref dtype(PyObject* obj) {
        PyObject* getter = member(dtype_, "dtype");
        descrgetfunc get = getter ? Py_TYPE(getter)->tp_descr_get : nullptr;
        return cleared(get ? get(getter, obj, reinterpret_cast<PyObject*>(type_)) : nullptr);
    }
    // `obj.__array__()`: for a record, a zero-dimensional array over its bytes.
    Ref as_array(PyObject* obj) {
        PyObject* method = member(as_array_, "__array__");
        return cleared(method ? PyObject_CallOneArg(method, obj) : nullptr);
    }

private:
    PyObject* member(PyObject*& slot, const char* name) {
        if (!slot) slot = cleared(PyObject_GetAttrString(reinterpret_cast<PyObject*>(type_), name)).release();
        return slot;
    }
    static Ref cleared(PyObject* result) {
        if (!result) PyErr_Clear();
        return Ref(result);
    }

    const char* name_;
    PyTypeObject* type_ = nullptr;
    PyObject* dtype_ = nullptr;     // owned for the life of the process
    PyObject* as_array_ = nullptr;  // owned for the life of the process
};

NumpyClass ndarray_class("numpy.ndarray");
NumpyClass record_class("numpy.void");

bool is_exact_ndarray(PyObject* obj) { return ndarray_class.is_exact(obj); }

// The data type of the first flat unsigned byte array met. numpy writes the format text
// anew for every buffer request that asks for it; an array of this data type holds
// unsigned bytes without asking.
PyObject* byte_dtype = nullptr;  // owned for the life of the process

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
    if (PyByteArray_CheckExact(out)) {
        if (PyByteArray_GET_SIZE(out) != static_cast<Py_ssize_t>(n)) return false;
        std::memcpy(PyByteArray_AS_STRING(out), bytes, n);
        return true;
    }
    if (!is_exact_ndarray(out)) return false;
    Buffer view(out, PyBUF_WRITABLE | PyBUF_STRIDES);
    if (!view || view->ndim != 1 || view->itemsize != 1 || view->shape[0] != static_cast<Py_ssize_t>(n)) return false;
    Ref dtype = ndarray_class.dtype(out);
    if (!dtype || dtype.get() != byte_dtype) {
        Buffer typed(out, PyBUF_WRITABLE | PyBUF_STRIDES | PyBUF_FORMAT);
        if (!typed || typed.format() != "B") return false;
        if (dtype && !byte_dtype) byte_dtype = dtype.release();
    }
    if (view->strides[0] == 1)
        std::memcpy(view->buf, bytes, n);
    else
        for (std::size_t i = 0; i < n; ++i) *view.item(static_cast<Py_ssize_t>(i)) = bytes[i];
    return true;
}

namespace {

bool is_record_dtype(PyObject* dtype, PyObject* expected) {
    if (!dtype) return false;
    const int equal = PyObject_RichCompareBool(dtype, expected, Py_EQ);
    if (equal < 0) PyErr_Clear();
    return equal == 1;
}

// A numpy.void record offers only a read-only buffer of its own. The array its
// `__array__` makes is a view of the same bytes, writable exactly when the record
// is (its array's flags), so the bytes go through that array's buffer; the address
// check keeps a copy made instead of a view from being written.
bool copy_into_single_record(PyObject* out, PyObject* dtype, const std::uint8_t* bytes, std::size_t n) {
    if (!is_record_dtype(record_class.dtype(out).get(), dtype)) return false;
    Buffer own(out, PyBUF_SIMPLE);
    if (!own || own->len != static_cast<Py_ssize_t>(n)) return false;
    Ref array = record_class.as_array(out);
    if (!array) return false;
    Buffer view(array.get(), PyBUF_WRITABLE);
    if (!view || view->buf != own->buf || view->len != static_cast<Py_ssize_t>(n)) return false;
    std::memcpy(view->buf, bytes, n);
    return true;
}

}  // namespace

bool copy_into_record(PyObject* out, PyObject* dtype, const std::uint8_t* bytes, std::size_t n,
                      std::size_t flat_length) {
    // The record fields are little-endian; numpy's native ones match only there.
    if constexpr (std::endian::native != std::endian::little) return false;
    if (!dtype) return false;
    if (record_class.is_exact(out)) return copy_into_single_record(out, dtype, bytes, n);
    if (!is_exact_ndarray(out) || !is_record_dtype(ndarray_class.dtype(out).get(), dtype)) return false;
    Buffer view(out, PyBUF_WRITABLE | PyBUF_STRIDES);
    if (!view || view->itemsize != static_cast<Py_ssize_t>(n)) return false;
    if (view->ndim == 1) {
        const Py_ssize_t length = view->shape[0];
        if (length == 0 || length == static_cast<Py_ssize_t>(flat_length)) return false;
    } else if (view->ndim != 0) {
        return false;
    }
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
