// The KIF writer and the lines both Japanese writers share, on records made for one
// rule each: whole texts byte for byte, the header, the start position, hands, time
// controls, closing lines, the variation order and marks, and every error.

#include <gtest/gtest.h>

#include "core/board/position/parser.h"
#include "core/records/formats/kif/kif_reader.h"
#include "core/records/formats/kif/kif_writer.h"
#include "core/records/formats/kif/kif_writer_lines.h"
#include "core/records/time_text.h"
#include "record_writer_support.h"

using namespace korvan;
using namespace korvan::test;
using namespace korvan::test::writers;

namespace {

constexpr const char* TABLE = "手数----指手---------消費時間--";

std::string write_kif_text(const Record& r) {
    auto text = write_kif(r);
    if (!text) throw std::runtime_error("unexpected KIF error: " + kif_error_display(text.error()));
    return *text;
}

std::string write_kif_error(const Record& r) {
    auto text = write_kif(r);
    return text ? "<written>" : kif_error_display(text.error());
}

void set_time(Record& r, RecordNodeId id, std::uint64_t ms) {
    record_node(r, id).annotations.time = Duration::from_ms(ms);
}

TEST(KifWriter, TheSevenLineExample) {
    Record r = record_from();
    const auto ids = add_moves(r, r.root, {"7g7f", "3c3d"});
    set_time(r, ids[0], 1500);
    set_time(r, ids[1], 2000);
    add_terminal(r, ids[1], SpecialMoveKind::Resign);
    EXPECT_EQ(write_kif_text(r), "手合割：平手\n"
                      "手数----指手---------消費時間--\n"
                      "   1 ７六歩(77)   ( 0:01/00:00:01)\n"
                      "   2 ３四歩(33)   ( 0:02/00:00:02)\n"
                      "\n"
                      "   3 投了         ( 0:00/00:00:01)\n"
                      "まで2手で後手の勝ち\n");
}

TEST(KifWriter, EmptyRecordsAndALoneTerminal) {
    Record empty = record_from();
    EXPECT_EQ(write_kif_text(empty), std::string("手合割：平手\n") + TABLE + "\n");
    record_set_initial_comment(empty, "  始め  \r\n\n終わり");
    empty.metadata.set(RecordMetadataKey::Event, "");
    EXPECT_EQ(write_kif_text(empty), std::string("棋戦：\n手合割：平手\n") + TABLE + "\n*始め\n*終わり\n");

    Record resigned = record_from();
    add_terminal(resigned, resigned.root, SpecialMoveKind::Resign);
    EXPECT_EQ(write_kif_text(resigned), std::string("手合割：平手\n") + TABLE +
                                 "\n\n   1 投了         ( 0:00/00:00:00)\nまで0手で後手の勝ち\n");
}

// Padding to 12 columns, "同　", drops, promotions, promoted pieces and their names.
TEST(KifWriter, MoveTexts) {
    Record r = record_from();
    add_moves(r, r.root, {"7g7f", "3c3d", "8h2b+", "3a2b", "B*5e", "8b7b", "5e2b+", "4a3b", "2b1a", "3b2b"});
    const auto lines = text_lines(write_kif_text(r));
    const std::vector<std::string> moves(lines.begin() + 2, lines.end());
    EXPECT_EQ(moves, (std::vector<std::string>{
                         "   1 ７六歩(77)   ( 0:00/00:00:00)",
                         "   2 ３四歩(33)   ( 0:00/00:00:00)",
                         "   3 ２二角成(88) ( 0:00/00:00:00)",
                         "   4 同　銀(31)   ( 0:00/00:00:00)",
                         "   5 ５五角打     ( 0:00/00:00:00)",
                         "   6 ７二飛(82)   ( 0:00/00:00:00)",
                         "   7 ２二角成(55) ( 0:00/00:00:00)",
                         "   8 ３二金(41)   ( 0:00/00:00:00)",
                         "   9 １一馬(22)   ( 0:00/00:00:00)",
                         "  10 ２二金(32)   ( 0:00/00:00:00)",
                     }));

    const Position start = position_startpos();
    struct Case {
        const char* usi;
        bool has_previous;
        Square previous;
        const char* text;
    };
    const Square f7 = *square_from_usi("7f");
    const Case cases[] = {
        {"7g7f", false, f7, "７六歩(77)  "},
        {"7g7f", true, f7, "同　歩(77)  "},  // "同" needs a previous move on the same square
        {"7g7f", true, *square_from_usi("7e"), "７六歩(77)  "},
        {"5i4h", false, SQ_NONE, "４八玉(59)  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.usi);
        const KifMoveText t = write_kif_move_text(start, usi(start, c.usi), c.has_previous, c.previous);
        EXPECT_EQ(t.text, c.text);
        EXPECT_EQ(t.to, *square_from_usi(std::string_view(c.usi).substr(2, 2)));
    }
    const Position promoted = sfen("4k4/9/9/9/9/9/4+S+N+L+P1/9/4K4 b - 1");
    EXPECT_EQ(write_kif_move_text(promoted, usi(promoted, "5g5f"), false, SQ_NONE).text, "５六成銀(57)");
    EXPECT_EQ(write_kif_move_text(promoted, usi(promoted, "4g4f"), false, SQ_NONE).text, "４六成桂(47)");
    EXPECT_EQ(write_kif_move_text(promoted, usi(promoted, "3g3f"), false, SQ_NONE).text, "３六成香(37)");
    EXPECT_EQ(write_kif_move_text(promoted, usi(promoted, "2g2f"), false, SQ_NONE).text, "２六と(27)  ");

    EXPECT_EQ(pad_kif_move_text("５五角打"), "５五角打    ");
    EXPECT_EQ(pad_kif_move_text("２二角成(88)"), "２二角成(88)");
    EXPECT_EQ(pad_kif_move_text("１二成香(13)"), "１二成香(13)");
    EXPECT_EQ(pad_kif_move_text("abc"), "abc         ");
    EXPECT_EQ(pad_kif_move_text("ABCDEFGHIJKLMN"), "ABCDEFGHIJKLMN");
}

TEST(KifWriter, TimeColumns) {
    struct Case {
        std::uint32_t move_ms, total_ms;
        bool marked;
        const char* line;
    };
    const Case cases[] = {
        {1500, 1500, false, "   7 ７六歩(77)   ( 0:01/00:00:01)"},
        {125000, 3725000, true, "   7 ７六歩(77)   ( 2:05/01:02:05)+"},
        {6000000, 6000000, false, "   7 ７六歩(77)   (100:00/01:40:00)"},
        {59999, 359999999, false, "   7 ７六歩(77)   ( 0:59/99:59:59)"},
        {4294967295u, 4294967295u, false, "   7 ７六歩(77)   (71582:47/1193:02:47)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(write_kif_move_time(7, "７六歩(77)  ", c.move_ms, c.total_ms, c.marked), c.line);
    EXPECT_EQ(write_kif_move_time(12345, pad_kif_move_text("投了"), 0, 0, false),
              "12345 投了" + std::string(9, ' ') + "( 0:00/00:00:00)");

    // Totals are per side; a time of 2^32 ms or more counts as none; totals saturate.
    Record r = record_from();
    const auto ids = add_moves(r, r.root, {"7g7f", "3c3d", "2g2f", "8c8d", "2f2e", "8d8e"});
    const std::uint64_t times[] = {125000, 3725000, 6000000, 4294967295u, std::uint64_t{1} << 32, 1000};
    for (std::size_t i = 0; i < ids.size(); ++i) set_time(r, ids[i], times[i]);
    add_terminal(r, ids.back(), SpecialMoveKind::Resign);
    record_node(r, record_main_line_last(r)).annotations.time = Duration::from_ms(61000);
    const auto lines = text_lines(write_kif_text(r));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()),
              (std::vector<std::string>{
                  "   1 ７六歩(77)   ( 2:05/00:02:05)",
                  "   2 ３四歩(33)   (62:05/01:02:05)",
                  "   3 ２六歩(27)   (100:00/01:42:05)",
                  "   4 ８四歩(83)   (71582:47/1193:02:47)",
                  "   5 ２五歩(26)   ( 0:00/01:42:05)",
                  "   6 ８五歩(84)   ( 0:01/1193:02:47)",
                  "",
                  "   7 投了         ( 1:01/01:43:06)",  // the resigning side's own total
                  "まで6手で後手の勝ち",
              }));
}

TEST(KifWriter, EvaluationAndCommentLines) {
    Record r = record_from();
    const auto ids = add_moves(r, r.root, {"7g7f", "3c3d"});
    record_node(r, ids[0]).annotations.engine_info = engine_info_with_eval(-123);
    record_node(r, ids[0]).annotations.comment = "a\r\n\n  b  \n\t";
    record_node(r, ids[1]).annotations.comment = "";
    EngineInfo no_eval;
    no_eval.depth = 12;
    record_node(r, ids[1]).annotations.engine_info = no_eval;
    EXPECT_EQ(write_kif_text(r), std::string("手合割：平手\n") + TABLE +
                          "\n"
                          "   1 ７六歩(77)   ( 0:00/00:00:00)\n"
                          "**評価値=-123\n"
                          "*a\n"
                          "*b\n"
                          "   2 ３四歩(33)   ( 0:00/00:00:00)\n");
}

// Alternatives to the first move, to the second (two at one node), to the fourth, and
// nested ones: blocks depth first, branch points from the last to the first, "+" on
// every move whose parent has alternatives.
TEST(KifWriter, VariationOrderAndMarks) {
    Record r = record_from();
    const auto main = add_moves(r, r.root, {"7g7f", "3c3d", "2g2f", "8c8d"});
    add_terminal(r, main[3], SpecialMoveKind::Resign);
    const auto root_alt = add_moves(r, r.root, {"2g2f", "3c3d", "7g7f"});
    add_moves(r, main[0], {"8c8d", "2g2f"});
    add_moves(r, main[0], {"4c4d"});
    add_moves(r, main[2], {"3a4b"});
    add_moves(r, root_alt[1], {"2f2e"});
    const std::string text = write_kif_text(r);
    EXPECT_EQ(text, std::string("手合割：平手\n") + TABLE +
                        "\n"
                        "   1 ７六歩(77)   ( 0:00/00:00:00)+\n"
                        "   2 ３四歩(33)   ( 0:00/00:00:00)+\n"
                        "   3 ２六歩(27)   ( 0:00/00:00:00)\n"
                        "   4 ８四歩(83)   ( 0:00/00:00:00)+\n"
                        "\n"
                        "変化：4手\n"
                        "   4 ４二銀(31)   ( 0:00/00:00:00)+\n"
                        "\n"
                        "変化：2手\n"
                        "   2 ８四歩(83)   ( 0:00/00:00:00)+\n"
                        "   3 ２六歩(27)   ( 0:00/00:00:00)\n"
                        "\n"
                        "変化：2手\n"
                        "   2 ４四歩(43)   ( 0:00/00:00:00)+\n"
                        "\n"
                        "変化：1手\n"
                        "   1 ２六歩(27)   ( 0:00/00:00:00)+\n"
                        "   2 ３四歩(33)   ( 0:00/00:00:00)\n"
                        "   3 ７六歩(77)   ( 0:00/00:00:00)+\n"
                        "\n"
                        "変化：3手\n"
                        "   3 ２五歩(26)   ( 0:00/00:00:00)+\n"
                        "\n"
                        "   5 投了         ( 0:00/00:00:00)\n"
                        "まで4手で後手の勝ち\n");
    const auto back = parse_kif(text);
    ASSERT_TRUE(back) << kif_error_display(back.error());
    EXPECT_EQ(tree_text(*back, TimeMode::Ignore), tree_text(expected_after_writing(r, false), TimeMode::Ignore));
}

// "同" after the branch compares with the last move before it, and the totals go on
// from there.
TEST(KifWriter, VariationsContinueTheLineTheyLeave) {
    Record r = record_from();
    const auto main = add_moves(r, r.root, {"7g7f", "3c3d", "8h2b+", "3a2b"});
    for (std::size_t i = 0; i < main.size(); ++i) set_time(r, main[i], (i + 1) * 60000);
    const auto alt = add_moves(r, main[2], {"8b2b", "B*5e"});
    set_time(r, alt[0], 5000);
    add_moves(r, r.root, {"2g2f"});
    const auto lines = text_lines(write_kif_text(r));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 6, lines.end()),
              (std::vector<std::string>{
                  "",
                  "変化：4手",
                  "   4 同　飛(82)   ( 0:05/00:02:05)+",
                  "   5 ５五角打     ( 0:00/00:04:00)",
                  "",
                  "変化：1手",
                  "   1 ２六歩(27)   ( 0:00/00:00:00)+",
              }));
}

