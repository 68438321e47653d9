// The text layer every record format reads and writes through: lines by each line-end
// rule, the comment-line rules, single-line values, checked decimals, strict UTF-8 with
// its error texts, and capped lines read from a source.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "core/util/decimal.h"
#include "core/util/lines.h"
#include "core/util/source_lines.h"
#include "core/util/text.h"
#include "core/util/utf8_check.h"

using namespace korvan;

namespace {

using Lines = std::vector<std::string>;

Lines read_all(std::string_view text, LineEnds ends) {
    Lines out;
    for (std::string_view line : split_lines(text, ends)) out.emplace_back(line);
    return out;
}

// The rules written out plainly: leading byte-order marks skipped, then the text cut at
// every end (CR LF and lone CR turned into LF first for Any), the part after the last
// end kept; Lf drops the carriage returns that end each line.
Lines reference_lines(std::string text, LineEnds ends) {
    while (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    if (ends == LineEnds::Any) {
        std::string unified;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\r') {
                unified += text[i];
                continue;
            }
            unified += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
        text = unified;
    }
    Lines out(1);
    for (char c : text) {
        if (c == '\n')
            out.emplace_back();
        else
            out.back() += c;
    }
    if (ends == LineEnds::Lf)
        for (std::string& line : out)
            while (!line.empty() && line.back() == '\r') line.pop_back();
    return out;
}

std::string random_text(std::mt19937& rng, const std::vector<std::string>& parts, int most) {
    std::string s;
    const int n = static_cast<int>(rng() % static_cast<unsigned>(most + 1));
    for (int k = 0; k < n; ++k) s += parts[rng() % parts.size()];
    return s;
}

TEST(LineReader, BothRulesMatchTheirPlainStatement) {
    const std::vector<std::string> parts = {"a", "歩", " ", "\r", "\n", "\r\n", "\r\r", "\xEF\xBB\xBF", "\t"};
    std::mt19937 rng(11);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = random_text(rng, parts, 9);
        for (LineEnds ends : {LineEnds::Lf, LineEnds::Any})
            ASSERT_EQ(read_all(text, ends), reference_lines(text, ends)) << debug_str(text);
    }
}

TEST(LineReader, RulesApart) {
    EXPECT_EQ(read_all("a\r\nb\rc\n", LineEnds::Any), (Lines{"a", "b", "c", ""}));
    EXPECT_EQ(read_all("a\r\nb\rc\n", LineEnds::Lf), (Lines{"a", "b\rc", ""}));
    EXPECT_EQ(read_all("a\r\r\n", LineEnds::Lf), (Lines{"a", ""}));
    EXPECT_EQ(read_all("a\r\r\n", LineEnds::Any), (Lines{"a", "", ""}));
    EXPECT_EQ(read_all("", LineEnds::Lf), (Lines{""}));
    // A long text of lone carriage returns is read line by line in one pass.
    const std::string returns(200000, '\r');
    EXPECT_EQ(split_lines(returns, LineEnds::Any).size(), returns.size() + 1);
}

// The Trimmed rule as the writers used to state it: cut at every line feed, trim each
// line with the decoding trim, leave blank lines out.
Lines reference_trimmed(std::string_view text) {
    Lines out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = trim_whitespace(text.substr(start, end - start));
        if (!line.empty()) out.emplace_back(line);
        start = end + 1;
    }
    return out;
}

Lines comment_lines(std::string_view text, CommentLines rule) {
    Lines out;
    for_each_comment_line(text, rule, [&out](std::string_view line) { out.emplace_back(line); });
    return out;
}

TEST(CommentLines, TrimmedLeavesNoBlankLine) {
    const std::vector<std::string> parts = {"a", " ", "\r", "\n", "　", "\u2003", "\xE3", "x"};
    std::mt19937 rng(12);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = random_text(rng, parts, 8);
        ASSERT_EQ(comment_lines(text, CommentLines::Trimmed), reference_trimmed(text)) << debug_str(text);
    }
}

TEST(CommentLines, AsWrittenKeepsEveryLine) {
    EXPECT_EQ(comment_lines("a\r\n b \n\nc\r", CommentLines::AsWritten), (Lines{"a", " b ", "", "c\r"}));
    EXPECT_EQ(comment_lines("a\n", CommentLines::AsWritten), (Lines{"a"}));
    EXPECT_EQ(comment_lines("\n", CommentLines::AsWritten), (Lines{""}));
    EXPECT_EQ(comment_lines("", CommentLines::AsWritten), (Lines{}));
    EXPECT_EQ(comment_lines("\r\r\n", CommentLines::AsWritten), (Lines{"\r"}));
}

TEST(SingleLine, LineBreaksBecomeBlanks) {
    std::string out = "head:";
    append_single_line(out, "a\r\nb\rc\n");
    EXPECT_EQ(out, "head:a  b c ");
}

