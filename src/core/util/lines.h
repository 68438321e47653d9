#pragma once
// Lines of record texts, both ways: cutting a text into lines by a format's line-end
// rule, and writing a value or a comment so that it takes the lines a format allows.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvan {

// Where a line ends.
enum class LineEnds : std::uint8_t {
    Lf,   // at a line feed only; the carriage returns that end a line are dropped (CSA)
    Any,  // at a CR LF pair, a lone CR or a lone LF (KIF, KI2)
};

// The lines of a text, one at a time. Byte-order marks (U+FEFF) that open the text are
// skipped; the text after the last line end is a line too, even when empty, so an
// empty text is one empty line. The views point into the text: nothing is copied.
class LineReader {
public:
    LineReader(std::string_view text, LineEnds ends);

    // The next line without its end, untrimmed; false once the text is used up.
    bool next(std::string_view& line) {
        if (pos_ > text_.size()) return false;
        ends_ == LineEnds::Lf ? next_lf(line) : next_any(line);
        return true;
    }

private:
    std::size_t find_or_end(char c) const;
    void next_lf(std::string_view& line);
    void next_any(std::string_view& line);

    std::string_view text_;
    LineEnds ends_;
    std::size_t pos_ = 0;
    // Any: the first line feed and carriage return at or after pos_ once last looked for
    // (the text's size for none), each looked for again only when passed, so that a
    // text of one kind of line end is read in one pass.
    std::size_t next_feed_ = 0;
    std::size_t next_return_ = 0;
};

// Every line of the text as LineReader gives them.
std::vector<std::string_view> split_lines(std::string_view text, LineEnds ends);

// Appends text with every CR and LF written as a blank, so that no value a record
// holds can start a line of its own.
void append_single_line(std::string& out, std::string_view text);

// How a comment is cut into the lines a writer puts out.
enum class CommentLines : std::uint8_t {
    Trimmed,    // cut at line feeds, each line trimmed, blank lines left out (CSA, KIF, KI2)
    AsWritten,  // cut at line feeds, a CR before a feed dropped, nothing after a final feed (JKF)
};

// Calls f with each line of a comment under the rule.
template <class F>
void for_each_comment_line(std::string_view text, CommentLines rule, F&& f);

}  // namespace korvan

#include "core/util/text.h"

namespace korvan {

template <class F>
void for_each_comment_line(std::string_view text, CommentLines rule, F&& f) {
    std::size_t start = 0;
    while (rule == CommentLines::Trimmed ? start <= text.size() : start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool feed = end != std::string_view::npos;
        if (!feed) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (rule == CommentLines::Trimmed) {
            // A carriage return is white space: the trim drops it with the rest.
            line = trim_line(line);
            if (!line.empty()) f(line);
            continue;
        }
        if (feed && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        f(line);
    }
}

}  // namespace korvan
