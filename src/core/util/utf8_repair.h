#pragma once
// Texts that messages quote from their input. A message must be valid UTF-8 whatever it
// quotes: an excerpt cut at a byte count must not end in half a character, and bytes
// read from a file may not be UTF-8 at all.

#include <string>
#include <string_view>

namespace korvan {

// The longest prefix of at most `max_bytes` bytes that ends at a character boundary: a
// character the cut would split is left out whole. A text that is already cut (a
// library's excerpt) is passed whole: its last character, if incomplete, is left out.
std::string_view utf8_prefix(std::string_view text, std::size_t max_bytes = std::string_view::npos);

// The text with each ill-formed sequence replaced by U+FFFD, one for each maximal
// subpart (what Python's "replace" error handler gives), so a message that quotes bytes
// read from outside reads the same in the core and at the binding's edge.
std::string utf8_replace_invalid(std::string_view text);

}  // namespace korvan
