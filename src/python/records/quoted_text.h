#pragma once
// The quoted form of a text in the record reprs: double quotes around it, the short
// escapes \" \\ \t \r \n \0, and \u{..} (lower-case hex) for every code point that is
// not printable or that extends the grapheme before it (unicode_escapes.h). All other
// text, the single quote and Japanese included, stays as it is.

#include <string>
#include <string_view>

namespace korvan::py {

bool is_escaped_code_point(char32_t cp);
std::string quoted_text(std::string_view text);

}  // namespace korvan::py
