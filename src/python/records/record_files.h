#pragma once
// Record text files, read and written through the interpreter's pathlib. Every
// exception on the way (pathlib, os.fspath, the codec, the file) reaches the caller
// unchanged.
//
// An encoding the caller names is used as it is. Without one, a file is read as
// bytes and decoded with the first of these that decodes it: the encoding it names
// for itself (a UTF-8 byte-order mark, or the format's declaration line), "utf-8"
// when the bytes are valid UTF-8, the format's default, and "cp932" (Windows'
// Shift_JIS, which has characters Shift_JIS lacks); when none does, the default's
// error is raised. Without one a text is written in the default, or in "cp932" when
// the default "shift_jis" cannot encode it and "cp932" can.

#include <optional>
#include <string>
#include <string_view>

#include "core/records/file_encoding.h"
#include "support/python.h"

namespace korvan::py {

enum class DefaultEncoding { ShiftJis, Utf8, Kif };

// The KIF rule: "utf-8" for a last path component whose extension is "kifu" in any
// ASCII case, else "shift_jis".
std::string kif_default_encoding_of(std::string_view path);

// An optional encoding argument: None or absent gives nothing.
bool encoding_arg(PyObject* obj, std::optional<std::string>& out);

// The text of a file, with the line ends of text-mode reading.
bool read_text_file(PyObject* path, const std::optional<std::string>& encoding, DefaultEncoding rule,
                    EncodingLine declaration, std::string& out);
// The text is encoded whole before the file is opened, so a character the codec cannot
// write, or a codec the interpreter lacks, leaves an existing file untouched.
bool write_text_file(PyObject* path, std::string_view text, const std::optional<std::string>& encoding,
                     DefaultEncoding rule);

}  // namespace korvan::py
