#include "core/util/unicode_case.h"

#include <algorithm>

#include "core/util/text.h"
#include "core/util/unicode_upper_table.h"

namespace korvan {

namespace {

static_assert(std::is_sorted(detail::UPPER_MAPPINGS.begin(), detail::UPPER_MAPPINGS.end(),
                             [](const auto& a, const auto& b) { return a.from < b.from; }));

}  // namespace

std::string unicode_upper(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t cp = utf8_next(text, pos);
        if (cp < 0x80) {
            out += static_cast<char>(cp >= 'a' && cp <= 'z' ? cp - 'a' + 'A' : cp);
            continue;
        }
        const auto& table = detail::UPPER_MAPPINGS;
        const auto it = std::lower_bound(table.begin(), table.end(), cp,
                                         [](const detail::UpperMapping& m, char32_t c) { return m.from < c; });
        if (it == table.end() || it->from != cp) {
            utf8_append(out, cp);
            continue;
        }
        for (char32_t up : it->to)
            if (up != 0) utf8_append(out, up);
    }
    return out;
}

}  // namespace korvan
