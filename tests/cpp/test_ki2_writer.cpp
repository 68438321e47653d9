// The KI2 writer on records made for one rule each: token lines (six tokens, padding,
// long tokens touching), evaluation and comment lines ending a token line, variation
// blocks and their order, closing lines as the reader reads them, and every error.

#include <gtest/gtest.h>

#include "core/records/formats/kif/ki2_reader.h"
#include "core/records/formats/kif/ki2_writer.h"
#include "core/records/formats/kif/kif_writer_lines.h"
#include "record_writer_support.h"

using namespace korvan;
using namespace korvan::test;
using namespace korvan::test::writers;

namespace {

std::string write_ki2_text(const Record& r) {
    auto text = write_ki2(r);
    if (!text) throw std::runtime_error("unexpected KI2 error: " + ki2_error_display(text.error()));
    return *text;
}

std::string write_ki2_error(const Record& r) {
    auto text = write_ki2(r);
    return text ? "<written>" : ki2_error_display(text.error());
}

Record ki2_back(const std::string& text) {
    auto r = parse_ki2(text);
    if (!r) throw std::runtime_error("written KI2 does not read: " + ki2_error_display(r.error()));
    return std::move(*r);
}

const std::vector<std::string> SEVEN = {"7g7f", "3c3d", "2g2f", "8c8d", "2f2e", "8d8e", "6i7h"};

struct TokenCase {
    const char* name;
    std::vector<std::string> moves;
    int annotated;  // 0-based index of the move given the annotations, or -1
    std::optional<std::string> comment;
    std::optional<int> eval;
    const char* text;  // after "手合割：平手"
};

const TokenCase TOKEN_CASES[] = {
    {"six to a line", SEVEN, -1, std::nullopt, std::nullopt,
     "▲７六歩    △３四歩    ▲２六歩    △８四歩    ▲２五歩    △８五歩\n"
     "▲７八金\n"},
    {"a comment ends the line", SEVEN, 2, "良い手\n  次の一手  ", std::nullopt,
     "▲７六歩    △３四歩    ▲２六歩\n"
     "*良い手\n"
     "*次の一手\n"
     "△８四歩    ▲２五歩    △８五歩    ▲７八金\n"},
    {"an empty comment ends the line", SEVEN, 2, "", std::nullopt,
     "▲７六歩    △３四歩    ▲２六歩\n"
     "△８四歩    ▲２五歩    △８五歩    ▲７八金\n"},
    {"an evaluation ends the line", SEVEN, 0, "x", -1234,
     "▲７六歩\n"
     "**評価値=-1234\n"
     "*x\n"
     "△３四歩    ▲２六歩    △８四歩    ▲２五歩    △８五歩    ▲７八金\n"},
    {"on the sixth token", SEVEN, 5, "six", 7,
     "▲７六歩    △３四歩    ▲２六歩    △８四歩    ▲２五歩    △８五歩\n"
     "**評価値=7\n"
     "*six\n"
     "▲７八金\n"},
    {"a five-character token", {"7g7f", "3c3d", "8h2b+", "3a2b"}, -1, std::nullopt, std::nullopt,
     "▲７六歩    △３四歩    ▲２二角成  △同　銀\n"},
    {"a six-character token touches", {"7g7f", "3c3d", "8h2b", "3a2b", "B*5e"}, -1, std::nullopt, std::nullopt,
     "▲７六歩    △３四歩    ▲２二角不成△同　銀    ▲５五角\n"},
    {"relative words", {"7g7f", "3c3d", "8h2b+", "3a2b", "B*4e", "2b3c", "4e3d", "4a3b", "6i5h", "6a5b", "4i4h"},
     -1, std::nullopt, std::nullopt,
     "▲７六歩    △３四歩    ▲２二角成  △同　銀    ▲４五角    △３三銀\n"
     "▲３四角    △３二金    ▲５八金左  △５二金    ▲４八金上\n"},
};

class Ki2TokenLines : public ::testing::TestWithParam<TokenCase> {};

TEST_P(Ki2TokenLines, WrittenAndReadBack) {
    const TokenCase& c = GetParam();
    Record r = record_from();
    const auto ids = add_moves(r, r.root, c.moves);
    if (c.annotated >= 0) {
        Annotations& a = record_node(r, ids[c.annotated]).annotations;
        a.comment = c.comment;
        if (c.eval) a.engine_info = engine_info_with_eval(*c.eval);
    }
    const std::string text = write_ki2_text(r);
    EXPECT_EQ(text, std::string("手合割：平手\n") + c.text);
    const Record back = ki2_back(text);
    Record expected = r;
    if (c.annotated >= 0) {
        auto& comment = record_node(expected, ids[c.annotated]).annotations.comment;
        comment = comment_as_read(comment);
    }
    EXPECT_EQ(tree_text(back, TimeMode::Ignore), tree_text(expected, TimeMode::Ignore));
}

INSTANTIATE_TEST_SUITE_P(Ki2Writer, Ki2TokenLines, ::testing::ValuesIn(TOKEN_CASES), [](const auto& info) {
    std::string name = info.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

TEST(Ki2Writer, EmptyRecordsAndDiagrams) {
    EXPECT_EQ(write_ki2_text(record_from()), "手合割：平手\n");
    Record resigned = record_from();
    add_terminal(resigned, resigned.root, SpecialMoveKind::Resign);
    EXPECT_EQ(write_ki2_text(resigned), "手合割：平手\n\nまで0手で後手の勝ち\n");

    // Header, diagram and root comment come before the first token line; no table.
    const std::string start = "4k4/9/9/9/9/9/9/9/4K4 w 2r2b4g4s4n4l17p 1";
    Record r = record_from(start);
    r.metadata.set(RecordMetadataKey::WhitePlayer, "後手の人");
    record_set_initial_comment(r, "詰めろ\n");
    add_moves(r, r.root, {"P*5h", "5i4i"});
    std::string board;
    write_kif_board(board, sfen(start));
    const std::string text = write_ki2_text(r);
    EXPECT_EQ(text, "後手：後手の人\n" + board + "*詰めろ\n△５八歩    ▲４九玉\n");
    const Record back = ki2_back(text);
    EXPECT_EQ(start_state(back), start_state(r));
    EXPECT_EQ(back.nodes[0].annotations.comment, "詰めろ");
    EXPECT_EQ(main_line_usi(back), "P*5h 5i4i");
}

// The same tree as the KIF order test: blocks depth first, branch points from the
// last to the first; a block's first token may be "同"; the closing line comes last.
TEST(Ki2Writer, VariationOrder) {
    Record r = record_from();
    const auto main = add_moves(r, r.root, {"7g7f", "3c3d", "2g2f", "8c8d"});
    add_terminal(r, main[3], SpecialMoveKind::Resign);
    const auto root_alt = add_moves(r, r.root, {"2g2f", "3c3d", "7g7f"});
    add_moves(r, main[0], {"8c8d", "2g2f"});
    add_moves(r, main[0], {"4c4d"});
    add_moves(r, main[2], {"3a4b"});
    add_moves(r, root_alt[1], {"2f2e"});
    const std::string text = write_ki2_text(r);
    EXPECT_EQ(text, "手合割：平手\n"
                    "▲７六歩    △３四歩    ▲２六歩    △８四歩\n"
                    "\n"
                    "変化：4手\n"
                    "△４二銀\n"
                    "\n"
                    "変化：2手\n"
                    "△８四歩    ▲２六歩\n"
                    "\n"
                    "変化：2手\n"
                    "△４四歩\n"
                    "\n"
                    "変化：1手\n"
                    "▲２六歩    △３四歩    ▲７六歩\n"
                    "\n"
                    "変化：3手\n"
                    "▲２五歩\n"
                    "\n"
                    "まで4手で後手の勝ち\n");
    EXPECT_EQ(tree_text(ki2_back(text), TimeMode::Ignore), tree_text(expected_after_writing(r, true), TimeMode::Ignore));

    Record same = record_from();
    const auto line = add_moves(same, same.root, {"7g7f", "3c3d", "8h2b+", "3a2b"});
    const auto alt = add_moves(same, line[2], {"8b2b", "B*5e"});
    record_node(same, alt[0]).annotations.comment = "飛車で取る";
    const std::string same_text = write_ki2_text(same);
    EXPECT_EQ(same_text, "手合割：平手\n"
                         "▲７六歩    △３四歩    ▲２二角成  △同　銀\n"
                         "\n"
                         "変化：4手\n"
                         "△同　飛\n"
                         "*飛車で取る\n"
                         "▲５五角\n");
    EXPECT_EQ(tree_text(ki2_back(same_text), TimeMode::Ignore), tree_text(same, TimeMode::Ignore));
}

// Every ending with either side to move: the closing line after an empty line, and
// the ending the reader takes from it.
TEST(Ki2Writer, ClosingLines) {
    for (int k = 0; k < SPECIAL_MOVE_KIND_NB; ++k) {
        const auto kind = static_cast<SpecialMoveKind>(k);
        SCOPED_TRACE(SPECIAL_MOVE_KIND_NAMES[k]);
        for (const Color side : {BLACK, WHITE}) {
            Record r = record_from(side == BLACK ? "4k4/9/9/9/9/9/9/9/4K4 w - 1" : "4k4/9/9/9/9/9/9/9/4K4 b - 1");
            const auto ids = add_moves(r, r.root, {side == BLACK ? "5a4a" : "5i4i"});
            add_terminal(r, ids[0], kind, kind == SpecialMoveKind::Unknown ? UNKNOWN_WORD : "");
            const auto lines = text_lines(write_ki2_text(r));
            ASSERT_GE(lines.size(), 3u);
            EXPECT_EQ(lines[lines.size() - 2], "");
            EXPECT_EQ(lines.back(), write_kif_result_line(*main_terminal(r)->special, side, 1));
            const Record back = ki2_back(write_ki2_text(r));
            const TerminalReading& reading = TERMINAL_READINGS[k];
            const RecordNode* t = main_terminal(back);
            ASSERT_TRUE(t);
            EXPECT_EQ(t->special->kind, reading.kind);
            EXPECT_EQ(t->special->result, side == BLACK ? reading.black_to_move : reading.white_to_move);
            EXPECT_EQ(t->special->unknown_name, reading.unknown_name ? reading.unknown_name : UNKNOWN_WORD);
            EXPECT_EQ(t->special->raw, lines.back());
        }
    }
}

TEST(Ki2Writer, Errors) {
    struct Case {
        const char* name;
        Record record;
        const char* error;
    };
    std::vector<Case> cases;
    {
        Record r = record_from("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - x");
        cases.push_back({"bad SFEN", std::move(r), "failed to parse SFEN: invalid ply: invalid digit found in string"});
    }
    {
        Record r = record_from();
        add_moves(r, r.root, {"7g7f", "7g7f"});
        cases.push_back({"illegal main move", std::move(r), "illegal move at index 1"});
    }
    {
        Record r = record_from();
        const auto main = add_moves(r, r.root, {"7g7f"});
        add_moves(r, r.root, {"2g2f", "2f2e"});
        cases.push_back({"illegal variation move", std::move(r), "invalid KI2 move: illegal variation move at ply 2"});
    }
    {
        Record r = record_from();
        const auto main = add_moves(r, r.root, {"7g7f", "3c3d"});
        const auto alt = add_moves(r, main[0], {"8c8d", "2g2f"});
        add_terminal(r, alt[1], SpecialMoveKind::Interrupt);
        cases.push_back({"terminal in a variation", std::move(r), "invalid KI2 line: variation node missing move"});
    }
    for (const Case& c : cases) EXPECT_EQ(write_ki2_error(c.record), c.error) << c.name;
}

}  // namespace
