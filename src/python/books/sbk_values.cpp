// The values an SBK book hands out: SbkEntry, SbkMove, SbkEval, SbkDiagnostics and
// SbkOpenProgress. All are read-only snapshots; lists are built anew on each access.

#include <string>

#include "books/sbk_tags.h"
#include "support/convert.h"
#include "values/value_tags.h"

namespace korvan::py {

namespace {

template <class T>
PyObject* optional_int(const std::optional<T>& v) {
    if (!v) Py_RETURN_NONE;
    return PyLong_FromLongLong(*v);
}

PyObject* optional_text(const std::optional<std::string>& v) {
    if (!v) Py_RETURN_NONE;
    return to_py_str(*v);
}

PyObject* count(std::uint64_t v) { return PyLong_FromUnsignedLongLong(v); }

// "Some(5)" or "None", as the reprs show an optional field.
std::string optional_repr(const std::optional<std::int32_t>& v) {
    return v ? "Some(" + std::to_string(*v) + ")" : std::string("None");
}

template <class C, class T>
PyObject* list_of(const std::vector<T>& values) {
    Ref list(PyList_New(static_cast<Py_ssize_t>(values.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < values.size(); ++i) {
        PyObject* item = wrap<C>(values[i]);
        if (!item) return nullptr;
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), item);
    }
    return list.release();
}

// ---- SbkDiagnostics, SbkOpenProgress

PyObject* duplicate_positions(const SbkDiagnostics& d) { return count(d.duplicate_positions); }
PyObject* unresolved_next_states(const SbkDiagnostics& d) { return count(d.unresolved_next_states); }
PyObject* diagnostics_repr(const SbkDiagnostics& d) {
    return message_str("SbkDiagnostics(duplicate_positions=" + std::to_string(d.duplicate_positions) +
                       ", unresolved_next_states=" + std::to_string(d.unresolved_next_states) + ")");
}

constexpr Attributes DIAGNOSTICS_GETSET = attribute_table<SbkDiagnosticsClass,
    Attribute<"duplicate_positions", duplicate_positions, ReadOnly,
              "Indexed states whose position had already been indexed.">,
    Attribute<"unresolved_next_states", unresolved_next_states, ReadOnly,
              "States that received no position.">>;

PyObject* indexed_states(const SbkOpenProgress& p) { return count(p.indexed_states); }
PyObject* total_states(const SbkOpenProgress& p) { return count(p.total_states); }
PyObject* progress_repr(const SbkOpenProgress& p) {
    return message_str("SbkOpenProgress(indexed_states=" + std::to_string(p.indexed_states) +
                       ", total_states=" + std::to_string(p.total_states) + ")");
}

constexpr Attributes PROGRESS_GETSET = attribute_table<SbkOpenProgressClass,
    Attribute<"indexed_states", indexed_states, ReadOnly, "States indexed so far, the current one included.">,
    Attribute<"total_states", total_states, ReadOnly, "States in the file.">>;

// ---- SbkEval

PyObject* evaluation_value(const SbkEval& e) { return optional_int(e.evaluation_value); }
PyObject* depth(const SbkEval& e) { return optional_int(e.depth); }
PyObject* sel_depth(const SbkEval& e) { return optional_int(e.sel_depth); }
PyObject* nodes(const SbkEval& e) { return optional_int(e.nodes); }
PyObject* variation(const SbkEval& e) { return optional_text(e.variation); }
PyObject* engine_name(const SbkEval& e) { return optional_text(e.engine_name); }

constexpr Attributes EVAL_GETSET = attribute_table<SbkEvalClass,
    Attribute<"evaluation_value", evaluation_value>,
    Attribute<"depth", depth>,
    Attribute<"sel_depth", sel_depth>,
    Attribute<"nodes", nodes>,
    Attribute<"variation", variation>,
    Attribute<"engine_name", engine_name>>;

// ---- SbkMove

PyObject* move_mv(const SbkMove& m) { return wrap<MoveClass>(m.mv); }
PyObject* move_raw(const SbkMove& m) { return PyLong_FromLong(m.raw_move); }
PyObject* move_evaluation(const SbkMove& m) { return optional_int(m.evaluation); }
PyObject* move_weight(const SbkMove& m) { return optional_int(m.weight); }
PyObject* move_next_state_id(const SbkMove& m) { return optional_int(m.next_state_id); }
PyObject* move_repr(const SbkMove& m) {
    return message_str("SbkMove(move=" + move_display_usi(m.mv) + ", raw_move=" + std::to_string(m.raw_move) +
                       ", evaluation=" + optional_repr(m.evaluation) + ", weight=" + optional_repr(m.weight) +
                       ", next_state_id=" + optional_repr(m.next_state_id) + ")");
}

constexpr Attributes MOVE_GETSET = attribute_table<SbkMoveClass,
    Attribute<"mv", move_mv, ReadOnly, "The move as a new Move.">,
    Attribute<"raw_move", move_raw, ReadOnly, "The stored move code, signed 32-bit.">,
    Attribute<"evaluation", move_evaluation, ReadOnly, "The mark: 0 none, 1 forced, 2 good, 3 bad, 4 blunder.">,
    Attribute<"weight", move_weight>,
    Attribute<"next_state_id", move_next_state_id, ReadOnly, "The id of the state this move leads to.">>;

// ---- SbkEntry

PyObject* entry_state_id(const SbkEntry& e) { return optional_int(e.state_id); }
PyObject* entry_state_index(const SbkEntry& e) { return count(e.state_index); }
PyObject* entry_sfen(const SbkEntry& e) { return message_str(e.sfen); }
PyObject* entry_games(const SbkEntry& e) { return optional_int(e.games); }
PyObject* entry_won_black(const SbkEntry& e) { return optional_int(e.won_black); }
PyObject* entry_won_white(const SbkEntry& e) { return optional_int(e.won_white); }
PyObject* entry_comment(const SbkEntry& e) { return optional_text(e.comment); }
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
    Attribute<"state_id", entry_state_id>,
    Attribute<"state_index", entry_state_index, ReadOnly, "The state's place in the file, from 0.">,
    Attribute<"sfen", entry_sfen, ReadOnly, "The indexed position, with the ply recorded at open.">,
    Attribute<"games", entry_games>,
    Attribute<"won_black", entry_won_black>,
    Attribute<"won_white", entry_won_white>,
    Attribute<"comment", entry_comment>,
    Attribute<"moves", entry_moves, ReadOnly, "The moves whose code converts, in file order, as a new list.">,
    Attribute<"evals", entry_evals, ReadOnly, "The engine evaluations, in file order, as a new list.">>;

}  // namespace

const ClassDefinition SbkDiagnosticsClass::definition = define<SbkDiagnosticsClass>({
    .doc = "The two counts an SBK book's open leaves.",
    .attributes = {DIAGNOSTICS_GETSET},
    .repr = slot<SbkDiagnosticsClass, diagnostics_repr>,
});

const ClassDefinition SbkOpenProgressClass::definition = define<SbkOpenProgressClass>({
    .doc = "How far an SBK book's open has come.",
    .attributes = {PROGRESS_GETSET},
    .repr = slot<SbkOpenProgressClass, progress_repr>,
});

const ClassDefinition SbkEvalClass::definition = define<SbkEvalClass>({
    .doc = "An engine evaluation stored with an SBK state.",
    .attributes = {EVAL_GETSET},
});

const ClassDefinition SbkMoveClass::definition = define<SbkMoveClass>({
    .doc = "A candidate move of an SBK state.",
    .attributes = {MOVE_GETSET},
    .repr = slot<SbkMoveClass, move_repr>,
});

const ClassDefinition SbkEntryClass::definition = define<SbkEntryClass>({
    .doc = "One state of an SBK book: its position, moves and evaluations.",
    .attributes = {ENTRY_GETSET},
    .repr = slot<SbkEntryClass, entry_repr>,
    .length = length<SbkEntryClass, entry_length>,
});

}  // namespace korvan::py
