#include "support/descriptors.h"

#include <cstddef>
#include <cstring>

#include "support/ref.h"

#if PY_VERSION_HEX < 0x030C0000
#include <structmember.h>
#define Py_T_PYSSIZET T_PYSSIZET
#define Py_READONLY READONLY
#endif

namespace korvan::py {

namespace {

struct MethodDescriptor {
    PyObject_HEAD
    vectorcallfunc vectorcall;
    const PyMethodDef* def;
    PyTypeObject* owner;  // borrowed: the class outlives its descriptors
};

PyTypeObject* descriptor_type = nullptr;

using FastWithKeywords = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

PyObject* call(PyObject* self, PyObject* const* args, size_t nargsf, PyObject* kwnames) {
    auto* d = reinterpret_cast<MethodDescriptor*>(self);
    const Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    if (nargs < 1) {
        PyErr_Format(PyExc_TypeError, "unbound method %s.%s() needs an argument", d->owner->tp_name, d->def->ml_name);
        return nullptr;
    }
    return reinterpret_cast<FastWithKeywords>(reinterpret_cast<void (*)()>(d->def->ml_meth))(args[0], args + 1,
                                                                                            nargs - 1, kwnames);
}

PyObject* descr_get(PyObject* self, PyObject* obj, PyObject*) {
    if (!obj || obj == Py_None) return Py_NewRef(self);
    return PyMethod_New(self, obj);
}

void descr_dealloc(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    PyObject_Free(self);
    Py_DECREF(type);
}

PyObject* descr_repr(PyObject* self) {
    auto* d = reinterpret_cast<MethodDescriptor*>(self);
    return PyUnicode_FromFormat("<method '%s' of '%s' objects>", d->def->ml_name, d->owner->tp_name);
}

PyObject* get_name(PyObject* self, void*) {
    return PyUnicode_FromString(reinterpret_cast<MethodDescriptor*>(self)->def->ml_name);
}

PyObject* get_qualname(PyObject* self, void*) {
    auto* d = reinterpret_cast<MethodDescriptor*>(self);
    Ref owner_name(PyType_GetQualName(d->owner));
    if (!owner_name) return nullptr;
    return PyUnicode_FromFormat("%U.%s", owner_name.get(), d->def->ml_name);
}

// The doc starts "name($self, a)\n--\n\n": the signature is the part from the
// parenthesis to the "--" line, the doc what follows.
const char* signature_end(const char* doc) { return doc ? std::strstr(doc, ")\n--\n\n") : nullptr; }

PyObject* get_text_signature(PyObject* self, void*) {
    const char* doc = reinterpret_cast<MethodDescriptor*>(self)->def->ml_doc;
    const char* end = signature_end(doc);
    const char* start = doc ? std::strchr(doc, '(') : nullptr;
    if (!end || !start || start > end) Py_RETURN_NONE;
    return PyUnicode_FromStringAndSize(start, end - start + 1);
}

PyObject* get_doc(PyObject* self, void*) {
    const char* doc = reinterpret_cast<MethodDescriptor*>(self)->def->ml_doc;
    const char* end = signature_end(doc);
    if (end) doc = end + std::strlen(")\n--\n\n");
    if (!doc || !*doc) Py_RETURN_NONE;
    return PyUnicode_FromString(doc);
}

PyObject* get_objclass(PyObject* self, void*) {
    return Py_NewRef(reinterpret_cast<PyObject*>(reinterpret_cast<MethodDescriptor*>(self)->owner));
}

PyGetSetDef GETSET[] = {
    {"__name__", get_name, nullptr, nullptr, nullptr},
    {"__qualname__", get_qualname, nullptr, nullptr, nullptr},
    {"__text_signature__", get_text_signature, nullptr, nullptr, nullptr},
    {"__doc__", get_doc, nullptr, nullptr, nullptr},
    {"__objclass__", get_objclass, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyMemberDef MEMBERS[] = {
    {"__vectorcalloffset__", Py_T_PYSSIZET, static_cast<Py_ssize_t>(offsetof(MethodDescriptor, vectorcall)),
     Py_READONLY,
     nullptr},
    {nullptr, 0, 0, 0, nullptr},
};

}  // namespace

bool init_method_descriptors() {
    if (descriptor_type) return true;
    PyType_Slot slots[] = {
        {Py_tp_dealloc, reinterpret_cast<void*>(descr_dealloc)},
        {Py_tp_descr_get, reinterpret_cast<void*>(descr_get)},
        {Py_tp_repr, reinterpret_cast<void*>(descr_repr)},
        {Py_tp_call, reinterpret_cast<void*>(PyVectorcall_Call)},
        {Py_tp_getset, GETSET},
        {Py_tp_members, MEMBERS},
        {0, nullptr},
    };
    PyType_Spec spec = {"korvan._korvan.method_descriptor", sizeof(MethodDescriptor), 0,
                        Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_VECTORCALL | Py_TPFLAGS_METHOD_DESCRIPTOR, slots};
    descriptor_type = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&spec));
    return descriptor_type != nullptr;
}

bool install_methods(PyTypeObject* type, const PyMethodDef* methods) {
    if (!init_method_descriptors()) return false;
    for (const PyMethodDef* def = methods; def->ml_name; ++def) {
        auto* d = PyObject_New(MethodDescriptor, descriptor_type);
        if (!d) return false;
        d->vectorcall = call;
        d->def = def;
        d->owner = type;
        Ref descriptor(reinterpret_cast<PyObject*>(d));
        if (PyObject_SetAttrString(reinterpret_cast<PyObject*>(type), def->ml_name, descriptor.get()) < 0)
            return false;
    }
    return true;
}

}  // namespace korvan::py
