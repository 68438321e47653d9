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
#include "support/typed_args.h"

namespace korvan::py {

namespace {

using RC = RecordClass;

// One text format: its reader and writer with their error texts, and the default
// encoding of its files.
struct Format {
    Expected<Record, std::string> (*read)(std::string_view);
    Expected<std::string, std::string> (*write)(const Record&);
    DefaultEncoding encoding;
    EncodingLine declaration;  // where a file of the format names its encoding
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
                     DefaultEncoding::Kif, EncodingLine::Kif};
constexpr Format KI2{read_with<parse_ki2, ki2_error_display>, write_with<write_ki2, ki2_error_display>,
                     DefaultEncoding::ShiftJis, EncodingLine::Kif};
constexpr Format CSA{read_with<parse_csa, csa_error_display>, write_with<write_csa, csa_error_display>,
                     DefaultEncoding::ShiftJis, EncodingLine::Csa};
constexpr Format JKF{read_with<parse_jkf, jkf_error_display>, write_with<write_jkf, jkf_error_display>,
                     DefaultEncoding::Utf8, EncodingLine::None};

PyObject* parsed(const Format& f, std::string_view text) {
    auto record = f.read(text);
    if (!record) return raise_value_error(record.error());
    return wrap<RC>(std::move(*record));
}

template <const Format& F>
PyObject* from_str(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    if (!str_arg(args[0], "text", text)) return nullptr;
    return parsed(F, text);
}

template <const Format& F>
PyObject* from_file(PyTypeObject*, PyObject* const* args) {
    std::optional<std::string> encoding;
    if (!encoding_arg(args[1], encoding)) return nullptr;
    std::string text;
    if (!read_text_file(args[0], encoding, F.encoding, F.declaration, text)) return nullptr;
    return parsed(F, text);
}

template <const Format& F>
PyObject* to_str(const Record& r) {
    auto text = F.write(r);
    if (!text) return raise_value_error(text.error());
    return to_py_str(*text);
}

template <const Format& F>
PyObject* write_file(const Record& r, PyObject* const* args) {
    std::optional<std::string> encoding;
    if (!encoding_arg(args[1], encoding)) return nullptr;
    auto text = F.write(r);
    if (!text) return raise_value_error(text.error());
    if (!write_text_file(args[0], *text, encoding, F.encoding)) return nullptr;
    Py_RETURN_NONE;
}

constexpr Text READ_DOC =
    "Reads a record file. An encoding given is used as it is. Without one (absent or None) the bytes\n"
    "are decoded with the first of these that decodes them: the encoding the file names for itself\n"
    "(a UTF-8 byte-order mark, a first line \"#KIF ... encoding=NAME\" in KIF and KI2, \"'CSA\n"
    "encoding=NAME\" in CSA), \"utf-8\" when they are valid UTF-8, the format's default (\"utf-8\" for\n"
    "JKF and .kifu files, else \"shift_jis\") and \"cp932\"; when none does, the default's\n"
    "UnicodeDecodeError is raised.";
constexpr Text WRITE_DOC =
    "Writes the record's text to a file in the encoding given. Without one (absent or None) it is\n"
    "written in the format's default (\"utf-8\" for JKF and .kifu files, else \"shift_jis\"), or in\n"
    "\"cp932\" when \"shift_jis\" cannot encode the text and \"cp932\" can.";

}  // namespace

constexpr Methods RECORD_TEXT_METHODS = method_table<RC,
    ClassMethod<"from_kif_str(text)", from_str<KIF>>,
    ClassMethod<"from_ki2_str(text)", from_str<KI2>>,
    ClassMethod<"from_csa_str(text)", from_str<CSA>>,
    ClassMethod<"from_jkf_str(text)", from_str<JKF>>,
    ClassMethod<"from_kif_file(path, encoding=None)", from_file<KIF>, READ_DOC>,
    ClassMethod<"from_ki2_file(path, encoding='shift_jis')", from_file<KI2>, READ_DOC>,
    ClassMethod<"from_csa_file(path, encoding='shift_jis')", from_file<CSA>, READ_DOC>,
    ClassMethod<"from_jkf_file(path, encoding='utf-8')", from_file<JKF>, READ_DOC>,
    Method<"to_kif()", to_str<KIF>>,
    Method<"to_ki2()", to_str<KI2>>,
    Method<"to_csa()", to_str<CSA>>,
    Method<"to_jkf()", to_str<JKF>>,
    Method<"write_kif(path, encoding=None)", write_file<KIF>, Access::Shared, WRITE_DOC>,
    Method<"write_ki2(path, encoding='shift_jis')", write_file<KI2>, Access::Shared, WRITE_DOC>,
    Method<"write_csa(path, encoding='shift_jis')", write_file<CSA>, Access::Shared, WRITE_DOC>,
    Method<"write_jkf(path, encoding='utf-8')", write_file<JKF>, Access::Shared, WRITE_DOC>>;

}  // namespace korvan::py
