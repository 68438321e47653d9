#pragma once
// Raising and moving exceptions the same way on every supported interpreter, and the
// messages that several conversions share.

#include <string_view>

#include "support/ref.h"

namespace korvan::py {

// Takes the raised exception (normalised) out of the thread state; null when none.
Ref take_exception();
// Raises it again; null raises nothing.
void restore_exception(Ref exception);

// TypeError "'<type>' object cannot be cast as '<expected>'".
void wrong_class(PyObject* obj, const char* expected);

// A str of a text the core made (an error text, a display form). Bytes that are not
// UTF-8 become U+FFFD, so the only failure is MemoryError: a core text never turns
// into a UnicodeDecodeError. User data (comments, names) keeps its exact conversion.
PyObject* message_str(std::string_view text);

// What a raising helper returns: null to a function returning an object, false to one
// returning bool, so that `return raise_value_error(...);` serves both.
struct Raised {
    operator PyObject*() const { return nullptr; }
    operator bool() const { return false; }
};

// Raises `type` with a core message, made as message_str makes it: the one path by
// which a text the core wrote (or one that quotes it) becomes an exception.
Raised raise_error(PyObject* type, std::string_view message);

// Raises ValueError with a core message, as raise_error does.
Raised raise_value_error(std::string_view message);

// OverflowError for an integer that fits the interpreter's long but not the field.
void integer_out_of_range();

}  // namespace korvan::py
