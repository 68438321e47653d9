// The KIF reader on texts made for one rule each: the header and start position, the
// move section's lines, the terminal, variations before and after the end, and every
// error it reports.

#include <gtest/gtest.h>

#include "core/records/formats/kif/ki2_reader.h"
#include "core/records/formats/kif/kif_reader.h"
#include "core/records/formats/kif/kif_writer.h"
#include "core/records/formats/kif/kif_writer_lines.h"
#include "record_text_support.h"

using namespace korvan;
using namespace korvan::test;

namespace {

constexpr const char* STARTPOS = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";
constexpr const char* HEADER = "手合割：平手\n手数----指手---------消費時間--\n";

Record read_kif(const std::string& text) {
    auto r = parse_kif(text);
    if (!r) throw std::runtime_error("unexpected KIF error: " + kif_error_display(r.error()));
    return std::move(*r);
}

std::string read_kif_error(const std::string& text) {
    auto r = parse_kif(text);
    return r ? "<read>" : kif_error_display(r.error());
}


std::string kif_terminal_text(const Record& r) {
    const RecordNode* t = main_terminal(r);
    if (!t) return "none";
    std::string out(SPECIAL_MOVE_KIND_NAMES[static_cast<int>(t->special->kind)]);
    out += " " + std::to_string(t->special->result);
    if (!t->special->unknown_name.empty()) out += " " + t->special->unknown_name;
    return out;
}

TEST(KifReader, HeaderOnly) {
    const Record r = read_kif("開始日時：2024/01/02\n先手：甲\n後手：乙\n");
    EXPECT_EQ(r.init_position_sfen, STARTPOS);
    EXPECT_EQ(record_move_count(r), 0u);
    EXPECT_FALSE(main_terminal(r));
    EXPECT_EQ(r.metadata.get(RecordMetadataKey::BlackPlayer), "甲");
    EXPECT_EQ(r.metadata.get(RecordMetadataKey::WhitePlayer), "乙");
    EXPECT_FALSE(r.nodes[0].annotations.comment);
    EXPECT_EQ(read_kif("").init_position_sfen, STARTPOS);
}

TEST(KifReader, LineEndsAndByteOrderMark) {
    const std::string lf = std::string(HEADER) + "1 ７六歩(77)\n2 ３四歩(33)\n";
    std::string crlf, cr;
    for (char c : lf) {
        crlf += c == '\n' ? "\r\n" : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    const Record base = read_kif(lf);
    EXPECT_EQ(main_line_usi(base), "7g7f 3c3d");
    EXPECT_EQ(read_kif(crlf), base);
    EXPECT_EQ(read_kif(cr), base);
    EXPECT_EQ(read_kif("\xEF\xBB\xBF" + lf), base);
}

TEST(KifReader, StartPositions) {
    EXPECT_EQ(read_kif("手合割：飛車落ち\n").init_position_sfen,
              "lnsgkgsnl/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1");
    EXPECT_EQ(read_kif("手合割：その他\n").init_position_sfen, STARTPOS);
    const std::string diagram =
        "手合割：飛車落ち\n"
        "後手の持駒：なし\n"
        "  ９ ８ ７ ６ ５ ４ ３ ２ １\n"
        "+---------------------------+\n"
        "| ・ ・ ・ ・v玉 ・ ・ ・ ・|一\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|二\n"
        "| ・ ・ ・ ・ 歩 ・ ・ ・ ・|三\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|七\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|八\n"
        "| ・ ・ ・ ・ 玉 ・ ・ ・ ・|九\n"
        "+---------------------------+\n"
        "先手の持駒：金 歩18\n"
        "後手番\n";
    // With a diagram the diagram wins; the hand counts past ten are read from digits.
    const Record r = read_kif(diagram + "手数----指手---------消費時間--\n1 ４二玉(51)\n2 ５二金打\n");
    EXPECT_EQ(r.init_position_sfen, "4k4/9/4P4/9/9/9/9/9/4K4 w 18PG 1");
    EXPECT_EQ(main_line_usi(r), "5a4b G*5b");
    // Hand and side lines without a diagram change nothing.
    EXPECT_EQ(read_kif("先手の持駒：金\n後手番\n").init_position_sfen, STARTPOS);
    // A diagram whose board is empty is still a diagram.
    const std::string empty_board =
        "  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n"
        "|\n|\n|\n|\n|\n|\n|\n|\n|\n+---------------------------+\n先手の持駒：飛\n";
    EXPECT_EQ(read_kif(empty_board).init_position_sfen, "9/9/9/9/9/9/9/9/9 b R 1");
    EXPECT_EQ(read_kif("  ９ ８ ７ ６ ５ ４ ３ ２ １\n").init_position_sfen, "9/9/9/9/9/9/9/9/9 b - 1");
    // A diagram whose SFEN does not parse: 255 pawns in hand.
    const auto too_many = position_from_sfen("9/9/9/9/9/9/9/9/9 b 255P 1");
    ASSERT_FALSE(too_many);
    // (The nine lines after the file numbers are the rows, whatever they hold.)
    EXPECT_EQ(read_kif("  ９ ８ ７ ６ ５ ４ ３ ２ １\n先手の持駒：歩999\n").init_position_sfen, "9/9/9/9/9/9/9/9/9 b - 1");
    EXPECT_EQ(read_kif_error("先手の持駒：歩999\n  ９ ８ ７ ６ ５ ４ ３ ２ １\n"),
              "failed to parse SFEN: " + sfen_error_display(too_many.error()));
}

TEST(KifReader, MovesPromotionsAndSameSquare) {
    const Record r = read_kif(std::string(HEADER) +
                         "1 ７六歩(77)\n2 ３四歩(33)\n3 ２二角成(88)\n4 同　銀(31)\n5 ５五角打\n6 ６二銀(71)\n");
    EXPECT_EQ(main_line_usi(r), "7g7f 3c3d 8h2b+ 3a2b B*5e 7a6b");
    EXPECT_TRUE(is_promotion(main_line_node(r, 2).move));
    EXPECT_EQ(final_sfen(r), "ln1gkg1nl/1r1s3s1/pppppp1pp/6p2/4B4/2P6/PP1PPPPPP/7R1/LNSGKGSNL b b 7");
}

TEST(KifReader, Terminals) {
    // A move line without its origin is no move: it ends the main line as a word.
    Record r = read_kif(std::string(HEADER) + "1 ７六歩\n2 ３四歩(33)\n");
    EXPECT_EQ(record_move_count(r), 0u);
    EXPECT_EQ(kif_terminal_text(r), "UNKNOWN 11 ７六歩");
    EXPECT_EQ(main_terminal(r)->special->raw, "1 ７六歩");

    r = read_kif(std::string(HEADER) + "1 ７六歩(77)\n2 ３四歩(33)\n3 ２六歩(27)\n4 ８四歩(83)\n5 投了 ( 0:03/00:00:09)\n"
                                  "まで64手で先手の勝ち\n");
    EXPECT_EQ(kif_terminal_text(r), "RESIGN 1");  // White made move 4 and wins
    EXPECT_EQ(main_terminal(r)->special->raw, "5 投了 ( 0:03/00:00:09)");
    EXPECT_EQ(main_terminal(r)->annotations.time, Duration::from_ms(3000));
    EXPECT_FALSE(main_terminal(r)->annotations.comment);

    EXPECT_EQ(kif_terminal_text(read_kif(std::string(HEADER) + "まで64手で先手の勝ち\n")), "RESIGN 0");
    EXPECT_EQ(kif_terminal_text(read_kif(std::string(HEADER) + "1 ７六歩(77)\nまで10手で中断\n1 ２六歩(27)\n")), "INTERRUPT 11");
    // An unrecognised closing line still ends the main line, with no terminal.
    r = read_kif(std::string(HEADER) + "1 ７六歩(77)\nまで1手で時間切れ\n2 ３四歩(33)\n");
    EXPECT_EQ(kif_terminal_text(r), "none");
    EXPECT_EQ(record_move_count(r), 1u);
    // The writers' closing lines of a mate and a draw, after moves whose terminal line
    // the reader does not know.
    EXPECT_EQ(kif_terminal_text(read_kif(std::string(HEADER) + "1 ７六歩(77)\nまで1手で詰み\n")), "RESIGN 0");
    EXPECT_EQ(kif_terminal_text(read_kif(std::string(HEADER) + "まで0手で引き分け\n")), "UNKNOWN 11 引き分け");
    EXPECT_EQ(kif_terminal_text(read_kif(std::string(HEADER) + "まで0手で後手の不戦勝\n")), "WIN_BY_DEFAULT 9");
    EXPECT_EQ(kif_terminal_text(read_kif(std::string(HEADER) + "1 引き分け\n")), "UNKNOWN 11 引き分け");
}

TEST(KifReader, CommentsTimesAndEvaluations) {
    const Record r = read_kif(std::string(HEADER) +
                         "*開始\n"
                         "**評価値=77\n"  // before any move: ignored
                         "'注\n"
                         "消費時間：0:09\n"  // before the first move: held for it
                         "1 ７六歩(77)\n"
                         "*いい手\n"
                         "*** 次の手 \n"
                         "**評価値=120\n"
                         "2 ３四歩(33)   ( 0:02/00:00:02)\n"
                         "消費時間：0:05\n"
                         "**評価値=40000\n"
                         "3 ２六歩(27)\n"
                         "**評価値=abc\n"
                         "*\n"
                         "4 ８四歩(83)\n"
                         "消費時間：0:00\n"
                         "&しおり\n");
    EXPECT_EQ(r.nodes[0].annotations.comment, "開始\n注");
    EXPECT_EQ(main_line_node(r, 0).annotations.comment, "いい手\n次の手");
    EXPECT_EQ(main_line_node(r, 0).annotations.time, Duration::from_ms(9000));
    ASSERT_TRUE(main_line_node(r, 0).annotations.engine_info);
    EXPECT_EQ(main_line_node(r, 0).annotations.engine_info->eval, 120);
    EXPECT_EQ(main_line_node(r, 1).annotations.time, Duration::from_ms(5000));
    EXPECT_EQ(main_line_node(r, 1).annotations.engine_info->eval, 32767);
    EXPECT_TRUE(main_line_node(r, 1).annotations.engine_info->eval_is_mate_kind);
    EXPECT_FALSE(main_line_node(r, 1).annotations.comment);
    EXPECT_FALSE(main_line_node(r, 2).annotations.engine_info);
    EXPECT_FALSE(main_line_node(r, 2).annotations.comment);
    EXPECT_FALSE(main_line_node(r, 2).annotations.time);
    EXPECT_FALSE(main_line_node(r, 3).annotations.time);
    // The held time goes to the first move only.
    const Record held = read_kif(std::string(HEADER) + "消費時間：0:09\n1 ７六歩(77) (0:01/0:01)\n2 ３四歩(33)\n");
    EXPECT_EQ(main_line_node(held, 0).annotations.time, Duration::from_ms(1000));
    EXPECT_FALSE(main_line_node(held, 1).annotations.time);
}

TEST(KifReader, Errors) {
    EXPECT_EQ(read_kif_error(std::string(HEADER) + "12\n"), "invalid KIF move: 12");
    EXPECT_EQ(read_kif_error(std::string(HEADER) + "1 ７五歩(77)\n"), "illegal move at index 0");
    EXPECT_EQ(read_kif_error(std::string(HEADER) + "1 ７六歩(77)\n2 ７六歩(77)\n"), "illegal move at index 1");
    // "同" with no move before it is no move; its column then reads as an unknown word.
    EXPECT_EQ(kif_terminal_text(read_kif(std::string(HEADER) + "1 同　歩(77)\n")), "UNKNOWN 11 同");
    EXPECT_EQ(read_kif_error(std::string(HEADER) + "abc\n"), "invalid KIF line: abc");
    EXPECT_EQ(read_kif_error(std::string(HEADER) + "  ＊ 全角 \n"), "invalid KIF line: ＊ 全角");
    EXPECT_EQ(read_kif_error(std::string(HEADER) + "1 ７六歩(77)\n手数＝1\n"), "invalid KIF move: 手数＝1");
    // A drop of a piece the hand lacks, a king captured, a promotion out of the zone.
    EXPECT_EQ(read_kif_error(std::string(HEADER) + "1 ５五角打\n"), "illegal move at index 0");
    EXPECT_EQ(read_kif_error(std::string(HEADER) + "1 ７六歩成(77)\n"), "illegal move at index 0");
    // A move whose squares spell a special value is no move either.
    EXPECT_EQ(read_kif_error(std::string(HEADER) + "1 １一香(11)\n"), "illegal move at index 0");
    EXPECT_EQ(read_kif_error(std::string(HEADER) + "変化：9手\n1 ７六歩(77)\n"), "invalid KIF line: variation start out of range: 9");
}

TEST(KifReader, VariationsBeforeTheEnd) {
    const std::string main =
        std::string(HEADER) + "1 ７六歩(77)\n2 ３四歩(33)\n3 ２六歩(27)\n4 ８四歩(83)\n5 ２五歩(26)\n";
    Record r = read_kif(main +
                   "変化：3手\n"
                   "3 ２六歩(27)\n"  // the same move again: a second child all the same
                   "4 ４四歩(43)\n"
                   "5 ４八銀(39)\n"
                   "\n"
                   "変化：4手\n"
                   "*コメント\n"
                   "4 ８四歩(83)\n"
                   "abc\n"
                   "5 投了\n"
                   "6 ２五歩(26)\n"
                   "\n"
                   "6 ８五歩(84)\n");
    EXPECT_EQ(main_line_usi(r), "7g7f 3c3d 2g2f 8c8d 2f2e 8d8e");
    EXPECT_EQ(variation_lines(r),
              (std::vector<std::string>{"7g7f 3c3d | 2g2f 4c4d 3i4h", "7g7f 3c3d 2g2f | 8c8d"}));
    const auto under_third = record_children(r, record_main_line_ids(r)[1]);
    ASSERT_EQ(under_third.size(), 2u);
    const auto branch = record_children(r, under_third[1]);
    ASSERT_EQ(branch.size(), 2u);
    EXPECT_EQ(record_node(r, branch[1]).annotations.comment, "コメント");

    EXPECT_EQ(read_kif_error(main + "変化：9手\n9 ７六歩(77)\n"), "invalid KIF line: variation start out of range: 9");
    EXPECT_EQ(read_kif_error(main + "変化：6手\n6 ８五歩(84)\n"), "<read>");
    EXPECT_EQ(read_kif_error(main + "変化：7手\n7 ８五歩(84)\n"), "invalid KIF line: variation start out of range: 7");
    EXPECT_EQ(read_kif_error(main + "変化：2手\n2 ７六歩(77)\n"), "invalid KIF move: 2 ７六歩(77)");
    EXPECT_EQ(read_kif_error(main + "変化：2手\n2 ７六歩\n"), "<read>");  // a terminal ends the variation
    EXPECT_EQ(read_kif_error(main + "変化：2手\n2 ８四歩(83)\n12\n"), "invalid KIF move: 12");
    EXPECT_EQ(read_kif_error(main + "変化：2手\n2 ８四歩(83)\n3 ７六歩(77)\n"), "invalid KIF move: 3 ７六歩(77)");
}

TEST(KifReader, VariationsAfterTheEnd) {
    const std::string text = std::string(HEADER) +
                             "1 ７六歩(77)\n2 ３四歩(33)\n3 ２二角成(88)\n4 投了\n"
                             "まで3手で先手の勝ち\n"
                             "\n"
                             "変化：4手\n"
                             "&読み込み時表示\n"
                             "4 同　銀(31)\n"
                             "まで4手で中断\n"
                             "\n"
                             "stray text between blocks\n"
                             "変化：3手\n"
                             "3 ２六歩(27)\n"
                             "**評価値=-5\n"
                             "4 中断\n"
                             "5 ２五歩(26)\n";
    const Record r = read_kif(text);
    EXPECT_EQ(kif_terminal_text(r), "RESIGN 0");
    // "同" of the first block refers to the last move before the branch; the second
    // block branches from the first block's line.
    EXPECT_EQ(variation_lines(r), (std::vector<std::string>{"7g7f 3c3d 8h2b+ | 3a2b", "7g7f 3c3d | 2g2f"}));
    const auto under_third = record_children(r, record_main_line_ids(r)[2]);
    ASSERT_EQ(under_third.size(), 2u);
    EXPECT_EQ(record_node(r, under_third[0]).kind, NodeKind::Terminal);
    const auto under_second = record_children(r, record_main_line_ids(r)[1]);
    ASSERT_EQ(under_second.size(), 2u);
    EXPECT_EQ(record_node(r, under_second[1]).annotations.engine_info->eval, -5);
    // A variation's terminal ends it and is not kept.
    EXPECT_FALSE(record_node(r, under_second[1]).has_children());
}

TEST(KifReader, LaterBlocksBranchFromTheLineMostRecentlyRead) {
    const Record r = read_kif(std::string(HEADER) +
                         "1 ７六歩(77)\n2 ３四歩(33)\n3 ２六歩(27)\n4 ８四歩(83)\n5 ２五歩(26)\n"
                         "変化：3手\n3 ６八銀(79)\n4 ８四歩(83)\n\n"
                         "変化：4手\n4 ４四歩(43)\n\n"
                         "変化：３手\n3 ５六歩(57)\n");  // full-width digits
    EXPECT_EQ(variation_lines(r), (std::vector<std::string>{"7g7f 3c3d | 7i6h 8c8d", "7g7f 3c3d 7i6h | 4c4d",
                                                            "7g7f 3c3d | 5g5f"}));
}

TEST(KifReader, VariationUnderTheLastMoveWithATerminal) {
    const Record r = read_kif(std::string(HEADER) + "1 ７六歩(77)\n2 投了\n変化：2手\n2 ３四歩(33)\n");
    // The block stands after the terminal line and branches below the first move, whose
    // first child is the terminal.
    const auto children = record_children(r, record_main_line_ids(r)[0]);
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(record_node(r, children[0]).kind, NodeKind::Terminal);
    EXPECT_EQ(move_display_usi(record_node(r, children[1]).move), "3c3d");
}

TEST(KifReader, BookmarkLinesAreSkipped) {
    const Record r = read_kif(std::string(HEADER) + "&開始\n1 ７六歩(77)\n&読み込み時表示\n2 ３四歩(33)\n");
    EXPECT_EQ(main_line_usi(r), "7g7f 3c3d");
    EXPECT_FALSE(r.nodes[0].annotations.comment);
}

TEST(KifReader, LongGamesRebuildTheirPosition) {
    // Rooks shuffling for four hundred moves: the replay rebuilds its position twice on
    // the way, and every move is still checked on the rebuilt position.
    std::string text = HEADER;
    const char* cycle[] = {"３八飛(28)", "７二飛(82)", "２八飛(38)", "８二飛(72)"};
    for (int i = 0; i < 408; ++i) text += std::to_string(i + 1) + " " + cycle[i % 4] + "\n";
    text += "409 ３八飛(28)\n410 ７二飛(82)\n411 ３八飛(28)\n";
    EXPECT_EQ(read_kif_error(text), "illegal move at index 410");
    const Record r = read_kif(text.substr(0, text.rfind("411")));
    EXPECT_EQ(record_move_count(r), 410u);
    EXPECT_EQ(final_sfen(r), "lnsgkgsnl/2r4b1/ppppppppp/9/9/9/PPPPPPPPP/1B4R2/LNSGKGSNL b - 411");
}

// The reader keeps the positions where the blocks whose header opens a line branch; a
// header written further in is found only as the block is read, and its position is
// replayed from the nearest one kept. Either way the record is the same.
std::string indent_block_headers(std::string text) {
    for (std::size_t at = 0; (at = text.find("\n変化", at)) != std::string::npos; at += 2) text.insert(at + 1, " ");
    return text;
}

TEST(KifReader, BlockHeadersFurtherInReadAlike) {
    const auto read = [](const std::string& file, const std::string& text) -> std::optional<Record> {
        if (file.starts_with("kif/")) {
            auto r = parse_kif(text);
            return r ? std::optional<Record>(std::move(*r)) : std::nullopt;
        }
        auto r = parse_ki2(text);
        return r ? std::optional<Record>(std::move(*r)) : std::nullopt;
    };
    std::size_t with_blocks = 0;
    for (const char* dir : {"kif", "ki2"}) {
        for (const std::string& file : fixture_files(dir)) {
            const std::string text = fixture_text(file);
            const std::string indented = indent_block_headers(text);
            if (indented == text) continue;
            ++with_blocks;
            const auto a = read(file, text), b = read(file, indented);
            ASSERT_EQ(a.has_value(), b.has_value()) << file;
            if (a) {
                EXPECT_TRUE(*a == *b) << file;
            }
        }
    }
    EXPECT_GE(with_blocks, 5u);

    // A branch three hundred moves in, past two rebuilds of the replayed position.
    std::string text = HEADER;
    const char* cycle[] = {"３八飛(28)", "７二飛(82)", "２八飛(38)", "８二飛(72)"};
    for (int i = 0; i < 408; ++i) text += std::to_string(i + 1) + " " + cycle[i % 4] + "\n";
    text += "\n変化：300手\n300 ６二飛(72)\n301 ３八飛(28)\n";
    const Record r = read_kif(text);
    EXPECT_TRUE(r == read_kif(indent_block_headers(text)));
    EXPECT_EQ(record_child_count(r, record_main_line_ids(r)[298]), 2u);
}

// "手数" with a colon or an equals sign is no table header: a header line, or a
// diagram's last-move line, before the move section.
TEST(KifReader, MoveCountLinesInTheHeader) {
    for (const char* line : {"手数：9", "手数:9", "手数＝9", "手数=9"}) {
        const Record r = read_kif(std::string(line) + "\n" + HEADER + "   1 ７六歩(77)\n");
        EXPECT_EQ(main_line_usi(r), "7g7f") << line;
        const bool colon = std::string_view(line).find(':') != std::string_view::npos ||
                           std::string_view(line).find("：") != std::string_view::npos;
        EXPECT_EQ(r.metadata.attributes.count("手数"), colon ? 1u : 0u) << line;
    }
    std::string text;
    write_kif_board(text, *position_from_sfen("4k4/9/9/9/9/9/9/9/4K4 b G 1"));
    const Record diagram = read_kif(text + "手数＝0  まで\n\n" + HEADER + "   1 ５二金打\n");
    EXPECT_EQ(diagram.init_position_sfen, "4k4/9/9/9/9/9/9/9/4K4 b G 1");
    EXPECT_EQ(main_line_usi(diagram), "G*5b");
    // The table header still opens the moves, and a move line holding "手数" is read as one.
    EXPECT_EQ(read_kif_error("手数----指手--\n手数：9\n"), "invalid KIF move: 手数：9");
    // A KI2 header line written back as KIF reads back.
    const auto ki2 = parse_ki2("手数：1\n▲７六歩\n");
    const Record back = read_kif(*write_kif(*ki2));
    EXPECT_EQ(back.metadata.attributes.at("手数"), "1");
    EXPECT_EQ(main_line_usi(back), "7g7f");
}

// A line beginning with "#" is for programs to pass over, wherever it stands.
TEST(KifReader, HashLinesArePassedOverEverywhere) {
    const std::string moves = std::string(HEADER) + "   1 ７六歩(77)\n#--separator--\n   2 ３四歩(33)\n#  12 投了\n"
                              "   3 ２六歩(27)\n変化：2手\n#x\n   2 ８四歩(83)\n#  3 投了\n   3 ６八銀(79)\n";
    const Record r = read_kif(moves);
    EXPECT_EQ(main_line_usi(r), "7g7f 3c3d 2g2f");
    EXPECT_EQ(kif_terminal_text(r), "none");
    EXPECT_EQ(variation_lines(r), std::vector<std::string>{"7g7f | 8c8d 7i6h"});
    const auto ki2 = parse_ki2("▲７六歩\n# comment\n△３四歩\n変化：2手\n#▲同歩\n△８四歩\n");
    ASSERT_TRUE(ki2) << ki2_error_display(ki2.error());
    EXPECT_EQ(main_line_usi(*ki2), "7g7f 3c3d");
    EXPECT_EQ(variation_lines(*ki2), std::vector<std::string>{"7g7f | 8c8d"});
}

}  // namespace
