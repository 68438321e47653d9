// Record methods of the text formats: KIF, KI2, CSA and JKF texts and files, read and
// written. The format code lives in the core; this file converts the arguments, runs
// a reader or writer and turns its error into ValueError.

#include "support/convert.h"
#include "records/record_args.h"
#include "records/record_files.h"
#include "records/record_groups.h"
#include "core/records/formats/csa/csa_reader.h"
#include "core/records/formats/csa/csa_writer.h"
#include "core/records/formats/jkf/jkf_reader.h"
#include "core/records/formats/jkf/jkf_writer.h"
#include "core/records/formats/kif/ki2_reader.h"
#include "core/records/formats/kif/kif_errors.h"
#include "core/records/formats/kif/kif_reader.h"
#include "core/records/formats/kif/kif_writer.h"
#include "core/records/formats/kif/ki2_writer.h"

namespace korvan::py {

namespace {

using RC = RecordClass;

PyObject* value_error(const std::string& text) {
    PyErr_SetString(PyExc_ValueError, text.c_str());
    return nullptr;
}

// One text format: its reader and writer with their error texts, and the default
// encoding of its files.
struct Format {
    Expected<Record, std::string> (*read)(std::string_view);
    Expected<std::string, std::string> (*write)(const Record&);
    DefaultEncoding encoding;
};

template <auto Parse, auto Display>
Expected<Record, std::string> read_with(std::string_view text) {
    auto r = Parse(text);
    if (!r) return unexpected(Display(r.error()));
    return std::move(*r);
}

template <auto Write, auto Display>
Expected<std::string, std::string> write_with(const Record& record) {
    auto text = Write(record);
    if (!text) return unexpected(Display(text.error()));
    return std::move(*text);
}

constexpr Format KIF{read_with<parse_kif, kif_error_display>, write_with<write_kif, kif_error_display>,
                     DefaultEncoding::Kif};
constexpr Format KI2{read_with<parse_ki2, ki2_error_display>, write_with<write_ki2, ki2_error_display>,
                     DefaultEncoding::ShiftJis};
constexpr Format CSA{read_with<parse_csa, csa_error_display>, write_with<write_csa, csa_error_display>,
                     DefaultEncoding::ShiftJis};
constexpr Format JKF{read_with<parse_jkf, jkf_error_display>, write_with<write_jkf, jkf_error_display>,
                     DefaultEncoding::Utf8};

PyObject* parsed(const Format& f, std::string_view text) {
    auto record = f.read(text);
    if (!record) return value_error(record.error());
    return wrap<RC>(std::move(*record));
}

template <const Format& F>
PyObject* from_str(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    if (!extract_str(args[0], text)) return argument_error("text"), nullptr;
    return parsed(F, text);
}

template <const Format& F>
PyObject* from_file(PyTypeObject*, PyObject* const* args) {
    std::optional<std::string> encoding;
    if (!encoding_arg(args[1], encoding)) return nullptr;
    std::string text;
    if (!read_text_file(args[0], encoding, F.encoding, text)) return nullptr;
    return parsed(F, text);
}

template <const Format& F>
PyObject* to_str(const Record& r) {
    auto text = F.write(r);
    if (!text) return value_error(text.error());
    return to_py_str(*text);
}

template <const Format& F>
PyObject* write_file(const Record& r, PyObject* const* args) {
    std::optional<std::string> encoding;
    if (!encoding_arg(args[1], encoding)) return nullptr;
    auto text = F.write(r);
    if (!text) return value_error(text.error());
    if (!write_text_file(args[0], *text, encoding, F.encoding)) return nullptr;
    Py_RETURN_NONE;
}

constexpr const char* TEXT[] = {"text"};
constexpr const char* PATH_ENCODING[] = {"path", "encoding"};

constexpr Signature FROM_KIF_STR{"from_kif_str", TEXT};
constexpr Signature FROM_KI2_STR{"from_ki2_str", TEXT};
constexpr Signature FROM_CSA_STR{"from_csa_str", TEXT};
constexpr Signature FROM_JKF_STR{"from_jkf_str", TEXT};
constexpr Signature FROM_KIF_FILE{"from_kif_file", PATH_ENCODING, 1};
constexpr Signature FROM_KI2_FILE{"from_ki2_file", PATH_ENCODING, 1};
constexpr Signature FROM_CSA_FILE{"from_csa_file", PATH_ENCODING, 1};
constexpr Signature FROM_JKF_FILE{"from_jkf_file", PATH_ENCODING, 1};
constexpr Signature TO_KIF{"to_kif"};
constexpr Signature TO_KI2{"to_ki2"};
constexpr Signature TO_CSA{"to_csa"};
constexpr Signature TO_JKF{"to_jkf"};
constexpr Signature WRITE_KIF{"write_kif", PATH_ENCODING, 1};
constexpr Signature WRITE_KI2{"write_ki2", PATH_ENCODING, 1};
constexpr Signature WRITE_CSA{"write_csa", PATH_ENCODING, 1};
constexpr Signature WRITE_JKF{"write_jkf", PATH_ENCODING, 1};

const PyMethodDef TEXT_METHODS[] = {
    class_method_def<class_method<RC, FROM_KIF_STR, from_str<KIF>>>("from_kif_str", "from_kif_str($cls, text)\n--\n\n"),
    class_method_def<class_method<RC, FROM_KI2_STR, from_str<KI2>>>("from_ki2_str", "from_ki2_str($cls, text)\n--\n\n"),
    class_method_def<class_method<RC, FROM_CSA_STR, from_str<CSA>>>("from_csa_str", "from_csa_str($cls, text)\n--\n\n"),
    class_method_def<class_method<RC, FROM_JKF_STR, from_str<JKF>>>("from_jkf_str", "from_jkf_str($cls, text)\n--\n\n"),
    class_method_def<class_method<RC, FROM_KIF_FILE, from_file<KIF>>>(
        "from_kif_file", "from_kif_file($cls, path, encoding=None)\n--\n\n"),
    class_method_def<class_method<RC, FROM_KI2_FILE, from_file<KI2>>>(
        "from_ki2_file", "from_ki2_file($cls, path, encoding='shift_jis')\n--\n\n"),
    class_method_def<class_method<RC, FROM_CSA_FILE, from_file<CSA>>>(
        "from_csa_file", "from_csa_file($cls, path, encoding='shift_jis')\n--\n\n"),
    class_method_def<class_method<RC, FROM_JKF_FILE, from_file<JKF>>>(
        "from_jkf_file", "from_jkf_file($cls, path, encoding='utf-8')\n--\n\n"),
    method_def<method<RC, TO_KIF, to_str<KIF>>>("to_kif", "to_kif($self)\n--\n\n"),
    method_def<method<RC, TO_KI2, to_str<KI2>>>("to_ki2", "to_ki2($self)\n--\n\n"),
    method_def<method<RC, TO_CSA, to_str<CSA>>>("to_csa", "to_csa($self)\n--\n\n"),
    method_def<method<RC, TO_JKF, to_str<JKF>>>("to_jkf", "to_jkf($self)\n--\n\n"),
    method_def<method<RC, WRITE_KIF, write_file<KIF>>>("write_kif", "write_kif($self, path, encoding=None)\n--\n\n"),
    method_def<method<RC, WRITE_KI2, write_file<KI2>>>("write_ki2",
                                                        "write_ki2($self, path, encoding='shift_jis')\n--\n\n"),
    method_def<method<RC, WRITE_CSA, write_file<CSA>>>("write_csa",
                                                        "write_csa($self, path, encoding='shift_jis')\n--\n\n"),
    method_def<method<RC, WRITE_JKF, write_file<JKF>>>("write_jkf", "write_jkf($self, path, encoding='utf-8')\n--\n\n"),
};

}  // namespace

std::span<const PyMethodDef> record_text_methods() { return TEXT_METHODS; }

}  // namespace korvan::py
