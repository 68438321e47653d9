// The KI2 reader on texts made for one rule each: header and start position, move
// lines, comments, evaluations and times, the closing line, variations before and
// after it, and every error it reports.

#include <gtest/gtest.h>

#include "core/records/formats/kif/ki2_reader.h"
#include "core/records/formats/kif/ki2_resolver.h"
#include "core/records/formats/kif/kif_writer_lines.h"
#include "record_text_support.h"

using namespace korvan;
using namespace korvan::test;

namespace {

constexpr const char* STARTPOS = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";

Record read_ki2(const std::string& text) {
    auto r = parse_ki2(text);
    if (!r) throw std::runtime_error("unexpected KI2 error: " + ki2_error_display(r.error()));
    return std::move(*r);
}

std::string read_ki2_error(const std::string& text) {
    auto r = parse_ki2(text);
    return r ? "<read>" : ki2_error_display(r.error());
}


std::string ki2_terminal_text(const Record& r) {
    const RecordNode* t = main_terminal(r);
    if (!t) return "none";
    std::string out(SPECIAL_MOVE_KIND_NAMES[static_cast<int>(t->special->kind)]);
    out += " " + std::to_string(t->special->result);
    if (!t->special->unknown_name.empty()) out += " " + t->special->unknown_name;
    return out;
}

TEST(Ki2Reader, EmptyText) {
    const Record r = read_ki2("");
    EXPECT_EQ(r.init_position_sfen, STARTPOS);
    EXPECT_EQ(record_move_count(r), 0u);
    EXPECT_FALSE(main_terminal(r));
    EXPECT_EQ(r.metadata, RecordMetadata{});
    EXPECT_FALSE(r.nodes[0].annotations.comment);
}

TEST(Ki2Reader, LineEndsAndByteOrderMark) {
    const std::string lf = "先手：甲\n▲７六歩 △３四歩\nまで2手で中断\n";
    std::string crlf, cr;
    for (char c : lf) {
        crlf += c == '\n' ? "\r\n" : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    const Record base = read_ki2(lf);
    EXPECT_EQ(main_line_usi(base), "7g7f 3c3d");
    EXPECT_EQ(read_ki2(crlf), base);
    EXPECT_EQ(read_ki2(cr), base);
    EXPECT_EQ(read_ki2("\xEF\xBB\xBF" + lf), base);
}

TEST(Ki2Reader, HeaderAndStartPosition) {
    EXPECT_EQ(read_ki2("手合割：香落ち\n△３四歩\n").init_position_sfen,
              "lnsgkgsn1/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1");
    EXPECT_EQ(read_ki2("後手番\n先手の持駒：歩\n").init_position_sfen, STARTPOS);
    // "'" opens no comment in the header: the line is a header line like any other.
    const Record quoted = read_ki2("'注：あり\n*根\n** 二行目\n▲７六歩\n");
    EXPECT_EQ(quoted.metadata.attributes.at("'注"), "あり");
    EXPECT_EQ(quoted.nodes[0].annotations.comment, "根\n二行目");
    // A diagram: its file-number line begins with a full-width digit, and a diagram
    // read with no handicap header or a different one wins.
    const std::string diagram =
        "手合割：香落ち\n"
        "上手の持駒：銀四　桂四　\n"
        "  ９ ８ ７ ６ ５ ４ ３ ２ １\n"
        "+---------------------------+\n"
        "| ・ ・ ・ ・ ・ ・ ・v歩v玉|一\n"
        "| ・ ・ ・ ・ ・ ・ ・v歩 ・|二\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|三\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|七\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|八\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ 玉|九\n"
        "+---------------------------+\n"
        "下手の持駒：香　歩12\n"
        "後手番\n"
        "\n"
        "△１二桂\n";
    const Record r = read_ki2(diagram);
    EXPECT_EQ(r.init_position_sfen, "7pk/7p1/9/9/9/9/9/9/8K w 12PL4n4s 1");
    EXPECT_EQ(main_line_usi(r), "N*1b");
    EXPECT_EQ(read_ki2(
                  "  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n|\n|\n|\n|\n|\n|\n|\n|\n|\n"
                  "+---------------------------+\n")
                  .init_position_sfen,
              "9/9/9/9/9/9/9/9/9 b - 1");
    EXPECT_EQ(read_ki2_error("  ９ ８ ７ ６ ５ ４ ３ ２ １\n").substr(0, 7), "<read>");
    const auto bad = position_from_sfen("9/9/9/9/9/9/9/9/9 b 255P 1");
    EXPECT_EQ(read_ki2_error("先手の持駒：歩300\n  ９ ８ ７ ６ ５ ４ ３ ２ １\n"),
              "failed to parse SFEN: " + sfen_error_display(bad.error()));
}

TEST(Ki2Reader, MoveLines) {
    EXPECT_EQ(read_ki2("▲７六歩 △３四歩\n"), read_ki2("▲７六歩\n△３四歩\n"));
    EXPECT_EQ(read_ki2("▲７六歩 △３四歩\n"), read_ki2("▲７六歩△３四歩"));
    const Record r = read_ki2("▲７六歩 △３四歩 ▲２二角成 △同　銀\n▲５五角打 △６二銀\n");
    EXPECT_EQ(main_line_usi(r), "7g7f 3c3d 8h2b+ 3a2b B*5e 7a6b");
    // "同" on a new line refers to the last move of the line before.
    EXPECT_EQ(main_line_usi(read_ki2("▲７六歩 △３四歩 ▲２二角成\n△同　銀\n")), "7g7f 3c3d 8h2b+ 3a2b");
}

TEST(Ki2Reader, CommentsTimesAndEvaluations) {
    const Record r = read_ki2(
        "*開始\n"
        "*二行目\n"
        "**評価値=33\n"    // the header's: a comment
        "消費時間：0:07\n"  // the header's: a header line
        "▲７六歩\n"
        "**評価値=5\n"
        "**評価値=-120\n"
        "*いい手\n"
        "'注\n"
        "△３四歩 消費時間：0:03\n"  // a time line only: its token is not read
        "**評価値=abc\n"
        "&しおり\n"
        "手数＝2\n");
    EXPECT_EQ(record_move_count(r), 1u);
    EXPECT_EQ(r.nodes[0].annotations.comment, "開始\n二行目\n評価値=33");
    EXPECT_EQ(r.metadata.attributes.at("消費時間"), "0:07");
    EXPECT_EQ(main_line_node(r, 0).annotations.comment, "いい手\n注");
    EXPECT_EQ(main_line_node(r, 0).annotations.time, Duration::from_ms(3000));
    ASSERT_TRUE(main_line_node(r, 0).annotations.engine_info);
    EXPECT_EQ(main_line_node(r, 0).annotations.engine_info->eval, -120);

    // A time line in the move section before the first move gives its time to that
    // move; an evaluation there is ignored.
    const Record timed = read_ki2("変化：1手\n▲２六歩\n\n消費時間：0:07\n**評価値=9\n▲７六歩\n△３四歩\n");
    EXPECT_EQ(main_line_usi(timed), "7g7f 3c3d");
    EXPECT_EQ(variation_lines(timed), std::vector<std::string>{" | 2g2f"});
    EXPECT_EQ(main_line_node(timed, 0).annotations.time, Duration::from_ms(7000));
    EXPECT_FALSE(main_line_node(timed, 0).annotations.engine_info);
    EXPECT_FALSE(main_line_node(timed, 1).annotations.time);
    EXPECT_FALSE(main_line_node(timed, 1).annotations.engine_info);
}

TEST(Ki2Reader, Errors) {
    // The silver "reaches" its own bishop: illegal, counted across lines.
    EXPECT_EQ(read_ki2_error("▲７六歩 △３四歩\n▲８八銀\n"), "illegal move at index 2");
    EXPECT_EQ(read_ki2_error("▲７六歩 △３四歩 ▲８八銀 △８四歩\n"), "illegal move at index 2");
    EXPECT_EQ(read_ki2_error("▲同歩\n"), "invalid KI2 move: ▲同歩");
    EXPECT_EQ(read_ki2_error("▲７六歩  △Ｘ\n"), "invalid KI2 move: ▲７六歩  △Ｘ");
    EXPECT_EQ(read_ki2_error("▲７六歩\nabc\n"), "invalid KI2 move: abc");
    EXPECT_EQ(read_ki2_error("▲５五玉打\n"), "invalid KI2 move: ▲５五玉打");
    EXPECT_EQ(read_ki2_error("▲５五角打\n"), "illegal move at index 0");
    EXPECT_EQ(read_ki2_error("▲７六歩\n変化：3手\n△８四歩\n"), "invalid KI2 line: variation start out of range: 3");
}

std::string ten_moves() { return "▲７六歩 △３四歩 ▲２六歩 △８四歩 ▲２五歩\n△８五歩 ▲７八金 △３二金 ▲２四歩 △同　歩\n"; }

TEST(Ki2Reader, VariationBlocks) {
    const Record r = read_ki2(
        "▲７六歩 △３四歩 ▲２二角成 △同　銀\n"
        "変化：4手\n"
        "*前\n"
        "*置き\n"
        "△同　飛\n"
        "消費時間：0:04\n"
        "*一\n"
        "'二\n"
        "**評価値=15\n"
        "▲５五角打\n"
        "\n"
        "▲２六歩\n");  // after the blank line: the main line again
    EXPECT_EQ(main_line_usi(r), "7g7f 3c3d 8h2b+ 3a2b 2g2f");
    EXPECT_EQ(variation_lines(r), std::vector<std::string>{"7g7f 3c3d 8h2b+ | 8b2b B*5e"});
    const auto children = record_children(r, record_main_line_ids(r)[2]);
    ASSERT_EQ(children.size(), 2u);
    const RecordNode& first = record_node(r, children[1]);
    // Every comment line of a variation is kept, before and after its first move.
    EXPECT_EQ(first.annotations.comment, "前\n置き\n一\n二");
    EXPECT_EQ(first.annotations.time, Duration::from_ms(4000));
    EXPECT_EQ(first.annotations.engine_info->eval, 15);
    EXPECT_FALSE(record_node(r, first.first_child).annotations.comment);

    // "同" as a variation's first move refers to the move before the branch.
    EXPECT_EQ(variation_lines(read_ki2("▲７六歩 △３四歩 ▲２二角成 △同　銀\n変化：4手\n△同　飛\n")),
              std::vector<std::string>{"7g7f 3c3d 8h2b+ | 8b2b"});
    EXPECT_EQ(read_ki2_error("▲７六歩\n変化：1手\n▲同歩\n"), "invalid KI2 move: ▲同歩");
    // An illegal move in a variation is reported with its line.
    EXPECT_EQ(read_ki2_error("▲７六歩 △３四歩\n変化：2手\n△７七角\n"), "invalid KI2 move: △７七角");
    EXPECT_EQ(read_ki2_error("▲７六歩 △３四歩\n変化：2手\n△３三角 ▲５五玉打\n"), "invalid KI2 move: △３三角 ▲５五玉打");
}

TEST(Ki2Reader, VariationStarts) {
    EXPECT_EQ(read_ki2_error(ten_moves() + "変化：12手\n△１四歩\n"), "invalid KI2 line: variation start out of range: 12");
    // Move 11 hangs below the tenth: after the terminal when there is one...
    Record r = read_ki2(ten_moves() + "まで10手で中断\n変化：11手\n▲同　飛\n");
    auto children = record_children(r, record_main_line_ids(r)[9]);
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(record_node(r, children[0]).kind, NodeKind::Terminal);
    EXPECT_EQ(move_display_usi(record_node(r, children[1]).move), "2h2d");
    // ...otherwise as the main line's continuation.
    r = read_ki2(ten_moves() + "変化：11手\n▲同　飛\n");
    EXPECT_EQ(record_move_count(r), 11u);
    // Full-width digits in the header count.
    r = read_ki2(ten_moves() + "変化：３手\n▲５六歩\n");
    EXPECT_EQ(variation_lines(r), std::vector<std::string>{"7g7f 3c3d | 5g5f"});
    // A later block branches from the line most recently read.
    r = read_ki2(ten_moves() + "変化：3手\n▲６八銀 △８四歩\n\n変化：4手\n△４四歩\n");
    EXPECT_EQ(variation_lines(r), (std::vector<std::string>{"7g7f 3c3d | 7i6h 8c8d", "7g7f 3c3d 7i6h | 4c4d"}));
}

TEST(Ki2Reader, ClosingLines) {
    EXPECT_EQ(ki2_terminal_text(read_ki2("▲７六歩\nまで1手で先手の勝ち\n△３四歩\n")), "RESIGN 0");
    EXPECT_EQ(record_move_count(read_ki2("▲７六歩\nまで1手で先手の勝ち\n△３四歩\n")), 1u);
    // A word no closing line knows ends the game all the same, as the word itself
    // (a move-column word when it is one).
    EXPECT_EQ(ki2_terminal_text(read_ki2("▲７六歩\nまで1手で時間切れ\n")), "UNKNOWN 11 時間切れ");
    EXPECT_EQ(ki2_terminal_text(read_ki2("▲７六歩\nまで1手で 封じ手 \n")), "UNKNOWN 11 封じ手");
    EXPECT_EQ(ki2_terminal_text(read_ki2("▲７六歩\nまで1手で投了\n")), "RESIGN 0");
    for (const char* shape : {"まで1手", "まで手で封じ手", "までで封じ手", "まで1手で", "まで１手で封じ手"})
        EXPECT_EQ(ki2_terminal_text(read_ki2(std::string("▲７六歩\n") + shape + "\n")), "none") << shape;
    // Every closing line the writers write.
    const std::pair<const char*, const char*> cases[] = {
        {"まで1手で中断", "INTERRUPT 11"},         {"まで1手で先手の勝ち", "RESIGN 0"},
        {"まで1手で最大手数", "MAX_MOVES 6"},       {"まで1手で持将棋", "IMPASSE 10"},
        {"まで1手で引き分け", "UNKNOWN 11 引き分け"}, {"まで1手で千日手", "REPETITION_DRAW 2"},
        {"まで1手で詰み", "RESIGN 0"},              {"まで1手で不詰", "NO_MATE 11"},
        {"まで1手で時間切れにより先手の勝ち", "TIMEOUT 16"}, {"まで1手で後手の反則勝ち", "WIN_BY_ILLEGAL_MOVE 13"},
        {"まで1手で後手の反則負け", "LOSE_BY_ILLEGAL_MOVE 12"}, {"まで1手で後手の入玉勝ち", "WIN_BY_DECLARATION 5"},
        {"まで1手で後手の不戦勝", "WIN_BY_DEFAULT 9"}, {"まで1手で後手の不戦敗", "LOSE_BY_DEFAULT 8"},
        {"まで1手で後手のトライ", "TRY 11"},
    };
    for (const auto& [line, expected] : cases) {
        const Record r = read_ki2(std::string("▲７六歩\n") + line + "\n");
        EXPECT_EQ(ki2_terminal_text(r), expected) << line;
        EXPECT_EQ(main_terminal(r)->special->raw, line);
    }
}

TEST(Ki2Reader, VariationsAfterTheClosingLine) {
    const Record r = read_ki2(
        "▲７六歩 △３四歩 ▲２六歩\n"
        "まで3手で中断\n"
        "\n"
        "変化：   3手\n"
        "▲７五歩\n"
        "まで3手で中断\n"
        "ignored text between the blocks\n"
        "▲９六歩\n"
        "変化：2手\n"
        "△８四歩\n");
    EXPECT_EQ(main_line_usi(r), "7g7f 3c3d 2g2f");
    EXPECT_EQ(ki2_terminal_text(r), "INTERRUPT 11");
    EXPECT_EQ(variation_lines(r), (std::vector<std::string>{"7g7f 3c3d | 7f7e", "7g7f | 8c8d"}));
}

// A token whose reading is no move or an illegal one is read again among the legal
// moves: the one that fits its words is taken; otherwise the error stands.
struct LegalReading {
    const char* name;
    const char* sfen;
    const char* line;
    const char* result;  // the moves read, or the error
};

class Ki2LegalReadings : public ::testing::TestWithParam<LegalReading> {};

TEST_P(Ki2LegalReadings, Read) {
    const LegalReading& c = GetParam();
    std::string text;
    write_kif_board(text, *position_from_sfen(c.sfen));
    const auto r = parse_ki2(text + c.line + "\n");
    EXPECT_EQ(r ? main_line_usi(*r) : ki2_error_display(r.error()), c.result);
    // The resolver alone reads the line alike.
    const auto moves = parse_ki2_move(*position_from_sfen(c.sfen), c.line, false, SQ_NONE);
    if (r) {
        std::string read;
        for (const Ki2Move& m : *moves) read += (read.empty() ? "" : " ") + move_display_usi(m.move);
        EXPECT_EQ(read, c.result);
    }
}

// The lance on 4g is pinned to its king by the rook on 6g; the gold on 5h by the rook on 5a.
constexpr const char* PINNED_LANCE = "k8/9/9/9/9/9/3r1L1K1/9/9 b L 1";
constexpr const char* PINNED_GOLD = "k3r4/9/9/9/9/9/9/4G1G2/4K4 b - 1";

INSTANTIATE_TEST_SUITE_P(
    Tokens, Ki2LegalReadings,
    ::testing::Values(
        LegalReading{"pinned piece or drop: the drop", PINNED_LANCE, "▲４二香", "L*4b"},
        LegalReading{"no piece in hand: illegal as before", "k8/9/9/9/9/9/3r1L1K1/9/9 b - 1", "▲４二香",
                     "illegal move at index 0"},
        LegalReading{"written source kept", PINNED_LANCE, "▲４二香(47)", "illegal move at index 0"},
        LegalReading{"two golds, one pinned", PINNED_GOLD, "▲４八金", "3h4h"},
        LegalReading{"the words pick the pinned one", PINNED_GOLD, "▲４八金左", "illegal move at index 0"},
        LegalReading{"two free golds stay ambiguous", "k8/9/9/9/9/9/9/4G1G2/4K4 b - 1", "▲４八金",
                     "invalid KI2 move: ▲４八金"},
        LegalReading{"a king into check", "k8/9/9/9/9/9/9/4r4/3K5 b - 1", "▲５九玉", "illegal move at index 0"},
        LegalReading{"the second token of a line", "k3r4/9/9/9/9/9/9/4G1G2/4K4 w - 1", "△９二玉 ▲４八金",
                     "9a9b 3h4h"}),
    [](const auto& info) { return case_name(info.index, {info.param.name}); });

}  // namespace
