// Record methods of the binary training formats: one pack game, one sbinpack blob of
// the main line and variations, and PackedSfenValue rows; and a record back from a
// single pack game or a single sbinpack chain.

#include "core/containers/pack.h"
#include "core/containers/psv_record.h"
#include "core/containers/sbinpack_record.h"
#include "containers/record_containers.h"
#include "records/record_groups.h"
#include "support/lists.h"

namespace korvan::py {

namespace {

using RC = RecordClass;

PyObject* to_pack(const Record& r) {
    auto encoded = encode_pack_record(r);
    if (!encoded) return raise_pack_error(encoded.error());
    return bytes_object(pack_record_to_bytes(*encoded));
}

PyObject* from_pack(PyTypeObject*, PyObject* const* args) {
    Bytes data;
    if (!byte_string_arg(args[0], "data", data)) return nullptr;
    auto records = decode_pack_records(data);
    if (!records) return raise_pack_error(records.error());
    if (records->empty()) return raise_value_error("pack: no games found");
    if (records->size() > 1) return raise_value_error("pack: multiple games not supported");
    return wrap<RC>(std::move(records->front()));
}

// to_sbinpack(stem_score=0, include_main=True, include_variations=False, metadata=None)
PyObject* to_sbinpack(const Record& r, PyObject* const* args) {
    SbinpackOptions options;
    if (!sbinpack_options_arg(args[0], args[1], args[2], options)) return nullptr;
    Bytes metadata;
    if (args[3] && args[3] != Py_None && !byte_string_arg(args[3], "metadata", metadata)) return nullptr;
    if (!check_sbinpack_metadata(metadata)) return nullptr;
    auto chains = record_to_sbinpack_chains(r, options.stem_score, metadata, options.include_main,
                                            options.include_variations);
    if (!chains) return raise_sbinpack_error(chains.error());
    if (chains->empty()) return raise_value_error("sbinpack: no chains to serialize");
    auto bytes = encode_sbinpack(*chains);
    if (!bytes) return raise_sbinpack_error(bytes.error());
    return bytes_object(*bytes);
}

PyObject* single_chain_record(PyObject* data_arg, bool with_metadata) {
    Bytes data;
    if (!byte_string_arg(data_arg, "data", data)) return nullptr;
    auto chain = record_from_single_sbinpack(data);
    if (!chain) return raise_value_error(chain.error());
    Ref metadata;
    if (with_metadata) {
        metadata = Ref(bytes_object(chain->metadata));
        if (!metadata) return nullptr;
    }
    Ref record(record_object_of_chain(*chain));
    if (!record || !with_metadata) return record.release();
    return PyTuple_Pack(2, record.get(), metadata.get());
}

PyObject* from_sbinpack(PyTypeObject*, PyObject* const* args) { return single_chain_record(args[0], false); }

PyObject* from_sbinpack_with_metadata(PyTypeObject*, PyObject* const* args) {
    return single_chain_record(args[0], true);
}

// to_psv(*, include_main=True, include_variations=False)
PyObject* to_psv(const Record& r, PyObject* const* args) {
    bool include_main = true;
    bool include_variations = false;
    if (!optional_flag_arg(args[0], "include_main", include_main) ||
        !optional_flag_arg(args[1], "include_variations", include_variations))
        return nullptr;
    auto rows = record_psv_rows(r, include_main, include_variations);
    if (!rows) {
        const PsvRecordError& e = rows.error();
        // A bad initial SFEN speaks for itself; the walk's refusals name the method.
        const std::string text = psv_record_error_display(e);
        return raise_value_error(e.kind == PsvRecordError::Kind::Sfen ? text : "to_psv: " + text);
    }
    return list_of(*rows, [](const auto& row) { return bytes_object(row); });
}

}  // namespace

constexpr Methods RECORD_BINARY_METHODS = method_table<RC,
    Method<"to_pack()", to_pack>,
    ClassMethod<"from_pack(data)", from_pack>,
    Method<"to_sbinpack(stem_score=0, include_main=True, include_variations=False, metadata=None)", to_sbinpack>,
    ClassMethod<"from_sbinpack(data)", from_sbinpack>,
    ClassMethod<"from_sbinpack_with_metadata(data)", from_sbinpack_with_metadata>,
    Method<"to_psv(*, include_main=True, include_variations=False)", to_psv>>;

}  // namespace korvan::py
