#include "support/classes.h"

namespace korvan::py {

bool add_class_attribute(PyTypeObject* type, const char* name, PyObject* value) {
    Ref owned(value);
    if (!owned) return false;
    if (PyDict_SetItemString(type->tp_dict, name, owned.get()) < 0) return false;
    PyType_Modified(type);
    return true;
}

}  // namespace korvan::py
