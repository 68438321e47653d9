#include "core/records/formats/kif/kif_text.h"

#include "core/util/text.h"

namespace korvan {

RecordLines::RecordLines(std::string_view text) {
    if (text.find('\r') != std::string_view::npos) {
        storage_.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\r') {
                storage_.push_back(text[i]);
                continue;
            }
            storage_.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
        text = storage_;
    }
    constexpr std::string_view BOM = "\uFEFF";
    while (text.starts_with(BOM)) text.remove_prefix(BOM.size());
    lines_.reserve(text.size() / 24 + 1);
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines_.push_back(text.substr(start));
            break;
        }
        lines_.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::size_t space_at_slow(std::string_view text) {
    std::size_t next = 0;
    return is_unicode_whitespace(utf8_next(text, next)) ? next : 0;
}

std::string_view trim_line(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && may_be_space(static_cast<unsigned char>(text[begin]))) {
        std::size_t next = begin;
        if (!is_unicode_whitespace(utf8_next(text, next))) break;
        begin = next;
    }
    std::size_t end = text.size();
    while (end > begin) {
        // The last character: step back over continuation bytes to a lead byte and
        // accept it only when it decodes to exactly the bytes up to the end.
        std::size_t lead = end - 1;
        while (lead > begin && end - lead < 4 && (static_cast<unsigned char>(text[lead]) & 0xC0) == 0x80) --lead;
        if (!may_be_space(static_cast<unsigned char>(text[lead]))) break;
        std::size_t next = lead;
        const char32_t cp = utf8_next(text, next);
        if (next != end || !is_unicode_whitespace(cp)) break;
        end = lead;
    }
    return text.substr(begin, end - begin);
}

int kanji_digit_at(std::string_view text) {
    switch (char3_at(text)) {
        case char3("一"): return 1;
        case char3("二"): return 2;
        case char3("三"): return 3;
        case char3("四"): return 4;
        case char3("五"): return 5;
        case char3("六"): return 6;
        case char3("七"): return 7;
        case char3("八"): return 8;
        case char3("九"): return 9;
        default: return 0;
    }
}

}  // namespace korvan
