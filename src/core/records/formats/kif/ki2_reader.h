#pragma once
// The KI2 reader: the KIF header and start position, then move tokens several to a
// line with no numbers and no times, comments, evaluations, time lines, the closing
// line and the variation blocks.

#include <string_view>

#include "core/records/formats/kif/kif_errors.h"
#include "core/records/record.h"

namespace korvan {

Expected<Record, Ki2Error> parse_ki2(std::string_view text);

}  // namespace korvan
