#pragma once
// Fixed-size byte rows into and out of Python objects: bytes-like values, sequences of
// ints, numpy arrays and records. numpy is reached only through the interpreter's
// generic protocols (len, item access, the buffer protocol), never linked.
//
// The generic routes go item by item, so any object that supports them works. Exact
// bytearray and numpy objects whose bytes have exactly the expected layout (a flat
// unsigned byte array, a record or record array of the expected data type) are
// written in one step instead; the result is the same bytes, and every failure (a
// read-only array, another layout) falls back to the item route, which then raises
// what it raises.

#include <cstddef>
#include <cstdint>

#include "support/ref.h"

namespace korvan::py {

// The interned text of a field name, made once and kept (a borrowed reference; null
// with an exception set only when the first making fails).
PyObject* interned(const char* text);

// out[i] = bytes[i] (as ints) for i from 0 to n - 1; the first failing assignment
// ends it with that exception, the bytes before it written.
bool assign_items(PyObject* out, const std::uint8_t* bytes, std::size_t n);

// One copy into an exact bytearray or numpy.ndarray that is a writable
// one-dimensional buffer of exactly n unsigned bytes. False, with no exception, when
// `out` is no such buffer; nothing is written then.
bool copy_into_bytes(PyObject* out, const std::uint8_t* bytes, std::size_t n);

// One copy of an n-byte record into a writable numpy record whose data type equals
// `dtype` (null: none): a numpy.void record, a zero-dimensional array, or the first
// record of a one-dimensional array whose length is neither 0 nor `flat_length` (an
// array of that length is written item by item). False, with no exception,
// otherwise; nothing is written then.
bool copy_into_record(PyObject* out, PyObject* dtype, const std::uint8_t* bytes, std::size_t n,
                      std::size_t flat_length);

// Whether `obj` is a byte sequence: bytes, bytearray, or any sequence other than a
// str whose items are all ints 0..255 (through the index protocol, so numpy integers
// count). When it is, `length` is its length and, when that equals `capacity`, `out`
// holds the bytes. Never raises: a failure while looking means "no".
bool read_byte_sequence(PyObject* obj, std::uint8_t* out, std::size_t capacity, std::size_t& length);

}  // namespace korvan::py