// Every value of a type written in decimal (with a "+", with leading zeros) reads back,
// one past either end overflows, and a bad character is found where it stands.
template <class T>
void check_decimals(std::mt19937_64& rng) {
    using L = std::numeric_limits<T>;
    std::vector<T> values = {L::min(), L::max(), T(0), T(1), T(9), T(10)};
    for (int i = 0; i < 2000; ++i) values.push_back(static_cast<T>(rng()));
    for (T v : values) {
        const std::string text = std::to_string(v);
        ASSERT_EQ(*parse_decimal<T>(text), v) << text;
        if (!L::is_signed || v > T(0) || v == T(0)) {
            ASSERT_EQ(*parse_decimal<T>("+" + text), v) << text;
            ASSERT_EQ(*parse_decimal<T>("00" + text), v) << text;
            EXPECT_EQ(parse_decimal<T>("00" + text, text.size() + 1).error(), IntErrorKind::PosOverflow);
        }
        ASSERT_EQ(parse_decimal<T>(text + "x").error(), IntErrorKind::InvalidDigit) << text;
        ASSERT_EQ(parse_decimal<T>(" " + text).error(), IntErrorKind::InvalidDigit) << text;
    }
    EXPECT_EQ(parse_decimal<T>(std::to_string(L::max()) + "0").error(), IntErrorKind::PosOverflow);
    if constexpr (L::is_signed) {
        EXPECT_EQ(parse_decimal<T>(std::to_string(L::min()) + "0").error(), IntErrorKind::NegOverflow);
        EXPECT_EQ(parse_decimal<T>("-").error(), IntErrorKind::InvalidDigit);
    } else {
        EXPECT_EQ(parse_decimal<T>("-0").error(), IntErrorKind::InvalidDigit);
    }
    EXPECT_EQ(parse_decimal<T>("").error(), IntErrorKind::Empty);
    EXPECT_EQ(parse_decimal<T>("+").error(), IntErrorKind::InvalidDigit);
    EXPECT_EQ(parse_decimal<T>("+-1").error(), IntErrorKind::InvalidDigit);
}

TEST(Decimal, EveryWidthReadsItsWholeRange) {
    std::mt19937_64 rng(13);
    check_decimals<std::uint8_t>(rng);
    check_decimals<std::uint16_t>(rng);
    check_decimals<std::uint32_t>(rng);
    check_decimals<std::uint64_t>(rng);
    check_decimals<std::int32_t>(rng);
    check_decimals<std::int64_t>(rng);
    // The digit is checked before the value grows: the overflow comes first here.
    EXPECT_EQ(parse_decimal<std::uint16_t>("99999x").error(), IntErrorKind::PosOverflow);
    EXPECT_EQ(parse_decimal<std::int32_t>("-2147483648", 10).ok(), INT32_MIN);
    EXPECT_EQ(std::string(int_error_display(IntErrorKind::NegOverflow)), "number too small to fit in target type");
}

struct Utf8Case {
    const char* name;
    std::string bytes;
    std::string error;  // the display text, "" for valid UTF-8
};

class Utf8Errors : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Errors, PlaceAndLengthOfTheFault) {
    const Utf8Case& c = GetParam();
    const auto fault = utf8_error(c.bytes);
    EXPECT_EQ(fault ? utf8_error_display(*fault) : "", c.error);
    EXPECT_EQ(is_valid_utf8(c.bytes), c.error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Errors,
    ::testing::Values(
        Utf8Case{"Empty", "", ""}, Utf8Case{"AsciiPastTheWordLoop", "plain ascii text, long enough for the word loop", ""},
        Utf8Case{"EveryWidthAndTheEdges", "\xE5\xAE\x9A \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF \xC2\x80 \xEF\xBF\xBF", ""},
        Utf8Case{"LoneContinuation", "ab\x80", "invalid utf-8 sequence of 1 bytes from index 2"},
        Utf8Case{"OverlongTwo", "\xC0\xAF", "invalid utf-8 sequence of 1 bytes from index 0"},
        Utf8Case{"OverlongThree", "\xE0\x80\xAF", "invalid utf-8 sequence of 1 bytes from index 0"},
        Utf8Case{"Surrogate", "x\xED\xA0\x80", "invalid utf-8 sequence of 1 bytes from index 1"},
        Utf8Case{"OverlongFour", "\xF0\x80\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"},
        Utf8Case{"AboveTheLastCodePoint", "\xF4\x90\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"},
        Utf8Case{"NoLeadF5", "\xF5\x80\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"},
        Utf8Case{"ThreeCutByAscii", "\xE5\xAE" "A", "invalid utf-8 sequence of 2 bytes from index 0"},
        Utf8Case{"FourCutAfterTwo", "\xF0\x9F\x41", "invalid utf-8 sequence of 2 bytes from index 0"},
        Utf8Case{"FourCutAfterThree", "12345678\xF0\x9F\x98\x41", "invalid utf-8 sequence of 3 bytes from index 8"},
        Utf8Case{"ShiftJis", "\x8b\xad\x82\xa2", "invalid utf-8 sequence of 1 bytes from index 0"},
        Utf8Case{"EndsInsideTwo", "abc\xC3", "incomplete utf-8 byte sequence from index 3"},
        Utf8Case{"EndsInsideFour", "\xF0\x9F\x98", "incomplete utf-8 byte sequence from index 0"},
        Utf8Case{"FaultBeforeTheEnd", "\xFF\xC3", "invalid utf-8 sequence of 1 bytes from index 0"}),
    [](const auto& info) { return std::string(info.param.name); });

// A source over a text; each read is counted, and a read past `fail_from` fails.
struct TextSource {
    std::string text;
    std::uint64_t fail_from = std::numeric_limits<std::uint64_t>::max();
    std::size_t reads = 0;

