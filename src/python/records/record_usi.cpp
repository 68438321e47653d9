// Record methods of the USI protocol: a record from a USI position command, its main
// line as one, and a record from an engine match's USI move list with per-move figures.

#include <limits>

#include "board/board_tags.h"
#include "support/convert.h"
#include "support/errors.h"
#include "support/sequences.h"
#include "records/record_args.h"
#include "records/record_groups.h"
#include "core/records/usi_reader.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

using RC = RecordClass;

PyObject* raise_usi_error(const UsiPositionError& e) {
    raise_value_error(usi_position_error_display(e));
    return nullptr;
}

bool flag_arg(PyObject* obj, const char* name, bool& out) {
    out = false;
    if (!obj) return true;
    return named_arg(extract_bool(obj, out, "bool"), name);
}

PyObject* from_usi_position(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    if (!str_arg(args[0], "position", text)) return nullptr;
    bool allow = false;
    if (!flag_arg(args[1], "allow_special_tokens", allow)) return nullptr;
    auto record = record_from_usi_position(text, allow);
    if (!record) return raise_usi_error(record.error());
    return wrap<RC>(std::move(*record));
}

PyObject* to_usi_position(const Record& r, PyObject* const* args) {
    bool include = false;
    if (!flag_arg(args[0], "include_special_tokens", include)) return nullptr;
    auto text = record_to_usi_position(r, include);
    if (!text) return raise_usi_error(text.error());
    return to_py_str(*text);
}

// One item of a per-move list: None, or an int read as T. Past the signed 64-bit range
// the interpreter's own OverflowError stands; inside it, a value outside T gives the
// binding's one overflow text.
template <class T>
bool list_item(PyObject* item, std::optional<T>& out) {
    if (item == Py_None) return true;
    Ref holder;
    PyObject* number = as_index(item, holder);
    if (!number) return false;
    if constexpr (std::is_same_v<T, std::uint64_t>) {
        const unsigned long long v = PyLong_AsUnsignedLongLong(number);
        if (v == static_cast<unsigned long long>(-1) && PyErr_Occurred()) return false;
        out = v;
    } else {
        const long long v = PyLong_AsLongLong(number);
        if (v == -1 && PyErr_Occurred()) return false;
        if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) {
            integer_out_of_range();
            return false;
        }
        out = static_cast<T>(v);
    }
    return true;
}

// None, or a sequence (not a str) of None or ints; converted whole.
template <class T>
bool per_move_list(PyObject* obj, const char* name, std::vector<std::optional<T>>& out) {
    if (!obj || obj == Py_None) return true;
    out.reserve(length_hint(obj));
    const bool ok = for_each_sequence_item(obj, [&](PyObject* item) { return list_item(item, out.emplace_back()); });
    return named_arg(ok, name);
}

bool usi_moves_arg(PyObject* obj, std::vector<std::string_view>& out, std::vector<Ref>& keep) {
    const bool ok = for_each_sequence_item(obj, [&](PyObject* item) {
        std::string_view text;
        if (!extract_str(item, text)) return false;
        out.push_back(text);
        keep.emplace_back(Py_NewRef(item));
        return true;
    });
    return named_arg(ok, "usi_moves");
}

template <class T>
const std::optional<T>* at(const std::vector<std::optional<T>>& list, std::size_t i) {
    return i < list.size() && list[i] ? &list[i] : nullptr;
}

PyObject* from_usi_main_line(PyTypeObject*, PyObject* const* args) {
    std::string_view init;
    if (!str_arg(args[0], "init_position_sfen", init)) return nullptr;
    std::vector<std::string_view> usi;
    std::vector<Ref> keep;
    if (!usi_moves_arg(args[1], usi, keep)) return nullptr;
    std::vector<std::optional<std::uint32_t>> times;
    std::vector<std::optional<std::int32_t>> evals;
    std::vector<std::optional<std::uint64_t>> nodes;
    std::vector<std::optional<std::uint16_t>> depths, seldepths;
    std::vector<std::optional<std::int64_t>> walls, latencies;
    std::optional<RecordMetadata> metadata;
    std::optional<std::string> comment;
    if (!per_move_list(args[3], "move_times_ms", times) || !per_move_list(args[4], "evals", evals) ||
        !per_move_list(args[5], "nodes", nodes) || !per_move_list(args[6], "depths", depths) ||
        !per_move_list(args[7], "seldepths", seldepths) || !per_move_list(args[8], "wall_times_ms", walls) ||
        !per_move_list(args[9], "latency_deltas_ms", latencies))
        return nullptr;
    if (args[10] && args[10] != Py_None && !extract_arg<RecordMetadataClass>(args[10], "metadata", metadata.emplace()))
        return nullptr;
    if (!optional_str_arg(args[11], "initial_comment", comment)) return nullptr;

    auto line = usi_main_line_moves(init, usi);
    if (!line) {
        raise_value_error(line.error());
        return nullptr;
    }
    std::vector<MoveEntry> entries(line->moves.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        MoveEntry& e = entries[i];
        e.move = line->moves[i];
        if (auto t = at(times, i)) e.annotations.time = Duration::from_ms(**t);
        EngineInfo info;
        if (auto v = at(evals, i)) engine_info_set_eval(info, **v);
        if (auto v = at(nodes, i)) info.nodes = **v;
        if (auto v = at(depths, i)) info.depth = **v;
        if (auto v = at(seldepths, i)) info.seldepth = **v;
        if (auto v = at(walls, i)) info.extras["wall_time_ms"] = **v;
        if (auto v = at(latencies, i)) info.extras["latency_delta_ms"] = **v;
        if (!info.empty()) e.annotations.engine_info.emplace(std::move(info));
    }
    std::optional<SpecialMoveEntry> terminal;
    if (args[2] && args[2] != Py_None) {
        GameResult result = BLACK_WIN;
        if (!game_result_from_object(args[2], result)) return nullptr;
        terminal.emplace();
        terminal->special.kind = special_move_kind_from_result(result);
        terminal->special.result = result;
    }
    auto record = record_from_main_line(std::move(line->initial_sfen), std::move(entries), std::move(terminal));
    if (!record) return raise_record_error(record.error());
    if (metadata) record->metadata = std::move(*metadata);
    record_set_initial_comment(*record, std::move(comment));
    return wrap<RC>(std::move(*record));
}

}  // namespace

constexpr Methods RECORD_USI_METHODS = method_table<RC,
    ClassMethod<"from_usi_position(position, *, allow_special_tokens=False)", from_usi_position>,
    Method<"to_usi_position(*, include_special_tokens=False)", to_usi_position>,
    ClassMethod<"from_usi_main_line(init_position_sfen, usi_moves, result=None, move_times_ms=None, evals=None, "
        "nodes=None, depths=None, seldepths=None, wall_times_ms=None, latency_deltas_ms=None, metadata=None, "
        "initial_comment=None)", from_usi_main_line>>;

}  // namespace korvan::py
