// The CSA reader: every fixture file, the set-up lines, the specials, evaluations,
// comments and times, and every error text.

#include <gtest/gtest.h>

#include "core/board/notation/move_text.h"
#include "record_format_support.h"
#include "core/records/formats/csa/csa_reader.h"

namespace korvan::test {
namespace {

using K = SpecialMoveKind;

Record csa_read_ok(std::string_view text) {
    auto r = parse_csa(text);
    if (!r) throw std::runtime_error("CSA refused: " + csa_error_display(r.error()));
    return std::move(*r);
}

std::string csa_read_error(std::string_view text) {
    auto r = parse_csa(text);
    if (r) return "(accepted)";
    return csa_error_display(r.error());
}

// The position after the main line, replayed from the record itself.
std::string replayed_sfen(const Record& r) {
    Position pos = r.init_position_sfen ? sfen(*r.init_position_sfen) : position_startpos();
    for (Move m : main_moves(r)) position_do_move(pos, position_move_to_move32(pos, m));
    return position_to_sfen(pos, pos.ply);
}

// An independent scan of a fixture: every signed seven-character move item before the
// first "%" item, played from the given start.
std::string scanned_final_sfen(const std::string& text, const std::string& start, std::size_t& count) {
    Position pos = sfen(start);
    count = 0;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '\'' || line[0] == 'P' || line[0] == 'N' || line[0] == '$') continue;
        std::istringstream items(line);
        std::string item;
        while (std::getline(items, item, ',')) {
            if (item.rfind('%', 0) == 0) return position_to_sfen(pos, pos.ply);
            if (item.size() != 7 || (item[0] != '+' && item[0] != '-')) continue;
            const Move32 m = position_move_from_csa(pos, item);
            if (m == 0) throw std::runtime_error("scan: bad move " + item);
            position_do_move(pos, m);
            ++count;
        }
    }
    return position_to_sfen(pos, pos.ply);
}

struct FixtureCase {
    const char* file;
    bool shift_jis;
    std::size_t moves;
    const char* initial_sfen;
    SpecialMoveKind kind;
    int result;
    std::vector<std::uint64_t> first_times_s;  // of the first moves
    std::optional<std::uint64_t> terminal_time_s;
    std::optional<std::string> terminal_comment;
};

constexpr const char* START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";
constexpr const char* EIGHT_PIECE = "3gkg3/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1";
constexpr const char* NINE_PAWNS = "7pk/7p1/7p1/7p1/7p1/7p1/7p1/7p1/7p1 b 4L2R4n4s 1";

class CsaFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(CsaFixture, ReadsMainLineTerminalAndTimes) {
    const FixtureCase& c = GetParam();
    const std::string raw = read_file(fixture_path(std::string("csa/") + c.file));
    const std::string text = c.shift_jis ? sjis_to_utf8(raw) : raw;
    const Record r = csa_read_ok(text);

    EXPECT_EQ(r.init_position_sfen, std::optional<std::string>(c.initial_sfen));
    EXPECT_EQ(record_move_count(r), c.moves);
    std::size_t scanned = 0;
    EXPECT_EQ(replayed_sfen(r), scanned_final_sfen(text, c.initial_sfen, scanned));
    EXPECT_EQ(scanned, c.moves);

    const RecordNode& last = record_node(r, record_main_line_last(r));
    ASSERT_EQ(last.kind, NodeKind::Terminal);
    EXPECT_EQ(last.special->kind, c.kind);
    EXPECT_EQ(last.special->result, c.result);
    EXPECT_EQ(record_result(r), c.result);
    const auto terminal_time = last.annotations.time ? std::optional(last.annotations.time->total_ms() / 1000) : std::nullopt;
    EXPECT_EQ(terminal_time, c.terminal_time_s);
    EXPECT_EQ(last.annotations.comment, c.terminal_comment);