TEST(KifWriter, Errors) {
    struct Case {
        const char* name;
        Record record;
        const char* error;
    };
    std::vector<Case> cases;
    {
        Record r = record_from("9/9/9/9/9/9/9/9/9 x - 1");
        cases.push_back({"bad SFEN", std::move(r), "failed to parse SFEN: invalid turn: 'x'"});
    }
    {
        Record r = record_from();
        add_moves(r, r.root, {"7g7f", "3c3d", "7f7f"});
        cases.push_back({"illegal main move", std::move(r), "illegal move at index 2"});
    }
    {
        Record r = record_from();
        const auto main = add_moves(r, r.root, {"7g7f", "3c3d"});
        add_moves(r, main[0], {"8c8d", "7f7e", "8d8d"});
        cases.push_back({"illegal variation move", std::move(r), "invalid KIF move: illegal variation move at ply 4"});
    }
    {
        Record r = record_from();
        const auto main = add_moves(r, r.root, {"7g7f", "3c3d"});
        const auto alt = add_moves(r, main[0], {"8c8d"});
        add_terminal(r, alt[0], SpecialMoveKind::Resign);
        cases.push_back({"terminal in a variation", std::move(r), "invalid KIF line: variation node missing move"});
    }
    {
        // Nested: the error of the deepest block is met too.
        Record r = record_from();
        const auto main = add_moves(r, r.root, {"7g7f", "3c3d", "2g2f"});
        const auto alt = add_moves(r, main[0], {"8c8d", "2g2f"});
        add_moves(r, alt[0], {"6g6f", "1a1a"});
        cases.push_back({"illegal nested move", std::move(r), "invalid KIF move: illegal variation move at ply 4"});
    }
    for (const Case& c : cases) EXPECT_EQ(write_kif_error(c.record), c.error) << c.name;
}

