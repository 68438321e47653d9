// The record dict form: Record.to_dict writes the initial position, the initial
// comment, the main line's moves, the metadata and the result as plain values;
// Record.from_dict reads them back, replays every move against its position and only
// then builds the record. Variations are not part of the form.

#include <array>

#include "support/convert.h"
#include "core/records/editor.h"
#include "support/dicts.h"
#include "records/metadata_dict.h"
#include "records/record_groups.h"
#include "records/value_forms.h"
#include "core/types/apery.h"
#include "support/lists.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

using RC = RecordClass;

// The move dict's keys, made once per call and shared by every move; their hashes are
// computed once.
struct MoveKeys {
    Ref move{PyUnicode_InternFromString("move")};
    Ref comment{PyUnicode_InternFromString("comment")};
    Ref time_ms{PyUnicode_InternFromString("time_ms")};
    Ref engine_info{PyUnicode_InternFromString("engine_info")};

    bool ok() const { return move && comment && time_ms && engine_info; }
};

// --- Writing -------------------------------------------------------------------------------

PyObject* move_to_dict(const RecordNode& node, const MoveKeys& keys) {
    Ref dict(PyDict_New());
    if (!dict) return nullptr;
    const Annotations& a = node.annotations;
    PyObject* engine_info = a.engine_info ? engine_info_to_dict(*a.engine_info) : Py_NewRef(Py_None);
    if (!put_member(dict.get(), keys.move.get(), message_str(move_display_usi(node.move))) ||
        !put_member(dict.get(), keys.comment.get(), optional_str_to_py(a.comment)) ||
        !put_member(dict.get(), keys.time_ms.get(), time_ms_to_object(a.time)) ||
        !put_member(dict.get(), keys.engine_info.get(), engine_info))
        return nullptr;
    return dict.release();
}

PyObject* moves_to_list(const Record& r) {
    const std::vector<RecordNodeId> ids = record_main_line_ids(r);
    MoveKeys keys;
    if (!keys.ok()) return nullptr;
    return list_of(ids, [&](RecordNodeId id) { return move_to_dict(record_node(r, id), keys); });
}

PyObject* to_dict(const Record& r) {
    Ref dict(PyDict_New());
    if (!dict) return nullptr;
    const std::string_view sfen = r.init_position_sfen ? std::string_view(*r.init_position_sfen) : STARTPOS_SFEN;
    if (!put_member(dict.get(), "version", PyLong_FromLong(1)) ||
        !put_member(dict.get(), "init_position_sfen", to_py_str(sfen)) ||
        !put_member(dict.get(), "initial_comment", optional_str_to_py(record_node(r, r.root).annotations.comment)) ||
        !put_member(dict.get(), "moves", moves_to_list(r)) ||
        !put_member(dict.get(), "metadata", metadata_to_dict(r.metadata)) ||
        !put_member(dict.get(), "result", result_info_to_dict(record_result_info(r))))
        return nullptr;
    return dict.release();
}

// --- Reading -------------------------------------------------------------------------------

constexpr std::array<std::string_view, 6> TOP_KEYS = {"version", "init_position_sfen", "moves",
                                                      "metadata", "initial_comment", "result"};
constexpr std::array<std::string_view, 4> MOVE_KEYS = {"move", "comment", "time_ms", "engine_info"};
constexpr std::array<std::string_view, 5> RESULT_KEYS = {"result", "ply_count", "reason", "end_time_ms",
                                                         "end_comment"};

// A member that must be present: ValueError "from_dict: missing '<key>'" otherwise.
bool required_member(PyObject* data, std::string_view key, Ref& out) {
    bool failed = false;
    out = dict_member(data, key, failed);
    if (failed) return false;
    if (!out) {
        const std::string text = "from_dict: missing '" + std::string(key) + "'";
        raise_value_error(text);
        return false;
    }
    return true;
}

