// The record tree: ids, child order, the main line, terminals and every error text.

#include <gtest/gtest.h>

#include <random>

#include "record_support.h"

namespace korvan {
namespace {

using test::special;

Move any_move(unsigned i) { return make_move16(static_cast<Square>(i % 81), static_cast<Square>((i + 1) % 81)); }

TEST(RecordTree, NewRecord) {
    const Record r = record_new_startpos();
    EXPECT_EQ(r.nodes.size(), 1u);
    EXPECT_EQ(r.root, 1u);
    EXPECT_FALSE(r.init_position_sfen);
    EXPECT_TRUE(record_main_line_ids(r).empty());
    EXPECT_EQ(record_move_count(r), 0u);
    EXPECT_EQ(record_result(r), 7);
    EXPECT_EQ(record_node(r, 1).parent, 0u);

    const auto empty = record_new(std::string());
    ASSERT_FALSE(empty);
    EXPECT_EQ(record_error_display(empty.error()), "initial position SFEN cannot be empty");
    // Stored as given: it is parsed only when a position is built.
    const auto odd = record_new(std::string("not an sfen"));
    ASSERT_TRUE(odd);
    EXPECT_EQ(*odd->init_position_sfen, "not an sfen");
}

TEST(RecordTree, IdsAndChildOrderUnderManyAppends) {
    Record r = record_new_startpos();
    std::mt19937_64 rng(7);
    std::vector<std::vector<RecordNodeId>> expected_children(1);
    for (unsigned i = 0; i < 5000; ++i) {
        const auto parent = static_cast<RecordNodeId>(1 + rng() % r.nodes.size());
        const auto id = record_append_move(r, parent, any_move(i), {});
        ASSERT_TRUE(id);
        EXPECT_EQ(*id, i + 2);
        expected_children.emplace_back();
        expected_children[parent - 1].push_back(*id);
        EXPECT_EQ(record_node(r, *id).parent, parent);
    }
    for (RecordNodeId id = 1; id <= r.nodes.size(); ++id) {
        EXPECT_EQ(record_children(r, id), expected_children[id - 1]);
        EXPECT_EQ(record_child_count(r, id), expected_children[id - 1].size());
    }
    // The main line follows first children only.
    std::vector<RecordNodeId> main;
    for (RecordNodeId id = 1; !expected_children[id - 1].empty();) main.push_back(id = expected_children[id - 1][0]);
    EXPECT_EQ(record_main_line_ids(r), main);
    EXPECT_EQ(record_move_count(r), main.size());

    const Record copy = r;
    EXPECT_EQ(copy, r);
    for (RecordNodeId id = 1; id <= r.nodes.size(); ++id) EXPECT_EQ(record_children(copy, id), record_children(r, id));
}

TEST(RecordTree, ErrorTexts) {
    Record r = record_new_startpos();
    const auto a = record_append_move(r, 1, any_move(1), {});
    const auto t = record_append_terminal(r, *a, special(SpecialMoveKind::Resign, 0), {});
    ASSERT_EQ(*t, 3u);
    const Record before = r;

    const auto under_zero = record_append_move(r, 0, any_move(2), {});
    ASSERT_FALSE(under_zero);
    EXPECT_EQ(record_error_display(under_zero.error()), "invalid record node id 18446744073709551615");
    const auto past = record_append_move(r, 9, any_move(2), {});
    EXPECT_EQ(record_error_display(past.error()), "invalid record node id 8");
    const auto under_terminal = record_append_terminal(r, 3, special(SpecialMoveKind::Draw, 2), {});
    EXPECT_EQ(record_error_display(under_terminal.error()), "cannot append a child under terminal node 2");
    EXPECT_EQ(r, before);

    using K = RecordError::Kind;
    struct Case {
        RecordError error;
        const char* display;
        const char* debug;
    };
    RecordError bad_sfen = RecordError::of(K::InvalidInitialPosition);
    bad_sfen.sfen = position_from_sfen("x").error();
    const Case cases[] = {
        {RecordError::of(K::EmptyInitPosition), "initial position SFEN cannot be empty", "EmptyInitPosition"},
        {RecordError::of(K::InvalidNodeId, 4), "invalid record node id 4", "InvalidNodeId(4)"},
        {RecordError::of(K::RemovedNode, 5), "record node 5 has been removed", "RemovedNode(5)"},
        {RecordError::of(K::TerminalNode, 2), "cannot append a child under terminal node 2", "TerminalNode(2)"},
        {RecordError::of(K::NotChild, 0, 3), "node 3 is not a child of parent 0", "NotChild { parent: 0, child: 3 }"},
        {RecordError::of(K::InvalidChildIndex, 1, 4), "child index 4 is out of range for parent 1",
         "InvalidChildIndex { parent: 1, index: 4 }"},
        {RecordError::of(K::IllegalMove), "illegal move at current editor position", "IllegalMove"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(record_error_display(c.error), c.display);
        EXPECT_EQ(record_error_debug(c.error), c.debug);
    }
    EXPECT_EQ(record_error_display(bad_sfen), "invalid initial position SFEN: " + sfen_error_display(bad_sfen.sfen));
}

TEST(RecordTree, MainTerminalIsReplacedInPlace) {
    Record r = record_new_startpos();
    const auto on_empty = record_set_main_terminal(r, special(SpecialMoveKind::Resign, 1), {});
    ASSERT_EQ(*on_empty, 2u);
    EXPECT_EQ(record_result(r), 1);
    EXPECT_EQ(record_move_count(r), 0u);

    Annotations note;
    note.comment = "second";
    const auto again = record_set_main_terminal(r, special(SpecialMoveKind::Timeout, 16, {}, "%TIME_UP"), note);
    EXPECT_EQ(*again, 2u);
    EXPECT_EQ(r.nodes.size(), 2u);
    EXPECT_EQ(record_result(r), 16);
    EXPECT_EQ(record_node(r, 2).special->kind, SpecialMoveKind::Timeout);
    EXPECT_EQ(*record_node(r, 2).special->raw, "%TIME_UP");
    EXPECT_EQ(*record_node(r, 2).annotations.comment, "second");
}

TEST(RecordTree, ResultIsInvalidWhenTheMainLineEndsOnAMove) {
    Record r = record_new_startpos();
    const auto m1 = record_append_move(r, 1, any_move(1), {});
    const auto m2 = record_append_move(r, *m1, any_move(2), {});
    // A terminal only under an earlier node's variation.
    const auto v = record_append_move(r, 1, any_move(3), {});
    ASSERT_TRUE(record_append_terminal(r, *v, special(SpecialMoveKind::Resign, 0), {}));
    EXPECT_EQ(record_result(r), 7);
    EXPECT_EQ(record_main_line_last(r), *m2);
    EXPECT_EQ(record_main_line_ids(r), (std::vector<RecordNodeId>{*m1, *m2}));
}

TEST(RecordTree, MoveChildToFront) {
    Record r = record_new_startpos();
    std::vector<RecordNodeId> kids;
    for (unsigned i = 0; i < 4; ++i) kids.push_back(*record_append_move(r, 1, any_move(i), {}));
    EXPECT_EQ(*record_move_child_to_front(r, 1, 2), kids[2]);
    EXPECT_EQ(record_children(r, 1), (std::vector<RecordNodeId>{kids[2], kids[0], kids[1], kids[3]}));
    EXPECT_EQ(*record_move_child_to_front(r, 1, 3), kids[3]);
    EXPECT_EQ(record_children(r, 1), (std::vector<RecordNodeId>{kids[3], kids[2], kids[0], kids[1]}));
    // The old last child moved away: appends still go to the end.
    const auto added = record_append_move(r, 1, any_move(9), {});
    EXPECT_EQ(record_children(r, 1).back(), *added);
    EXPECT_EQ(*record_move_child_to_front(r, 1, 0), kids[3]);
    EXPECT_EQ(record_main_line_ids(r).front(), kids[3]);
    const auto bad = record_move_child_to_front(r, 1, 5);
    EXPECT_EQ(record_error_display(bad.error()), "child index 5 is out of range for parent 0");
    EXPECT_EQ(record_children(r, 1).size(), 5u);
}

TEST(RecordTree, ResolveAndPath) {
    Record r = record_new_startpos();
    const auto m1 = record_append_move(r, 1, any_move(1), {});
    const auto m2 = record_append_move(r, *m1, any_move(2), {});
    EXPECT_EQ(resolve_record_node_id(r, 0), 1u);
    EXPECT_EQ(resolve_record_node_id(r, 2), *m2);
    for (std::uint64_t bad : {3ull, 4294967294ull, 4294967295ull, ~0ull}) EXPECT_FALSE(resolve_record_node_id(r, bad));
    EXPECT_EQ(*record_path_to_root(r, *m2), (std::vector<RecordNodeId>{1, *m1, *m2}));
    EXPECT_EQ(record_error_display(record_path_to_root(r, 9).error()), "invalid record node id 8");
    EXPECT_EQ(record_error_display(record_path_to_root(r, 0).error()), "invalid record node id 18446744073709551615");
}

TEST(RecordTree, FromMainLineAndComments) {
    std::vector<MoveEntry> moves(3);
    for (unsigned i = 0; i < 3; ++i) {
        moves[i].move = any_move(i);
        moves[i].annotations.time = Duration::from_ms(1500 * i);
    }
    SpecialMoveEntry end{special(SpecialMoveKind::Resign, 1), {}};
    const auto r = record_from_main_line(std::nullopt, moves, end);
    ASSERT_TRUE(r);
    EXPECT_EQ(record_move_count(*r), 3u);
    EXPECT_EQ(record_result(*r), 1);
    EXPECT_EQ(record_node(*r, 3).annotations.time, Duration::from_ms(1500));
    EXPECT_EQ(record_node(*r, 3).annotations.time->nanos, 500'000'000u);

    const auto only_terminal = record_from_main_line(std::string(STARTPOS_SFEN), {}, end);
    EXPECT_EQ(record_move_count(*only_terminal), 0u);
    EXPECT_EQ(record_node(*only_terminal, 2).kind, NodeKind::Terminal);
    EXPECT_EQ(record_error_display(record_from_main_line(std::string(), {}, std::nullopt).error()),
              "initial position SFEN cannot be empty");

    std::optional<std::string> comment;
    append_comment_line(comment, "");
    EXPECT_EQ(comment, "");
    append_comment_line(comment, "a");
    append_comment_line(comment, "");
    EXPECT_EQ(comment, "\na\n");

    RecordMetadata md;
    metadata_append_line(md, "");
    EXPECT_FALSE(md.get(RecordMetadataKey::Comment));
    metadata_append_line(md, "a");
    metadata_append_line(md, "b");
    EXPECT_EQ(md.get(RecordMetadataKey::Comment), "a\nb");
    md.set(RecordMetadataKey::Comment, "");
    metadata_append_line(md, "c");
    EXPECT_EQ(md.get(RecordMetadataKey::Comment), "c");
}

TEST(RecordTree, EngineInfoEvalClampAndKind) {
    struct Case {
        std::int64_t in;
        std::int16_t stored;
        bool mate_kind;
    };
    for (const Case c : {Case{0, 0, false}, Case{32000, 32000, false}, Case{32001, 32001, true},
                         Case{-32001, -32001, true}, Case{-32000, -32000, false}, Case{1 << 20, 32767, true},
                         Case{-(1LL << 40), -32768, true}}) {
        const EngineInfo info = engine_info_with_eval(c.in);
        EXPECT_EQ(info.eval, c.stored) << c.in;
        EXPECT_EQ(info.eval_is_mate_kind, c.mate_kind) << c.in;
    }
    EXPECT_TRUE(EngineInfo{}.empty());
    EXPECT_FALSE(engine_info_with_eval(0).empty());
}

}  // namespace
}  // namespace korvan
