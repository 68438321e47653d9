// The JKF writer: exact documents, move objects, times, comments, forks and header; the
// time-control round trip; the fork limit; and write -> read round trips of random trees.

#include <gtest/gtest.h>

#include "record_format_support.h"
#include "core/records/formats/jkf/jkf_reader.h"
#include "core/records/formats/jkf/jkf_writer.h"
#include "core/util/text.h"

namespace korvan::test {
namespace {

using K = SpecialMoveKind;

std::string jkf_text(const Record& r) {
    auto text = write_jkf(r);
    if (!text) throw std::runtime_error("JKF writer refused: " + jkf_error_display(text.error()));
    return *text;
}

Record jkf_with_moves(std::optional<std::string> sfen, const std::vector<const char*>& usi) {
    Record r = *record_new(std::move(sfen));
    RecordNodeId at = r.root;
    for (const char* m : usi) at = *record_append_move(r, at, *move_from_usi(m), {});
    return r;
}

constexpr const char* ZERO = R"({"now":{"m":0,"s":0},"total":{"m":0,"s":0}})";

// The "move" object of the last main-line move of a record played from `sfen`.
std::string last_move_object(const char* sfen, const std::vector<const char*>& usi) {
    const std::string text = jkf_text(jkf_with_moves(sfen ? std::optional<std::string>(sfen) : std::nullopt, usi));
    const std::size_t at = text.rfind(R"({"move":)");
    const std::size_t end = text.find(R"(,"time":)", at);
    return text.substr(at + 8, end - at - 8);
}

TEST(JkfWriter, EmptyRecord) { EXPECT_EQ(jkf_text(record_new_startpos()), R"({"initial":{"preset":"HIRATE"},"moves":[{}]})"); }

TEST(JkfWriter, StartWithAnotherMoveNumberIsWrittenAsABoard) {
    const Record r = *record_new("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 2");
    const std::string text = jkf_text(r);
    const std::string file1 = R"([{"color":1,"kind":"KY"},{},{"color":1,"kind":"FU"},{},{},{},{"color":0,"kind":"FU"},{},{"color":0,"kind":"KY"}])";
    const std::string file2 = R"([{"color":1,"kind":"KE"},{"color":1,"kind":"KA"},{"color":1,"kind":"FU"},{},{},{},{"color":0,"kind":"FU"},{"color":0,"kind":"HI"},{"color":0,"kind":"KE"}])";
    EXPECT_TRUE(text.starts_with(R"({"initial":{"data":{"board":[)" + file1 + "," + file2 + ",")) << text;
    const std::string hand = R"({"FU":0,"GI":0,"HI":0,"KA":0,"KE":0,"KI":0,"KY":0})";
    EXPECT_TRUE(text.ends_with(R"(],"color":0,"hands":[)" + hand + "," + hand + R"(]},"preset":"OTHER"},"moves":[{}]})")) << text;
    EXPECT_EQ(parse_jkf(text)->init_position_sfen, std::string(STARTPOS_SFEN));
}

TEST(JkfWriter, PresetsAreMatchedByText) {
    EXPECT_TRUE(jkf_text(*record_new("1nsgkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"))
                    .starts_with(R"({"initial":{"preset":"5_L"})"));
    EXPECT_TRUE(jkf_text(*record_new("1nsgkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 3"))
                    .starts_with(R"({"initial":{"data":)"));
}

TEST(JkfWriter, CommentsOfTheRootAreTrimmedAndOfMovesKept) {
    Record r = jkf_with_moves(std::nullopt, {"7g7f"});
    record_set_initial_comment(r, std::string(" a \n\n b"));
    record_node(r, record_main_line_ids(r)[0]).annotations.comment = " a \r\n\n b\rc\n";
    EXPECT_EQ(jkf_text(r), R"({"initial":{"preset":"HIRATE"},"moves":[{"comments":["a","b"]},)"
                           R"({"comments":[" a ",""," b\rc"],"move":{"color":0,"from":{"x":7,"y":7},"piece":"FU","to":{"x":7,"y":6}},"time":)" +
                               std::string(ZERO) + "}]}");
    record_set_initial_comment(r, std::string("  \n"));
    EXPECT_TRUE(jkf_text(r).find(R"("moves":[{},)") != std::string::npos);
}

TEST(JkfWriter, Times) {
    Record r = jkf_with_moves(std::nullopt, {"7g7f", "3c3d", "2g2f", "8c8d"});
    const auto ids = record_main_line_ids(r);
    record_node(r, ids[0]).annotations.time = Duration::from_ms(1'500);
    record_node(r, ids[1]).annotations.time = Duration::from_ms(3'600'000);
    record_node(r, ids[2]).annotations.time = Duration::from_ms(3'725'999);
    record_node(r, ids[3]).annotations.time = Duration{4'294'968, 0};  // past 32 bits: 0
    const std::string text = jkf_text(r);
    EXPECT_NE(text.find(R"("time":{"now":{"m":0,"s":1},"total":{"m":0,"s":1}})"), std::string::npos);
    EXPECT_NE(text.find(R"("time":{"now":{"h":1,"m":0,"s":0},"total":{"h":1,"m":0,"s":0}})"), std::string::npos);
    EXPECT_NE(text.find(R"("time":{"now":{"h":1,"m":2,"s":5},"total":{"h":1,"m":2,"s":7}})"), std::string::npos);
    EXPECT_TRUE(text.ends_with(R"("time":{"now":{"m":0,"s":0},"total":{"h":1,"m":0,"s":0}}}]})")) << text;
    // A terminal gets "now" only, and only with a time.
    Annotations a;
    a.time = Duration::from_ms(59'999);
    (void)record_set_main_terminal(r, SpecialMove{K::Resign, WHITE_WIN, "", std::nullopt}, a);
    EXPECT_TRUE(jkf_text(r).ends_with(R"({"special":"TORYO","time":{"now":{"m":0,"s":59}}}]})"));
    (void)record_set_main_terminal(r, SpecialMove{K::Resign, WHITE_WIN, "", std::nullopt}, {});
    EXPECT_TRUE(jkf_text(r).ends_with(R"({"special":"TORYO"}]})"));
}

struct MoveObjectCase {
    const char* sfen;
    std::vector<const char*> moves;
    const char* object;
};

class JkfMoveObject : public ::testing::TestWithParam<MoveObjectCase> {};

TEST_P(JkfMoveObject, Members) { EXPECT_EQ(last_move_object(GetParam().sfen, GetParam().moves), GetParam().object); }

INSTANTIATE_TEST_SUITE_P(
    Moves, JkfMoveObject,
    ::testing::Values(
        // Promotion: the unpromoted kind under "piece"; the capture by its kind.
        MoveObjectCase{nullptr, {"7g7f", "3c3d", "8h2b+"},
                       R"({"capture":"KA","color":0,"from":{"x":8,"y":8},"piece":"KA","promote":true,"to":{"x":2,"y":2}})"},
        // The recapture: same square, a horse captured is written "KA".
        MoveObjectCase{nullptr, {"7g7f", "3c3d", "8h2b+", "3a2b"},
                       R"({"capture":"KA","color":1,"from":{"x":3,"y":1},"piece":"GI","same":true,"to":{"x":2,"y":2}})"},
        // A drop: "H", no "from", no "promote".
        MoveObjectCase{nullptr, {"7g7f", "3c3d", "8h2b+", "3a2b", "B*5e"},
                       R"({"color":0,"piece":"KA","relative":"H","to":{"x":5,"y":5}})"},
        // A pawn from rank 4 to rank 3 that stays a pawn could have promoted.
        MoveObjectCase{"4k4/9/9/4P4/9/9/9/9/4K4 b - 1", {"5d5c"},
                       R"({"color":0,"from":{"x":5,"y":4},"piece":"FU","promote":false,"to":{"x":5,"y":3}})"},
        // Gold, king and promoted pieces never get "promote".
        MoveObjectCase{"4k4/9/4G4/9/9/9/9/9/4K4 b - 1", {"5c5b"}, R"({"color":0,"from":{"x":5,"y":3},"piece":"KI","to":{"x":5,"y":2}})"},
        MoveObjectCase{"9/4k4/9/9/9/9/9/9/4K4 w - 1", {"5b5c"}, R"({"color":1,"from":{"x":5,"y":2},"piece":"OU","to":{"x":5,"y":3}})"},
        MoveObjectCase{"4k4/9/4+R4/9/9/9/9/9/4K4 b - 1", {"5c5b"}, R"({"color":0,"from":{"x":5,"y":3},"piece":"RY","to":{"x":5,"y":2}})"},
        // Capturing a dragon writes "HI".
        MoveObjectCase{"4k4/9/4+r4/4G4/9/9/9/9/4K4 b - 1", {"5d5c"},
                       R"({"capture":"HI","color":0,"from":{"x":5,"y":4},"piece":"KI","to":{"x":5,"y":3}})"},
        // Relative letters from the Japanese text: 左 L, 右 R, 直 C.
        MoveObjectCase{nullptr, {"6i5h"}, R"({"color":0,"from":{"x":6,"y":9},"piece":"KI","relative":"L","to":{"x":5,"y":8}})"},
        MoveObjectCase{nullptr, {"4i5h"}, R"({"color":0,"from":{"x":4,"y":9},"piece":"KI","relative":"R","to":{"x":5,"y":8}})"},
        MoveObjectCase{"4k4/9/9/9/9/9/9/9/K2GGG3 b - 1", {"5i5h"},
                       R"({"color":0,"from":{"x":5,"y":9},"piece":"KI","relative":"C","to":{"x":5,"y":8}})"}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.moves.empty() ? "none" : info.param.moves.back()}); });

TEST(JkfWriter, HeaderFieldsAndAttributes) {
    Record r = record_new_startpos();
    RecordMetadata& md = r.metadata;
    using MK = RecordMetadataKey;
    md.set(MK::BlackPlayer, "先手の名");
    md.set(MK::WhitePlayer, "W");
    md.set(MK::Event, "E");
    md.set(MK::Site, "S");
    md.set(MK::StartDate, "s");
    md.set(MK::EndDate, "e");
    md.set(MK::Comment, "a\nb");
    md.set(MK::GameName, "not written");
    md.time_control = TimeControl{0, 0, 0};
    md.black_time_control = TimeControl{0, 0, 0};
    md.white_time_control = TimeControl{600, 30, 0};
    md.max_moves = 256;
    md.impasse_rule = "24";
    md.attributes = {{"先手", "loses to the field"}, {"z\"q", "v"}};
    EXPECT_EQ(jkf_text(r), R"({"header":{"z\"q":"v","備考":"a\nb","先手":"先手の名","先手持ち時間":"0+0+0","場所":"S",)"
                           R"("後手":"W","後手持ち時間":"600+30+0","持将棋":"24","最大手数":256,"棋戦":"E",)"
                           R"("終了日時":"e","開始日時":"s"},"initial":{"preset":"HIRATE"},"moves":[{}]})");
}

TEST(JkfWriter, TimeControlTextsReadBack) {
    for (const TimeControl tc : {TimeControl{600, 30, 0}, TimeControl{5400, 0, 0}, TimeControl{3600, 0, 5},
                                 TimeControl{0, 10, 0}, TimeControl{60, 0, 0}}) {
        Record r = record_new_startpos();
        r.metadata.time_control = tc;
        const std::string text = jkf_text(r);
        EXPECT_EQ(parse_jkf(text)->metadata.time_control, tc) << text;
    }
    Record r = record_new_startpos();
    r.metadata.time_control = TimeControl{600, 30, 0};
    EXPECT_NE(jkf_text(r).find(R"("持ち時間":"10分秒読み30秒")"), std::string::npos);
    r.metadata.time_control = TimeControl{5400 + 59, 0, 7};
    EXPECT_NE(jkf_text(r).find(R"("持ち時間":"1時間30分加算7秒")"), std::string::npos);
}

struct SpecialCase {
    SpecialMoveKind kind;
    const char* name;
    bool white_to_move;
    const char* special;
};

class JkfSpecialName : public ::testing::TestWithParam<SpecialCase> {};

TEST_P(JkfSpecialName, Name) {
    const SpecialCase& c = GetParam();
    Record r = c.white_to_move ? jkf_with_moves(std::nullopt, {"7g7f"}) : record_new_startpos();
    (void)record_set_main_terminal(r, SpecialMove{c.kind, INVALID, c.name, std::nullopt}, {});
    EXPECT_TRUE(jkf_text(r).ends_with(std::string(R"({"special":")") + c.special + "\"}]}"));
}

INSTANTIATE_TEST_SUITE_P(
    Specials, JkfSpecialName,
    ::testing::Values(SpecialCase{K::Interrupt, "", false, "CHUDAN"}, SpecialCase{K::Resign, "", false, "TORYO"},
                      SpecialCase{K::MaxMoves, "", false, "MAX_MOVES"}, SpecialCase{K::Impasse, "", false, "JISHOGI"},
                      SpecialCase{K::Draw, "", false, "HIKIWAKE"}, SpecialCase{K::RepetitionDraw, "", false, "SENNICHITE"},
                      SpecialCase{K::Mate, "", false, "TSUMI"}, SpecialCase{K::NoMate, "", false, "FUZUMI"},
                      SpecialCase{K::Timeout, "", false, "TIME_UP"}, SpecialCase{K::LoseByIllegalMove, "", false, "ILLEGAL_MOVE"},
                      SpecialCase{K::WinByIllegalMove, "", false, "-ILLEGAL_ACTION"},
                      SpecialCase{K::WinByIllegalMove, "", true, "+ILLEGAL_ACTION"},
                      SpecialCase{K::WinByDeclaration, "", false, "KACHI"}, SpecialCase{K::WinByDefault, "", false, "KACHI"},
                      SpecialCase{K::Try, "", false, "KACHI"}, SpecialCase{K::LoseByDefault, "", false, "TORYO"},
                      SpecialCase{K::Unknown, "resign", false, "RESIGN"},
                      SpecialCase{K::Unknown, "straße ǆ ﬁ", false, "STRASSE Ǆ FI"}),
                         [](const auto& info) { return test::case_name(info.index, {SPECIAL_MOVE_KIND_NAMES[static_cast<int>(info.param.kind)], info.param.name, info.param.white_to_move ? "white" : "black"}); });

TEST(JkfWriter, AlternativesAtTheFirstMove) {
    Record r = jkf_with_moves(std::nullopt, {"7g7f", "3c3d"});
    record_node(r, record_main_line_ids(r)[0]).annotations.time = Duration::from_ms(2'000);
    Annotations a;
    a.time = Duration::from_ms(3'000);
    const RecordNodeId alt = *record_append_move(r, r.root, *move_from_usi("2g2f"), a);
    (void)record_append_terminal(r, alt, SpecialMove{K::Resign, BLACK_WIN, "", std::nullopt}, {});
    EXPECT_EQ(jkf_text(r),
              R"({"initial":{"preset":"HIRATE"},"moves":[{},{"forks":[[{"move":{"color":0,"from":{"x":2,"y":7},"piece":"FU","to":{"x":2,"y":6}},)"
              R"("time":{"now":{"m":0,"s":3},"total":{"m":0,"s":5}}},{"special":"TORYO"}]],)"
              R"("move":{"color":0,"from":{"x":7,"y":7},"piece":"FU","to":{"x":7,"y":6}},"time":{"now":{"m":0,"s":2},"total":{"m":0,"s":2}}},)"
              R"({"move":{"color":1,"from":{"x":3,"y":3},"piece":"FU","to":{"x":3,"y":4}},"time":)" + std::string(ZERO) + "}]}");
}

TEST(JkfWriter, Errors) {
    EXPECT_EQ(jkf_error_display(write_jkf(*record_new("bad")).error()),
              "failed to parse SFEN: " + sfen_error_display(parse_sfen_fields("bad").error()));
    EXPECT_EQ(jkf_error_display(write_jkf(jkf_with_moves(std::nullopt, {"7g7f", "7g7f"})).error()), "illegal move at index 1");
    Record r = jkf_with_moves(std::nullopt, {"7g7f"});
    const RecordNodeId alt = *record_append_move(r, r.root, *move_from_usi("2g2f"), {});
    (void)record_append_move(r, alt, *move_from_usi("2f2e"), {});
    EXPECT_EQ(jkf_error_display(write_jkf(r).error()), "invalid move: illegal variation move");
}

// A record whose variations nest `depth` levels: each level an alternative move with
// one reply below it, the next level's alternative standing beside that reply.
Record nested_variations(std::size_t depth) {
    Record r = jkf_with_moves(std::nullopt, {"7g7f", "3c3d"});
    RecordNodeId parent = record_main_line_ids(r)[0];
    Position pos = position_startpos();
    play(pos, "7g7f");
    for (std::size_t i = 0; i < depth; ++i) {
        MoveList legal;
        generate_legal(pos, legal);
        const Move32 alternative = position_move_to_move32(pos, legal[legal.size() - 1]);
        const RecordNodeId alt = *record_append_move(r, parent, move16(alternative), {});
        position_do_move(pos, alternative);
        MoveList replies;
        generate_legal(pos, replies);
        (void)record_append_move(r, alt, replies[0], {});
        parent = alt;
    }
    return r;
}

// The text around the first byte where two texts differ.
std::string first_difference(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    const std::size_t from = i < 80 ? 0 : i - 80;
    return "at " + std::to_string(i) + ":\n" + a.substr(from, 160) + "\n" + b.substr(from, 160);
}

TEST(JkfWriter, ForkDepthIsLimitedAndWhatIsWrittenReadsBack) {
    const std::string text = jkf_text(nested_variations(JKF_MAX_FORK_DEPTH));
    auto back = parse_jkf(text);
    ASSERT_TRUE(back) << jkf_error_display(back.error());
    expect_same_tree(nested_variations(JKF_MAX_FORK_DEPTH), *back, [](const RecordNode&, const RecordNode&) {});
    EXPECT_EQ(jkf_error_display(write_jkf(nested_variations(JKF_MAX_FORK_DEPTH + 1)).error()),
              "invalid JKF structure: forks nested deeper than 256 levels");
}

// What JKF keeps of a move's comment: its lines but the empty ones.
std::optional<std::string> jkf_kept_comment(const std::optional<std::string>& comment, bool trim) {
    if (!comment) return std::nullopt;
    std::optional<std::string> out;
    std::istringstream in(*comment);
    std::string line;
    while (std::getline(in, line)) {
        const std::string_view kept = trim ? trim_whitespace(line) : std::string_view(line);
        if (!kept.empty()) append_comment_line(out, kept);
    }
    return out;
}

SpecialMoveKind jkf_kept_kind(const SpecialMove& s) {
    switch (s.kind) {
        case K::WinByDefault:
        case K::Try: return K::WinByDeclaration;
        case K::LoseByDefault: return K::Resign;
        default: return s.kind;
    }
}

TEST(JkfRoundTrip, RandomTreesKeepShapeTimesCommentsAndResults) {
    std::mt19937_64 rng(99);
    for (int n = 0; n < 200; ++n) {
        const Record r = random_record(rng, {.max_moves = 150, .variations = true, .metadata = true});
        const std::string text = jkf_text(r);
        auto back = parse_jkf(text);
        ASSERT_TRUE(back) << jkf_error_display(back.error()) << "\n" << text;
        EXPECT_EQ(placement_of(back->init_position_sfen), placement_of(r.init_position_sfen));
        EXPECT_EQ(record_node(*back, back->root).annotations.comment,
                  jkf_kept_comment(record_node(r, r.root).annotations.comment, true));
        expect_same_tree(r, *back, [](const RecordNode& a, const RecordNode& b) {
            if (a.kind == NodeKind::Root) return;
            EXPECT_EQ(b.annotations.comment, jkf_kept_comment(a.annotations.comment, false));
            const std::uint64_t ms = a.annotations.time ? a.annotations.time->total_ms() / 1000 * 1000 : 0;
            if (a.kind == NodeKind::Move) {
                EXPECT_EQ(b.annotations.time, Duration::from_ms(ms));
                return;
            }
            EXPECT_EQ(b.annotations.time, a.annotations.time ? std::optional(Duration::from_ms(ms)) : std::nullopt);
            EXPECT_EQ(b.special->kind, jkf_kept_kind(*a.special));
            if (a.special->kind != K::Unknown) {
                EXPECT_EQ(winner_of(b.special->result), winner_of(a.special->result));
            } else {
                EXPECT_EQ(b.special->unknown_name, a.special->unknown_name);
            }
        });
        RecordMetadata expected = r.metadata;
        expected.texts[static_cast<int>(RecordMetadataKey::GameName)].reset();
        if (expected.time_control == TimeControl{}) expected.time_control.reset();
        EXPECT_EQ(back->metadata, expected);
        // Totals add whole milliseconds, so a second round may differ where the first
        // dropped them; from then on the text is a fixed point.
        const std::string again = jkf_text(*back);
        const std::string third = jkf_text(*parse_jkf(again));
        EXPECT_TRUE(third == again) << first_difference(again, third);
    }
}

}  // namespace
}  // namespace korvan::test
