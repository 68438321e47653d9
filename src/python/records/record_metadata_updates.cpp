// Record methods that change the metadata in place: a patch (or a whole replacement)
// and the three attribute edits. Each builds the new metadata aside and stores it only
// when it is complete, so a failing call leaves the record's metadata as it was.

#include "support/convert.h"
#include "records/metadata_dict.h"
#include "records/record_groups.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

using RC = RecordClass;

bool strict_arg(PyObject* obj, bool& out) {
    out = false;
    if (!obj) return true;
    return named_arg(extract_bool(obj, out, "bool"), "strict");
}

// The record is held exclusively for the whole call: a patch whose conversion reaches
// back into the same record meets the borrow.
PyObject* update_metadata(Record& r, PyObject* const* args) {
    bool strict = false;
    if (!strict_arg(args[1], strict)) return nullptr;
    PyObject* patch = args[0];
    RecordMetadata updated;
    bool raised = false;
    if (extract<RecordMetadataClass>(patch, updated, raised)) {
        r.metadata = std::move(updated);
        Py_RETURN_NONE;
    }
    if (raised) return nullptr;
    if (!PyDict_Check(patch)) {
        PyErr_SetString(PyExc_TypeError, "update_metadata expects RecordMetadata or dict");
        return nullptr;
    }
    if (!apply_metadata_patch(r.metadata, patch, strict, updated)) return nullptr;
    r.metadata = std::move(updated);
    Py_RETURN_NONE;
}

PyObject* set_metadata_attribute(Record& r, PyObject* const* args) {
    std::string_view key;
    std::string_view value;
    if (!str_arg(args[0], "key", key) || !str_arg(args[1], "value", value)) return nullptr;
    r.metadata.attributes.insert_or_assign(std::string(key), std::string(value));
    Py_RETURN_NONE;
}

PyObject* remove_metadata_attribute(Record& r, PyObject* const* args) {
    std::string_view key;
    if (!str_arg(args[0], "key", key)) return nullptr;
    const auto it = r.metadata.attributes.find(key);
    if (it == r.metadata.attributes.end()) Py_RETURN_NONE;
    PyObject* removed = to_py_str(it->second);
    if (removed) r.metadata.attributes.erase(it);
    return removed;
}

PyObject* clear_metadata_attributes(Record& r) {
    r.metadata.attributes.clear();
    Py_RETURN_NONE;
}

}  // namespace

constexpr Methods RECORD_METADATA_UPDATE_METHODS = method_table<RC,
    Method<"update_metadata(patch, *, strict=False)", update_metadata, Access::Exclusive>,
    Method<"set_metadata_attribute(key, value)", set_metadata_attribute, Access::Exclusive>,
    Method<"remove_metadata_attribute(key)", remove_metadata_attribute, Access::Exclusive>,
    Method<"clear_metadata_attributes()", clear_metadata_attributes, Access::Exclusive>>;

}  // namespace korvan::py
