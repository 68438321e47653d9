#include "records/quoted_text.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "records/unicode_escapes.h"
#include "core/util/text.h"

namespace korvan::py {

static_assert(std::size(UNICODE_ESCAPE_BOUNDS) % 2 == 0, "escape runs come in pairs of bounds");
static_assert(std::is_sorted(std::begin(UNICODE_ESCAPE_BOUNDS), std::end(UNICODE_ESCAPE_BOUNDS)));

bool is_escaped_code_point(char32_t cp) {
    const auto* past = std::upper_bound(std::begin(UNICODE_ESCAPE_BOUNDS), std::end(UNICODE_ESCAPE_BOUNDS),
                                        static_cast<std::uint32_t>(cp));
    return (past - std::begin(UNICODE_ESCAPE_BOUNDS)) % 2 == 1;
}

std::string quoted_text(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('"');
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t cp = utf8_next(text, pos);
        switch (cp) {
            case U'"': out += "\\\""; continue;
            case U'\\': out += "\\\\"; continue;
            case U'\t': out += "\\t"; continue;
            case U'\r': out += "\\r"; continue;
            case U'\n': out += "\\n"; continue;
            case U'\0': out += "\\0"; continue;
            default: break;
        }
        if (is_escaped_code_point(cp)) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "\\u{%x}", static_cast<unsigned>(cp));
            out += buf;
        } else {
            utf8_append(out, cp);
        }
    }
    out.push_back('"');
    return out;
}

}  // namespace korvan::py
