#pragma once
// Raising and moving exceptions the same way on every supported interpreter, and the
// messages that several conversions share.

#include "support/ref.h"

namespace korvan::py {

// Takes the raised exception (normalised) out of the thread state; null when none.
Ref take_exception();
// Raises it again; null raises nothing.
void restore_exception(Ref exception);

// TypeError "'<type>' object cannot be cast as '<expected>'".
void wrong_class(PyObject* obj, const char* expected);

// OverflowError for an integer that fits the interpreter's long but not the field.
void integer_out_of_range();

}  // namespace korvan::py
