// SazPolicyEntry and SazMove: the teacher data of one training position, held as
// given; the game methods and the writer apply the remaining rules.

#include "containers/sazpack_classes.h"
#include "support/convert.h"
#include "support/sequences.h"

namespace korvan::py {

namespace {

using Entry = SazPolicyEntryClass;
using MoveC = SazMoveClass;

PyObject* usi_text(Move m) { return to_py_str(move_display_usi(m)); }

// SazPolicyEntry(mv, visits): visits first, then the move.
bool entry_init(PyObject* const* args, SazPolicyEntry& out) {
    if (!extract_int(args[1], out.visits)) {
        argument_error("visits");
        return false;
    }
    return extract_move_arg(args[0], out.mv);
}

PyObject* entry_mv(const SazPolicyEntry& e) { return usi_text(e.mv); }
PyObject* entry_visits(const SazPolicyEntry& e) { return PyLong_FromUnsignedLong(e.visits); }
PyObject* entry_repr(const SazPolicyEntry& e) {
    return to_py_str("SazPolicyEntry(mv='" + move_display_usi(e.mv) + "', visits=" + std::to_string(e.visits) + ")");
}

template <class T>
bool optional_int(PyObject* obj, const char* name, std::optional<T>& out) {
    if (!obj || obj == Py_None) return true;
    T v{};
    if (!extract_int(obj, v)) {
        argument_error(name);
        return false;
    }
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
    if (!ok) argument_error("policy");
    return ok;
}

// SazMove(played, *, score_q=0, has_score_q=False, mate=None, policy=None, metadata=None)
bool move_init(PyObject* const* args, SazMove& out) {
    std::int16_t score_q = 0;
    if (args[1] && !extract_int(args[1], score_q)) {
        argument_error("score_q");
        return false;
    }
    if (args[2] && !extract_bool(args[2], out.has_score_q)) {
        argument_error("has_score_q");
        return false;
    }
    if (!optional_int(args[3], "mate", out.mate) || !policy_arg(args[4], out.policy)) return false;
    if (args[5] && args[5] != Py_None && !extract_byte_list(args[5], out.metadata)) {
        argument_error("metadata");
        return false;
    }
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
    Ref list(PyList_New(static_cast<Py_ssize_t>(m.policy.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < m.policy.size(); ++i) {
        PyObject* item = wrap<Entry>(m.policy[i]);
        if (!item) return nullptr;
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), item);
    }
    return list.release();
}
PyObject* move_metadata(const SazMove& m) {
    return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(m.metadata.data()),
                                     static_cast<Py_ssize_t>(m.metadata.size()));
}
PyObject* move_has_policy(const SazMove& m) { return PyBool_FromLong(!m.policy.empty()); }
PyObject* move_repr(const SazMove& m) {
    return to_py_str("SazMove(played='" + move_display_usi(m.played) + "', has_score_q=" +
                     (m.has_score_q ? "true" : "false") + ", policy_len=" + std::to_string(m.policy.size()) + ")");
}

constexpr const char* ENTRY_PARAMS[] = {"mv", "visits"};
constexpr Signature ENTRY_NEW{"__new__", ENTRY_PARAMS};
constexpr const char* MOVE_PARAMS[] = {"played", "score_q", "has_score_q", "mate", "policy", "metadata"};
constexpr Signature MOVE_NEW{"__new__", MOVE_PARAMS, 1, 1};

PyGetSetDef entry_getset[] = {
    {"mv", getter<Entry, entry_mv>, nullptr, "The visited move as USI text.", nullptr},
    {"visits", getter<Entry, entry_visits>, nullptr, "The raw visit count of the move.", nullptr},
    GETSET_END,
};

PyGetSetDef move_getset[] = {
    {"played", getter<MoveC, move_played>, nullptr, "The move played from this position, as USI text.", nullptr},
    {"score_q", getter<MoveC, move_score_q>, nullptr,
     "Root value q from the mover's view times 32767; 0 without has_score_q.", nullptr},
    {"has_score_q", getter<MoveC, move_has_score_q>, nullptr, "Whether score_q is valid.", nullptr},
    {"mate", getter<MoveC, move_mate>, nullptr, "Mate information of the position, or None.", nullptr},
    {"policy", getter<MoveC, move_policy>, nullptr,
     "The sparse visit distribution as a new list of SazPolicyEntry; empty for a hard target.", nullptr},
    {"metadata", getter<MoveC, move_metadata>, nullptr, "Per-move bytes opaque to the module.", nullptr},
    {"has_policy_distribution", getter<MoveC, move_has_policy>, nullptr,
     "True when the policy has at least one entry (a soft target).", nullptr},
    GETSET_END,
};

}  // namespace

PyTypeObject* create_saz_policy_entry_class() {
    ClassSpec spec = class_spec<Entry>(
        "SazPolicyEntry(mv, visits)\n--\n\nOne entry of a sparse policy: a visited move and its raw visit count.");
    spec.new_ = construct_new<Entry, ENTRY_NEW, entry_init>;
    spec.vectorcall = construct_vectorcall<Entry, ENTRY_NEW, entry_init>;
    spec.getset = entry_getset;
    spec.repr = slot<Entry, entry_repr>;
    PyTypeObject* type = build_class(spec);
    if (type) Entry::type = type;
    return type;
}

PyTypeObject* create_saz_move_class() {
    ClassSpec spec = class_spec<MoveC>(
        "SazMove(played, *, score_q=0, has_score_q=False, mate=None, policy=None, metadata=None)\n--\n\n"
        "The teacher data of one move, that is of one training position.");
    spec.new_ = construct_new<MoveC, MOVE_NEW, move_init>;
    spec.vectorcall = construct_vectorcall<MoveC, MOVE_NEW, move_init>;
    spec.getset = move_getset;
    spec.repr = slot<MoveC, move_repr>;
    PyTypeObject* type = build_class(spec);
    if (type) MoveC::type = type;
    return type;
}

}  // namespace korvan::py
