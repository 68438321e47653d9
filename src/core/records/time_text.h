#pragma once
// Time controls and spent times as record headers and move lines write them. Each
// parser gives no value for a text it does not accept, and for a number that does not
// fit the unsigned 32-bit field it fills: arithmetic never wraps.

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/records/metadata.h"

namespace korvan {

// A whole number 0..4294967295: decimal digits with an optional "+", or a float
// text whose value is such a number ("600.0", "6e2"); white space around is ignored.
std::optional<std::uint32_t> parse_time_control_number(std::string_view text);
// "base+byoyomi+increment".
std::optional<TimeControl> time_control_parse_spec(std::string_view text);
// The "base+byoyomi+increment" form, or the CSA header form "hours:minutes+byoyomi".
std::optional<TimeControl> csa_time_control_parse(std::string_view text);
// Japanese header texts: "1時間30分+30秒", "10分", "30秒", and the forms the writers
// make, "10分秒読み30秒", "1時間0分加算5秒".
std::optional<TimeControl> parse_japanese_time(std::string_view text);
// Clock texts, right-most number seconds, then minutes, then hours: "1:02:03".
std::optional<std::uint32_t> parse_time_text_ms(std::string_view text);

}  // namespace korvan
