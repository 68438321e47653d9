#pragma once
// The JKF (JSON) record writer: header, initial position, and the whole tree of moves
// with their times and comments, variations as "forks".

#include <string>

#include "core/records/formats/jkf/jkf_error.h"
#include "core/records/record.h"

namespace korvan {

// Compact JSON, object members in byte order of their keys. A record whose forks nest
// deeper than JKF_MAX_FORK_DEPTH is refused (InvalidStructure).
Expected<std::string, JkfError> write_jkf(const Record& record);

}  // namespace korvan