// ---- The shared lines ----

TEST(KifWriterLines, Header) {
    RecordMetadata m;
    using K = RecordMetadataKey;
    m.set(K::Event, "第1期\n棋戦");
    m.set(K::Site, "");
    m.set(K::StartDate, "2024/01/02");
    m.set(K::EndDate, "2024/01/03");
    m.set(K::GameName, "never written");
    m.set(K::GameType, "never written");
    m.set(K::UpdatedDate, "never written");
    m.set(K::Comment, "a\r\n\n  b  \n");
    m.set(K::BlackPlayer, "甲\nまで1手で先手の勝ち");
    m.set(K::WhitePlayer, "乙\r\n   1 ７六歩(77)");
    m.time_control = TimeControl{3600, 30, 0};
    m.black_time_control = TimeControl{0, 0, 0};
    m.white_time_control = TimeControl{600, 10, 5};
    m.max_moves = 256;
    m.impasse_rule = "24点法";
    for (const char* key : {"棋戦", "場所", "先手", "後手", "手合割", "持将棋", "開始日時", "終了日時", "持ち時間",
                            "最大手数", "先手持ち時間", "後手持ち時間"})
        m.attributes[key] = "reserved";
    m.attributes["表題"] = "b";
    m.attributes["備考"] = "written";
    m.attributes["秒読み"] = "30秒";
    m.attributes["A\rkey"] = "v\nw";
    std::string out;
    write_kif_header(out, m);
    EXPECT_EQ(text_lines(out), (std::vector<std::string>{
                                   "棋戦：第1期 棋戦",
                                   "場所：",
                                   "開始日時：2024/01/02",
                                   "終了日時：2024/01/03",
                                   "持ち時間：1時間0分秒読み30秒",
                                   "先手持ち時間：0+0+0",
                                   "後手持ち時間：600+10+5",
                                   "最大手数：256",
                                   "持将棋：24点法",
                                   "備考：a",
                                   "備考：b",
                                   "先手：甲 まで1手で先手の勝ち",
                                   "後手：乙     1 ７六歩(77)",
                                   "A key：v w",
                                   "備考：written",
                                   "秒読み：30秒",
                                   "表題：b",
                               }));

    RecordMetadata zero;
    zero.time_control = TimeControl{0, 0, 0};
    out.clear();
    write_kif_header(out, zero);
    EXPECT_EQ(out, "");
}

