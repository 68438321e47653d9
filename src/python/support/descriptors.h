#pragma once
// A method descriptor that leaves the receiver check to the method itself. The
// interpreter's own descriptor refuses a foreign receiver in its own words
// ("descriptor 'x' for 'Board' objects doesn't apply to ..."); a class installed with
// these descriptors reports it as the binding does for every other argument
// ("'int' object cannot be cast as 'Board'"). Calls through an instance keep the
// interpreter's fast path: the type is a method descriptor, so no bound method is made.

#include "support/python.h"

namespace korvan::py {

// Creates the descriptor type once; false with an exception set on failure.
bool init_method_descriptors();

// Installs each entry of `methods` (ending with a null name) on `type` as such a
// descriptor. The entries must use METH_FASTCALL | METH_KEYWORDS and outlive the type.
bool install_methods(PyTypeObject* type, const PyMethodDef* methods);

}  // namespace korvan::py
