#pragma once
// Text handling shared by the KIF and KI2 readers: the lines of a record text and the
// few character tests their rules are written in.

#include <string>
#include <string_view>
#include <vector>

namespace korvan {

// The lines of a record text: "\r\n" and then a lone "\r" read as "\n", the text is cut
// at every "\n" (what follows the last one is a line too, even when empty), and every
// U+FEFF that opens the first line is dropped. The views point into the text, or into
// this object's own copy when the text held a carriage return, so it neither moves nor
// copies.
class RecordLines {
public:
    explicit RecordLines(std::string_view text);
    RecordLines(const RecordLines&) = delete;
    RecordLines& operator=(const RecordLines&) = delete;

    std::size_t size() const { return lines_.size(); }
    std::string_view operator[](std::size_t i) const { return lines_[i]; }

private:
    std::string storage_;
    std::vector<std::string_view> lines_;
};

// Unicode white space (U+3000 included) removed from both ends; the same result as
// trim_whitespace, reached without decoding the middle of the line.
std::string_view trim_line(std::string_view text);

constexpr bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

// The value 0..9 of a full-width digit "０".."９" at the start of the text, or -1.
inline int full_width_digit_at(std::string_view text) {
    if (text.size() < 3 || text[0] != '\xEF' || text[1] != '\xBC') return -1;
    const auto b = static_cast<unsigned char>(text[2]);
    return b >= 0x90 && b <= 0x99 ? b - 0x90 : -1;
}

// The value 1..9 of a kanji numeral "一".."九" at the start of the text, or 0.
int kanji_digit_at(std::string_view text);

constexpr std::size_t KANJI_BYTES = 3;  // every kanji, kana and full-width form these formats use

}  // namespace korvan
