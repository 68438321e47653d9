// The pack and sbinpack functions: many records into one container and back, as bytes
// or as files.

#include <utility>

#include "core/containers/file_io.h"
#include "core/containers/pack.h"
#include "core/containers/sbinpack_record.h"
#include "containers/container_tags.h"
#include "containers/record_containers.h"
#include "support/convert.h"
#include "support/lists.h"
#include "support/sequences.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

// Calls use(record) for each item of any iterable, under a shared borrow of the item
// released at once; an item of another class, or one another call is changing, is
// refused, and the iteration's own errors pass unchanged.
//
// The callers encode each record the moment it is taken, which gives what encoding a
// full copy taken at that moment would give, without the copy. An encoding failure is
// held back until every item has been taken, so that a wrong item anywhere in the
// argument is still the error seen.
template <class F>
bool for_each_record(PyObject* obj, F use) {
    Ref iterator(PyObject_GetIter(obj));
    if (!iterator) return false;
    while (Ref item{PyIter_Next(iterator.get())}) {
        bool taken = false;
        if (is_instance<RecordClass>(item.get())) {
            Object<RecordClass>* record = object_of<RecordClass>(item.get());
            SharedBorrow guard(record->borrow);
            if (guard) {
                use(std::as_const(record->value));
                taken = true;
            } else {
                PyErr_Clear();
            }
        }
        if (!taken) {
            PyErr_SetString(PyExc_TypeError, "records must contain Record instances");
            return false;
        }
    }
    return !PyErr_Occurred();
}

// --- pack -------------------------------------------------------------------------------

std::optional<Bytes> pack_bytes(PyObject* records_obj) {
    Bytes out;
    std::optional<PackError> failed;
    const bool taken = for_each_record(records_obj, [&](const Record& record) {
        if (failed) return;
        auto encoded = encode_pack_record(record);
        if (encoded)
            append_pack_record_bytes(*encoded, out);
        else
            failed = std::move(encoded.error());
    });
    if (!taken) return std::nullopt;
    if (failed) {
        raise_pack_error(*failed);
        return std::nullopt;
    }
    return out;
}

PyObject* records_list(ByteSpan data) {
    auto records = decode_pack_records(data);
    if (!records) return raise_pack_error(records.error());
    return list_of(*records, [](Record& record) { return wrap<RecordClass>(std::move(record)); });
}

PyObject* write_pack(PyObject* const* args) {
    auto bytes = pack_bytes(args[0]);
    return bytes ? bytes_object(*bytes) : nullptr;
}

// Every record is encoded before the file is opened, so records that cannot be
// written leave an existing file as it was.
PyObject* write_pack_file(PyObject* const* args) {
    std::string path;
    if (!extract_path_arg(args[0], path)) return nullptr;
    auto bytes = pack_bytes(args[1]);
    if (!bytes) return nullptr;
    auto written = write_whole_file(path, *bytes);
    if (written) Py_RETURN_NONE;
    const IoError& e = written.error();
    switch (e.step) {
        case IoStep::Write: {
            PackError io = PackError::of(PackError::Kind::Io);
            io.io = e;
            return raise_pack_error(io);
        }
        // A write error the system holds back until the file is closed.
        case IoStep::Close: return raise_file_error("flush pack", path, e);
        default: return raise_file_error("write pack", path, e);
    }
}

// --- sbinpack ---------------------------------------------------------------------------

// None, or a list argument whose items are None (no metadata) or byte strings.
bool metadatas_arg(PyObject* obj, std::optional<std::vector<Bytes>>& out) {
    if (!obj || obj == Py_None) return true;
    std::vector<Bytes>& items = out.emplace();
    items.reserve(length_hint(obj));
    const bool converted = for_each_sequence_item(obj, [&](PyObject* item) {
        Bytes& bytes = items.emplace_back();
        return item == Py_None || extract_byte_list(item, bytes);
    });
    return named_arg(converted, "metadatas");
}

