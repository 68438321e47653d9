// The YaneuraOu db line grammar: decoding, classification, position and move lines with
// every error text, and the gathering of comment lines.

#include <gtest/gtest.h>

#include <string>

#include "core/book/yaneuraou_text.h"

using namespace korvan;

namespace {

template <class T>
std::string optional_text(const std::optional<T>& v) {
    return v ? std::to_string(*v) : "-";
}

// One line (its bytes, line end included) decoded and parsed, written as the kind and
// every field, or as the error's display text.
std::string describe(std::uint64_t line_number, std::string_view bytes) {
    auto text = yaneuraou_decode_line(line_number, bytes);
    if (!text) return "error: " + book_error_display(text.error());
    auto line = yaneuraou_parse_line(line_number, *text);
    if (!line) return "error: " + book_error_display(line.error());
    switch (line->kind) {
        case YaneuraOuLineKind::Blank: return "blank";
        case YaneuraOuLineKind::Header: return "header";
        case YaneuraOuLineKind::Comment: return "comment [" + std::string(line->text) + "]";
        case YaneuraOuLineKind::Position:
            return "position [" + line->position.sfen + "] " + std::to_string(line->position.min_ply);
        case YaneuraOuLineKind::Move: {
            const YaneuraOuMove& m = line->move;
            return "move " + move_display_usi(m.mv) + " " + move_display_usi(m.ponder) + " " +
                   optional_text(m.score) + " " + optional_text(m.depth) + " " + optional_text(m.count) + " [" +
                   std::string(line->text) + "]";
        }
    }
    return "?";
}

struct LineCase {
    const char* name;
    std::uint64_t line_number;
    std::string bytes;
    std::string expected;
};

class YaneuraOuLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(YaneuraOuLines, ReadAsWritten) {
    const LineCase& c = GetParam();
    EXPECT_EQ(describe(c.line_number, c.bytes), c.expected);
}

const std::string START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL";

INSTANTIATE_TEST_SUITE_P(
    Cases, YaneuraOuLines,
    ::testing::Values(
        // Line ends, blanks and byte-order marks.
        LineCase{"Empty", 3, "", "blank"}, LineCase{"BlanksAndCrLf", 3, " \t\u3000\r\n", "blank"},
        LineCase{"Header", 1, "#YANEURAOU-DB2016 1.00\n", "header"},
        LineCase{"HeaderCrLfTrailingBlank", 4, "#YANEURAOU-DB2016 1.00 \r\n", "header"},
        LineCase{"HeaderAfterMarkOnLineOne", 1, "\xEF\xBB\xBF\xEF\xBB\xBF#YANEURAOU-DB2016 1.00\n", "header"},
        LineCase{"BlankAfterMarkStays", 1, "\xEF\xBB\xBF #x\n",
                 "error: invalid data: line 1: missing ponder move"},
        LineCase{"MarkOnLineTwoIsAMoveLine", 2, "\xEF\xBB\xBF#YANEURAOU-DB2016 1.00\n",
                 "error: invalid data: line 2: invalid move: \xEF\xBB\xBF#YANEURAOU-DB2016"},
        LineCase{"OtherVersion", 1, "#YANEURAOU-DB2016 1.01",
                 "error: invalid book format: unsupported yaneuraou book header"},
        LineCase{"OtherVersionLater", 9, "#YANEURAOU-DB2016 2.00\n",
                 "error: invalid book format: unsupported yaneuraou book header"},
        LineCase{"OlderHeaderIsAComment", 1, "#YANEURAOU-DB2015 1.00\n", "comment [YANEURAOU-DB2015 1.00]"},
        // Comments.
        LineCase{"HashComment", 5, "#  strong  \n", "comment [strong]"},
        LineCase{"SlashComment", 5, "//\tstrong reply\r\n", "comment [strong reply]"},
        LineCase{"EmptyComment", 5, "//", "comment []"},
        LineCase{"ShiftJisInAComment", 7, "# \x8b\xad\x82\xa2\n",
                 "error: invalid data: line 7: invalid utf-8: invalid utf-8 sequence of 1 bytes from index 2; "
                 "CP932 / Shift_JIS input is not supported"},
        LineCase{"CutSequenceAtTheEnd", 0, "# \xE5\xAE",
                 "error: invalid data: invalid utf-8: incomplete utf-8 byte sequence from index 2; "
                 "CP932 / Shift_JIS input is not supported"},
        // Position lines.
        LineCase{"StartWithPly", 2, "sfen " + START + " b - 17\n", "position [" + START + " b - 1] 17"},
        LineCase{"NoPly", 2, "sfen " + START + " b -", "position [" + START + " b - 1] 0"},
        LineCase{"PlyNotANumber", 2, "sfen " + START + " b - x", "position [" + START + " b - 1] 0"},
        LineCase{"PlyWithPlusAndMore", 2, "sfen  " + START + "\u3000w\t-  +5 extra", "position [" + START + " w - 1] 5"},
        LineCase{"PlyNegativeOrTooLarge", 2, "sfen " + START + " b - 4294967296", "position [" + START + " b - 1] 0"},
        LineCase{"TwoFields", 6, "sfen " + START + " b\n", "error: invalid data: line 6: invalid sfen"},
        LineCase{"BadBoard", 6, "sfen 4X4/9/9/9/9/9/9/9/9 b - 1",
                 "error: invalid data: line 6: invalid sfen: invalid piece: 'X'"},
        LineCase{"SfenThenTab", 6, "sfen\t" + START + " b - 1", "error: invalid data: line 6: invalid move: sfen"},
        // Move lines.
        LineCase{"AllFields", 3, "7g7f 3c3d 30 12 5\n", "move 7g7f 3c3d 30 12 5 []"},
        LineCase{"TwoFields", 3, "7g7f 3c3d", "move 7g7f 3c3d - - - []"},
        LineCase{"NonePonder", 3, "7g7f none none 12", "move 7g7f none - 12 - []"},
        LineCase{"CapitalNone", 3, "7g7f None -15 None None", "move 7g7f none -15 - - []"},
        LineCase{"DropPromotionAndWords", 3, "P*5e 2b3c+ +7", "move P*5e 2b3c+ 7 - - []"},
        LineCase{"SpecialWords", 3, "resign 0000 0 0 0", "move resign null 0 0 0 []"},
        LineCase{"SlashMarker", 3, "7g7f 3c3d 1 2 3 // strong", "move 7g7f 3c3d 1 2 3 [ strong]"},
        LineCase{"HashMarker", 3, "7g7f 3c3d 1 2 3 #strong\r\n", "move 7g7f 3c3d 1 2 3 [strong]"},
        LineCase{"NoMarker", 3, "7g7f 3c3d 1 2 3   strong reply ", "move 7g7f 3c3d 1 2 3 [strong reply]"},
        LineCase{"SixthFieldOnlyAfterFive", 3, "7g7f 3c3d 1 2 3 4 5", "move 7g7f 3c3d 1 2 3 [4 5]"},
        LineCase{"ExtremeNumbers", 3, "7g7f 3c3d -2147483648 4294967295 18446744073709551615",
                 "move 7g7f 3c3d -2147483648 4294967295 18446744073709551615 []"},
        LineCase{"OneField", 8, "7g7f", "error: invalid data: line 8: missing ponder move"},
        LineCase{"OneBadField", 8, "7j7f", "error: invalid data: line 8: missing ponder move"},
        LineCase{"IdeographicSpaceSplitsNothing", 8, "7g7f\u30003c3d",
                 "error: invalid data: line 8: missing ponder move"},
        LineCase{"BadMove", 12, "7j7f 3c3d", "error: invalid data: line 12: invalid move: 7j7f"},
        LineCase{"BadPonder", 12, "7g7f 3c3", "error: invalid data: line 12: invalid ponder move: 3c3"},
        LineCase{"MoveBeforeNumbers", 12, "7j7f 3c3d x",
                 "error: invalid data: line 12: invalid move: 7j7f"},
        LineCase{"ScoreNotADigit", 5, "7g7f 3c3d 1x", "error: invalid data: line 5: invalid score: invalid digit "
                                                     "found in string"},
        LineCase{"ScoreSignAlone", 5, "7g7f 3c3d -", "error: invalid data: line 5: invalid score: invalid digit "
                                                    "found in string"},
        LineCase{"ScoreTooLarge", 5, "7g7f 3c3d 2147483648",
                 "error: invalid data: line 5: invalid score: number too large to fit in target type"},
        LineCase{"ScoreTooSmall", 5, "7g7f 3c3d -2147483649",
                 "error: invalid data: line 5: invalid score: number too small to fit in target type"},
        LineCase{"DepthNegative", 7, "7g7f 3c3d 0 -1",
                 "error: invalid data: line 7: invalid depth: invalid digit found in string"},
        LineCase{"DepthTooLarge", 7, "7g7f 3c3d 0 4294967296",
                 "error: invalid data: line 7: invalid depth: number too large to fit in target type"},
        LineCase{"CountTwentyDigits", 7, "7g7f 3c3d 0 0 18446744073709551616",
                 "error: invalid data: line 7: invalid count: number too large to fit in target type"},
        LineCase{"CountNegative", 7, "7g7f 3c3d 0 0 -5",
                 "error: invalid data: line 7: invalid count: invalid digit found in string"},
        LineCase{"NulInsideAField", 0, std::string("7g7f 3c3d 1\0 2", 14),
                 "error: invalid data: invalid score: invalid digit found in string"},
        LineCase{"LoneCrSplitsFields", 4, "7g7f\r3c3d\r9", "move 7g7f 3c3d 9 - - []"}),
    [](const auto& info) { return std::string(info.param.name) + "_" + std::to_string(info.index); });

TEST(YaneuraOuText, LineErrorNamesTheLineUnlessItIsZero) {
    EXPECT_EQ(yaneuraou_line_error(0, "invalid sfen"), "invalid sfen");
    EXPECT_EQ(yaneuraou_line_error(18446744073709551615ull, "x"), "line 18446744073709551615: x");
}

TEST(YaneuraOuText, CommentsGatherOnTheEntryThenOnItsLastMove) {
    YaneuraOuEntry entry;
    const auto add = [&](std::string_view text) {
        yaneuraou_gather(entry, *yaneuraou_parse_line(1, *yaneuraou_decode_line(1, text)));
    };
    add("# opening");
    add("//");
    add("// second");
    add("7g7f 3c3d 1 2 3 //  first move");
    add("# more");
    add("");
    add("#YANEURAOU-DB2016 1.00");
    add("2g2f 8c8d");
    add("#");
    add("# reply");
    add("6i7h 4a3b 0 0 0 #");
    EXPECT_EQ(entry.comment, "opening\nsecond");
    ASSERT_EQ(entry.moves.size(), 3u);
    EXPECT_EQ(entry.moves[0].comment, "  first move\nmore");
    EXPECT_EQ(entry.moves[1].comment, "reply");
    EXPECT_EQ(entry.moves[2].comment, "");
}

}  // namespace
