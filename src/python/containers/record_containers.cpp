#include "containers/record_containers.h"

#include "support/convert.h"
#include "support/sequences.h"
#include "core/containers/sbinpack_record.h"

namespace korvan::py {

PyObject* raise_pack_error(const PackError& e) { return raise_value_error("pack: " + pack_error_display(e)); }

PyObject* raise_sbinpack_error(const SbinpackError& e) {
    return raise_value_error("sbinpack: " + sbinpack_error_debug(e));
}

PyObject* bytes_object(ByteSpan bytes) {
    return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(bytes.data()),
                                     static_cast<Py_ssize_t>(bytes.size()));
}

bool byte_string_arg(PyObject* obj, const char* name, Bytes& out) {
    if (extract_byte_list(obj, out)) return true;
    argument_error(name);
    return false;
}

bool optional_flag_arg(PyObject* obj, const char* name, bool& out) {
    if (!obj || extract_bool(obj, out, "bool")) return true;
    argument_error(name);
    return false;
}

bool sbinpack_options_arg(PyObject* stem_score, PyObject* include_main, PyObject* include_variations,
                          SbinpackOptions& out) {
    if (stem_score && !extract_int(stem_score, out.stem_score)) {
        argument_error("stem_score");
        return false;
    }
    return optional_flag_arg(include_main, "include_main", out.include_main) &&
           optional_flag_arg(include_variations, "include_variations", out.include_variations);
}

bool check_sbinpack_metadata(ByteSpan metadata) {
    if (metadata.size() <= SBINPACK_METADATA_MAX) return true;
    raise_sbinpack_error(SbinpackError::of(SbinpackError::Kind::MetadataTooLarge, metadata.size(), SBINPACK_METADATA_MAX));
    return false;
}

PyObject* record_object_of_chain(const SbinpackChain& chain) {
    auto record = record_from_sbinpack_chain(chain);
    if (!record) return raise_value_error("sbinpack: " + record.error());
    return wrap<RecordClass>(std::move(*record));
}

}  // namespace korvan::py
