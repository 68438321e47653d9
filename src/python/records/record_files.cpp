#include "records/record_files.h"

#include <algorithm>
#include <vector>

#include "core/util/utf8_check.h"
#include "support/convert.h"
#include "support/errors.h"
#include "support/ref.h"
#include "support/typed_args.h"

namespace korvan::py {

std::string kif_default_encoding_of(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = path.find('/', start);
        const std::size_t end = slash == std::string_view::npos ? path.size() : slash;
        const std::string_view part = path.substr(start, end - start);
        if (!part.empty() && !(part == "." && !parts.empty())) parts.push_back(part);
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    if (parts.empty() || parts.back() == "." || parts.back() == "..") return "shift_jis";
    const std::string_view name = parts.back();
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return "shift_jis";
    std::string ext(name.substr(dot + 1));
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext == "kifu" ? "utf-8" : "shift_jis";
}

bool encoding_arg(PyObject* obj, std::optional<std::string>& out) {
    if (!obj || obj == Py_None) return true;
    std::string_view text;
    if (!str_arg(obj, "encoding", text)) return false;
    out.emplace(text);
    return true;
}

namespace {

Ref pathlib_path(PyObject* path) {
    Ref pathlib(PyImport_ImportModule("pathlib"));
    if (!pathlib) return Ref();
    Ref path_class(PyObject_GetAttrString(pathlib.get(), "Path"));
    if (!path_class) return Ref();
    return Ref(PyObject_CallOneArg(path_class.get(), path));
}

// The encoding the rule gives when the caller names none.
bool default_encoding(PyObject* path, DefaultEncoding rule, std::string& out) {
    if (rule != DefaultEncoding::Kif) {
        out = rule == DefaultEncoding::Utf8 ? "utf-8" : "shift_jis";
        return true;
    }
    std::string text;
    if (!extract_path_arg(path, text)) return false;
    out = kif_default_encoding_of(text);
    return true;
}

// Reads the file as text in `encoding`, as pathlib's read_text does.
bool read_in(PyObject* path_obj, std::string_view encoding, std::string& out) {
    Ref encoding_obj(to_py_str(encoding));
    if (!encoding_obj) return false;
    Ref read_text(PyObject_GetAttrString(path_obj, "read_text"));
    if (!read_text) return false;
    Ref kwargs(PyDict_New());
    if (!kwargs || PyDict_SetItemString(kwargs.get(), "encoding", encoding_obj.get()) < 0) return false;
    Ref no_args(PyTuple_New(0));
    if (!no_args) return false;
    Ref text(PyObject_Call(read_text.get(), no_args.get(), kwargs.get()));
    if (!text) return false;
    std::string_view view;
    if (!extract_str(text.get(), view)) return false;
    out.assign(view);
    return true;
}

// Whether a codec name is UTF-8's, which is checked here rather than decoded.
bool names_utf8(std::string_view name) {
    std::string folded;
    for (char c : name) folded += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c == '_' ? '-' : c;
    return folded == "utf-8" || folded == "utf8";
}

enum class Decoded { Yes, No, Failed };

// The bytes decoded with a codec into UTF-8 text. No when they do not decode or the
// interpreter has no such text codec; Failed with any other exception raised.
Decoded decode_as(std::string_view bytes, const std::string& encoding, std::string& out) {
    if (names_utf8(encoding)) {
        if (!is_valid_utf8(bytes)) return Decoded::No;
        out.assign(bytes);
        return Decoded::Yes;
    }
    Ref text(PyUnicode_Decode(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), encoding.c_str(), "strict"));
    if (!text) {
        if (!PyErr_ExceptionMatches(PyExc_UnicodeDecodeError) && !PyErr_ExceptionMatches(PyExc_LookupError))
            return Decoded::Failed;
        PyErr_Clear();
        return Decoded::No;
    }
    std::string_view view;
    if (!extract_str(text.get(), view)) return Decoded::Failed;
    out.assign(view);
    return Decoded::Yes;
}

}  // namespace

bool read_text_file(PyObject* path, const std::optional<std::string>& encoding, DefaultEncoding rule,
                    EncodingLine declaration, std::string& out) {
    Ref path_obj = pathlib_path(path);
    if (!path_obj) return false;
    if (encoding) return read_in(path_obj.get(), *encoding, out);
    Ref data(PyObject_CallMethod(path_obj.get(), "read_bytes", nullptr));
    if (!data) return false;
    char* buffer = nullptr;
    Py_ssize_t size = 0;
    if (PyBytes_AsStringAndSize(data.get(), &buffer, &size) < 0) return false;
    const std::string_view bytes(buffer, static_cast<std::size_t>(size));
    std::string fallback;
    if (!default_encoding(path, rule, fallback)) return false;
    const std::string candidates[] = {std::string(declared_encoding(bytes, declaration)), "utf-8", fallback, "cp932"};
    for (std::size_t i = 0; i < std::size(candidates); ++i) {
        const std::string& name = candidates[i];
        if (name.empty() || std::find(candidates, candidates + i, name) != candidates + i) continue;
        switch (decode_as(bytes, name, out)) {
            case Decoded::Yes: translate_newlines(out); return true;
            case Decoded::No: break;
            case Decoded::Failed: return false;
        }
    }
    // Nothing decodes the bytes: reading in the default raises its error as it stands.
    return read_in(path_obj.get(), fallback, out);
}

namespace {

// The text encoded as str.encode does; null with the codec's error.
Ref encoded(PyObject* str, const std::string& encoding) {
    return Ref(PyUnicode_AsEncodedString(str, encoding.c_str(), "strict"));
}

}  // namespace

bool write_text_file(PyObject* path, std::string_view text, const std::optional<std::string>& encoding,
                     DefaultEncoding rule) {
    Ref path_obj = pathlib_path(path);
    if (!path_obj) return false;
    std::string chosen;
    if (encoding) {
        chosen = *encoding;
    } else if (!default_encoding(path, rule, chosen)) {
        return false;
    }
    // Line feeds become the platform's newline, as text-mode writing would make them.
    Ref os(PyImport_ImportModule("os"));
    if (!os) return false;
    Ref linesep(PyObject_GetAttrString(os.get(), "linesep"));
    if (!linesep) return false;
    Ref str(to_py_str(text));
    if (!str) return false;
    Ref newline(to_py_str("\n"));
    if (!newline) return false;
    Ref translated(PyUnicode_Replace(str.get(), newline.get(), linesep.get(), -1));
    if (!translated) return false;
    Ref data = encoded(translated.get(), chosen);
    if (!data && !encoding && chosen == "shift_jis" && PyErr_ExceptionMatches(PyExc_UnicodeEncodeError)) {
        // A character only Windows' Shift_JIS has (髙, 﨑): written in it, as the programs
        // that wrote such a file do; otherwise Shift_JIS's own error.
        Ref refused = take_exception();
        data = encoded(translated.get(), "cp932");
        if (!data) {
            if (!PyErr_ExceptionMatches(PyExc_UnicodeEncodeError)) return false;
            PyErr_Clear();
            restore_exception(std::move(refused));
        }
    }
    if (!data) return false;
    Ref written(PyObject_CallMethod(path_obj.get(), "write_bytes", "O", data.get()));
    return bool(written);
}

}  // namespace korvan::py
