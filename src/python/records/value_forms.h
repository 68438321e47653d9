#pragma once
// The record values as objects and dicts, shared by the record classes and the record
// value classes (EngineInfo, MoveEntry, SpecialMoveEntry, TimeControl, GameResultInfo,
// RecordMetadata): times in milliseconds, optional texts, the
// engine-information, extras, time-control and result dict forms.
//
// Each conversion from Python returns false with a Python exception set, keeps no
// reference to its argument, and leaves `out` unspecified on failure.

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

#include "records/record_tags.h"
#include "support/integers.h"
#include "records/record_args.h"
#include "support/typed_args.h"

namespace korvan::py {

// --- Objects or dicts ------------------------------------------------------------------

// An object of the class C, copied, or a dict read by `from_dict()`; anything else is a
// TypeError with the text `not_dict`.
template <class C, class FromDict>
bool object_or_dict(PyObject* obj, const char* not_dict, typename C::Value& out, FromDict from_dict) {
    bool raised = false;
    if (extract<C>(obj, out, raised)) return true;
    if (raised) return false;
    if (!PyDict_Check(obj)) {
        PyErr_SetString(PyExc_TypeError, not_dict);
        return false;
    }
    return from_dict();
}

// Takes the key's entry out of a map (the extras, the metadata attributes) and returns
// its value as `to_object` makes it: None when the key is absent; the entry stays when
// the object cannot be made.
template <class Map, class Key, class ToObject>
PyObject* pop_entry(Map& map, const Key& key, ToObject to_object) {
    const auto it = map.find(key);
    if (it == map.end()) Py_RETURN_NONE;
    PyObject* removed = to_object(it->second);
    if (removed) map.erase(it);
    return removed;
}

// --- Times and numbers (texts: optional_str_arg and optional_str_to_py, record_args.h) --

// Whole milliseconds of a stored time (duration_ms_u32, record_args.h) as a Python
// int, or None when there is no time or it does not fit in 32 unsigned bits.
PyObject* time_ms_to_object(const std::optional<Duration>& time);
// A `time_ms` argument: null or None is no time; an int 0..4294967295 (through the
// index protocol) becomes ms / 1000 seconds and the rest in nanoseconds. A TypeError
// is raised under the argument's name; an out-of-range int raises OverflowError "out
// of range integral type conversion attempted", unchanged.
bool time_ms_from_object(PyObject* obj, const char* name, std::optional<Duration>& out);

// An optional integer field: null or None is absent, anything else an int of the
// field's width through the index protocol; a TypeError names the argument, an
// OverflowError passes unchanged.
template <class T>
bool optional_int_from_object(PyObject* obj, const char* name, std::optional<T>& out) {
    if (!obj || obj == Py_None) {
        out.reset();
        return true;
    }
    T value{};
    if (!int_arg(obj, name, value)) return false;
    out = value;
    return true;
}

template <class T>
PyObject* optional_int_to_object(const std::optional<T>& value) {
    if (!value) Py_RETURN_NONE;
    if constexpr (std::is_signed_v<T>)
        return PyLong_FromLongLong(*value);
    else
        return PyLong_FromUnsignedLongLong(*value);
}

// The reprs' form of an optional number: "Some(<decimal>)" or "None".
template <class T>
std::string optional_number_text(const std::optional<T>& value) {
    return value ? "Some(" + std::to_string(*value) + ")" : std::string("None");
}

// --- Moves ----------------------------------------------------------------------------

// A normal 16-bit move through the move-argument conversion (its errors unchanged);
// a special move, a destination past square 80, a source past 80 or a dropped type
// outside 1..7 fails with ValueError "move must be a normal move".
bool normal_move_from_object(PyObject* obj, Move& out);
PyObject* move_entry_to_object(const MoveEntry& entry);

// --- Special moves ----------------------------------------------------------------------

// A new SpecialMoveEntry holding a copy of `entry` (the terminal entries of records).
PyObject* special_move_entry_to_object(const SpecialMoveEntry& entry);

// --- Engine information -----------------------------------------------------------------

using Extras = decltype(EngineInfo::extras);

PyObject* engine_info_to_object(const EngineInfo& info);
// An EngineInfo object (copied under a shared borrow) or an engine_info dict; with
// `permissive` false every key must be a str and one of the five.
bool engine_info_from_object(PyObject* obj, bool permissive, EngineInfo& out);
// {"eval", "depth", "nodes", "seldepth", "extras"} in that order; absent fields None.
PyObject* engine_info_to_dict(const EngineInfo& info);
// A dict (or subclass) of str keys; the first failing entry ends it and nothing is kept.
bool extras_from_dict(PyObject* obj, Extras& out);
// A new dict in the map's order (the keys' byte order).
PyObject* extras_map_to_dict(const Extras& extras);
// bool (the exact type), then an integer through the index protocol (signed 64-bit),
// then a finite float (an int past 64 bits becomes one), then a str.
bool extra_value_from_object(PyObject* obj, ExtraValue& out);
PyObject* extra_value_to_object(const ExtraValue& value);

// --- Time controls --------------------------------------------------------------------

PyObject* time_control_to_object(const TimeControl& tc);
// None, a TimeControl, a spec text or a dict of the three counts (missing ones 0).
bool time_control_from_object(PyObject* obj, std::optional<TimeControl>& out);
// {"base_seconds", "byoyomi_seconds", "increment_seconds"}.
PyObject* time_control_to_dict(const TimeControl& tc);

// --- Results ------------------------------------------------------------------------------

// (record_result_info, record_args.h, makes the summary of a record.)
PyObject* game_result_info_to_object(const GameResultSummary& summary);
// {"result", "ply_count", "reason", "end_time_ms", "end_comment"}; the result as an int.
PyObject* result_info_to_dict(const GameResultSummary& summary);

// --- Metadata -------------------------------------------------------------------------------

PyObject* record_metadata_to_object(const RecordMetadata& metadata);

}  // namespace korvan::py
