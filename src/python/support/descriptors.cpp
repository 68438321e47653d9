#include "support/descriptors.h"

namespace korvan::py {

namespace {

using FastWithKeywords = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

PyObject* call_unchecked(PyObject* self, PyObject* const* args, size_t nargsf, PyObject* kwnames) {
    auto* descriptor = reinterpret_cast<PyMethodDescrObject*>(self);
    const PyMethodDef* def = descriptor->d_method;
    const Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    if (nargs < 1) {
        PyErr_Format(PyExc_TypeError, "unbound method %s.%s() needs an argument", PyDescr_TYPE(descriptor)->tp_name,
                     def->ml_name);
        return nullptr;
    }
    return reinterpret_cast<FastWithKeywords>(reinterpret_cast<void (*)()>(def->ml_meth))(args[0], args + 1,
                                                                                         nargs - 1, kwnames);
}

}  // namespace

bool leave_receiver_checks_to_methods(PyTypeObject* type, const PyMethodDef* methods) {
    for (const PyMethodDef* def = methods; def->ml_name; ++def) {
        if (def->ml_flags & (METH_CLASS | METH_STATIC)) continue;
        PyObject* found = PyDict_GetItemString(type->tp_dict, def->ml_name);  // borrowed
        if (!found || !Py_IS_TYPE(found, &PyMethodDescr_Type) ||
            reinterpret_cast<PyMethodDescrObject*>(found)->d_method != def) {
            PyErr_Format(PyExc_SystemError, "%s.%s is not the method it was defined as", type->tp_name, def->ml_name);
            return false;
        }
        reinterpret_cast<PyMethodDescrObject*>(found)->vectorcall = call_unchecked;
    }
    return true;
}

}  // namespace korvan::py
