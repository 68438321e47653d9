#include "support/classes.h"

#include <list>
#include <string>
#include <vector>

namespace korvan::py {

PyTypeObject* build_class(const ClassSpec& spec) {
    std::vector<PyType_Slot> slots;
    auto add = [&](int slot, auto* pointer) {
        if (pointer) slots.push_back({slot, reinterpret_cast<void*>(pointer)});
    };
    add(Py_tp_doc, const_cast<char*>(spec.doc));
    add(Py_tp_dealloc, spec.dealloc);
    add(Py_tp_new, spec.new_);
    add(Py_tp_methods, spec.methods);
    add(Py_tp_getset, spec.getset);
    add(Py_tp_richcompare, spec.richcompare);
    add(Py_tp_hash, spec.hash);
    add(Py_tp_repr, spec.repr);
    add(Py_tp_str, spec.str);
    add(Py_nb_int, spec.to_int);
    add(Py_nb_index, spec.to_index);
    add(Py_sq_length, spec.length);
    slots.push_back({0, nullptr});

    // The interpreter keeps pointing at the type's name text on some versions, so the
    // names live as long as the process.
    static std::list<std::string> names;
    const std::string& full_name = names.emplace_back(std::string("korvan._korvan.") + spec.name);
    PyType_Spec type_spec = {full_name.c_str(), spec.basicsize, 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE,
                             slots.data()};
    auto* type = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&type_spec));
    if (!type) return nullptr;
    if (!spec.new_) {
        // Without tp_new a heap type would inherit object's; refuse construction instead.
        type->tp_new = nullptr;
    }
    type->tp_vectorcall = spec.vectorcall;
    PyType_Modified(type);
    return type;
}

bool add_class_attribute(PyTypeObject* type, const char* name, PyObject* value) {
    Ref owned(value);
    if (!owned) return false;
    if (PyDict_SetItemString(type->tp_dict, name, owned.get()) < 0) return false;
    PyType_Modified(type);
    return true;
}

}  // namespace korvan::py
