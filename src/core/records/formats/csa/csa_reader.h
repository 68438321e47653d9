#pragma once
// The CSA record reader: header lines into metadata, the "P" lines into the initial
// position, then the main line with its times, comments and evaluations, and a "%"
// line as its terminal.

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/records/formats/csa/csa_error.h"
#include "core/records/record.h"

namespace korvan {

Expected<Record, CsaError> parse_csa(std::string_view text);

// A time item: "T12", "T1:30", "T=5" (repeated "T=" or "T" prefixes dropped), in ms.
std::optional<std::uint32_t> parse_csa_time(std::string_view item);

// The comment text of a "'*" line, trimmed; nothing for any other line and for the
// engine lines "'** ..." and "'**評価値=...". A "' *" line is a comment as "'*" would
// be without the blank, engine-like or not: the writer's form of a text that begins
// with "*".
std::optional<std::string_view> csa_move_comment_text(std::string_view line);

}  // namespace korvan
