#include "containers/record_containers.h"

#include "support/convert.h"
#include "support/sequences.h"
#include "core/containers/sbinpack_record.h"
#include "support/typed_args.h"

namespace korvan::py {

PyObject* raise_pack_error(const PackError& e) { return raise_value_error("pack: " + pack_error_display(e)); }

PyObject* raise_sbinpack_error(const SbinpackError& e) {
    return raise_value_error("sbinpack: " + sbinpack_error_debug(e));
}

PyObject* raise_file_error(const char* what, const std::string& path, const IoError& e) {
    return raise_value_error(std::string("failed to ") + what + " file '" + path + "': " + io_error_display(e));
}

std::optional<Bytes> read_file_arg(PyObject* path_arg, const char* format) {
    std::string path;
    if (!extract_path_arg(path_arg, path)) return std::nullopt;
    auto data = read_whole_file(path);
    if (!data) {
        raise_file_error(("read " + std::string(format)).c_str(), path, data.error());
        return std::nullopt;
    }
    return std::move(*data);
}

PyObject* write_file_result(const std::string& path, ByteSpan bytes, const char* format) {
    auto written = write_whole_file(path, bytes);
    if (!written) return raise_file_error(("write " + std::string(format)).c_str(), path, written.error());
    Py_RETURN_NONE;
}

PyObject* bytes_object(ByteSpan bytes) {
    return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(bytes.data()),
                                     static_cast<Py_ssize_t>(bytes.size()));
}

bool byte_string_arg(PyObject* obj, const char* name, Bytes& out) {
    return named_arg(extract_byte_list(obj, out), name);
}

bool optional_flag_arg(PyObject* obj, const char* name, bool& out) {
    return !obj || named_arg(extract_bool(obj, out, "bool"), name);
}

bool sbinpack_options_arg(PyObject* stem_score, PyObject* include_main, PyObject* include_variations,
                          SbinpackOptions& out) {
    if (stem_score && !int_arg(stem_score, "stem_score", out.stem_score)) return false;
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
