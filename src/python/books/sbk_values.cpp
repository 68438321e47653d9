// The values an SBK book hands out: SbkEntry, SbkMove, SbkEval, SbkDiagnostics and
// SbkOpenProgress. All are read-only snapshots; lists are built anew on each access.

#include <string>

#include "books/sbk_tags.h"
#include "support/convert.h"
#include "support/fields.h"
#include "support/lists.h"
#include "support/simple_classes.h"
#include "values/value_tags.h"

namespace korvan::py {

namespace {

// "Some(5)" or "None", as the reprs show an optional field.
std::string optional_repr(const std::optional<std::int32_t>& v) {
    return v ? "Some(" + std::to_string(*v) + ")" : std::string("None");
}

// ---- SbkDiagnostics, SbkOpenProgress

PyObject* diagnostics_repr(const SbkDiagnostics& d) {
    return message_str("SbkDiagnostics(duplicate_positions=" + std::to_string(d.duplicate_positions) +
                       ", unresolved_next_states=" + std::to_string(d.unresolved_next_states) + ")");
}

constexpr Attributes DIAGNOSTICS_GETSET = attribute_table<SbkDiagnosticsClass,
    Attribute<"duplicate_positions", member<&SbkDiagnostics::duplicate_positions>, ReadOnly,
              "Indexed states whose position had already been indexed.">,
    Attribute<"unresolved_next_states", member<&SbkDiagnostics::unresolved_next_states>, ReadOnly,
              "States that received no position.">>;

PyObject* progress_repr(const SbkOpenProgress& p) {
    return message_str("SbkOpenProgress(indexed_states=" + std::to_string(p.indexed_states) +
                       ", total_states=" + std::to_string(p.total_states) + ")");
}

constexpr Attributes PROGRESS_GETSET = attribute_table<SbkOpenProgressClass,
    Attribute<"indexed_states", member<&SbkOpenProgress::indexed_states>, ReadOnly,
              "States indexed so far, the current one included.">,
    Attribute<"total_states", member<&SbkOpenProgress::total_states>, ReadOnly, "States in the file.">>;

// ---- SbkEval

constexpr Attributes EVAL_GETSET = attribute_table<SbkEvalClass,
    Attribute<"evaluation_value", member<&SbkEval::evaluation_value>>,
    Attribute<"depth", member<&SbkEval::depth>>,
    Attribute<"sel_depth", member<&SbkEval::sel_depth>>,
    Attribute<"nodes", member<&SbkEval::nodes>>,
    Attribute<"variation", member<&SbkEval::variation>>,
    Attribute<"engine_name", member<&SbkEval::engine_name>>>;

// ---- SbkMove

PyObject* move_mv(const SbkMove& m) { return wrap<MoveClass>(m.mv); }
PyObject* move_repr(const SbkMove& m) {
    return message_str("SbkMove(move=" + move_display_usi(m.mv) + ", raw_move=" + std::to_string(m.raw_move) +
                       ", evaluation=" + optional_repr(m.evaluation) + ", weight=" + optional_repr(m.weight) +
                       ", next_state_id=" + optional_repr(m.next_state_id) + ")");
}

constexpr Attributes MOVE_GETSET = attribute_table<SbkMoveClass,
    Attribute<"mv", move_mv, ReadOnly, "The move as a new Move.">,
    Attribute<"raw_move", member<&SbkMove::raw_move>, ReadOnly, "The stored move code, signed 32-bit.">,
    Attribute<"evaluation", member<&SbkMove::evaluation>, ReadOnly,
              "The mark: 0 none, 1 forced, 2 good, 3 bad, 4 blunder.">,
    Attribute<"weight", member<&SbkMove::weight>>,
    Attribute<"next_state_id", member<&SbkMove::next_state_id>, ReadOnly, "The id of the state this move leads to.">>;

// ---- SbkEntry

PyObject* entry_sfen(const SbkEntry& e) { return message_str(e.sfen); }
PyObject* entry_moves(const SbkEntry& e) { return list_of<SbkMoveClass>(e.moves); }
PyObject* entry_evals(const SbkEntry& e) { return list_of<SbkEvalClass>(e.evals); }
Py_ssize_t entry_length(const SbkEntry& e) {
    if (e.moves.size() > static_cast<std::size_t>(PY_SSIZE_T_MAX)) {
        PyErr_SetString(PyExc_OverflowError, "cannot fit 'int' into an index-sized integer");
        return -1;
    }
    return static_cast<Py_ssize_t>(e.moves.size());
}
PyObject* entry_repr(const SbkEntry& e) {
    return message_str("SbkEntry(state_index=" + std::to_string(e.state_index) +
                       ", state_id=" + optional_repr(e.state_id) + ", moves=" + std::to_string(e.moves.size()) +
                       ", evals=" + std::to_string(e.evals.size()) + ")");
}

constexpr Attributes ENTRY_GETSET = attribute_table<SbkEntryClass,
    Attribute<"state_id", member<&SbkEntry::state_id>>,
    Attribute<"state_index", member<&SbkEntry::state_index>, ReadOnly, "The state's place in the file, from 0.">,
    Attribute<"sfen", entry_sfen, ReadOnly, "The indexed position, with the ply recorded at open.">,
    Attribute<"games", member<&SbkEntry::games>>,
    Attribute<"won_black", member<&SbkEntry::won_black>>,
    Attribute<"won_white", member<&SbkEntry::won_white>>,
    Attribute<"comment", member<&SbkEntry::comment>>,
    Attribute<"moves", entry_moves, ReadOnly, "The moves whose code converts, in file order, as a new list.">,
    Attribute<"evals", entry_evals, ReadOnly, "The engine evaluations, in file order, as a new list.">>;

}  // namespace

const ClassDefinition SbkDiagnosticsClass::definition = simple_class<SbkDiagnosticsClass, diagnostics_repr>(
    "The two counts an SBK book's open leaves.",
    DIAGNOSTICS_GETSET);

const ClassDefinition SbkOpenProgressClass::definition =
    simple_class<SbkOpenProgressClass, progress_repr>("How far an SBK book's open has come.", PROGRESS_GETSET);

const ClassDefinition SbkEvalClass::definition =
    simple_class<SbkEvalClass>("An engine evaluation stored with an SBK state.", EVAL_GETSET);

const ClassDefinition SbkMoveClass::definition =
    simple_class<SbkMoveClass, move_repr>("A candidate move of an SBK state.", MOVE_GETSET);

const ClassDefinition SbkEntryClass::definition = simple_class<SbkEntryClass, entry_repr, entry_length>(
    "One state of an SBK book: its position, moves and evaluations.",
    ENTRY_GETSET);

}  // namespace korvan::py
