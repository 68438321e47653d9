#pragma once
// Python lists made from C++ ranges: the list is sized once and filled in place, and an
// item that cannot be made drops what was built so far.

#include <iterator>
#include <utility>

#include "support/classes.h"
#include "support/ref.h"

namespace korvan::py {

// One object per element, made by `make` (a new reference, or null with an exception
// set, which the list passes on). `make` receives the element as the range gives it,
// so a range of movable elements may be moved from.
template <class Range, class Make>
PyObject* list_of(Range&& items, Make make) {
    Ref list(PyList_New(static_cast<Py_ssize_t>(std::size(items))));
    if (!list) return nullptr;
    Py_ssize_t i = 0;
    for (auto&& item : items) {
        PyObject* value = make(item);
        if (!value) return nullptr;
        PyList_SET_ITEM(list.get(), i++, value);
    }
    return list.release();
}

// One object of the class C per element, holding a copy of it.
template <class C, class Range>
PyObject* list_of(const Range& items) {
    return list_of(items, [](const auto& item) { return wrap<C>(item); });
}

}  // namespace korvan::py