// write_sbinpack and write_sbinpack_file after their path: the options, then the
// records, then the chains of every record in order, encoded.
std::optional<Bytes> sbinpack_bytes(PyObject* records_obj, PyObject* const* options_args, PyObject* path_arg,
                                    std::string* path) {
    SbinpackOptions options;
    std::optional<std::vector<Bytes>> metadatas;
    if (!sbinpack_options_arg(options_args[0], options_args[1], options_args[2], options) ||
        !metadatas_arg(options_args[3], metadatas))
        return std::nullopt;
    if (path && !extract_path_arg(path_arg, *path)) return std::nullopt;
    std::vector<SbinpackChain> chains;
    std::optional<SbinpackError> failed;
    std::size_t count = 0;
    const bool taken = for_each_record(records_obj, [&](const Record& record) {
        const std::size_t i = count++;
        // Past the end of a shorter metadata list the call fails on the lengths.
        if (failed || (metadatas && i >= metadatas->size())) return;
        const ByteSpan metadata = metadatas ? ByteSpan((*metadatas)[i]) : ByteSpan();
        if (metadata.size() > SBINPACK_METADATA_MAX) {
            failed = SbinpackError::of(SbinpackError::Kind::MetadataTooLarge, metadata.size(), SBINPACK_METADATA_MAX);
            return;
        }
        auto more = record_to_sbinpack_chains(record, options.stem_score, metadata, options.include_main,
                                              options.include_variations);
        if (!more) {
            failed = std::move(more.error());
            return;
        }
        for (SbinpackChain& c : *more) chains.push_back(std::move(c));
    });
    if (!taken) return std::nullopt;
    if (metadatas && metadatas->size() != count) {
        raise_value_error("sbinpack: metadatas length must match records length");
        return std::nullopt;
    }
    if (failed) {
        raise_sbinpack_error(*failed);
        return std::nullopt;
    }
    if (chains.empty()) {
        raise_value_error("sbinpack: no chains to serialize");
        return std::nullopt;
    }
    return encoded_or_raised(encode_sbinpack(chains), raise_sbinpack_error);
}

// Every chain as (Record, metadata bytes), in order.
PyObject* chains_list(ByteSpan data) {
    auto chains = decode_sbinpack_chains(data);
    if (!chains) return raise_sbinpack_error(chains.error());
    return list_of(*chains, [](const SbinpackChain& chain) -> PyObject* {
        Ref metadata(bytes_object(chain.metadata));
        if (!metadata) return nullptr;
        Ref record(record_object_of_chain(chain));
        if (!record) return nullptr;
        return PyTuple_Pack(2, record.get(), metadata.get());
    });
}

// write_sbinpack(records, *, stem_score=0, include_main=True, include_variations=False, metadatas=None)
PyObject* write_sbinpack(PyObject* const* args) {
    auto bytes = sbinpack_bytes(args[0], args + 1, nullptr, nullptr);
    return bytes ? bytes_object(*bytes) : nullptr;
}

// Every chain is built and encoded before the file is opened.
PyObject* write_sbinpack_file(PyObject* const* args) {
    std::string path;
    auto bytes = sbinpack_bytes(args[1], args + 2, args[0], &path);
    return bytes ? write_file_result(path, *bytes, "sbinpack") : nullptr;
}

}  // namespace

constexpr Methods PACK_FUNCTIONS = function_table<
    Function<"decode_pack(data)", decode_data_arg<records_list>,
             "Decode every ``Record`` packed in a pack byte buffer.\n\nThis is the multi-record counterpart to "
             "``Record.from_pack``, which\ndecodes a single record. Returns a list of records.">,
    Function<"decode_pack_file(path)", decode_file_arg<records_list, "pack">,
             "Decode every ``Record`` from a pack file on disk.\n\nMulti-record counterpart to ``Record.from_pack`` "
             "(single record).">,
    Function<"decode_sbinpack(data)", decode_data_arg<chains_list>,
             "Decode every sbinpack chain in a byte buffer.\n\nReturns ``(Record, metadata)`` tuples. This is the "
             "multi-chain\ncounterpart to ``Record.from_sbinpack_with_metadata``.">,
    Function<"decode_sbinpack_file(path)", decode_file_arg<chains_list, "sbinpack">,
             "Decode every sbinpack chain from a file on disk.\n\nReturns ``(Record, metadata)`` tuples.">,
    Function<"write_pack(records)", write_pack>,
    Function<"write_pack_file(path, records)", write_pack_file>,
    Function<"write_sbinpack(records, *, stem_score=0, include_main=True, include_variations=False, "
        "metadatas=None)", write_sbinpack>,
    Function<"write_sbinpack_file(path, records, *, stem_score=0, include_main=True, include_variations=False, "
        "metadatas=None)", write_sbinpack_file>>;

}  // namespace korvan::py
