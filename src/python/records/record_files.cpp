#include "records/record_files.h"

#include <vector>

#include "support/convert.h"
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

// pathlib.Path(path) and the encoding to use with it.
bool open_path(PyObject* path, const std::optional<std::string>& encoding, DefaultEncoding rule, Ref& path_obj,
               Ref& encoding_obj) {
    Ref pathlib(PyImport_ImportModule("pathlib"));
    if (!pathlib) return false;
    Ref path_class(PyObject_GetAttrString(pathlib.get(), "Path"));
    if (!path_class) return false;
    path_obj = Ref(PyObject_CallOneArg(path_class.get(), path));
    if (!path_obj) return false;
    std::string chosen;
    if (encoding) {
        chosen = *encoding;
    } else if (rule == DefaultEncoding::Kif) {
        std::string text;
        if (!extract_path_arg(path, text)) return false;
        chosen = kif_default_encoding_of(text);
    } else {
        chosen = rule == DefaultEncoding::Utf8 ? "utf-8" : "shift_jis";
    }
    encoding_obj = Ref(to_py_str(chosen));
    return bool(encoding_obj);
}

}  // namespace

bool read_text_file(PyObject* path, const std::optional<std::string>& encoding, DefaultEncoding rule,
                    std::string& out) {
    Ref path_obj, encoding_obj;
    if (!open_path(path, encoding, rule, path_obj, encoding_obj)) return false;
    Ref read_text(PyObject_GetAttrString(path_obj.get(), "read_text"));
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

bool write_text_file(PyObject* path, std::string_view text, const std::optional<std::string>& encoding,
                     DefaultEncoding rule) {
    Ref path_obj, encoding_obj;
    if (!open_path(path, encoding, rule, path_obj, encoding_obj)) return false;
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
    Ref data(PyObject_CallMethod(translated.get(), "encode", "O", encoding_obj.get()));
    if (!data) return false;
    Ref written(PyObject_CallMethod(path_obj.get(), "write_bytes", "O", data.get()));
    return bool(written);
}

}  // namespace korvan::py
