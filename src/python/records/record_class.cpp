// The Record class: construction, repr, node queries, main-line edits and the editor
// made from a record; the body that joins every method group.

#include "support/convert.h"
#include "records/record_args.h"
#include "records/record_objects.h"
#include "records/record_groups.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

using RC = RecordClass;

// The parts both constructors take, converted in the order of their signature.
struct RecordParts {
    std::string sfen;
    std::vector<MoveEntry> moves;
    std::optional<RecordMetadata> metadata;
    std::optional<SpecialMoveEntry> terminal;
    std::optional<std::string> initial_comment;
};

bool sfen_arg(PyObject* obj, std::string& out) {
    return str_arg(obj, "init_position_sfen", out);
}

bool metadata_arg(PyObject* obj, std::optional<RecordMetadata>& out) {
    if (!obj || obj == Py_None) return true;
    return extract_arg<RecordMetadataClass>(obj, "metadata", out.emplace());
}

bool terminal_arg(PyObject* obj, std::optional<SpecialMoveEntry>& out) {
    if (!obj || obj == Py_None) return true;
    return extract_arg<SpecialMoveEntryClass>(obj, "terminal", out.emplace());
}

bool build(RecordParts parts, Record& out) {
    std::optional<SpecialMoveEntry> terminal = std::move(parts.terminal);
    auto made = record_from_main_line(std::move(parts.sfen), std::move(parts.moves), std::move(terminal));
    if (!made) return raise_record_error(made.error()), false;
    if (parts.metadata) made->metadata = std::move(*parts.metadata);
    record_set_initial_comment(*made, std::move(parts.initial_comment));
    out = std::move(*made);
    return true;
}

// Record(init_position_sfen, moves=None, metadata=None, terminal=None, initial_comment=None)
bool record_init(PyObject* const* args, Record& out) {
    RecordParts parts;
    if (!sfen_arg(args[0], parts.sfen)) return false;
    if (args[1] && args[1] != Py_None && !move_entries_arg(args[1], "moves", parts.moves)) return false;
    if (!metadata_arg(args[2], parts.metadata) || !terminal_arg(args[3], parts.terminal) ||
        !optional_str_arg(args[4], "initial_comment", parts.initial_comment))
        return false;
    return build(std::move(parts), out);
}

// Record.from_main_line(init_position_sfen, moves, terminal=None, metadata=None, initial_comment=None):
// always a plain Record.
PyObject* from_main_line(PyTypeObject*, PyObject* const* args) {
    RecordParts parts;
    if (!sfen_arg(args[0], parts.sfen) || !move_entries_arg(args[1], "moves", parts.moves) ||
        !terminal_arg(args[2], parts.terminal) || !metadata_arg(args[3], parts.metadata) ||
        !optional_str_arg(args[4], "initial_comment", parts.initial_comment))
        return nullptr;
    Record record;
    if (!build(std::move(parts), record)) return nullptr;
    return wrap<RC>(std::move(record));
}

PyObject* record_repr(const Record& r) {
    const std::string_view sfen = r.init_position_sfen ? std::string_view(*r.init_position_sfen) : STARTPOS_SFEN;
    std::string text = "Record(init_position_sfen='";
    text += sfen;
    text += "', moves=" + std::to_string(record_move_count(r)) + ", result=";
    text += GAME_RESULT_NAMES[record_result(r)];
    text += ")";
    return to_py_str(text);
}

PyObject* root_node_id(const Record& r) { return node_id_to_py(r.root); }

PyObject* main_line_ids(const Record& r) { return node_ids_to_list(record_main_line_ids(r)); }

PyObject* node_parent(const Record& r, PyObject* const* args) {
    RecordNodeId id = 0;
    if (!node_arg(args[0], r, id)) return nullptr;
    const RecordNodeId parent = record_node(r, id).parent;
    if (parent == 0) Py_RETURN_NONE;
    return node_id_to_py(parent);
}

