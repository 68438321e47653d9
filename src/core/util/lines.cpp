#include "core/util/lines.h"

#include <algorithm>

namespace korvan {

LineReader::LineReader(std::string_view text, LineEnds ends) : text_(text), ends_(ends) {
    constexpr std::string_view BOM = "\uFEFF";
    while (text_.starts_with(BOM)) text_.remove_prefix(BOM.size());
}

bool LineReader::next_lf(std::string_view& line) {
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

bool LineReader::next_any(std::string_view& line) {
    const auto at_or_after = [this](char c, std::size_t& cached) {
        if (cached == std::string_view::npos || cached < pos_) {
            const std::size_t at = text_.find(c, pos_);
            cached = at == std::string_view::npos ? text_.size() : at;
        }
        return cached;
    };
    const std::size_t end = std::min(at_or_after('\n', next_feed_), at_or_after('\r', next_return_));
    line = text_.substr(pos_, end - pos_);
    const bool pair = end + 1 < text_.size() && text_[end] == '\r' && text_[end + 1] == '\n';
    pos_ = end + (pair ? 2 : 1);
    return true;
}

std::vector<std::string_view> split_lines(std::string_view text, LineEnds ends) {
    std::vector<std::string_view> lines;
    lines.reserve(text.size() / 24 + 1);
    LineReader reader(text, ends);
    for (std::string_view line; reader.next(line);) lines.push_back(line);
    return lines;
}

void append_single_line(std::string& out, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        out.append(text, start, i - start);
        out += ' ';
        start = i + 1;
    }
    out.append(text, start);
}

}  // namespace korvan
