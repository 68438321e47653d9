#pragma once
// An owning reference. Borrowed references stay raw `PyObject*` and are named so.

#include <utility>

#include "support/python.h"

namespace korvan::py {

class Ref {
public:
    Ref() = default;
    // Takes over a new reference (or null after a failed call).
    explicit Ref(PyObject* owned) : p_(owned) {}
    static Ref borrow(PyObject* borrowed) {
        Py_XINCREF(borrowed);
        return Ref(borrowed);
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : p_(other.release()) {}
    Ref& operator=(Ref&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~Ref() { Py_XDECREF(p_); }

    PyObject* get() const { return p_; }
    PyObject* release() { return std::exchange(p_, nullptr); }
    void reset(PyObject* owned = nullptr) { Py_XDECREF(std::exchange(p_, owned)); }
    explicit operator bool() const { return p_ != nullptr; }

private:
    PyObject* p_ = nullptr;
};

}  // namespace korvan::py
