// RecordEntry: a read-only copy of what one node holds, a move entry or a terminal.

#include "records/record_tags.h"
#include "records/record_objects.h"
#include "support/convert.h"
#include "support/simple_classes.h"

namespace korvan::py {

namespace {

using Entry = RecordEntryClass;
using EntryValue = std::variant<MoveEntry, SpecialMoveEntry>;

PyObject* kind(const EntryValue& e) { return to_py_str(e.index() == 0 ? "move" : "special"); }

PyObject* move(const EntryValue& e) {
    if (const auto* m = std::get_if<MoveEntry>(&e)) return wrap<MoveEntryClass>(*m);
    Py_RETURN_NONE;
}

PyObject* special(const EntryValue& e) {
    if (const auto* s = std::get_if<SpecialMoveEntry>(&e)) return wrap<SpecialMoveEntryClass>(*s);
    Py_RETURN_NONE;
}

PyObject* entry_repr(const EntryValue& e) {
    if (const auto* m = std::get_if<MoveEntry>(&e))
        return message_str("RecordEntry(kind=move, move=" + move_display_usi(m->move) + ")");
    const auto& s = std::get<SpecialMoveEntry>(e);
    return to_py_str("RecordEntry(kind=special, special=" +
                     std::string(SPECIAL_MOVE_KIND_NAMES[static_cast<int>(s.special.kind)]) + ")");
}

constexpr Attributes getset = attribute_table<Entry,
    Attribute<"kind", kind>,
    Attribute<"move", move>,
    Attribute<"special", special>>;

}  // namespace

PyObject* record_entry_of_node(const RecordNode& node) {
    if (node.kind == NodeKind::Move) return wrap<Entry>(EntryValue(MoveEntry{node.move, node.annotations}));
    if (node.kind == NodeKind::Terminal)
        return wrap<Entry>(EntryValue(SpecialMoveEntry{*node.special, node.annotations}));
    Py_RETURN_NONE;
}

const ClassDefinition Entry::definition = simple_class<Entry, entry_repr>("", getset);

}  // namespace korvan::py
