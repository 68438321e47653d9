// RecordNodeId: a typed node number that works wherever an integer id does. It equals
// ints and other ids by number, never orders (every ordering is False), has no hash.

#include "record_tags.h"
#include "records/record_args.h"
#include "records/record_classes.h"
#include "support/convert.h"

namespace korvan::py {

namespace {

using Id = RecordNodeIdClass;

bool id_init(PyObject* const* args, std::uint32_t& out) {
    std::uint64_t raw = 0;
    if (!node_index_arg(args[0], "raw", raw)) return false;
    if (raw > 4'294'967'294ull) {
        PyErr_SetString(PyExc_IndexError, "node_id out of range");
        return false;
    }
    out = static_cast<std::uint32_t>(raw + 1);
    return true;
}

PyObject* raw(const std::uint32_t& id) { return node_id_to_py(id); }

PyObject* id_repr(const std::uint32_t& id) { return to_py_str("RecordNodeId(" + std::to_string(node_index(id)) + ")"); }

PyObject* compare(PyObject* self, PyObject* other, int op) {
    return boundary<PyObject*>(nullptr, [&]() -> PyObject* {
        const std::uint64_t mine = node_index(object_of<Id>(self)->value);
        std::uint64_t theirs = 0;
        if (is_instance<Id>(other)) {
            theirs = node_index(object_of<Id>(other)->value);
        } else if (!extract_int(other, theirs)) {
            PyErr_Clear();
            return PyBool_FromLong(op == Py_NE);
        }
        if (op == Py_EQ) return PyBool_FromLong(mine == theirs);
        if (op == Py_NE) return PyBool_FromLong(mine != theirs);
        Py_RETURN_FALSE;
    });
}

constexpr const char* RAW[] = {"raw"};
constexpr Signature NEW{"__new__", RAW};

PyGetSetDef getset[] = {
    {"raw", getter<Id, raw>, nullptr, nullptr, nullptr},
    GETSET_END,
};

}  // namespace

PyTypeObject* create_record_node_id_class() {
    ClassSpec spec = class_spec<Id>("RecordNodeId(raw)\n--\n\n");
    spec.new_ = construct_new<Id, NEW, id_init>;
    spec.vectorcall = construct_vectorcall<Id, NEW, id_init>;
    spec.getset = getset;
    spec.richcompare = compare;
    spec.repr = slot<Id, id_repr>;
    spec.to_int = slot<Id, raw>;
    spec.to_index = slot<Id, raw>;
    PyTypeObject* type = build_class(spec);
    if (type) Id::type = type;
    return type;
}

}  // namespace korvan::py
