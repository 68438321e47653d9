// Messages that quote their input stay valid UTF-8: excerpts cut at character
// boundaries, bytes that are not UTF-8 replaced as Python's "replace" handler does, and
// the readers' messages on such input, text for text.

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "support.h"
#include "core/board/notation/rows.h"
#include "core/board/notation/usi_position.h"
#include "core/book/book_error.h"
#include "core/util/utf8_check.h"
#include "core/records/formats/csa/csa_reader.h"
#include "core/records/formats/jkf/jkf_reader.h"
#include "core/records/formats/kif/ki2_reader.h"
#include "core/records/usi_reader.h"
#include "core/records/usi_text.h"
#include "core/types/piece.h"
#include "core/types/square.h"
#include "core/util/text.h"
#include "core/util/utf8_repair.h"

namespace korvan::test {
namespace {

const std::string R = "\xEF\xBF\xBD";  // U+FFFD

TEST(Utf8Prefix, CutsOnlyBetweenCharacters) {
    const std::string text = "a\xC3\xA9\xE6\xA3\x8B\xF0\x9F\x98\x80z";  // a é 棋 😀 z
    const std::vector<std::size_t> boundaries = {0, 1, 3, 6, 10, 11};
    for (std::size_t max = 0; max <= text.size() + 1; ++max) {
        SCOPED_TRACE(max);
        const std::string_view cut = utf8_prefix(text, max);
        std::size_t expected = 0;
        for (std::size_t b : boundaries)
            if (b <= max) expected = b;
        EXPECT_EQ(cut.size(), expected);
        EXPECT_TRUE(is_valid_utf8(cut));
    }
    // An excerpt a library already cut loses its half character; stray bytes are no
    // character and stay for the replacement.
    EXPECT_EQ(utf8_prefix("ab\xE6\xA3"), "ab");
    EXPECT_EQ(utf8_prefix("ab\xF0\x9F\x98"), "ab");
    EXPECT_EQ(utf8_prefix("ab\xE6\xA3\x8B"), "ab\xE6\xA3\x8B");
    EXPECT_EQ(utf8_prefix("ab\xFF"), "ab\xFF");
    EXPECT_EQ(utf8_prefix("ab\xE0\x80"), "ab\xE0\x80");  // an overlong start begins no character
    EXPECT_EQ(utf8_prefix("ab\x8B\x8B"), "ab\x8B\x8B");
}

struct ReplaceCase {
    const char* name;
    std::string bytes;
    std::string text;
};

class Utf8Replace : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(Utf8Replace, AsPythonsReplaceHandler) { EXPECT_EQ(utf8_replace_invalid(GetParam().bytes), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Replace,
    ::testing::Values(ReplaceCase{"valid", "a\xC3\xA9\xE6\xA3\x8B\xF0\x9F\x98\x80", "a\xC3\xA9\xE6\xA3\x8B\xF0\x9F\x98\x80"},
                      ReplaceCase{"stray byte", "\xFF", R}, ReplaceCase{"cut then ASCII", "\xE6\xA3" "A", R + "A"},
                      ReplaceCase{"surrogate", "\xED\xA0\x80", R + R + R}, ReplaceCase{"overlong four", "\xF0\x80", R + R},
                      ReplaceCase{"overlong two", "\xC0\xAF", R + R},
                      ReplaceCase{"past U+10FFFF", "\xF4\x90\x80\x80", R + R + R + R},
                      ReplaceCase{"cut at the end", "a\xE6\xA3", "a" + R},
                      ReplaceCase{"cut then whole", "\xE6\xA3\xE6\xA3\x8B", R + "\xE6\xA3\x8B"}),
    [](const auto& info) { return case_name(info.index, {info.param.name}); });

TEST(Utf8Replace, AnyBytesGiveValidTextAndValidTextStays) {
    std::mt19937 rng(7);
    const std::string pieces[] = {"a", "\xC3\xA9", "\xE6\xA3\x8B", "\xF0\x9F\x98\x80", "\x80", "\xBF", "\xC3",
                                  "\xE6", "\xED", "\xF0", "\xF4", "\xFF", "\xC0"};
    for (int n = 0; n < 3000; ++n) {
        std::string bytes;
        for (int k = std::uniform_int_distribution<int>(0, 12)(rng); k > 0; --k)
            bytes += pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) - 1)(rng)];
        const std::string text = utf8_replace_invalid(bytes);
        ASSERT_TRUE(is_valid_utf8(text)) << debug_str(bytes);
        if (is_valid_utf8(bytes)) {
            EXPECT_EQ(text, bytes);
        }
        EXPECT_TRUE(is_valid_utf8(utf8_prefix(text, n % 16)));
    }
}

struct MessageCase {
    const char* name;
    std::function<std::string()> message;
    std::string text;
};

class QuotedInput : public ::testing::TestWithParam<MessageCase> {};

