// MoveEntry: one played move of a record with its time, comment and engine
// information.

#include "board/board_tags.h"
#include "support/convert.h"
#include "records/value_forms.h"
#include "support/simple_classes.h"

namespace korvan::py {

namespace {

using ME = MoveEntryClass;

// A board move or a drop whose fields all name something; promotion is not examined
// and legality belongs to a position, not to the entry.
constexpr bool is_normal_move(Move m) {
    if (is_special_move(m) || move_to(m) >= SQUARE_NB) return false;
    if (is_drop(m)) return dropped_type(m) >= PAWN && dropped_type(m) <= GOLD;
    return move_from(m) < SQUARE_NB;
}

static_assert(!is_normal_move(MOVE_RESIGN) && !is_normal_move(MOVE_END));
static_assert(is_normal_move(make_drop16(GOLD, 80)) && !is_normal_move(make_drop16(KING, 0)));

// An engine information that holds nothing is stored as none.
std::optional<EngineInfo> stored_engine_info(EngineInfo info) {
    if (info.empty()) return std::nullopt;
    return info;
}

// MoveEntry(move, *, time_ms=None, comment=None, engine_info=None): the keyword
// arguments time_ms and comment convert first, then the move, then engine_info.
bool move_entry_init(PyObject* const* args, MoveEntry& out) {
    MoveEntry entry;
    if (!time_ms_from_object(args[1], "time_ms", entry.annotations.time) ||
        !optional_str_arg(args[2], "comment", entry.annotations.comment) ||
        !normal_move_from_object(args[0], entry.move))
        return false;
    if (args[3] && args[3] != Py_None) {
        EngineInfo info;
        if (!engine_info_from_object(args[3], true, info)) return false;
        if (auto stored = stored_engine_info(std::move(info))) entry.annotations.engine_info.emplace(std::move(*stored));
    }
    out = std::move(entry);
    return true;
}

PyObject* entry_move(const MoveEntry& entry) { return wrap<MoveClass>(entry.move); }
PyObject* time_ms(const MoveEntry& entry) { return time_ms_to_object(entry.annotations.time); }
PyObject* comment(const MoveEntry& entry) { return optional_str_to_py(entry.annotations.comment); }
PyObject* engine_info(const MoveEntry& entry) {
    if (!entry.annotations.engine_info) Py_RETURN_NONE;
    return engine_info_to_object(*entry.annotations.engine_info);
}

bool time_value(PyObject* obj, std::optional<Duration>& out) { return time_ms_from_object(obj, "value", out); }
bool comment_value(PyObject* obj, std::optional<std::string>& out) {
    return optional_str_arg(obj, "value", out);
}
// An EngineInfo or None; a dict is not taken here.
bool engine_info_value(PyObject* obj, std::optional<EngineInfo>& out) {
    out.reset();
    if (obj == Py_None) return true;
    EngineInfo info;
    if (!extract_arg<EngineInfoClass>(obj, "value", info)) return false;
    out = stored_engine_info(std::move(info));
    return true;
}

void store_time(MoveEntry& entry, std::optional<Duration>& value) { entry.annotations.time = value; }
void store_comment(MoveEntry& entry, std::optional<std::string>& value) {
    entry.annotations.comment = std::move(value);
}
void store_engine_info(MoveEntry& entry, std::optional<EngineInfo>& value) {
    if (value)
        entry.annotations.engine_info.emplace(std::move(*value));
    else
        entry.annotations.engine_info.reset();
}

PyObject* move_entry_repr(const MoveEntry& entry) {
    const std::string text = "MoveEntry(move=" + move_display_usi(entry.move) +
                             ", time_ms=" + optional_number_text(duration_ms_u32(entry.annotations.time)) +
                             ", has_engine_info=" + (entry.annotations.engine_info ? "true" : "false") + ")";
    return to_py_str(text);
}

constexpr Attributes getset = attribute_table<ME,
    Attribute<"move", entry_move>,
    Attribute<"time_ms", time_ms, Converted<time_value, store_time>>,
    Attribute<"comment", comment, Converted<comment_value, store_comment>>,
    Attribute<"engine_info", engine_info, Converted<engine_info_value, store_engine_info>>>;

}  // namespace

bool normal_move_from_object(PyObject* obj, Move& out) {
    Move move = MOVE_NONE;
    if (!extract_move_arg(obj, move)) return false;
    if (!is_normal_move(move)) {
        PyErr_SetString(PyExc_ValueError, "move must be a normal move");
        return false;
    }
    out = move;
    return true;
}

PyObject* move_entry_to_object(const MoveEntry& entry) { return wrap<ME>(entry); }

const ClassDefinition ME::definition = simple_class<ME, move_entry_repr>(
    constructor<ME, "(move, *, time_ms=None, comment=None, engine_info=None)", move_entry_init>,
    getset);

}  // namespace korvan::py
