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

// The pieces of a clock text from the right: the runs between the separators ":", "：",
// " " and U+3000, empty ones included. f(piece) returns false to stop.
template <class F>
void for_each_clock_piece_from_right(std::string_view text, F&& f) {
    constexpr std::string_view WIDE_COLON = "：", WIDE_SPACE = "\u3000";
    std::size_t end = text.size();
    while (true) {
        std::size_t start = end;
        std::size_t separator = 0;
        for (; start > 0; --start) {
            if (text[start - 1] == ':' || text[start - 1] == ' ') {
                separator = 1;
                break;
            }
            if (start >= 3) {
                const std::string_view tail = text.substr(start - 3, 3);
                if (tail == WIDE_COLON || tail == WIDE_SPACE) {
                    separator = 3;
                    break;
                }
            }
        }
        if (!f(text.substr(start, end - start)) || start == 0) return;
        end = start - separator;
    }
}

}  // namespace korvan
