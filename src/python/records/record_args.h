#pragma once
// Argument conversions and results shared by the Record and RecordEditor bindings.

#include <cstdint>
#include <optional>
#include <vector>

#include "records/record_tags.h"
#include "support/typed_args.h"

namespace korvan::py {

// A sequence of MoveEntry objects, copied in order. A str is refused with the text
// "Can't extract `str` to `Vec`", anything else that is not a sequence with the
// wrong-class text naming "Sequence"; errors are raised under the argument's name.
bool move_entries_arg(PyObject* obj, const char* name, std::vector<MoveEntry>& out);

// A node id as users give it (zero-based, an unsigned 64-bit int_arg), resolved against
// the record: IndexError "node_id out of range" when it names no node.
bool node_arg(PyObject* obj, const Record& record, RecordNodeId& out);

PyObject* node_id_to_py(RecordNodeId id);
PyObject* node_ids_to_list(const std::vector<RecordNodeId>& ids);

// Raises ValueError with the record error's text; returns null.
PyObject* raise_record_error(const RecordError& e);

// Optional text arguments: None gives nothing.
bool optional_str_arg(PyObject* obj, const char* name, std::optional<std::string>& out);
PyObject* optional_str_to_py(const std::optional<std::string>& text);

// Whole milliseconds of a duration, or nothing past 32 unsigned bits.
std::optional<std::uint32_t> duration_ms_u32(const std::optional<Duration>& d);

// The main line's terminal node, or null.
const RecordNode* main_terminal_node(const Record& r);
GameResultSummary record_result_info(const Record& r);

}  // namespace korvan::py
