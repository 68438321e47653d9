#pragma once
// List and byte-string arguments. A list argument is any object that passes the
// interpreter's sequence check or is an instance of collections.abc.Sequence, read
// item by item through iteration; a str is refused with "Can't extract `str` to `Vec`",
// any other object with the wrong-class TypeError for "Sequence". A byte string is such
// a list of ints 0..255 (bytes and bytearray are copied at once).

#include <cstdint>
#include <vector>

#include "support/ref.h"

namespace korvan::py {

// Raises and returns false when `obj` is not a list argument.
bool check_sequence(PyObject* obj);

// Calls item(borrowed item) for each item in turn; the first false (with an exception
// set), or a failure of the iteration itself, ends it with false.
template <class F>
bool for_each_sequence_item(PyObject* obj, F item) {
    if (!check_sequence(obj)) return false;
    Ref iterator(PyObject_GetIter(obj));
    if (!iterator) return false;
    while (Ref next{PyIter_Next(iterator.get())}) {
        if (!item(next.get())) return false;
    }
    return !PyErr_Occurred();
}

// The length the object reports, as a capacity hint; 0 when it reports none.
std::size_t length_hint(PyObject* obj);

bool extract_byte_list(PyObject* obj, std::vector<std::uint8_t>& out);

}  // namespace korvan::py