PyObject* node_move(const Record& r, PyObject* const* args) {
    RecordNodeId id = 0;
    if (!node_arg(args[0], r, id)) return nullptr;
    const RecordNode& n = record_node(r, id);
    if (n.kind != NodeKind::Move) Py_RETURN_NONE;
    return wrap<MoveEntryClass>(MoveEntry{n.move, n.annotations});
}

PyObject* node_entry(const Record& r, PyObject* const* args) {
    RecordNodeId id = 0;
    if (!node_arg(args[0], r, id)) return nullptr;
    return record_entry_of_node(record_node(r, id));
}

PyObject* node_terminal(const Record& r, PyObject* const* args) {
    RecordNodeId id = 0;
    if (!node_arg(args[0], r, id)) return nullptr;
    const RecordNode& n = record_node(r, id);
    if (n.kind != NodeKind::Terminal) Py_RETURN_NONE;
    return wrap<SpecialMoveEntryClass>(SpecialMoveEntry{*n.special, n.annotations});
}

PyObject* children(const Record& r, PyObject* const* args) {
    RecordNodeId id = 0;
    if (!node_arg(args[0], r, id)) return nullptr;
    return node_ids_to_list(record_children(r, id));
}

PyObject* extend_main_line(Record& r, PyObject* const* args) {
    std::vector<MoveEntry> moves;
    if (!move_entries_arg(args[0], "moves", moves)) return nullptr;
    std::vector<RecordNodeId> ids;
    ids.reserve(moves.size());
    RecordNodeId parent = record_main_line_last(r);
    for (MoveEntry& e : moves) {
        auto id = record_append_move(r, parent, e.move, std::move(e.annotations));
        if (!id) return raise_record_error(id.error());
        ids.push_back(parent = *id);
    }
    return node_ids_to_list(ids);
}

PyObject* set_main_terminal(Record& r, PyObject* const* args) {
    SpecialMoveEntry entry;
    if (!extract_arg<SpecialMoveEntryClass>(args[0], "terminal", entry)) return nullptr;
    auto id = record_set_main_terminal(r, std::move(entry.special), std::move(entry.annotations));
    if (!id) return raise_record_error(id.error());
    return node_id_to_py(*id);
}

PyObject* into_editor(const Record& r) { return record_editor_from_record(r); }

constexpr Methods TREE_METHODS = method_table<RC,
    ClassMethod<"from_main_line(init_position_sfen, moves, terminal=None, metadata=None, "
        "initial_comment=None)", from_main_line>,
    Method<"root_node_id()", root_node_id>,
    Method<"main_line_ids()", main_line_ids>,
    Method<"node_parent(node_id)", node_parent>,
    Method<"node_move(node_id)", node_move>,
    Method<"node_entry(node_id)", node_entry>,
    Method<"node_terminal(node_id)", node_terminal>,
    Method<"children(node_id)", children>,
    Method<"extend_main_line(moves)", extend_main_line, Access::Exclusive>,
    Method<"set_main_terminal(terminal)", set_main_terminal, Access::Exclusive>,
    Method<"into_editor()", into_editor>>;

}  // namespace

// Class methods are ordinary entries of the type; the others are installed as
// receiver-checking descriptors, which refuse a receiver of another class in the words
// of any wrongly typed argument.
const ClassDefinition RC::definition = define<RC>({
    .constructor = constructor<RC, "(init_position_sfen, moves=None, metadata=None, terminal=None, "
        "initial_comment=None)", record_init>,
    .methods = {TREE_METHODS, RECORD_USI_METHODS, RECORD_TEXT_METHODS, RECORD_DICT_METHODS,
                RECORD_METADATA_UPDATE_METHODS, RECORD_BINARY_METHODS},
    .attributes = {RECORD_PROPERTIES},
    .repr = slot<RC, record_repr>,
    .checked_receivers = true,
});

}  // namespace korvan::py
