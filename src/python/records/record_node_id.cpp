// RecordNodeId: a typed node number that works wherever an integer id does. It equals
// ints and other ids by number, never orders (every ordering is False), has no hash.

#include "records/record_tags.h"
#include "records/record_args.h"
#include "records/record_objects.h"
#include "support/convert.h"

namespace korvan::py {

namespace {

using Id = RecordNodeIdClass;

bool id_init(PyObject* const* args, std::uint32_t& out) {
    std::uint64_t raw = 0;
    if (!int_arg(args[0], "raw", raw)) return false;
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

constexpr Attributes getset = attribute_table<Id,
    Attribute<"raw", raw>>;

}  // namespace

const ClassDefinition Id::definition = define<Id>({
    .constructor = constructor<Id, "(raw)", id_init>,
    .attributes = {getset},
    .richcompare = compare,
    .repr = slot<Id, id_repr>,
    .to_int = slot<Id, raw>,
    .to_index = slot<Id, raw>,
});

}  // namespace korvan::py
