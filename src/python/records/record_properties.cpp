// Record properties: copies of the main line, the metadata and the terminal out, and
// the three setters (initial comment, metadata, main terminal).

#include "board/board_tags.h"
#include "support/convert.h"
#include "records/record_args.h"
#include "records/record_groups.h"
#include "support/lists.h"

namespace korvan::py {

namespace {

using RC = RecordClass;

PyObject* init_position_sfen(const Record& r) {
    return to_py_str(r.init_position_sfen ? std::string_view(*r.init_position_sfen) : STARTPOS_SFEN);
}

PyObject* initial_comment(const Record& r) { return optional_str_to_py(record_node(r, r.root).annotations.comment); }

bool convert_initial_comment(PyObject* v, std::optional<std::string>& out) {
    return optional_str_arg(v, "initial_comment", out);
}
bool store_initial_comment(Record& r, std::optional<std::string>& comment) {
    record_set_initial_comment(r, std::move(comment));
    return true;
}

PyObject* moves(const Record& r) {
    const std::vector<RecordNodeId> ids = record_main_line_ids(r);
    return list_of(ids, [&](RecordNodeId id) {
        const RecordNode& n = record_node(r, id);
        return wrap<MoveEntryClass>(MoveEntry{n.move, n.annotations});
    });
}

PyObject* metadata(const Record& r) { return wrap<RecordMetadataClass>(r.metadata); }

bool convert_metadata(PyObject* v, RecordMetadata& out) { return extract_arg<RecordMetadataClass>(v, "metadata", out); }
bool store_metadata(Record& r, RecordMetadata& md) {
    r.metadata = std::move(md);
    return true;
}

template <RecordMetadataKey K>
PyObject* standard_text(const Record& r) {
    return optional_str_to_py(r.metadata.get(K));
}

PyObject* optional_time_control(const std::optional<TimeControl>& tc) {
    if (!tc) Py_RETURN_NONE;
    return wrap<TimeControlClass>(*tc);
}
PyObject* black_time_control(const Record& r) { return optional_time_control(r.metadata.black_time_control); }
PyObject* white_time_control(const Record& r) { return optional_time_control(r.metadata.white_time_control); }

PyObject* result(const Record& r) { return wrap<GameResultClass>(record_result(r)); }
PyObject* result_info(const Record& r) { return wrap<GameResultInfoClass>(record_result_info(r)); }

PyObject* end_time_ms(const Record& r) {
    const RecordNode* t = main_terminal_node(r);
    const auto ms = t ? duration_ms_u32(t->annotations.time) : std::nullopt;
    if (!ms) Py_RETURN_NONE;
    return PyLong_FromUnsignedLong(*ms);
}

PyObject* end_comment(const Record& r) {
    const RecordNode* t = main_terminal_node(r);
    if (!t) Py_RETURN_NONE;
    return optional_str_to_py(t->annotations.comment);
}

PyObject* main_terminal(const Record& r) {
    const RecordNode* t = main_terminal_node(r);
    if (!t) Py_RETURN_NONE;
    return wrap<SpecialMoveEntryClass>(SpecialMoveEntry{*t->special, t->annotations});
}

bool convert_main_terminal(PyObject* v, std::optional<SpecialMoveEntry>& out) {
    if (v == Py_None) return true;
    return extract_arg<SpecialMoveEntryClass>(v, "terminal", out.emplace());
}
bool store_main_terminal(Record& r, std::optional<SpecialMoveEntry>& entry) {
    if (!entry) {
        PyErr_SetString(PyExc_ValueError, "main_terminal cannot be cleared (set a SpecialMoveEntry)");
        return false;
    }
    auto id = record_set_main_terminal(r, std::move(entry->special), std::move(entry->annotations));
    if (!id) return raise_record_error(id.error()), false;
    return true;
}

PyObject* move_count(const Record& r) { return PyLong_FromSize_t(record_move_count(r)); }

}  // namespace

constexpr Attributes RECORD_PROPERTIES = attribute_table<RC,
    Attribute<"init_position_sfen", init_position_sfen>,
    Attribute<"initial_comment", initial_comment, Converted<convert_initial_comment, store_initial_comment>>,
    Attribute<"moves", moves>,
    Attribute<"metadata", metadata, Converted<convert_metadata, store_metadata>>,
    Attribute<"game_name", standard_text<RecordMetadataKey::GameName>>,
    Attribute<"game_type", standard_text<RecordMetadataKey::GameType>>,
    Attribute<"updated_date", standard_text<RecordMetadataKey::UpdatedDate>>,
    Attribute<"black_time_control", black_time_control>,
    Attribute<"white_time_control", white_time_control>,
    Attribute<"result", result>,
    Attribute<"result_info", result_info>,
    Attribute<"end_time_ms", end_time_ms>,
    Attribute<"end_comment", end_comment>,
    Attribute<"main_terminal", main_terminal, Converted<convert_main_terminal, store_main_terminal>>,
    Attribute<"move_count", move_count>>;

}  // namespace korvan::py
