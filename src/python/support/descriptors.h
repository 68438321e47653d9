#pragma once
// Receiver checks left to the method. A class's instance methods are the interpreter's
// own method descriptors, so a call through an instance takes the interpreter's
// specialised path (the descriptor cached by the type's version, the C function called
// with no descriptor call in between). Only the descriptor's generic call is replaced:
// it serves a receiver of a subclass or of a foreign type (`Board.pop(5)`), and it
// hands the receiver to the method unchecked, so that a foreign one is refused as the
// binding refuses any other wrongly typed argument ("'int' object cannot be cast as
// 'Board'") instead of in the interpreter's words ("descriptor 'pop' for 'Board'
// objects doesn't apply to ...").

#include "support/python.h"

namespace korvan::py {

// Replaces the generic call of each instance method of `methods` (ending with a null
// name) in the type's dict. The entries must use METH_FASTCALL | METH_KEYWORDS, check
// their receiver themselves and outlive the type. False with an exception set when an
// entry is missing from the dict.
bool leave_receiver_checks_to_methods(PyTypeObject* type, const PyMethodDef* methods);

}  // namespace korvan::py
