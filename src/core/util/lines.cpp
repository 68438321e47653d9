#include "core/util/lines.h"

#include <algorithm>

namespace korvan {

LineReader::LineReader(std::string_view text, LineEnds ends) : text_(text), ends_(ends) {
    constexpr std::string_view BOM = "\uFEFF";
    while (text_.starts_with(BOM)) text_.remove_prefix(BOM.size());
    if (ends_ == LineEnds::Any) {
        next_feed_ = find_or_end('\n');
        next_return_ = find_or_end('\r');
    }
}

std::size_t LineReader::find_or_end(char c) const {
    const std::size_t at = text_.find(c, pos_);
    return at == std::string_view::npos ? text_.size() : at;
}

void LineReader::next_lf(std::string_view& line) {
    // Lines cut at line feeds are mostly short (a CSA move or time is a few bytes): a
    // plain look at the first bytes finds their end sooner than a library call.
    constexpr std::size_t SHORT = 16;
    const std::size_t near = std::min(text_.size(), pos_ + SHORT);
    std::size_t end = pos_;
    while (end < near && text_[end] != '\n') ++end;
    if (end == near && near < text_.size()) end = std::min(text_.find('\n', near), text_.size());
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    // The carriage returns that end the line belong to its end.
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
}

void LineReader::next_any(std::string_view& line) {
    if (next_feed_ < pos_) next_feed_ = find_or_end('\n');
    if (next_return_ < pos_) next_return_ = find_or_end('\r');
    const std::size_t end = std::min(next_feed_, next_return_);
    line = text_.substr(pos_, end - pos_);
    const bool pair = end + 1 < text_.size() && text_[end] == '\r' && text_[end + 1] == '\n';
    pos_ = end + (pair ? 2 : 1);
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
