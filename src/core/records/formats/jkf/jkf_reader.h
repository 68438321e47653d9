#pragma once
// The JKF (JSON) record reader: header members into metadata, the initial position from
// a preset or a board, and the moves with their variations ("forks") as a tree, every
// move replayed and tested for legality.

#include <string_view>

#include "core/records/formats/jkf/jkf_error.h"
#include "core/records/record.h"

namespace korvan {

// Documents whose arrays and objects nest deeper than JKF_MAX_JSON_DEPTH, or whose forks
// nest deeper than JKF_MAX_FORK_DEPTH, are refused (InvalidStructure).
Expected<Record, JkfError> parse_jkf(std::string_view text);

}  // namespace korvan
