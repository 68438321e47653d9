#include "core/util/utf8_repair.h"

#include "core/util/utf8_check.h"

namespace korvan {

std::string_view utf8_prefix(std::string_view text, std::size_t max_bytes) {
    const std::string_view head = text.substr(0, max_bytes);
    // Only the last character can straddle the cut; it starts at most three bytes back.
    std::size_t lead = head.size();
    while (lead > 0 && head.size() - lead < 3 && (static_cast<unsigned char>(head[lead - 1]) & 0xC0) == 0x80) --lead;
    if (lead > 0) --lead;
    const auto fault = utf8_error(head.substr(lead));
    // A well-formed start that the cut left incomplete is one character, left out whole.
    if (fault && fault->valid_up_to == 0 && !fault->error_length) return head.substr(0, lead);
    return head;
}

std::string utf8_replace_invalid(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (const auto fault = utf8_error(text)) {
        out.append(text.substr(0, fault->valid_up_to));
        out += "\xEF\xBF\xBD";
        // An incomplete sequence at the end is one maximal subpart, replaced once.
        if (!fault->error_length) return out;
        text.remove_prefix(fault->valid_up_to + *fault->error_length);
    }
    out.append(text);
    return out;
}

}  // namespace korvan