bool move_dict(PyObject* dict, bool strict, const MoveKeys& keys, MoveEntry& out) {
    if (strict &&
        !check_strict_keys(dict, MOVE_KEYS, "move dict keys must be str", "move dict: unknown key '%U' in strict mode"))
        return false;
    bool failed = false;
    Ref move = dict_member(dict, keys.move.get(), failed);
    if (failed) return false;
    if (!move) {
        PyErr_SetString(PyExc_ValueError, "move dict: missing 'move'");
        return false;
    }
    MoveEntry entry;
    if (!normal_move_from_object(move.get(), entry.move)) return false;
    Ref comment = dict_member(dict, keys.comment.get(), failed);
    if (failed ||
        !optional_text_member(comment.get(), "move dict: 'comment' must be str or None", entry.annotations.comment))
        return false;
    Ref time = dict_member(dict, keys.time_ms.get(), failed);
    std::optional<std::uint32_t> ms;
    if (failed || !optional_u32_member(time.get(), "move dict: 'time_ms' must be int or None", ms)) return false;
    if (ms) entry.annotations.time = Duration::from_ms(*ms);
    Ref info = dict_member(dict, keys.engine_info.get(), failed);
    if (failed) return false;
    if (!is_none(info)) {
        EngineInfo read;
        if (!engine_info_from_object(info.get(), !strict, read)) return false;
        // An engine information that holds nothing is stored as none, as MoveEntry does.
        if (!read.empty()) entry.annotations.engine_info.emplace(std::move(read));
    }
    out = std::move(entry);
    return true;
}

// A MoveEntry (copied), a move dict, or a bare move.
bool move_item(PyObject* item, bool strict, const MoveKeys& keys, MoveEntry& out) {
    bool raised = false;
    if (extract<MoveEntryClass>(item, out, raised)) return true;
    if (raised) return false;
    if (PyDict_Check(item)) return move_dict(item, strict, keys, out);
    out = MoveEntry{};
    return normal_move_from_object(item, out.move);
}

bool move_items(PyObject* iterator, bool strict, std::vector<MoveEntry>& out) {
    MoveKeys keys;
    if (!keys.ok()) return false;
    while (Ref item{PyIter_Next(iterator)}) {
        MoveEntry entry;
        if (!move_item(item.get(), strict, keys, entry)) return false;
        out.push_back(std::move(entry));
    }
    return !PyErr_Occurred();
}

// The "result" member: a bare result, or the result dict. Nothing when the result is
// INVALID and the dict gave neither reason, end time nor end comment.
bool result_member(PyObject* value, bool strict, std::optional<SpecialMoveEntry>& out) {
    out.reset();
    GameResult result = INVALID;
    std::optional<std::string> reason;
    std::optional<std::uint32_t> end_ms;
    std::optional<std::string> end_comment;
    if (!PyDict_Check(value)) {
        if (!game_result_from_object(value, result)) return false;
    } else {
        if (strict && !check_strict_keys(value, RESULT_KEYS, "from_dict: result keys must be str",
                                         "from_dict: unknown result key '%U' in strict mode"))
            return false;
        bool failed = false;
        Ref member = dict_member(value, "result", failed);
        if (failed) return false;
        if (!member) {
            PyErr_SetString(PyExc_ValueError, "from_dict: result.result is required");
            return false;
        }
        if (!game_result_from_object(member.get(), result)) return false;
        member = dict_member(value, "reason", failed);
        if (failed || !optional_text_member(member.get(), "from_dict: result.reason must be str or None", reason))
            return false;
        member = dict_member(value, "end_time_ms", failed);
        if (failed || !optional_u32_member(member.get(), "from_dict: result.end_time_ms must be int or None", end_ms))
            return false;
        member = dict_member(value, "end_comment", failed);
        if (failed ||
            !optional_text_member(member.get(), "from_dict: result.end_comment must be str or None", end_comment))
            return false;
    }
    if (result == 7 && !reason && !end_ms && !end_comment) return true;
    SpecialMoveEntry& t = out.emplace();
    t.special.kind = special_move_kind_from_result(result);
    t.special.result = result;
    t.special.raw = std::move(reason);
    t.annotations.comment = std::move(end_comment);
    if (end_ms) t.annotations.time = Duration::from_ms(*end_ms);
    return true;
}

