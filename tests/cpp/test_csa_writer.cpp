// The CSA writer: exact texts of the header, start position, moves, times, comments and
// terminals; line feeds in stored texts; and write -> read round trips of random records.

#include <gtest/gtest.h>

#include "record_format_support.h"
#include "core/records/formats/csa/csa_board.h"
#include "core/records/formats/csa/csa_reader.h"
#include "core/records/formats/csa/csa_writer.h"
#include "core/util/text.h"

namespace korvan::test {
namespace {

using K = SpecialMoveKind;

std::string csa_text(const Record& r) {
    auto text = write_csa(r);
    if (!text) throw std::runtime_error("CSA writer refused: " + csa_error_display(text.error()));
    return *text;
}

Record csa_with_moves(std::optional<std::string> sfen, std::initializer_list<const char*> usi) {
    Record r = *record_new(std::move(sfen));
    RecordNodeId at = r.root;
    for (const char* m : usi) at = *record_append_move(r, at, *move_from_usi(m), {});
    return r;
}

TEST(CsaWriter, EmptyRecordAtTheStart) { EXPECT_EQ(csa_text(record_new_startpos()), "V2.2\nPI\n+\n"); }

TEST(CsaWriter, StartWithAnotherMoveNumberGetsBoardLines) {
    const std::string text = csa_text(*record_new("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 2"));
    std::string board;
    position_to_csa_board(board, position_startpos());
    EXPECT_EQ(text, "V2.2\n" + board);
    EXPECT_TRUE(board.ends_with("P+\nP-\n+\n"));
}

TEST(CsaWriter, HandicapAndMoves) {
    Record r = csa_with_moves("lnsgkgsnl/1r7/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", {"3c3d", "7g7f"});
    const auto ids = record_main_line_ids(r);
    record_node(r, ids[0]).annotations.time = Duration::from_ms(12'999);
    record_node(r, ids[1]).annotations.time = Duration{5'000'000, 0};  // past 32-bit milliseconds
    EXPECT_EQ(csa_text(r), "V2.2\nPI22KA\n-\n-3334FU\nT12\n+7776FU\nT0\n");
}

TEST(CsaWriter, MovesDropsPromotionsAndTerminal) {
    Record r = csa_with_moves(std::nullopt, {"7g7f", "3c3d", "8h2b+", "3a2b", "B*5e"});
    Annotations a;
    a.comment = "  first line \r\n\n second\rline\n";
    a.time = Duration::from_ms(7'500);
    (void)record_append_terminal(r, record_main_line_last(r), SpecialMove{K::Resign, BLACK_WIN, "", "x"}, a);
    record_set_initial_comment(r, std::string("opening"));
    EXPECT_EQ(csa_text(r),
              "V2.2\nPI\n+\n'*opening\n+7776FU\nT0\n-3334FU\nT0\n+8822UM\nT0\n-3122GI\nT0\n+0055KA\nT0\n%TORYO\nT7\n"
              "'*first line\n'*second\rline\n");
}

TEST(CsaWriter, TerminalWithoutTimeHasNoTimeLine) {
    Record r = csa_with_moves(std::nullopt, {"7g7f"});
    (void)record_set_main_terminal(r, SpecialMove{K::Interrupt, PAUSED, "", std::nullopt}, {});
    EXPECT_EQ(csa_text(r), "V2.2\nPI\n+\n+7776FU\nT0\n%CHUDAN\n");
}

TEST(CsaWriter, HeaderLinesInOrder) {
    Record r = record_new_startpos();
    RecordMetadata& md = r.metadata;
    using MK = RecordMetadataKey;
    md.set(MK::Comment, "a\\b\nc\rd");
    md.set(MK::BlackPlayer, "B");
    md.set(MK::WhitePlayer, "W");
    md.set(MK::Event, "E");
    md.set(MK::Site, "S");
    md.set(MK::StartDate, "st");
    md.set(MK::EndDate, "en");
    md.set(MK::GameName, "not written");
    md.time_control = TimeControl{1500, 60, 0};
    md.black_time_control = TimeControl{0, 0, 0};
    md.white_time_control = TimeControl{600, 10, 0};
    md.max_moves = 256;
    md.impasse_rule = "24";
    md.attributes = {{"EVENT", "skipped"}, {"event", "kept"}, {"TIME", "kept: TIME_LIMIT was written"}, {"B", "x"}, {"AB", "y"}};
    EXPECT_EQ(csa_text(r),
              "V2.2\n$NOTE:a\\\\b\\nc\rd\nN+B\nN-W\n$EVENT:E\n$SITE:S\n$START_TIME:st\n$END_TIME:en\n"
              "$TIME_LIMIT:00:25+60\n$TIME+:0+0+0\n$TIME-:600+10+0\n$MAX_MOVES:256\n$JISHOGI:24\n"
              "$AB:y\n$B:x\n$TIME:kept: TIME_LIMIT was written\n$event:kept\nPI\n+\n");
}

struct TimeControlCase {
    TimeControl tc;
    const char* line;  // empty: no line
};

class CsaTimeControl : public ::testing::TestWithParam<TimeControlCase> {};

TEST_P(CsaTimeControl, Line) {
    Record r = record_new_startpos();
    r.metadata.time_control = GetParam().tc;
    r.metadata.attributes = {{"EVENT", "e"}};  // written: the record has no event
    const std::string line = GetParam().line;
    EXPECT_EQ(csa_text(r), "V2.2\n" + (line.empty() ? "" : line + "\n") + "$EVENT:e\nPI\n+\n");
}

INSTANTIATE_TEST_SUITE_P(TimeControls, CsaTimeControl,
                         ::testing::Values(TimeControlCase{{0, 0, 0}, ""},
                                           TimeControlCase{{1500, 60, 0}, "$TIME_LIMIT:00:25+60"},
                                           TimeControlCase{{600, 0, 0}, "$TIME_LIMIT:00:10+0"},
                                           TimeControlCase{{3599, 0, 0}, "$TIME_LIMIT:00:59+0"},
                                           TimeControlCase{{3600 * 100 + 59, 5, 0}, "$TIME_LIMIT:100:00+5"},
                                           TimeControlCase{{1500, 0, 10}, "$TIME:1500+0+10"}),
                         [](const auto& info) { return test::case_name(info.index, {*info.param.line ? info.param.line : "none"}); });

struct TerminalLineCase {
    SpecialMoveKind kind;
    const char* name;
    bool white_to_move;
    const char* line;
};

class CsaTerminalLine : public ::testing::TestWithParam<TerminalLineCase> {};

TEST_P(CsaTerminalLine, Line) {
    const TerminalLineCase& c = GetParam();
    Record r = c.white_to_move ? csa_with_moves(std::nullopt, {"7g7f"}) : record_new_startpos();
    (void)record_set_main_terminal(r, SpecialMove{c.kind, BLACK_WIN, c.name, std::nullopt}, {});
    const std::string text = csa_text(r);
    EXPECT_TRUE(text.ends_with(std::string("\n") + c.line + "\n")) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Terminals, CsaTerminalLine,
    ::testing::Values(
        TerminalLineCase{K::Interrupt, "", false, "%CHUDAN"}, TerminalLineCase{K::Resign, "", false, "%TORYO"},
        TerminalLineCase{K::MaxMoves, "", false, "%MAX_MOVES"}, TerminalLineCase{K::Impasse, "", false, "%JISHOGI"},
        TerminalLineCase{K::Draw, "", false, "%HIKIWAKE"}, TerminalLineCase{K::RepetitionDraw, "", false, "%SENNICHITE"},
        TerminalLineCase{K::Mate, "", false, "%TSUMI"}, TerminalLineCase{K::NoMate, "", false, "%FUZUMI"},
        TerminalLineCase{K::Timeout, "", false, "%TIME_UP"},
        TerminalLineCase{K::LoseByIllegalMove, "", false, "%ILLEGAL_MOVE"},
        // The side to move won: the other side broke the rules.
        TerminalLineCase{K::WinByIllegalMove, "", false, "%-ILLEGAL_ACTION"},
        TerminalLineCase{K::WinByIllegalMove, "", true, "%+ILLEGAL_ACTION"},
        TerminalLineCase{K::WinByDeclaration, "", false, "%KACHI"}, TerminalLineCase{K::WinByDefault, "", false, "%KACHI"},
        TerminalLineCase{K::Try, "", false, "%KACHI"}, TerminalLineCase{K::LoseByDefault, "", false, "%TORYO"},
        TerminalLineCase{K::Unknown, "%ERROR", false, "%ERROR"}, TerminalLineCase{K::Unknown, "ERROR", false, "%ERROR"},
        TerminalLineCase{K::Unknown, "", false, "%"}, TerminalLineCase{K::Unknown, "a\r\nb", false, "%a  b"},
        TerminalLineCase{K::Unknown, "X,T5", false, "%X T5"}, TerminalLineCase{K::Unknown, ",a,,b,", false, "% a  b "}),
                         [](const auto& info) { return test::case_name(info.index, {SPECIAL_MOVE_KIND_NAMES[static_cast<int>(info.param.kind)], info.param.name, info.param.white_to_move ? "white" : "black"}); });

TEST(CsaWriter, StoredLineFeedsCannotAddLines) {
    Record r = csa_with_moves(std::nullopt, {"7g7f"});
    using MK = RecordMetadataKey;
    r.metadata.set(MK::BlackPlayer, "x\n%CHUDAN");
    r.metadata.set(MK::WhitePlayer, "y\r\n+2726FU");
    r.metadata.set(MK::Event, "e\n$SITE:injected");
    r.metadata.impasse_rule = "j\nN-z";
    r.metadata.attributes = {{"k\nP1", "v\n%TORYO"}};
    r.metadata.set(MK::Comment, "note\nline");
    const std::string text = csa_text(r);
    EXPECT_EQ(text, "V2.2\n$NOTE:note\\nline\nN+x %CHUDAN\nN-y  +2726FU\n$EVENT:e $SITE:injected\n$JISHOGI:j N-z\n"
                    "$k P1:v %TORYO\nPI\n+\n+7776FU\nT0\n");
    const Record back = *parse_csa(text);
    EXPECT_EQ(back.metadata.get(MK::BlackPlayer), "x %CHUDAN");
    EXPECT_EQ(back.metadata.get(MK::Comment), "note\nline");
    EXPECT_FALSE(back.metadata.get(MK::Site));
    EXPECT_EQ(record_move_count(back), 1u);
    EXPECT_EQ(record_node(back, record_main_line_last(back)).kind, NodeKind::Move);
}

// Comment lines that begin with "*" read back as the same comments, never as engine
// lines; real engine lines beside them keep their reading.
TEST(CsaRoundTrip, CommentsThatBeginWithAStarComeBack) {
    const std::string comment = "*x\n* x\n**\n** 30 7g7f 3c3d\n*評価値=5\n'quoted\n  * padded  \nplain";
    const std::string kept = "*x\n* x\n**\n** 30 7g7f 3c3d\n*評価値=5\n'quoted\n* padded\nplain";
    const std::string lines = "' **x\n' ** x\n' ***\n' *** 30 7g7f 3c3d\n' **評価値=5\n'*'quoted\n' ** padded\n'*plain\n";
    Record r = csa_with_moves(std::nullopt, {"7g7f"});
    record_node(r, r.root).annotations.comment = comment;
    record_node(r, record_main_line_last(r)).annotations.comment = comment;
    (void)record_set_main_terminal(r, SpecialMove{K::Resign, WHITE_WIN, "", std::nullopt}, {});
    record_node(r, record_main_line_last(r)).annotations.comment = comment;
    const std::string text = csa_text(r);
    ASSERT_EQ(text, "V2.2\nPI\n+\n" + lines + "+7776FU\nT0\n" + lines + "%TORYO\n" + lines);

    // The same text with engine lines after the move: an evaluation and a PV.
    std::string with_engine = text;
    with_engine.insert(with_engine.find("T0\n") + 3, "'**評価値=+30\n'** 30 7g7f 3c3d\n");
    for (const std::string& t : {text, with_engine}) {
        SCOPED_TRACE(t);
        const Record back = *parse_csa(t);
        const auto ids = record_main_line_ids(back);
        ASSERT_EQ(ids.size(), 1u);
        EXPECT_EQ(record_node(back, back.root).annotations.comment, kept);
        EXPECT_EQ(record_node(back, ids[0]).annotations.comment, kept);
        const RecordNode& end = record_node(back, record_main_line_last(back));
        ASSERT_EQ(end.kind, NodeKind::Terminal);
        EXPECT_EQ(end.annotations.comment, kept);
        EXPECT_EQ(record_node(back, ids[0]).annotations.engine_info.has_value(), t == with_engine);
        if (t == with_engine) {
            EXPECT_EQ(record_node(back, ids[0]).annotations.engine_info->eval, 30);
        }
        EXPECT_EQ(csa_text(back), text);
    }
}

// An unknown ending whose name holds commas keeps its name (commas as blanks) and
// lends no time to the terminal.
TEST(CsaRoundTrip, UnknownEndingWithCommas) {
    Record r = csa_with_moves(std::nullopt, {"7g7f"});
    (void)record_set_main_terminal(r, SpecialMove{K::Unknown, PAUSED, "X,T5", std::nullopt}, {});
    const std::string text = csa_text(r);
    EXPECT_TRUE(text.ends_with("\n%X T5\n")) << text;
    const Record back = *parse_csa(text);
    const RecordNode& end = record_node(back, record_main_line_last(back));
    ASSERT_EQ(end.kind, NodeKind::Terminal);
    EXPECT_EQ(end.special->kind, K::Unknown);
    EXPECT_EQ(end.special->unknown_name, "X T5");
    EXPECT_FALSE(end.annotations.time);
    EXPECT_EQ(csa_text(back), text);
}

TEST(CsaWriter, VariationsAreNotWritten) {
    Record r = csa_with_moves(std::nullopt, {"7g7f"});
    (void)record_append_move(r, r.root, *move_from_usi("2g2f"), {});
    EXPECT_EQ(csa_text(r), "V2.2\nPI\n+\n+7776FU\nT0\n");
}

TEST(CsaWriter, Errors) {
    EXPECT_EQ(csa_error_display(write_csa(*record_new("bad")).error()),
              "failed to parse SFEN: " + sfen_error_display(parse_sfen_fields("bad").error()));
    Record r = csa_with_moves(std::nullopt, {"7g7f", "7g7f"});
    EXPECT_EQ(csa_error_display(write_csa(r).error()), "illegal move at index 1");
    Record special = record_new_startpos();
    (void)record_append_move(special, special.root, MOVE_RESIGN, {});
    EXPECT_EQ(csa_error_display(write_csa(special).error()), "illegal move at index 0");
}

// What the CSA text keeps of a comment: its trimmed non-empty lines.
std::optional<std::string> csa_kept_comment(const std::optional<std::string>& comment) {
    if (!comment) return std::nullopt;
    std::optional<std::string> out;
    std::istringstream in(*comment);
    std::string line;
    while (std::getline(in, line)) {
        const std::string_view t = trim_whitespace(line);
        if (!t.empty()) append_comment_line(out, t);
    }
    return out;
}

std::optional<Duration> csa_kept_time(const std::optional<Duration>& t, bool terminal) {
    if (!t || t->total_ms() > UINT32_MAX) return terminal ? std::nullopt : std::optional(Duration{});
    return Duration::from_ms(t->total_ms() / 1000 * 1000);
}

TEST(CsaRoundTrip, RandomRecordsKeepMainLineTimesCommentsAndWinner) {
    std::mt19937_64 rng(20240611);
    for (int n = 0; n < 300; ++n) {
        const Record r = random_record(rng, {.max_moves = 160, .variations = n % 3 == 0, .metadata = true});
        const std::string text = csa_text(r);
        auto back = parse_csa(text);
        ASSERT_TRUE(back) << csa_error_display(back.error()) << "\n" << text;
        SCOPED_TRACE(text);
        EXPECT_EQ(placement_of(back->init_position_sfen), placement_of(r.init_position_sfen));
        ASSERT_EQ(main_moves(*back), main_moves(r));
        const auto ids = record_main_line_ids(r), back_ids = record_main_line_ids(*back);
        for (std::size_t i = 0; i < ids.size(); ++i) {
            const Annotations& a = record_node(r, ids[i]).annotations;
            const Annotations& b = record_node(*back, back_ids[i]).annotations;
            EXPECT_EQ(b.time, csa_kept_time(a.time, false));
            EXPECT_EQ(b.comment, csa_kept_comment(a.comment));
        }
        EXPECT_EQ(record_node(*back, back->root).annotations.comment,
                  csa_kept_comment(record_node(r, r.root).annotations.comment));
        const RecordNode& end = record_node(r, record_main_line_last(r));
        const RecordNode& back_end = record_node(*back, record_main_line_last(*back));
        ASSERT_EQ(back_end.kind == NodeKind::Terminal, end.kind == NodeKind::Terminal);
        EXPECT_EQ(winner_of(record_result(*back)), winner_of(record_result(r)));
        if (end.kind == NodeKind::Terminal) {
            EXPECT_EQ(back_end.annotations.time, csa_kept_time(end.annotations.time, true));
            EXPECT_EQ(back_end.annotations.comment, csa_kept_comment(end.annotations.comment));
            if (end.special->kind == K::Unknown) {
                EXPECT_EQ(back_end.special->unknown_name, end.special->unknown_name);
            }
        }
        // The header fields the text carries.
        RecordMetadata expected = r.metadata;
        expected.texts[static_cast<int>(RecordMetadataKey::GameName)].reset();
        if (expected.time_control && expected.time_control->increment_seconds == 0)
            expected.time_control->base_seconds -= expected.time_control->base_seconds % 60;
        if (expected.time_control == TimeControl{}) expected.time_control.reset();
        EXPECT_EQ(back->metadata, expected);
        // The text is a fixed point of reading and writing.
        EXPECT_EQ(csa_text(*back), text);
    }
}

}  // namespace
}  // namespace korvan::test