// A line feed in a header value or an unknown ending's name cannot start a line: the
// record reads back as it was.
TEST(KifWriterLines, NoLineInjection) {
    Record r = record_from();
    const auto ids = add_moves(r, r.root, {"7g7f"});
    r.metadata.set(RecordMetadataKey::BlackPlayer, "甲\nまで0手で後手の勝ち");
    r.metadata.set(RecordMetadataKey::WhitePlayer, "乙\r   2 ３四歩(33)\r\n*comment");
    r.metadata.attributes["key\n   2 ３四歩(33)"] = "x";
    add_terminal(r, ids[0], SpecialMoveKind::Unknown, "封じ手\n   3 投了");
    const std::string text = write_kif_text(r);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    const auto back = parse_kif(text);
    ASSERT_TRUE(back) << kif_error_display(back.error());
    EXPECT_EQ(main_line_usi(*back), "7g7f");
    EXPECT_EQ(back->metadata.get(RecordMetadataKey::BlackPlayer), "甲 まで0手で後手の勝ち");
    EXPECT_EQ(back->metadata.get(RecordMetadataKey::WhitePlayer), "乙    2 ３四歩(33)  *comment");
    EXPECT_EQ(back->metadata.attributes.count("key    2 ３四歩(33)"), 1u);
    EXPECT_FALSE(back->nodes[0].annotations.comment);
    ASSERT_TRUE(main_terminal(*back));
    EXPECT_EQ(main_terminal(*back)->special->kind, SpecialMoveKind::Unknown);
    EXPECT_EQ(main_terminal(*back)->special->unknown_name, "封じ手");
    EXPECT_EQ(text_lines(text).back(), "まで1手で封じ手    3 投了");
}