// The replay's first fault, in from_dict's words.
bool replay_moves(std::string_view sfen, const std::vector<MoveEntry>& entries) {
    const auto replayed = replay_main_line(sfen, entries);
    if (replayed) return true;
    const MainLineFault& fault = replayed.error();
    const auto index = static_cast<unsigned long long>(fault.index);
    switch (fault.kind) {
        case MainLineFault::Kind::InvalidStart:
            return raise_value_error("from_dict: invalid init_position_sfen: " + sfen_error_display(fault.sfen));
        case MainLineFault::Kind::NotNormal:
            PyErr_Format(PyExc_ValueError, "from_dict: moves[%llu] is not a normal move", index);
            break;
        case MainLineFault::Kind::NotWidened:
            PyErr_Format(PyExc_ValueError,
                         "from_dict: moves[%llu] could not be normalized against current position", index);
            break;
        case MainLineFault::Kind::Illegal:
            PyErr_Format(PyExc_ValueError, "from_dict: moves[%llu] is illegal in current position", index);
            break;
    }
    return false;
}

bool strict_arg(PyObject* obj, bool& out) {
    out = false;
    if (!obj) return true;
    return named_arg(extract_bool(obj, out, "bool"), "strict");
}

// Record.from_dict(data, *, strict=False): the checks run in a fixed order and the
// first failure is raised; the record is made only when all of them passed.
PyObject* from_dict(PyTypeObject*, PyObject* const* args) {
    bool strict = false;
    if (!strict_arg(args[1], strict)) return nullptr;
    PyObject* data = args[0];
    if (!PyDict_Check(data)) {
        PyErr_SetString(PyExc_TypeError, "from_dict expects dict");
        return nullptr;
    }
    if (strict && !check_strict_keys(data, TOP_KEYS, "from_dict: top-level keys must be str",
                                     "from_dict: unknown top-level key '%U'"))
        return nullptr;

    Ref sfen_member;
    if (!required_member(data, "init_position_sfen", sfen_member)) return nullptr;
    const auto sfen = utf8_key(sfen_member.get());
    if (!sfen) {
        PyErr_SetString(PyExc_TypeError, "from_dict: 'init_position_sfen' must be str");
        return nullptr;
    }
    Ref moves_member;
    if (!required_member(data, "moves", moves_member)) return nullptr;
    Ref iterator(PyObject_GetIter(moves_member.get()));
    if (!iterator) return nullptr;

    bool failed = false;
    if (dict_member(data, "main_terminal", failed) || failed) {
        if (!failed)
            PyErr_SetString(PyExc_ValueError,
                            "from_dict: 'main_terminal' is no longer supported; use 'result' payload");
        return nullptr;
    }

    std::vector<MoveEntry> entries;
    if (!move_items(iterator.get(), strict, entries)) return nullptr;

    std::optional<SpecialMoveEntry> terminal;
    Ref result = dict_member(data, "result", failed);
    if (failed || (result && !result_member(result.get(), strict, terminal))) return nullptr;

    // `sfen` views the member's own text, which its reference keeps alive through the
    // conversions above.
    if (!replay_moves(*sfen, entries)) return nullptr;
    auto record = record_from_main_line(std::string(*sfen), std::move(entries), std::move(terminal));
    if (!record) return raise_record_error(record.error());

    Ref comment_member = dict_member(data, "initial_comment", failed);
    std::optional<std::string> comment;
    if (failed || !optional_text_member(comment_member.get(), "from_dict: 'initial_comment' must be str or None",
                                        comment))
        return nullptr;
    record_set_initial_comment(*record, std::move(comment));

    Ref metadata_member = dict_member(data, "metadata", failed);
    if (failed) return nullptr;
    if (!is_none(metadata_member) && !metadata_from_dict(metadata_member.get(), strict, record->metadata))
        return nullptr;
    return wrap<RC>(std::move(*record));
}

}  // namespace

constexpr Methods RECORD_DICT_METHODS = method_table<RC,
    Method<"to_dict()", to_dict>,
    ClassMethod<"from_dict(data, *, strict=False)", from_dict>>;

}  // namespace korvan::py
