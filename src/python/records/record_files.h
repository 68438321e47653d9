#pragma once
// Record text files, read and written through the interpreter's pathlib in an encoding
// chosen here. Every exception on the way (pathlib, os.fspath, the codec, the file)
// reaches the caller unchanged.

#include <optional>
#include <string>
#include <string_view>

#include "support/python.h"

namespace korvan::py {

enum class DefaultEncoding { ShiftJis, Utf8, Kif };

// The KIF rule: "utf-8" for a last path component whose extension is "kifu" in any
// ASCII case, else "shift_jis".
std::string kif_default_encoding_of(std::string_view path);

// An optional encoding argument: None or absent gives nothing.
bool encoding_arg(PyObject* obj, std::optional<std::string>& out);

bool read_text_file(PyObject* path, const std::optional<std::string>& encoding, DefaultEncoding rule,
                    std::string& out);
// The text is encoded whole before the file is opened, so a character the codec cannot
// write, or a codec the interpreter lacks, leaves an existing file untouched.
bool write_text_file(PyObject* path, std::string_view text, const std::optional<std::string>& encoding,
                     DefaultEncoding rule);

}  // namespace korvan::py
