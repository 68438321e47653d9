#include "records/record_args.h"

#include "support/convert.h"
#include "support/errors.h"
#include "support/lists.h"
#include "support/sequences.h"
#include "support/typed_args.h"

namespace korvan::py {

bool move_entries_arg(PyObject* obj, const char* name, std::vector<MoveEntry>& out) {
    out.clear();
    out.reserve(length_hint(obj));
    const bool ok = for_each_sequence_item(obj, [&](PyObject* item) {
        MoveEntry entry;
        bool raised = false;
        if (!extract<MoveEntryClass>(item, entry, raised)) {
            if (!raised) wrong_class(item, MoveEntryClass::name);
            return false;
        }
        out.push_back(std::move(entry));
        return true;
    });
    return named_arg(ok, name);
}

bool node_arg(PyObject* obj, const Record& record, RecordNodeId& out) {
    std::uint64_t index = 0;
    if (!int_arg(obj, "node_id", index)) return false;
    const auto id = resolve_record_node_id(record, index);
    if (!id) {
        PyErr_SetString(PyExc_IndexError, "node_id out of range");
        return false;
    }
    out = *id;
    return true;
}

PyObject* node_id_to_py(RecordNodeId id) { return PyLong_FromUnsignedLongLong(node_index(id)); }

PyObject* node_ids_to_list(const std::vector<RecordNodeId>& ids) {
    return list_of(ids, node_id_to_py);
}

PyObject* raise_record_error(const RecordError& e) {
    raise_value_error(record_error_display(e));
    return nullptr;
}

bool optional_str_arg(PyObject* obj, const char* name, std::optional<std::string>& out) {
    if (!obj || obj == Py_None) {
        out.reset();
        return true;
    }
    std::string_view text;
    if (!str_arg(obj, name, text)) return false;
    out.emplace(text);
    return true;
}

PyObject* optional_str_to_py(const std::optional<std::string>& text) {
    if (!text) Py_RETURN_NONE;
    return to_py_str(*text);
}

std::optional<std::uint32_t> duration_ms_u32(const std::optional<Duration>& d) {
    if (!d) return std::nullopt;
    const std::uint64_t ms = d->total_ms();
    if (ms > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(ms);
}

const RecordNode* main_terminal_node(const Record& r) {
    const RecordNodeId last = record_main_line_last(r);
    const RecordNode& node = record_node(r, last);
    return node.kind == NodeKind::Terminal ? &node : nullptr;
}

GameResultSummary record_result_info(const Record& r) {
    GameResultSummary out;
    out.ply_count = record_move_count(r);
    if (const RecordNode* t = main_terminal_node(r)) {
        out.result = t->special->result;
        out.reason = t->special->raw;
        out.end_time_ms = duration_ms_u32(t->annotations.time);
        out.end_comment = t->annotations.comment;
    }
    return out;
}

}  // namespace korvan::py
