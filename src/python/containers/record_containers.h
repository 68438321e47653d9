#pragma once
// What the Record container methods and the pack and sbinpack module functions share:
// byte-string arguments and results, the sbinpack options, the container errors under
// their leads, and records rebuilt from sbinpack chains as Record objects.
//
// Each function that converts or raises returns false (or null) with a Python
// exception set on failure.

#include <cstdint>
#include <string>

#include "records/record_tags.h"
#include "core/containers/pack_error.h"
#include "core/containers/sbinpack.h"

namespace korvan::py {

// ValueError "pack: " and the pack error's text.
PyObject* raise_pack_error(const PackError& e);
// ValueError "sbinpack: " and the sbinpack error's debug text.
PyObject* raise_sbinpack_error(const SbinpackError& e);
// ValueError carrying the text as it stands.

PyObject* bytes_object(ByteSpan bytes);

// bytes, bytearray or any other sequence of ints 0..255, copied; a str is refused. A
// TypeError is raised under the argument's name.
bool byte_string_arg(PyObject* obj, const char* name, Bytes& out);
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
