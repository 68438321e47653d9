#pragma once
// Line-by-line reading of a record text: lines end at "\n", every carriage return at a
// line's end is dropped, byte-order marks at the start of the text are skipped, and
// each line is trimmed of Unicode white space.

#include <string_view>

#include "core/util/text.h"

namespace korvan {

// trim_whitespace with a shortcut for the common line that starts and ends in a
// printable ASCII character (an ASCII byte is never part of a longer code point).
inline std::string_view trim_line(std::string_view text) {
    const auto plain = [](char c) { return c > ' ' && c < 0x7F; };
    if (!text.empty() && plain(text.front()) && plain(text.back())) return text;
    return trim_whitespace(text);
}

class TextLines {
public:
    explicit TextLines(std::string_view text) : text_(text) {
        constexpr std::string_view BOM = "\xEF\xBB\xBF";
        while (text_.substr(0, BOM.size()) == BOM) text_.remove_prefix(BOM.size());
    }

    // The next line, trimmed (possibly empty); false when the text is used up.
    bool next(std::string_view& line) {
        if (pos_ > text_.size()) return false;
        std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        std::string_view raw = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        while (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        line = trim_line(raw);
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace korvan
