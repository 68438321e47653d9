#pragma once
// The KI2 writer: header, start position, the moves as "▲"/"△" tokens six to a line
// (no numbers, no times), evaluations and comments after the line of their move, the
// variation blocks and the closing line. Every move is replayed and checked; a failure
// gives no text at all.

#include <string>

#include "core/records/formats/kif/kif_errors.h"
#include "core/records/record.h"

namespace korvan {

Expected<std::string, Ki2Error> write_ki2(const Record& record);

}  // namespace korvan
