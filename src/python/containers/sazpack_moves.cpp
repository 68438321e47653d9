// SazPolicyEntry and SazMove: the teacher data of one training position, held as
// given; the game methods and the writer apply the remaining rules.

#include "containers/container_tags.h"
#include "support/convert.h"
#include "support/lists.h"
#include "support/sequences.h"
#include "support/simple_classes.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

using Entry = SazPolicyEntryClass;
using MoveC = SazMoveClass;

PyObject* usi_text(Move m) { return message_str(move_display_usi(m)); }

// SazPolicyEntry(mv, visits): visits first, then the move.
bool entry_init(PyObject* const* args, SazPolicyEntry& out) {
    if (!int_arg(args[1], "visits", out.visits)) return false;
    return extract_move_arg(args[0], out.mv);
}

PyObject* entry_mv(const SazPolicyEntry& e) { return usi_text(e.mv); }
PyObject* entry_visits(const SazPolicyEntry& e) { return PyLong_FromUnsignedLong(e.visits); }
PyObject* entry_repr(const SazPolicyEntry& e) {
    return message_str("SazPolicyEntry(mv='" + move_display_usi(e.mv) + "', visits=" + std::to_string(e.visits) + ")");
}

template <class T>
bool optional_int(PyObject* obj, const char* name, std::optional<T>& out) {
    if (!obj || obj == Py_None) return true;
    T v{};
    if (!int_arg(obj, name, v)) return false;
    out = v;
    return true;
}

bool policy_arg(PyObject* obj, std::vector<SazPolicyEntry>& out) {
    if (!obj || obj == Py_None) return true;
    const bool ok = for_each_sequence_item(obj, [&](PyObject* item) {
        SazPolicyEntry e;
        bool raised = false;
        if (extract<Entry>(item, e, raised)) {
            out.push_back(e);
            return true;
        }
        if (!raised) wrong_class(item, Entry::name);
        return false;
    });
    return named_arg(ok, "policy");
}

// SazMove(played, *, score_q=0, has_score_q=False, mate=None, policy=None, metadata=None)
bool move_init(PyObject* const* args, SazMove& out) {
    std::int16_t score_q = 0;
    if (args[1] && !int_arg(args[1], "score_q", score_q)) return false;
    if (args[2] && !named_arg(extract_bool(args[2], out.has_score_q), "has_score_q")) return false;
    if (!optional_int(args[3], "mate", out.mate) || !policy_arg(args[4], out.policy)) return false;
    if (args[5] && args[5] != Py_None && !named_arg(extract_byte_list(args[5], out.metadata), "metadata")) return false;
    if (!extract_move_arg(args[0], out.played)) return false;
    out.score_q = out.has_score_q ? score_q : 0;
    return true;
}

PyObject* move_played(const SazMove& m) { return usi_text(m.played); }
PyObject* move_score_q(const SazMove& m) { return PyLong_FromLong(m.score_q); }
PyObject* move_has_score_q(const SazMove& m) { return PyBool_FromLong(m.has_score_q); }
PyObject* move_mate(const SazMove& m) {
    if (!m.mate) Py_RETURN_NONE;
    return PyLong_FromLong(*m.mate);
}
PyObject* move_policy(const SazMove& m) {
    return list_of<Entry>(m.policy);
}
PyObject* move_metadata(const SazMove& m) {
    return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(m.metadata.data()),
                                     static_cast<Py_ssize_t>(m.metadata.size()));
}
PyObject* move_has_policy(const SazMove& m) { return PyBool_FromLong(!m.policy.empty()); }
PyObject* move_repr(const SazMove& m) {
    return message_str("SazMove(played='" + move_display_usi(m.played) + "', has_score_q=" +
                     (m.has_score_q ? "true" : "false") + ", policy_len=" + std::to_string(m.policy.size()) + ")");
}

constexpr Attributes entry_getset = attribute_table<Entry,
    Attribute<"mv", entry_mv, ReadOnly, "The visited move as USI text.">,
    Attribute<"visits", entry_visits, ReadOnly, "The raw visit count of the move.">>;

constexpr Attributes move_getset = attribute_table<MoveC,
    Attribute<"played", move_played, ReadOnly, "The move played from this position, as USI text.">,
    Attribute<"score_q", move_score_q, ReadOnly, "Root value q from the mover's view times 32767; 0 without "
        "has_score_q.">,
    Attribute<"has_score_q", move_has_score_q, ReadOnly, "Whether score_q is valid.">,
    Attribute<"mate", move_mate, ReadOnly, "Mate information of the position, or None.">,
    Attribute<"policy", move_policy, ReadOnly, "The sparse visit distribution as a new list of SazPolicyEntry; empty "
        "for a hard target.">,
    Attribute<"metadata", move_metadata, ReadOnly, "Per-move bytes opaque to the module.">,
    Attribute<"has_policy_distribution", move_has_policy, ReadOnly, "True when the policy has at least one entry (a "
        "soft target).">>;

}  // namespace

const ClassDefinition Entry::definition = simple_class<Entry, entry_repr>(
    constructor<Entry, "(mv, visits)", entry_init, "One entry of a sparse policy: a visited move and "
        "its raw visit count.">,
    entry_getset);

const ClassDefinition MoveC::definition = simple_class<MoveC, move_repr>(
    constructor<MoveC, "(played, *, score_q=0, has_score_q=False, mate=None, "
        "policy=None, metadata=None)", move_init, "The teacher data of one move, that is of one training position.">,
    move_getset);

}  // namespace korvan::py
