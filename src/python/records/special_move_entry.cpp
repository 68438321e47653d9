// SpecialMoveEntry: the entry that ends a line of play (a resignation, a draw, an
// interruption, ...) with its result, comment, time and source text.

#include "board/board_tags.h"
#include "support/convert.h"
#include "records/value_forms.h"
#include "support/simple_classes.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

using SE = SpecialMoveEntryClass;

std::string_view kind_name(SpecialMoveKind kind) { return SPECIAL_MOVE_KIND_NAMES[static_cast<int>(kind)]; }

// The kind named by `text` with its ASCII letters compared in upper case; the message
// of a failure shows the upper-cased text.
bool kind_from_text(std::string_view text, SpecialMoveKind& out) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (int i = 0; i < SPECIAL_MOVE_KIND_NB; ++i) {
        if (SPECIAL_MOVE_KIND_NAMES[i] == upper) {
            out = static_cast<SpecialMoveKind>(i);
            return true;
        }
    }
    return raise_value_error("invalid SpecialMove kind: " + upper);
}

// The comment, time and raw text, shared by the constructor and from_result.
struct EntryFields {
    std::optional<std::string> comment;
    std::optional<Duration> time;
    std::optional<std::string> raw;
};

SpecialMoveEntry make_entry(SpecialMoveKind kind, GameResult result, std::string unknown_name, EntryFields fields) {
    SpecialMoveEntry entry;
    entry.special.kind = kind;
    entry.special.result = result;
    entry.special.unknown_name = std::move(unknown_name);
    entry.special.raw = std::move(fields.raw);
    entry.annotations.comment = std::move(fields.comment);
    entry.annotations.time = fields.time;
    return entry;
}

// SpecialMoveEntry(kind, result, unknown_name=None, comment=None, time_ms=None, raw=None):
// the arguments convert in the order kind, unknown_name, comment, time_ms, raw, result.
bool special_move_entry_init(PyObject* const* args, SpecialMoveEntry& out) {
    std::string_view kind_text;
    if (!str_arg(args[0], "kind", kind_text)) return false;
    std::optional<std::string> unknown_name;
    EntryFields fields;
    GameResult result = INVALID;
    if (!optional_str_arg(args[2], "unknown_name", unknown_name) ||
        !optional_str_arg(args[3], "comment", fields.comment) ||
        !time_ms_from_object(args[4], "time_ms", fields.time) ||
        !optional_str_arg(args[5], "raw", fields.raw) || !game_result_from_object(args[1], result))
        return false;
    SpecialMoveKind kind{};
    if (!kind_from_text(kind_text, kind)) return false;
    std::string name;
    if (kind == SpecialMoveKind::Unknown) name = unknown_name ? std::move(*unknown_name) : std::string("UNKNOWN");
    out = make_entry(kind, result, std::move(name), std::move(fields));
    return true;
}

// from_result(result, time_ms=None, comment=None, raw=None): always a plain
// SpecialMoveEntry.
PyObject* from_result(PyTypeObject*, PyObject* const* args) {
    EntryFields fields;
    GameResult result = INVALID;
    if (!time_ms_from_object(args[1], "time_ms", fields.time) ||
        !optional_str_arg(args[2], "comment", fields.comment) ||
        !optional_str_arg(args[3], "raw", fields.raw) || !game_result_from_object(args[0], result))
        return nullptr;
    return special_move_entry_to_object(
        make_entry(special_move_kind_from_result(result), result, std::string(), std::move(fields)));
}

PyObject* kind(const SpecialMoveEntry& entry) { return to_py_str(kind_name(entry.special.kind)); }
PyObject* result(const SpecialMoveEntry& entry) { return wrap<GameResultClass>(entry.special.result); }
PyObject* unknown_name(const SpecialMoveEntry& entry) {
    if (entry.special.kind != SpecialMoveKind::Unknown) Py_RETURN_NONE;
    return to_py_str(entry.special.unknown_name);
}
PyObject* comment(const SpecialMoveEntry& entry) { return optional_str_to_py(entry.annotations.comment); }
PyObject* time_ms(const SpecialMoveEntry& entry) { return time_ms_to_object(entry.annotations.time); }
PyObject* raw(const SpecialMoveEntry& entry) { return optional_str_to_py(entry.special.raw); }

bool text_value(PyObject* obj, std::optional<std::string>& out) { return optional_str_arg(obj, "value", out); }
bool time_value(PyObject* obj, std::optional<Duration>& out) { return time_ms_from_object(obj, "value", out); }

void store_comment(SpecialMoveEntry& entry, std::optional<std::string>& value) {
    entry.annotations.comment = std::move(value);
}
void store_time(SpecialMoveEntry& entry, std::optional<Duration>& value) { entry.annotations.time = value; }
void store_raw(SpecialMoveEntry& entry, std::optional<std::string>& value) { entry.special.raw = std::move(value); }

PyObject* special_move_entry_repr(const SpecialMoveEntry& entry) {
    check_index("GAME_RESULT_NAMES", entry.special.result, GAME_RESULT_NB);
    const std::string text = "SpecialMoveEntry(kind=" + std::string(kind_name(entry.special.kind)) +
                             ", result=" + std::string(GAME_RESULT_NAMES[entry.special.result]) +
                             ", time_ms=" + optional_number_text(duration_ms_u32(entry.annotations.time)) + ")";
    return to_py_str(text);
}

constexpr Methods methods = method_table<SE,
    ClassMethod<"from_result(result, time_ms=None, comment=None, raw=None)", from_result>>;

constexpr Attributes getset = attribute_table<SE,
    Attribute<"kind", kind>,
    Attribute<"result", result>,
    Attribute<"unknown_name", unknown_name>,
    Attribute<"comment", comment, Converted<text_value, store_comment>>,
    Attribute<"time_ms", time_ms, Converted<time_value, store_time>>,
    Attribute<"raw", raw, Converted<text_value, store_raw>>>;

}  // namespace

PyObject* special_move_entry_to_object(const SpecialMoveEntry& entry) { return wrap<SE>(entry); }

const ClassDefinition SE::definition = simple_class<SE, special_move_entry_repr>(
    constructor<SE, "(kind, result, unknown_name=None, comment=None, time_ms=None, "
        "raw=None)", special_move_entry_init>,
    getset,
    methods);

}  // namespace korvan::py
