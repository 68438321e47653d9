// The values a YaneuraOu db book hands out: YaneuraOuBookEntry, YaneuraOuBookMove and
// YaneuraOuBookDiagnostics. All are read-only copies; lists are built anew on each
// access.

#include <string>

#include "books/yaneuraou_tags.h"
#include "records/quoted_text.h"
#include "support/convert.h"
#include "support/fields.h"
#include "support/lists.h"
#include "support/simple_classes.h"
#include "values/value_tags.h"

namespace korvan::py {

namespace {

// "Some(5)" or "None", as the reprs show an optional number.
template <class T>
std::string optional_repr(const std::optional<T>& v) {
    return v ? "Some(" + std::to_string(*v) + ")" : std::string("None");
}

// ---- YaneuraOuBookDiagnostics

using Kind = YaneuraOuOrdering::Kind;

PyObject* diagnostics_kind(const YaneuraOuOrdering& o) { return message_str(yaneuraou_ordering_name(o.kind)); }
PyObject* diagnostics_complete(const YaneuraOuOrdering& o) {
    if (o.kind != Kind::Sorted) Py_RETURN_NONE;
    return PyBool_FromLong(o.complete);
}
PyObject* diagnostics_checked_rows(const YaneuraOuOrdering& o) {
    if (o.kind == Kind::InvalidHeader) Py_RETURN_NONE;
    return PyLong_FromUnsignedLongLong(o.checked_rows);
}
PyObject* diagnostics_line_number(const YaneuraOuOrdering& o) {
    if (o.kind != Kind::Unsorted) Py_RETURN_NONE;
    return PyLong_FromUnsignedLongLong(o.line_number);
}
PyObject* diagnostics_previous_sfen(const YaneuraOuOrdering& o) {
    if (o.kind != Kind::Unsorted) Py_RETURN_NONE;
    return to_py_str(o.previous_sfen);
}
PyObject* diagnostics_current_sfen(const YaneuraOuOrdering& o) {
    if (o.kind != Kind::Unsorted) Py_RETURN_NONE;
    return to_py_str(o.current_sfen);
}
PyObject* diagnostics_repr(const YaneuraOuOrdering& o) {
    return message_str(std::string("YaneuraOuBookDiagnostics(kind=\"") + yaneuraou_ordering_name(o.kind) + "\")");
}

constexpr Attributes DIAGNOSTICS_GETSET = attribute_table<YaneuraOuBookDiagnosticsClass,
    Attribute<"kind", diagnostics_kind, ReadOnly, "\"sorted\", \"unsorted\" or \"invalid_header\".">,
    Attribute<"complete", diagnostics_complete, ReadOnly,
              "Sorted: whether the check reached the end of the file; else None.">,
    Attribute<"checked_rows", diagnostics_checked_rows, ReadOnly,
              "The position lines checked; None for an invalid header.">,
    Attribute<"line_number", diagnostics_line_number, ReadOnly, "Unsorted: the out-of-order position line.">,
    Attribute<"previous_sfen", diagnostics_previous_sfen, ReadOnly,
              "Unsorted: the normalised SFEN of the position line before it.">,
    Attribute<"current_sfen", diagnostics_current_sfen, ReadOnly,
              "Unsorted: the normalised SFEN of the out-of-order position line.">>;

// ---- YaneuraOuBookMove

PyObject* move_mv(const YaneuraOuMove& m) { return wrap<MoveClass>(m.mv); }
PyObject* move_ponder(const YaneuraOuMove& m) { return wrap<MoveClass>(m.ponder); }
PyObject* move_repr(const YaneuraOuMove& m) {
    return message_str("YaneuraOuBookMove(move=" + move_display_usi(m.mv) + ", ponder=" + move_display_usi(m.ponder) +
                       ", score=" + optional_repr(m.score) + ", depth=" + optional_repr(m.depth) +
                       ", count=" + optional_repr(m.count) + ")");
}

constexpr Attributes MOVE_GETSET = attribute_table<YaneuraOuBookMoveClass,
    Attribute<"mv", move_mv, ReadOnly, "The move as a new Move.">,
    Attribute<"ponder", move_ponder, ReadOnly, "The expected reply as a new Move; Move(0) when it is none.">,
    Attribute<"score", member<&YaneuraOuMove::score>>,
    Attribute<"depth", member<&YaneuraOuMove::depth>>,
    Attribute<"count", member<&YaneuraOuMove::count>>,
    Attribute<"comment", member<&YaneuraOuMove::comment>, ReadOnly,
              "The move's comment lines joined by line feeds; \"\" for none.">>;

// ---- YaneuraOuBookEntry

PyObject* entry_moves(const YaneuraOuEntry& e) { return list_of<YaneuraOuBookMoveClass>(e.moves); }
Py_ssize_t entry_length(const YaneuraOuEntry& e) { return static_cast<Py_ssize_t>(e.moves.size()); }
PyObject* entry_repr(const YaneuraOuEntry& e) {
    return message_str("YaneuraOuBookEntry(sfen=" + quoted_text(e.sfen) + ", min_ply=" + std::to_string(e.min_ply) +
                       ", moves=" + std::to_string(e.moves.size()) + ")");
}

constexpr Attributes ENTRY_GETSET = attribute_table<YaneuraOuBookEntryClass,
    Attribute<"sfen", member<&YaneuraOuEntry::sfen>, ReadOnly, "The normalised SFEN (ply 1).">,
    Attribute<"min_ply", member<&YaneuraOuEntry::min_ply>, ReadOnly,
              "The ply of the position line; 0 when it had none.">,
    Attribute<"comment", member<&YaneuraOuEntry::comment>, ReadOnly,
              "The comment lines before the first move; \"\" for none.">,
    Attribute<"moves", entry_moves, ReadOnly, "The moves in file order, as a new list.">>;

}  // namespace

const ClassDefinition YaneuraOuBookDiagnosticsClass::definition =
    simple_class<YaneuraOuBookDiagnosticsClass, diagnostics_repr>(
        "What an ordering check of a YaneuraOu db book found.", DIAGNOSTICS_GETSET);

const ClassDefinition YaneuraOuBookMoveClass::definition =
    simple_class<YaneuraOuBookMoveClass, move_repr>("A move line of a YaneuraOu db book.", MOVE_GETSET);

const ClassDefinition YaneuraOuBookEntryClass::definition =
    simple_class<YaneuraOuBookEntryClass, entry_repr, entry_length>("A position of a YaneuraOu db book with its moves.",
                                                                    ENTRY_GETSET);

}  // namespace korvan::py
