#pragma once
// The JSON value tree of the JKF reader and writer (nlohmann/json). Objects are
// std::map, so members print in ascending byte order of their keys. Only the JKF
// sources include this header.

#include <cstddef>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "util/expected.h"

namespace korvan {

using Json = nlohmann::json;

struct JsonFailure {
    bool too_deep = false;  // nesting past the limit; otherwise the library's message
    std::string message;
};

// The whole text as one value (white space only after it). The tree is built without
// recursion, arrays and objects nested deeper than max_depth are refused, and the
// library's own errors, which name line and column, come back as values.
Expected<Json, JsonFailure> parse_json(std::string_view text, std::size_t max_depth);

// Compact printing; bytes that are not UTF-8 print as U+FFFD instead of failing.
std::string dump_json(const Json& value);

}  // namespace korvan
