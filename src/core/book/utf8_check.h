#pragma once
// Strict UTF-8 validation for texts read from book files: shortest forms only, no
// surrogates, nothing above U+10FFFF. The text layer's decoder replaces bad bytes as it
// goes; a file reader has to refuse them instead.

#include <string_view>

namespace korvan {

bool is_valid_utf8(std::string_view text);

}  // namespace korvan
