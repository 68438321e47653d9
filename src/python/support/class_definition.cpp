#include "support/class_definition.h"

#include <list>
#include <string>
#include <vector>

#include "support/descriptors.h"

namespace korvan::py {

namespace {

// The one joiner: a class's tables, in the order given, followed by the null sentinel.
// Each table lives as long as the process, since the type keeps pointing into it.
template <class T>
T* joined(const std::array<std::span<const T>, MAX_TABLES>& tables) {
    auto* out = new std::vector<T>();
    for (const auto& table : tables)
        for (const T& row : table) out->push_back(row);
    out->push_back(T{});
    return out->data();
}

}  // namespace

PyTypeObject* build_class(const ClassDefinition& definition) {
    const ClassBody& body = definition.body;
    PyMethodDef* methods = joined(body.methods);
    PyGetSetDef* getset = joined(body.attributes);

    std::vector<PyType_Slot> slots;
    auto add = [&](int slot, auto* pointer) {
        if (pointer) slots.push_back({slot, reinterpret_cast<void*>(pointer)});
    };
    add(Py_tp_doc, const_cast<char*>(body.constructor.doc ? body.constructor.doc : body.doc));
    add(Py_tp_dealloc, definition.dealloc);
    add(Py_tp_new, body.constructor.new_);
    add(Py_tp_methods, methods->ml_name ? methods : nullptr);
    add(Py_tp_getset, getset->name ? getset : nullptr);
    add(Py_tp_richcompare, body.richcompare);
    add(Py_tp_hash, body.hash);
    add(Py_tp_repr, body.repr);
    add(Py_tp_str, body.str);
    add(Py_nb_int, body.to_int);
    add(Py_nb_index, body.to_index);
    add(Py_sq_length, body.length);
    slots.push_back({0, nullptr});

    // The interpreter keeps pointing at the type's name text on some versions, so the
    // names live as long as the process.
    static std::list<std::string> names;
    const std::string& full_name = names.emplace_back(std::string("korvan._korvan.") + definition.name);
    PyType_Spec type_spec = {full_name.c_str(), definition.basicsize, 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE,
                             slots.data()};
    auto* type = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&type_spec));
    if (!type) return nullptr;
    if (!body.constructor.new_) {
        // Without tp_new a heap type would inherit object's; refuse construction instead.
        type->tp_new = nullptr;
    }
    type->tp_vectorcall = body.constructor.vectorcall;
    PyType_Modified(type);
    *definition.type = type;
    if (body.checked_receivers && !leave_receiver_checks_to_methods(type, methods)) return nullptr;
    if (body.class_attributes && !body.class_attributes(type)) return nullptr;
    return type;
}

}  // namespace korvan::py
