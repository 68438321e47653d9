#pragma once
// What the Record container methods and the pack and sbinpack module functions share:
// byte-string arguments and results, the sbinpack options, the container errors under
// their leads, and records rebuilt from sbinpack chains as Record objects.
//
// Each function that converts or raises returns false (or null) with a Python
// exception set on failure.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "records/record_tags.h"
#include "core/containers/file_io.h"
#include "core/containers/pack_error.h"
#include "core/containers/sbinpack.h"

namespace korvan::py {

// bytes, bytearray or any other sequence of ints 0..255, copied; a str is refused. A
// TypeError is raised under the argument's name.
bool byte_string_arg(PyObject* obj, const char* name, Bytes& out);

// ValueError "pack: " and the pack error's text.
PyObject* raise_pack_error(const PackError& e);
// ValueError "sbinpack: " and the sbinpack error's debug text.
PyObject* raise_sbinpack_error(const SbinpackError& e);
// ValueError "failed to <what> file '<path>': " and the system's text; `what` names
// the step and the format, as "read pack".
PyObject* raise_file_error(const char* what, const std::string& path, const IoError& e);
// The whole file the path argument (str or path-like) names; the read failure raised
// as "failed to read <format> file ...".
std::optional<Bytes> read_file_arg(PyObject* path, const char* format);
// Writes the bytes as the whole file: None, or the failure raised as "failed to write
// <format> file ...".
PyObject* write_file_result(const std::string& path, ByteSpan bytes, const char* format);

// The bytes an encoder made, or nothing with its error raised by `raise`.
template <class Error, class Raise>
std::optional<Bytes> encoded_or_raised(Expected<Bytes, Error> encoded, Raise raise) {
    if (!encoded) {
        raise(encoded.error());
        return std::nullopt;
    }
    return std::move(*encoded);
}

// decode_<format>(data) and decode_<format>_file(path): the bytes of the argument, or of
// the file it names, decoded into the result by `Decode`.
template <PyObject* (*Decode)(ByteSpan)>
PyObject* decode_data_arg(PyObject* const* args) {
    Bytes data;
    if (!byte_string_arg(args[0], "data", data)) return nullptr;
    return Decode(data);
}
template <PyObject* (*Decode)(ByteSpan), Text Format>
PyObject* decode_file_arg(PyObject* const* args) {
    auto data = read_file_arg(args[0], Format.chars);
    return data ? Decode(*data) : nullptr;
}

// A new bytes object holding the bytes.
PyObject* bytes_object(ByteSpan bytes);

// A bool or numpy's boolean scalar; null (not given) keeps `out`.
bool optional_flag_arg(PyObject* obj, const char* name, bool& out);

struct SbinpackOptions {
    std::int16_t stem_score = 0;
    bool include_main = true;
    bool include_variations = false;
};
// The three options in this order, each only when given; the stem score is a signed
// 16-bit int (OverflowError outside it, unchanged).
bool sbinpack_options_arg(PyObject* stem_score, PyObject* include_main, PyObject* include_variations,
                          SbinpackOptions& out);

// Metadata past the format's 127 bytes raises the sbinpack MetadataTooLarge error.
bool check_sbinpack_metadata(ByteSpan metadata);

// A new Record rebuilt from one chain (moves checked); ValueError "sbinpack: " and the
// failure otherwise.
PyObject* record_object_of_chain(const SbinpackChain& chain);

}  // namespace korvan::py
