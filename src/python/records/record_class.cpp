// The Record class: construction, repr, node queries, main-line edits and the editor
// made from a record; the body that joins every method group.

#include "support/convert.h"
#include "support/descriptors.h"
#include "support/joined.h"
#include "records/record_args.h"
#include "records/record_classes.h"
#include "records/record_groups.h"

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
    std::string_view text;
    if (!extract_str(obj, text)) {
        argument_error("init_position_sfen");
        return false;
    }
    out.assign(text);
    return true;
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

constexpr const char* NEW_PARAMS[] = {"init_position_sfen", "moves", "metadata", "terminal", "initial_comment"};
constexpr const char* FROM_MAIN_LINE_PARAMS[] = {"init_position_sfen", "moves", "terminal", "metadata",
                                                 "initial_comment"};
constexpr const char* NODE_ID[] = {"node_id"};
constexpr const char* MOVES[] = {"moves"};
constexpr const char* TERMINAL[] = {"terminal"};

constexpr Signature NEW{"__new__", NEW_PARAMS, 1};
constexpr Signature FROM_MAIN_LINE{"from_main_line", FROM_MAIN_LINE_PARAMS, 2};
constexpr Signature ROOT_NODE_ID{"root_node_id"};
constexpr Signature MAIN_LINE_IDS{"main_line_ids"};
constexpr Signature NODE_PARENT{"node_parent", NODE_ID};
constexpr Signature NODE_MOVE{"node_move", NODE_ID};
constexpr Signature NODE_ENTRY{"node_entry", NODE_ID};
constexpr Signature NODE_TERMINAL{"node_terminal", NODE_ID};
constexpr Signature CHILDREN{"children", NODE_ID};
constexpr Signature EXTEND_MAIN_LINE{"extend_main_line", MOVES};
constexpr Signature SET_MAIN_TERMINAL{"set_main_terminal", TERMINAL};
constexpr Signature INTO_EDITOR{"into_editor"};

const PyMethodDef TREE_METHODS[] = {
    class_method_def<class_method<RC, FROM_MAIN_LINE, from_main_line>>(
        "from_main_line",
        "from_main_line($cls, init_position_sfen, moves, terminal=None, metadata=None, initial_comment=None)\n--\n\n"),
    method_def<method<RC, ROOT_NODE_ID, root_node_id>>("root_node_id", "root_node_id($self)\n--\n\n"),
    method_def<method<RC, MAIN_LINE_IDS, main_line_ids>>("main_line_ids", "main_line_ids($self)\n--\n\n"),
    method_def<method<RC, NODE_PARENT, node_parent>>("node_parent", "node_parent($self, node_id)\n--\n\n"),
    method_def<method<RC, NODE_MOVE, node_move>>("node_move", "node_move($self, node_id)\n--\n\n"),
    method_def<method<RC, NODE_ENTRY, node_entry>>("node_entry", "node_entry($self, node_id)\n--\n\n"),
    method_def<method<RC, NODE_TERMINAL, node_terminal>>("node_terminal", "node_terminal($self, node_id)\n--\n\n"),
    method_def<method<RC, CHILDREN, children>>("children", "children($self, node_id)\n--\n\n"),
    method_def<method<RC, EXTEND_MAIN_LINE, extend_main_line, Access::Exclusive>>(
        "extend_main_line", "extend_main_line($self, moves)\n--\n\n"),
    method_def<method<RC, SET_MAIN_TERMINAL, set_main_terminal, Access::Exclusive>>(
        "set_main_terminal", "set_main_terminal($self, terminal)\n--\n\n"),
    method_def<method<RC, INTO_EDITOR, into_editor>>("into_editor", "into_editor($self)\n--\n\n"),
};

}  // namespace

std::span<const PyMethodDef> record_tree_methods() { return TREE_METHODS; }

PyTypeObject* create_record_class() {
    // Class methods are ordinary entries of the type; the others are installed as
    // receiver-checking descriptors, which refuse a receiver of another class in the
    // words of any wrongly typed argument.
    const PyMethodDef* all =
        joined<PyMethodDef>(record_tree_methods(), record_usi_methods(), record_text_methods(), record_dict_methods(),
                            record_metadata_update_methods(), record_binary_methods());
    auto* class_methods = new std::vector<PyMethodDef>();
    auto* instance_methods = new std::vector<PyMethodDef>();
    for (const PyMethodDef* m = all; m->ml_name; ++m) (m->ml_flags & METH_CLASS ? class_methods : instance_methods)->push_back(*m);
    class_methods->push_back(METHODS_END);
    instance_methods->push_back(METHODS_END);

    ClassSpec spec = class_spec<RC>(
        "Record(init_position_sfen, moves=None, metadata=None, terminal=None, initial_comment=None)\n--\n\n");
    spec.new_ = construct_new<RC, NEW, record_init>;
    spec.vectorcall = construct_vectorcall<RC, NEW, record_init>;
    spec.methods = class_methods->data();
    spec.getset = joined<PyGetSetDef>(record_property_getset());
    spec.repr = slot<RC, record_repr>;
    PyTypeObject* type = build_class(spec);
    if (!type) return nullptr;
    RC::type = type;
    if (!install_methods(type, instance_methods->data())) return nullptr;
    return type;
}

}  // namespace korvan::py
