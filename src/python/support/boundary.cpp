#include "support/boundary.h"

#include "support/errors.h"

namespace korvan::py {

namespace {
PyObject* panic_class = nullptr;  // owned for the life of the process
}

PyObject* panic_exception() { return panic_class; }

PyObject* create_panic_exception() {
    if (!panic_class) {
        panic_class = PyErr_NewExceptionWithDoc(
            "korvan._korvan.PanicException",
            "Raised when the library meets a broken internal invariant.", PyExc_BaseException, nullptr);
    }
    return panic_class;
}

void raise_panic(const char* message) {
    raise_error(panic_class ? panic_class : PyExc_SystemError, message);
}

}  // namespace korvan::py