TEST(KifWriterLines, TimeControlTexts) {
    struct Case {
        TimeControl tc;
        const char* text;
        TimeControl read_back;  // what the header reader makes of the text
    };
    const Case cases[] = {
        {{90, 0, 0}, "1分", {60, 0, 0}},
        {{600, 0, 0}, "10分", {600, 0, 0}},
        {{3600, 30, 0}, "1時間0分秒読み30秒", {3600, 30, 0}},
        {{0, 0, 10}, "加算10秒", {0, 0, 10}},
        {{0, 30, 0}, "秒読み30秒", {0, 30, 0}},
        {{600, 30, 0}, "10分秒読み30秒", {600, 30, 0}},
        {{3600, 0, 5}, "1時間0分加算5秒", {3600, 0, 5}},
        {{5430, 10, 5}, "1時間30分秒読み10秒加算5秒", {5400, 10, 5}},
        {{4294967295u, 4294967295u, 1}, "1193046時間28分秒読み4294967295秒加算1秒", {4294967280u, 4294967295u, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(japanese_time_control_text(c.tc), c.text);
        EXPECT_EQ(parse_japanese_time(c.text), c.read_back);
        RecordMetadata m;
        m.time_control = c.tc;
        std::string out;
        write_kif_header(out, m);
        EXPECT_EQ(out, std::string("持ち時間：") + c.text + "\n");
    }
    // Below a minute the base is written "0分", which names no time.
    EXPECT_EQ(japanese_time_control_text({30, 0, 0}), "0分");
    EXPECT_FALSE(parse_japanese_time("0分"));
    EXPECT_EQ(japanese_time_control_text({0, 0, 0}), "");
}

TEST(KifWriterLines, Hands) {
    const auto hand_of = [](const char* sfen_hand) {
        return sfen(std::string("4k4/9/9/9/9/9/9/9/4K4 b ") + sfen_hand + " 1").hands[BLACK];
    };
    struct Case {
        const char* sfen_hand;
        const char* text;
    };
    const Case cases[] = {
        {"-", "なし"},
        {"B3P", "歩三　角"},
        {"10P", "歩十"},
        {"11P", "歩11"},
        {"18P", "歩18"},
        {"RG", "金　飛"},
        {"2R2B4G4S4N4L18P", "歩18　香四　桂四　銀四　金四　角二　飛二"},
        {"SNL", "香　桂　銀"},
    };
    for (const Case& c : cases) EXPECT_EQ(write_japanese_hand(hand_of(c.sfen_hand)), c.text) << c.sfen_hand;
}

TEST(KifWriterLines, StartPositions) {
    const std::pair<int, const char*> named[] = {
        {0, "平手"},     {2, "香落ち"},   {3, "右香落ち"},   {4, "角落ち"},     {5, "飛車落ち"},
        {6, "飛香落ち"}, {7, "二枚落ち"}, {8, "三枚落ち"},   {9, "四枚落ち"},   {10, "五枚落ち"},
        {11, "左五枚落ち"}, {12, "六枚落ち"}, {13, "八枚落ち"}, {14, "十枚落ち"},
    };
    for (const auto& [kind, name] : named) {
        const std::string s(handicap_sfen(kind));
        std::string out;
        write_start_position_lines(out, s, sfen(s));
        EXPECT_EQ(out, std::string("手合割：") + name + "\n") << kind;
    }

    std::string out;
    write_start_position_lines(out, "9/9/9/9/9/9/9/9/9 b - 1", sfen("9/9/9/9/9/9/9/9/9 b - 1"));
    std::string empty_board = "後手の持駒：なし\n  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n";
    for (const char* rank : {"一", "二", "三", "四", "五", "六", "七", "八", "九"})
        empty_board += std::string("| ・ ・ ・ ・ ・ ・ ・ ・ ・|") + rank + "\n";
    empty_board += "+---------------------------+\n先手の持駒：なし\n先手番\n";
    EXPECT_EQ(out, empty_board);

    // The start position under another move number is no named start.
    const std::string second = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 2";
    out.clear();
    write_start_position_lines(out, second, sfen(second));
    EXPECT_EQ(text_lines(out).size(), 15u);
    EXPECT_EQ(text_lines(out)[3], "|v香v桂v銀v金v玉v金v銀v桂v香|一");

    const std::string iphone = "3sks3/9/4+P4/6+B2/9/9/9/9/9 w S17p4l4ns4gb2r 1";
    out.clear();
    write_kif_board(out, sfen(iphone));
    EXPECT_EQ(out, "後手の持駒：歩17　香四　桂四　銀　金四　角　飛二\n"
                   "  ９ ８ ７ ６ ５ ４ ３ ２ １\n"
                   "+---------------------------+\n"
                   "| ・ ・ ・v銀v玉v銀 ・ ・ ・|一\n"
                   "| ・ ・ ・ ・ ・ ・ ・ ・ ・|二\n"
                   "| ・ ・ ・ ・ と ・ ・ ・ ・|三\n"
                   "| ・ ・ ・ ・ ・ ・ 馬 ・ ・|四\n"
                   "| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n"
                   "| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\n"
                   "| ・ ・ ・ ・ ・ ・ ・ ・ ・|七\n"
                   "| ・ ・ ・ ・ ・ ・ ・ ・ ・|八\n"
                   "| ・ ・ ・ ・ ・ ・ ・ ・ ・|九\n"
                   "+---------------------------+\n"
                   "先手の持駒：銀\n"
                   "後手番\n");

    // The whole record: the diagram stands where the handicap line would.
    Record r = record_from(iphone);
    const std::string text = write_kif_text(r);
    EXPECT_EQ(text, out + TABLE + "\n");
}

// Every ending, with either side to move at the end: the closing line, the KIF
// terminal word, and both as the readers read them.
TEST(KifWriterLines, ClosingLines) {
    struct Case {
        SpecialMoveKind kind;
        const char* black_to_move;
        const char* white_to_move;
        const char* kif_word;
    };
    using K = SpecialMoveKind;
    const Case cases[] = {
        {K::Interrupt, "まで86手で中断", "まで87手で中断", "中断"},
        {K::Resign, "まで86手で後手の勝ち", "まで87手で先手の勝ち", "投了"},
        {K::MaxMoves, "まで86手で最大手数", "まで87手で最大手数", "最大手数"},
        {K::Impasse, "まで86手で持将棋", "まで87手で持将棋", "持将棋"},
        {K::Draw, "まで86手で引き分け", "まで87手で引き分け", "引き分け"},
        {K::RepetitionDraw, "まで86手で千日手", "まで87手で千日手", "千日手"},
        {K::Mate, "まで86手で詰み", "まで87手で詰み", "詰み"},
        {K::NoMate, "まで86手で不詰", "まで87手で不詰", "不詰"},
        {K::Timeout, "まで86手で時間切れにより後手の勝ち", "まで87手で時間切れにより先手の勝ち", "切れ負け"},
        {K::WinByIllegalMove, "まで86手で先手の反則勝ち", "まで87手で後手の反則勝ち", "反則勝ち"},
        {K::LoseByIllegalMove, "まで86手で先手の反則負け", "まで87手で後手の反則負け", "反則負け"},
        {K::WinByDeclaration, "まで86手で先手の入玉勝ち", "まで87手で後手の入玉勝ち", "入玉勝ち"},
        {K::WinByDefault, "まで86手で先手の不戦勝", "まで87手で後手の不戦勝", "不戦勝"},
        {K::LoseByDefault, "まで86手で先手の不戦敗", "まで87手で後手の不戦敗", "不戦敗"},
        {K::Try, "まで86手で先手のトライ", "まで87手で後手のトライ", "トライ"},
        {K::Unknown, "まで86手で封じ手", "まで87手で封じ手", "封じ手"},
    };
    static_assert(std::size(cases) == SPECIAL_MOVE_KIND_NB);
    for (const Case& c : cases) {
        const auto k = static_cast<int>(c.kind);
        SCOPED_TRACE(SPECIAL_MOVE_KIND_NAMES[k]);
        SpecialMove s;
        s.kind = c.kind;
        s.result = INVALID;
        if (c.kind == K::Unknown) s.unknown_name = UNKNOWN_WORD;
        EXPECT_EQ(write_kif_result_line(s, BLACK, 86), c.black_to_move);
        EXPECT_EQ(write_kif_result_line(s, WHITE, 87), c.white_to_move);

        // The terminal line of the whole KIF text, and how it reads back.
        for (const Color side : {BLACK, WHITE}) {
            Record r = record_from(side == BLACK ? "4k4/9/9/9/9/9/9/9/4K4 b - 1" : "4k4/9/9/9/9/9/9/9/4K4 w - 1");
            add_terminal(r, r.root, c.kind, c.kind == K::Unknown ? UNKNOWN_WORD : "");
            const auto lines = text_lines(write_kif_text(r));
            ASSERT_GE(lines.size(), 2u);
            EXPECT_EQ(lines[lines.size() - 2], "   1 " + pad_kif_move_text(c.kif_word) + " ( 0:00/00:00:00)");
            EXPECT_EQ(lines.back(), write_kif_result_line(s, side, 0));
            const auto back = parse_kif(write_kif_text(r));
            ASSERT_TRUE(back);
            const RecordNode* t = main_terminal(*back);
            ASSERT_TRUE(t);
            const TerminalReading& reading = TERMINAL_READINGS[k];
            EXPECT_EQ(t->special->kind, reading.kind);
            EXPECT_EQ(t->special->result, side == BLACK ? reading.black_to_move : reading.white_to_move);
            EXPECT_EQ(t->special->unknown_name, reading.unknown_name ? reading.unknown_name : UNKNOWN_WORD);
        }
    }
}

}  // namespace