    Expected<std::size_t, int> read_at(std::uint64_t offset, std::span<std::uint8_t> out) {
        ++reads;
        if (offset + out.size() > fail_from) return unexpected(5);
        if (offset >= text.size()) return std::size_t{0};
        const std::size_t n = std::min<std::size_t>(out.size(), text.size() - offset);
        std::memcpy(out.data(), text.data() + offset, n);
        return n;
    }
};

// Random texts of short, buffer-sized and longer lines against the plain rule: cut after
// each line feed, the rest a last line; the first line past the cap stops the reading.
TEST(SourceLines, LinesAndCapMatchThePlainRule) {
    std::mt19937 rng(29);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int lines = static_cast<int>(rng() % 12);
        for (int i = 0; i < lines; ++i) {
            const std::size_t length = rng() % 4 == 0 ? rng() % 20000 : rng() % 40;
            for (std::size_t k = 0; k < length; ++k) text += (rng() % 3 == 0 ? '\r' : 'x');
            if (i + 1 < lines || rng() % 2) text += '\n';
        }
        const std::size_t cap = rng() % 3 == 0 ? 9000 : 1 << 20;
        const std::uint64_t start = text.empty() ? 0 : rng() % (text.size() + 1);
        std::vector<std::string> expected;
        bool too_long = false;
        for (std::size_t at = start; at < text.size();) {
            std::size_t feed = text.find('\n', at);
            const std::size_t end = feed == std::string::npos ? text.size() : feed + 1;
            if (end - at - (feed == std::string::npos ? 0 : 1) > cap) {
                too_long = true;
                break;
            }
            expected.push_back(text.substr(at, end - at));
            at = end;
        }
        TextSource source{text};
        SourceLineReader<TextSource> reader(source, start, cap);
        std::vector<std::string> got;
        std::uint64_t position = start;
        std::string_view line;
        for (;;) {
            auto step = reader.next(line);
            ASSERT_TRUE(step);
            if (*step != SourceLine::Read) {
                EXPECT_EQ(*step == SourceLine::TooLong, too_long);
                break;
            }
            got.emplace_back(line);
            position += line.size();
            EXPECT_EQ(reader.position(), position);
        }
        EXPECT_EQ(got, expected);
    }
}

TEST(SourceLines, ExactlyTheCapIsALineAndMemoryStaysBounded) {
    const std::size_t cap = 20000;
    TextSource source{std::string(cap, 'a') + "\n" + std::string(cap, 'b') + "\n" + std::string(cap + 1, 'c')};
    SourceLineReader<TextSource> reader(source, 0, cap);
    std::string_view line;
    EXPECT_EQ(*reader.next(line), SourceLine::Read);
    EXPECT_EQ(line.size(), cap + 1);
    EXPECT_EQ(*reader.next(line), SourceLine::Read);
    EXPECT_EQ(*reader.next(line), SourceLine::TooLong);
    // A source without line feeds is read only up to the cap and one buffer.
    TextSource endless{std::string(1 << 22, '\0')};
    SourceLineReader<TextSource> capped(endless, 0, cap);
    EXPECT_EQ(*capped.next(line), SourceLine::TooLong);
    EXPECT_LE(endless.reads, cap / 8192 + 2);
    TextSource failing{std::string(100000, 'x'), 30000};
    SourceLineReader<TextSource> broken(failing, 0, 1 << 20);
    EXPECT_EQ(broken.next(line).error(), 5);
    TextSource empty{""};
    SourceLineReader<TextSource> none(empty, 0, cap);
    EXPECT_EQ(*none.next(line), SourceLine::End);
    EXPECT_EQ(*none.next(line), SourceLine::End);
}

}  // namespace
