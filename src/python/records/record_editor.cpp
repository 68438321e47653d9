// RecordEditor: a cursor over a record with the live position at its node. It appends
// legality-checked moves and terminals, moves around the tree and hands the record out.

#include "board/board_tags.h"
#include "support/convert.h"
#include "core/board/position/parser.h"
#include "records/record_args.h"
#include "records/record_objects.h"
#include "core/records/editor.h"
#include "core/util/text.h"
#include "support/simple_classes.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

using EC = RecordEditorClass;
using Slot = std::optional<RecordEditor>;

// The live editor, or ValueError once the record has been moved out.
RecordEditor* live(Slot& slot) {
    if (slot) return &*slot;
    PyErr_SetString(PyExc_ValueError, "RecordEditor has already been consumed");
    return nullptr;
}
const RecordEditor* live(const Slot& slot) { return live(const_cast<Slot&>(slot)); }

bool make_editor(Record record, Slot& out) {
    auto editor = record_editor_new(std::move(record));
    if (!editor) return raise_record_error(editor.error()), false;
    out.emplace(std::move(*editor));
    return true;
}

// RecordEditor(init_position): "startpos" or an SFEN text, white space around ignored.
bool editor_init(PyObject* const* args, Slot& out) {
    std::string_view text;
    if (!str_arg(args[0], "init_position", text)) return false;
    text = trim_whitespace(text);
    auto record = record_new(text == "startpos" ? std::nullopt : std::optional<std::string>(text));
    if (!record) return raise_record_error(record.error()), false;
    return make_editor(std::move(*record), out);
}

PyObject* from_record(PyTypeObject*, PyObject* const* args) {
    if (!is_instance<RecordClass>(args[0])) {
        wrong_class(args[0], "Record");
        argument_error("record");
        return nullptr;
    }
    Object<RecordClass>* source = object_of<RecordClass>(args[0]);
    SharedBorrow guard(source->borrow);
    if (!guard) return nullptr;
    return record_editor_from_record(source->value);
}

PyObject* record(const Slot& slot) {
    const RecordEditor* e = live(slot);
    if (!e) return nullptr;
    return wrap<RecordClass>(e->record);
}

PyObject* into_record(Slot& slot) {
    RecordEditor* e = live(slot);
    if (!e) return nullptr;
    Record record = std::move(e->record);
    slot.reset();
    return wrap<RecordClass>(std::move(record));
}

PyObject* rebuild_at(RecordEditor& e, RecordNodeId target) {
    auto done = record_editor_rebuild_position(e, target);
    if (!done) return raise_record_error(done.error());
    Py_RETURN_NONE;
}

PyObject* go_to(Slot& slot, PyObject* const* args) {
    std::uint64_t index = 0;
    if (!int_arg(args[0], "node_id", index)) return nullptr;
    if (index > 4'294'967'294ull) {
        PyErr_SetString(PyExc_IndexError, "node_id out of range");
        return nullptr;
    }
    RecordEditor* e = live(slot);
    if (!e) return nullptr;
    return rebuild_at(*e, static_cast<RecordNodeId>(index + 1));
}

PyObject* go_back(Slot& slot) {
    RecordEditor* e = live(slot);
    if (!e) return nullptr;
    const RecordNodeId parent = record_node(e->record, e->current).parent;
    if (parent == 0) Py_RETURN_FALSE;
    Ref done(rebuild_at(*e, parent));
    if (!done) return nullptr;
    Py_RETURN_TRUE;
}

bool child_index_arg(PyObject* obj, std::uint64_t& out) {
    out = 0;
    if (!obj) return true;
    return int_arg(obj, "child_index", out);
}

// The child at `index` of the cursor's node, first made the main line when `branch`.
PyObject* step_forward(Slot& slot, PyObject* const* args, bool branch) {
    std::uint64_t index = 0;
    if (!child_index_arg(args[0], index)) return nullptr;
    RecordEditor* e = live(slot);
    if (!e) return nullptr;
    if (index >= record_child_count(e->record, e->current)) Py_RETURN_FALSE;
    RecordNodeId child = record_children(e->record, e->current)[index];
    if (branch) {
        auto moved = record_move_child_to_front(e->record, e->current, index);
        if (!moved) return raise_record_error(moved.error());
        child = *moved;
    }
    Ref done(rebuild_at(*e, child));
    if (!done) return nullptr;
    Py_RETURN_TRUE;
}

PyObject* go_forward(Slot& slot, PyObject* const* args) { return step_forward(slot, args, false); }
PyObject* branch_to(Slot& slot, PyObject* const* args) { return step_forward(slot, args, true); }

PyObject* append_move(Slot& slot, PyObject* const* args) {
    MoveEntry entry;
    if (!extract_arg<MoveEntryClass>(args[0], "move", entry)) return nullptr;
    RecordEditor* e = live(slot);
    if (!e) return nullptr;
    auto id = record_editor_append_entry(*e, std::move(entry));
    if (!id) return raise_record_error(id.error());
    return node_id_to_py(*id);
}

PyObject* append_special(Slot& slot, PyObject* const* args) {
    SpecialMoveEntry entry;
    if (!extract_arg<SpecialMoveEntryClass>(args[0], "special", entry)) return nullptr;
    RecordEditor* e = live(slot);
    if (!e) return nullptr;
    auto id = record_append_terminal(e->record, e->current, std::move(entry.special), std::move(entry.annotations));
    if (!id) return raise_record_error(id.error());
    e->current = *id;
    return node_id_to_py(*id);
}

PyObject* position(const Slot& slot) {
    const RecordEditor* e = live(slot);
    if (!e) return nullptr;
    return wrap<BoardClass>(e->position);
}

PyObject* current_node(const Slot& slot) {
    const RecordEditor* e = live(slot);
    if (!e) return nullptr;
    return node_id_to_py(e->current);
}

PyObject* position_sfen(const Slot& slot) {
    const RecordEditor* e = live(slot);
    if (!e) return nullptr;
    return message_str(position_to_sfen(e->position, e->position.ply));
}

PyObject* editor_repr(const Slot& slot) {
    if (!slot) return to_py_str("RecordEditor(consumed)");
    return to_py_str("RecordEditor(current_node=" + std::to_string(node_index(slot->current)) + ")");
}

constexpr Methods methods = method_table<EC,
    ClassMethod<"from_record(record)", from_record>,
    Method<"record()", record>,
    Method<"into_record()", into_record, Access::Exclusive>,
    Method<"go_to(node_id)", go_to, Access::Exclusive>,
    Method<"go_back()", go_back, Access::Exclusive>,
    Method<"go_forward(child_index=0)", go_forward, Access::Exclusive>,
    Method<"branch_to(child_index=0)", branch_to, Access::Exclusive>,
    Method<"append_move(move)", append_move, Access::Exclusive>,
    Method<"append_special(special)", append_special, Access::Exclusive>>;

constexpr Attributes getset = attribute_table<EC,
    Attribute<"position", position>,
    Attribute<"current_node", current_node>,
    Attribute<"position_sfen", position_sfen>>;

}  // namespace

PyObject* record_editor_from_record(const Record& record) {
    Slot slot;
    if (!make_editor(record, slot)) return nullptr;
    return wrap<EC>(std::move(slot));
}

const ClassDefinition EC::definition =
    simple_class<EC, editor_repr>(constructor<EC, "(init_position)", editor_init>, getset, methods);

}  // namespace korvan::py