    const auto ids = record_main_line_ids(r);
    for (std::size_t i = 0; i < c.first_times_s.size(); ++i) {
        const auto& t = record_node(r, ids[i]).annotations.time;
        ASSERT_TRUE(t) << i;
        EXPECT_EQ(t->total_ms(), c.first_times_s[i] * 1000) << i;
    }
    // No fixture has a "'*" comment: the "'" and "'** " lines are not comments.
    for (RecordNodeId id : ids) {
        EXPECT_FALSE(record_node(r, id).annotations.comment) << c.file;
        EXPECT_FALSE(record_node(r, id).annotations.engine_info) << c.file;
    }
    EXPECT_FALSE(record_node(r, r.root).annotations.comment);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, CsaFixture,
    ::testing::Values(
        FixtureCase{"2005_GPS_K-SHOGI.csa", false, 173, START, K::Resign, 0, {12, 1, 1}, std::nullopt, std::nullopt},
        FixtureCase{"8mai.csa", true, 25, EIGHT_PIECE, K::Interrupt, 11, {3, 1, 2, 2}, 39, std::nullopt},
        FixtureCase{"8mai_hirate.csa", true, 25, EIGHT_PIECE, K::Interrupt, 11, {3, 1, 2, 2}, 39, std::nullopt},
        FixtureCase{"9fu.csa", true, 61, NINE_PAWNS, K::Mate, 0, {2, 1, 1}, 4, std::nullopt},
        FixtureCase{"9fu_komabetsu.csa", true, 61, NINE_PAWNS, K::Mate, 0, {2, 1, 1}, 4, std::nullopt},
        FixtureCase{"chudan.csa", true, 3, START, K::Interrupt, 11, {2, 5, 6}, 51, std::nullopt},
        // Lines after the terminal: its comment and time, then a second "%KACHI" ends it.
        FixtureCase{"engine_comments.csa", false, 400, START, K::WinByDeclaration, 4, {10, 0, 10}, 10,
                    std::string("-5000 win")},
        FixtureCase{"example.csa", true, 2, START, K::Interrupt, 11, {12, 6}, std::nullopt, std::nullopt},
        FixtureCase{"formal.csa", true, 2, START, K::Interrupt, 11, {12, 6}, std::nullopt, std::nullopt},
        // Black to move fouled: White wins.
        FixtureCase{"illegal_lose.csa", true, 2, START, K::LoseByIllegalMove, 13, {0, 0}, 0, std::nullopt},
        // White fouled ("-") with Black to move: Black, the side to move, wins.
        FixtureCase{"illegal_win.csa", true, 2, START, K::WinByIllegalMove, 12, {0, 0}, 0, std::nullopt},
        FixtureCase{"noeol.csa", true, 2, START, K::Interrupt, 11, {12, 6}, std::nullopt, std::nullopt},
        FixtureCase{"v2.csa", false, 196, START, K::Resign, 1, {0, 0, 0}, std::nullopt, std::nullopt}),
    [](const auto& info) {
        std::string name = info.param.file;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST(CsaFixtureHeader, ExampleMetadata) {
    const Record r = csa_read_ok(sjis_to_utf8(read_file(fixture_path("csa/example.csa"))));
    const RecordMetadata& md = r.metadata;
    using MK = RecordMetadataKey;
    EXPECT_EQ(md.get(MK::BlackPlayer), "NAKAHARA");
    EXPECT_EQ(md.get(MK::WhitePlayer), "YONENAGA");
    EXPECT_EQ(md.get(MK::Event), "13th World Computer Shogi Championship");
    EXPECT_EQ(md.get(MK::Site), "KAZUSA ARC");
    EXPECT_EQ(md.get(MK::StartDate), "2003/05/03 10:30:00");
    EXPECT_EQ(md.get(MK::EndDate), "2003/05/03 11:11:05");
    EXPECT_EQ(md.time_control, (TimeControl{1500, 0, 0}));
    EXPECT_EQ(md.attributes, (std::map<std::string, std::string, std::less<>>{{"OPENING", "YAGURA"}}));
    EXPECT_EQ(csa_read_ok(sjis_to_utf8(read_file(fixture_path("csa/noeol.csa")))).metadata, md);
}

TEST(CsaFixtureHeader, SetUpByPieceGroupsEqualsRankLines) {
    const Record rows = csa_read_ok(sjis_to_utf8(read_file(fixture_path("csa/9fu.csa"))));
    const Record groups = csa_read_ok(sjis_to_utf8(read_file(fixture_path("csa/9fu_komabetsu.csa"))));
    EXPECT_EQ(rows.init_position_sfen, groups.init_position_sfen);
    EXPECT_EQ(main_moves(rows), main_moves(groups));
}

// --- the reader's rules on small texts ---

TEST(CsaReader, RankLinesWithAnySpacingReadAlike) {
    const std::string rows = "P1-KY-KE-GI-KI-OU-KI-GI-KE-KY\nP2 * -HI *  *  *  *  * -KA * \nP3-FU-FU-FU-FU-FU-FU-FU-FU-FU\n"
                             "P7+FU+FU+FU+FU+FU+FU+FU+FU+FU\nP8 * +KA *  *  *  *  * +HI * \nP9+KY+KE+GI+KI+OU+KI+GI+KE+KY\n+\n";
    const std::string spaced = "P1 -KY -KE -GI -KI -OU -KI -GI -KE -KY\nP2 * -HI * * * * * -KA *\nP3-FU-FU-FU-FU-FU-FU-FU-FU-FU\n"
                               "P5 *  *  *\nP6 * * *\nP7+FU+FU+FU+FU+FU+FU+FU+FU+FU\nP8*+KA*****+HI*\n"
                               "P9+KY+KE+GI+KI+OU+KI+GI+KE+KY\n+\n";
    EXPECT_EQ(csa_read_ok(rows).init_position_sfen, std::string(START));
    EXPECT_EQ(csa_read_ok(spaced).init_position_sfen, std::string(START));
}

TEST(CsaReader, HandicapLines) {
    EXPECT_EQ(csa_read_ok("PI82HI22KA\n-\n").init_position_sfen,
              "lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1");
    EXPECT_EQ(csa_read_ok("PI\n+\n").init_position_sfen, std::string(START));
    // The codes are not compared; an empty square or a non-digit group is skipped.
    EXPECT_EQ(csa_read_ok("PI82XX55FUa1KY\n-\n").init_position_sfen,
              "lnsgkgsnl/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1");
    // With a "PI" line the rank lines are not read.
    EXPECT_EQ(csa_read_ok("PI\nP1 *  *  *  *  *  *  *  *  * \n+\n").init_position_sfen, std::string(START));
}

TEST(CsaReader, NoPositionLinesIsTheStartWithTheSideMark) {
    EXPECT_EQ(csa_read_ok("V2.2\n").init_position_sfen, std::string(START));
    const Record r = csa_read_ok("-\n-3334FU\n");
    EXPECT_EQ(r.init_position_sfen, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1");
    EXPECT_EQ(record_move_count(r), 1u);
}

struct SetUpCase {
    const char* text;
    const char* sfen;
};

class CsaPieceGroups : public ::testing::TestWithParam<SetUpCase> {};

TEST_P(CsaPieceGroups, PlaceAndHandOut) {
    EXPECT_EQ(csa_read_ok(GetParam().text).init_position_sfen, std::string(GetParam().sfen));
}

INSTANTIATE_TEST_SUITE_P(
    SetUp, CsaPieceGroups,
    ::testing::Values(
        // Board squares place the piece; "00" groups go to the hand by unpromoted kind.
        SetUpCase{"P+59OU00TO00TO\nP-51OU\n+\n", "4k4/9/9/9/9/9/9/9/4K4 b 2P 1"},
        // "00AL" hands out every piece not yet placed, never a king.
        SetUpCase{"P+59OU\nP-51OU00AL\n+\n", "4k4/9/9/9/9/9/9/9/4K4 b 18p4l4n4s4g2b2r 1"},
        // ... counting the board, both hands and promoted pieces by their kind.
        SetUpCase{"P+59OU55RY00FU00FU\nP-51OU44TO00AL\n-\n",
                  "4k4/9/9/5+p3/4+R4/9/9/9/4K4 w 2P15p4l4n4s4g2br 1"},
        // A second "00AL" finds nothing left; more placed than the set gives no negative count.
        SetUpCase{"P+59OU00AL\nP-51OU00AL\n+\n", "4k4/9/9/9/9/9/9/9/4K4 b 18P4L4N4S4G2B2R 1"},
        SetUpCase{"P+59OU11HI21HI31HI\nP-51OU00AL\n+\n", "4k1RRR/9/9/9/9/9/9/9/4K4 b 18p4l4n4s4g2b 1"},
        // A rank given again replaces the earlier one; fewer than nine cells leave the rest empty.
        SetUpCase{"P1-KY\nP1 *  * -OU\nP9+OU\n+\n", "2k6/9/9/9/9/9/9/9/K8 b - 1"}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.text}); });

TEST(CsaReader, HeaderLines) {
    const Record r = csa_read_ok(
        "'CSA encoding=UTF-8\nV2.2\nN+ Sente \nN-Gote\n$EVENT: Cup \n$SITE:Here\n$START_TIME:a\n$END_TIME:b\n"
        "$TIME_LIMIT:00:25+60\n$TIME+:300+10+5\n$TIME-:bad\n$MAX_MOVES:+256\n$JISHOGI:24\n$Foo:bar\n$Foo:baz\n"
        "$NOTE:a\\nb\\\\c\\x\\\n$NOTE:second\n$nocolon\n");
    const RecordMetadata& md = r.metadata;
    using MK = RecordMetadataKey;
    EXPECT_EQ(md.get(MK::BlackPlayer), "Sente");
    EXPECT_EQ(md.get(MK::WhitePlayer), "Gote");
    EXPECT_EQ(md.get(MK::Event), "Cup");
    EXPECT_EQ(md.get(MK::Site), "Here");
    EXPECT_EQ(md.get(MK::StartDate), "a");
    EXPECT_EQ(md.get(MK::EndDate), "b");
    EXPECT_EQ(md.time_control, (TimeControl{1500, 60, 0}));
    EXPECT_EQ(md.black_time_control, (TimeControl{300, 10, 5}));
    EXPECT_FALSE(md.white_time_control);
    EXPECT_EQ(md.max_moves, 256u);
    EXPECT_EQ(md.impasse_rule, "24");
    EXPECT_EQ(md.get(MK::Comment), "a\nb\\c\\x\\\nsecond");
    EXPECT_EQ(md.attributes, (std::map<std::string, std::string, std::less<>>{{"Foo", "baz"}}));
    EXPECT_EQ(csa_read_ok("$TIME:300+10+5\n").metadata.time_control, (TimeControl{300, 10, 5}));
    EXPECT_FALSE(csa_read_ok("$MAX_MOVES:abc\n").metadata.max_moves);
    EXPECT_FALSE(csa_read_ok("$MAX_MOVES:4294967296\n").metadata.max_moves);
}

TEST(CsaReader, ItemsCommentsTimesAndEvaluations) {
    const Record r = csa_read_ok(
        "\xEF\xBB\xBFPI\r\n+\r\n'*opening\r\n'*  second  \r\n+7776FU,T12,'*good\n'* more\n'** engine line\n"
        "'**評価値=+123\n-3334FU\nT1:30\n'**評価値='**評価値=-99999\nT=5\n+2726FU\n'**評価値=12a\n'plain comment\n");
    EXPECT_EQ(record_node(r, r.root).annotations.comment, "opening\nsecond");
    const auto ids = record_main_line_ids(r);
    ASSERT_EQ(ids.size(), 3u);
    const auto& a0 = record_node(r, ids[0]).annotations;
    EXPECT_EQ(a0.time, Duration::from_ms(12'000));
    EXPECT_EQ(a0.comment, "good\nmore");
    ASSERT_TRUE(a0.engine_info);
    EXPECT_EQ(a0.engine_info->eval, 123);
    const auto& a1 = record_node(r, ids[1]).annotations;
    EXPECT_EQ(a1.time, Duration::from_ms(5'000));  // the later time replaces the earlier
    ASSERT_TRUE(a1.engine_info);
    EXPECT_EQ(a1.engine_info->eval, -32768);  // limited to 16 bits
    EXPECT_TRUE(a1.engine_info->eval_is_mate_kind);
    const auto& a2 = record_node(r, ids[2]).annotations;
    EXPECT_FALSE(a2.engine_info);
    EXPECT_FALSE(a2.comment);
    EXPECT_FALSE(a2.time);
    // An evaluation before any move is skipped.
    EXPECT_FALSE(record_node(csa_read_ok("'**評価値=5\n+7776FU\n"), 2).annotations.engine_info);
}

TEST(CsaReader, TheSignIsNotCompared) {
    const Record r = csa_read_ok("PI\n+\n-7776FU\n");
    EXPECT_EQ(main_moves(r), std::vector<Move>{*move_from_usi("7g7f")});
}

struct SpecialCase {
    const char* moves;  // before the special
    const char* line;
    SpecialMoveKind kind;
    int result;
    const char* unknown_name;
};

class CsaSpecials : public ::testing::TestWithParam<SpecialCase> {};

TEST_P(CsaSpecials, KindResultAndRaw) {
    const SpecialCase& c = GetParam();
    const Record r = csa_read_ok(std::string("PI\n+\n") + c.moves + c.line + "\n");
    const RecordNode& last = record_node(r, record_main_line_last(r));
    ASSERT_EQ(last.kind, NodeKind::Terminal);
    EXPECT_EQ(last.special->kind, c.kind);
    EXPECT_EQ(last.special->result, c.result);
    EXPECT_EQ(last.special->unknown_name, c.unknown_name);
    EXPECT_EQ(last.special->raw, std::string(c.line));
}

INSTANTIATE_TEST_SUITE_P(
    Specials, CsaSpecials,
    ::testing::Values(
        SpecialCase{"", "%TORYO", K::Resign, 1, ""}, SpecialCase{"+7776FU\n", "%TORYO", K::Resign, 0, ""},
        SpecialCase{"", "%TSUMI", K::Mate, 1, ""}, SpecialCase{"+7776FU\n", "%KACHI", K::WinByDeclaration, 5, ""},
        SpecialCase{"", "%TIME_UP", K::Timeout, 17, ""}, SpecialCase{"+7776FU\n", "%TIME_UP", K::Timeout, 16, ""},
        SpecialCase{"", "%ILLEGAL_MOVE", K::LoseByIllegalMove, 13, ""},
        SpecialCase{"+7776FU\n", "%ILLEGAL_MOVE", K::LoseByIllegalMove, 12, ""},
        SpecialCase{"", "%+ILLEGAL_ACTION", K::LoseByIllegalMove, 13, ""},
        SpecialCase{"+7776FU\n", "%+ILLEGAL_ACTION", K::WinByIllegalMove, 13, ""},
        SpecialCase{"", "%-ILLEGAL_ACTION", K::WinByIllegalMove, 12, ""},
        SpecialCase{"+7776FU\n", "%-ILLEGAL_ACTION", K::LoseByIllegalMove, 12, ""},
        SpecialCase{"", "%CHUDAN", K::Interrupt, 11, ""}, SpecialCase{"", "%FUZUMI", K::NoMate, 11, ""},
        SpecialCase{"", "%JISHOGI", K::Impasse, 10, ""}, SpecialCase{"", "%HIKIWAKE", K::Draw, 10, ""},
        SpecialCase{"", "%MAX_MOVES", K::MaxMoves, 6, ""}, SpecialCase{"", "%SENNICHITE", K::RepetitionDraw, 2, ""},
        SpecialCase{"", "%ERROR", K::Unknown, 3, "ERROR"}, SpecialCase{"", "%MATTA", K::Unknown, 11, "MATTA"},
        SpecialCase{"", "%%X", K::Unknown, 11, "X"}, SpecialCase{"", "%", K::Unknown, 11, ""},
        SpecialCase{"", "%toryo", K::Unknown, 11, "toryo"}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.line, *info.param.moves ? "white_to_move" : "black_to_move"}); });

TEST(CsaReader, ShortSpecialBeforeAnyMoveIsTheTerminal) {
    // The writer's own text of a record with no moves and White to move.
    const Record r = csa_read_ok("V2.2\nPI82HI\n-\n%TORYO\n");
    EXPECT_EQ(r.init_position_sfen, "lnsgkgsnl/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1");
    const RecordNode& last = record_node(r, record_main_line_last(r));
    ASSERT_EQ(last.kind, NodeKind::Terminal);
    EXPECT_EQ(last.special->kind, K::Resign);
    EXPECT_EQ(last.special->result, 0);  // White to move resigned
    // A "%" line ends the header: what follows is the terminal's or ignored.
    const Record t = csa_read_ok("%KACHI\n'*why\nT3\n+7776FU\n");
    EXPECT_EQ(record_move_count(t), 0u);
    const RecordNode& end = record_node(t, record_main_line_last(t));
    EXPECT_EQ(end.special->result, 4);
    EXPECT_EQ(end.annotations.comment, "why");
    EXPECT_EQ(end.annotations.time, Duration::from_ms(3000));
}

TEST(CsaReader, AfterTheTerminalOnlyCommentsAndTimesAreRead) {
    const Record r = csa_read_ok("PI\n+\n+7776FU\n%TORYO,T7\n'*a\n\nT=9\n'*b\nnonsense line\n'*c\n");
    const RecordNode& last = record_node(r, record_main_line_last(r));
    EXPECT_EQ(last.annotations.comment, "a\nb");
    EXPECT_EQ(last.annotations.time, Duration::from_ms(9000));
}

TEST(CsaReader, Times) {
    EXPECT_EQ(parse_csa_time("T12"), 12'000u);
    EXPECT_EQ(parse_csa_time("T1:30"), 90'000u);
    EXPECT_EQ(parse_csa_time("T=5"), 5'000u);
    EXPECT_EQ(parse_csa_time("TT=5"), std::nullopt);
    EXPECT_EQ(parse_csa_time("TTT7"), 7'000u);
    EXPECT_EQ(parse_csa_time("X5"), std::nullopt);
    EXPECT_EQ(csa_move_comment_text("'*  x "), "x");
    EXPECT_EQ(csa_move_comment_text("'** x"), std::nullopt);
    EXPECT_EQ(csa_move_comment_text("'**x"), "*x");
    EXPECT_EQ(csa_move_comment_text("'x"), std::nullopt);
    // The blank of "' *" is dropped, and what follows is a comment even if it looks
    // like an engine line; any other blank keeps the line out.
    EXPECT_EQ(csa_move_comment_text("' *x "), "x");
    EXPECT_EQ(csa_move_comment_text("' ** x"), "* x");
    EXPECT_EQ(csa_move_comment_text("' **評価値=5"), "*評価値=5");
    EXPECT_EQ(csa_move_comment_text("' *"), "");
    EXPECT_EQ(csa_move_comment_text("'  *x"), std::nullopt);
    EXPECT_EQ(csa_move_comment_text("' x"), std::nullopt);
}

struct ErrorCase {
    const char* text;
    const char* message;
};

class CsaErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CsaErrors, Text) { EXPECT_EQ(csa_read_error(GetParam().text), GetParam().message); }

INSTANTIATE_TEST_SUITE_P(
    Errors, CsaErrors,
    ::testing::Values(
        ErrorCase{"PI\n+\n+7776FU\n-776FU\n", "invalid CSA move line: -776FU"},
        ErrorCase{"PI\n+\n+7776FU\n-3334FU\n+7775FU\n", "illegal move at index 2"},
        ErrorCase{"PI\n+\n+7776FU\n-3334FU,+2829HI\n", "illegal move at index 2"},
        ErrorCase{"PI\n+\n+7776ＦＵ\n", "illegal move at index 0"},
        ErrorCase{"PI\n+\n+7776FU\n$EVENT:late\n", "invalid CSA line: $EVENT:late"},
        ErrorCase{"PI\n+\n+7776FU\nN+late\n", "invalid CSA line: N+late"},
        ErrorCase{"PI\n+\n+7776FU,X\n", "invalid CSA line: X"},
        ErrorCase{"PI82H\n+\n", "invalid CSA board line: PI82H"},
        ErrorCase{"P1-KY-KE-GI-KI-OU-KI-GI-KE-KY *\n+\n", "invalid CSA board line: P1-KY-KE-GI-KI-OU-KI-GI-KE-KY *"},
        ErrorCase{"P1-KY-XX\n+\n", "invalid CSA board line: P1-KY-XX"},
        ErrorCase{"P1 x\n+\n", "invalid CSA board line: P1 x"},
        ErrorCase{"P1-K\n+\n", "invalid CSA board line: P1-K"},
        ErrorCase{"P+00FU0\n", "invalid CSA board line: P+00FU0"},
        ErrorCase{"P+00OU\n", "invalid CSA board line: P+00OU"},
        ErrorCase{"P+00XX\n", "invalid CSA board line: P+00XX"},
        ErrorCase{"P+0AFU\n", "invalid CSA board line: P+0AFU"},
        // A set-up the SFEN parser refuses: more pawns in hand than the text may carry.
        ErrorCase{"P+59OU" "00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU"
                  "00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU"
                  "00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU"
                  "00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU\n",
                  "failed to parse SFEN: invalid hand count for PieceType(1): 80"}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.message}); });

}  // namespace
}  // namespace korvan::test