TEST_P(QuotedInput, MessageText) {
    const std::string message = GetParam().message();
    EXPECT_EQ(message, GetParam().text);
    EXPECT_TRUE(is_valid_utf8(message));
}

template <class Parse, class Display>
std::function<std::string()> reader_error(Parse parse, Display display, std::string text) {
    return [=] {
        auto r = parse(text);
        return r ? std::string("(read)") : display(r.error());
    };
}

template <class Parse>
std::function<std::string()> text_error(Parse parse, std::string text) {
    return [=] {
        auto r = parse(text);
        return r ? std::string("(read)") : std::string(r.error());
    };
}

const std::string JSON_ERROR = "json serialization failed: [json.exception.parse_error.101] parse error at line 1, ";

INSTANTIATE_TEST_SUITE_P(
    Messages, QuotedInput,
    ::testing::Values(
        MessageCase{"JKF a character cut by the excerpt", reader_error(parse_jkf, jkf_error_display, "\xE6\xA3\x8B"),
                    JSON_ERROR + "column 1: syntax error while parsing value - invalid literal; last read: ''"},
        MessageCase{"JKF a letter cut after a number", reader_error(parse_jkf, jkf_error_display, "[1, \xC3\xA9]"),
                    JSON_ERROR + "column 5: syntax error while parsing value - invalid literal; last read: '1, '"},
        MessageCase{"JKF a character cut before what was expected",
                    reader_error(parse_jkf, jkf_error_display, "7\xE6\xA3\x8Bg"),
                    JSON_ERROR + "column 2: syntax error while parsing value - invalid literal; last read: '7'; "
                                 "expected end of input"},
        MessageCase{"JKF whole letter in a string", reader_error(parse_jkf, jkf_error_display, "\"\xC3\xA9"),
                    JSON_ERROR + "column 4: syntax error while parsing value - invalid string: missing closing quote; "
                                 "last read: '\"\xC3\xA9'"},
        MessageCase{"JKF raw byte in a string", reader_error(parse_jkf, jkf_error_display, "\"\xFF\""),
                    JSON_ERROR + "column 2: syntax error while parsing value - invalid string: ill-formed UTF-8 byte; "
                                 "last read: '\"" + R + "'"},
        MessageCase{"CSA line", reader_error(parse_csa, csa_error_display, "PI\n+\n+7776FU\n\xFF\xE6\xA3\n"),
                    "invalid CSA line: " + R + R},
        MessageCase{"CSA board line", reader_error(parse_csa, csa_error_display, "P1\xFF\n+\n"),
                    "invalid CSA board line: P1" + R},
        MessageCase{"KI2 move", reader_error(parse_ki2, ki2_error_display, "\xE2\x96\xB2\xEF\xBC\x97\xE5\x85\xAD\xFF\n"),
                    "invalid KI2 move: \xE2\x96\xB2\xEF\xBC\x97\xE5\x85\xAD" + R},
        MessageCase{"SFEN turn", reader_error(parse_sfen_fields, sfen_error_display, "9/9/9/9/9/9/9/9/9 \xFF -"),
                    "invalid turn: '" + R + "'"},
        MessageCase{"USI position move", text_error(parse_usi_position_command, "startpos moves 7g7f \xFF"),
                    "invalid move '" + R + "' in USI position: startpos moves 7g7f " + R},
        MessageCase{"USI position illegal move", text_error(parse_usi_position_command, "startpos moves 7g7e\xFF"),
                    "illegal move '7g7e" + R + "' in USI position: startpos moves 7g7e" + R},
        MessageCase{"USI position tokens", text_error(parse_usi_position_command, "\xFF"),
                    "invalid USI position token sequence: " + R},
        MessageCase{"USI position SFEN", text_error(parse_usi_position_command, "\xFF b - 1 moves"),
                    "invalid SFEN token: " + R + " b - 1 (invalid piece: '" + R + "')"},
        MessageCase{"record USI position",
                    reader_error([](std::string_view t) { return record_from_usi_position(t, false); },
                                 usi_position_error_display, "startpos moves \xFF"),
                    "invalid move token at index 0: " + R},
        MessageCase{"piece type", text_error(piece_type_from_usi, "\xFF"), "invalid piece type: " + R},
        MessageCase{"square file", text_error(square_from_usi, "\xC3("), "invalid file character: " + R + "("},
        MessageCase{"square rank", text_error(square_from_usi, "1\xFF"), "invalid rank character: " + R},
        MessageCase{"HCPE outcome", text_error(hcpe_outcome_from_name, "\xE6"), "invalid hcpe game result name: " + R},
        MessageCase{"book detail", [] { return book_error_display(BookError::invalid_data("x\xFF")); },
                    "invalid data: x" + R}),
    [](const auto& info) { return case_name(info.index, {info.param.name}); });

}  // namespace
}  // namespace korvan::test
