#pragma once
// Full Unicode upper-casing of UTF-8 text (one code point may become up to three, as
// "ß" becomes "SS").

#include <string>
#include <string_view>

namespace korvan {

// Bytes that are not UTF-8 come out as U+FFFD.
std::string unicode_upper(std::string_view text);

}  // namespace korvan
