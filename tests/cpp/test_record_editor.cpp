// The editing cursor: its position always equals a replay of its path.

#include <gtest/gtest.h>

#include <random>

#include "record_support.h"
#include "core/records/editor.h"

namespace korvan {
namespace {

using test::move16_of;

Position replayed(const Record& r, RecordNodeId target) {
    Position pos = r.init_position_sfen ? test::sfen(*r.init_position_sfen) : position_startpos();
    const auto path = record_path_to_root(r, target);
    for (RecordNodeId id : *path) {
        const RecordNode& n = record_node(r, id);
        if (n.kind == NodeKind::Move) position_do_move(pos, position_move_to_move32(pos, n.move));
    }
    return pos;
}

void expect_same(const Position& a, const Position& b) {
    EXPECT_EQ(position_to_sfen(a, a.ply), position_to_sfen(b, b.ply));
    EXPECT_EQ(a.key, b.key);
    EXPECT_EQ(test::state_records(a), test::state_records(b));
}

TEST(RecordEditor, RandomWalksMatchAReplay) {
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
        std::mt19937_64 rng(seed);
        auto editor = record_editor_new(record_new_startpos());
        ASSERT_TRUE(editor);
        for (int step = 0; step < 600; ++step) {
            const unsigned action = rng() % 10;
            if (action < 6) {
                const Move32 m = test::random_legal(editor->position, rng);
                if (!m) continue;
                const RecordNodeId before = editor->current;
                const auto id = record_editor_append_move(*editor, move16(m));
                ASSERT_TRUE(id);
                EXPECT_EQ(record_node(editor->record, *id).parent, before);
            } else if (action < 8) {
                const RecordNode& cur = record_node(editor->record, editor->current);
                const RecordNodeId target = rng() % 2 && cur.parent ? cur.parent : cur.first_child;
                if (target) {
                    ASSERT_TRUE(record_editor_rebuild_position(*editor, target));
                }
            } else {
                const auto target = static_cast<RecordNodeId>(1 + rng() % editor->record.nodes.size());
                ASSERT_TRUE(record_editor_rebuild_position(*editor, target));
                EXPECT_EQ(editor->current, target);
            }
            expect_same(editor->position, replayed(editor->record, editor->current));
        }
    }
}

TEST(RecordEditor, IllegalAppendsChangeNothing) {
    struct Case {
        const char* sfen;
        const char* move;
    };
    const Case cases[] = {
        {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", "P*5e"},   // not in hand
        {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", "7g7f+"},  // outside the zone
        {"4k4/9/9/9/9/9/9/4r4/4K4 b - 1", "5i4h"},                                     // king into check
        {"4k4/4r4/9/9/9/9/9/4B4/4K4 b - 1", "5h4g"},                                   // pinned bishop
        {"4k4/9/9/9/9/9/9/9/4K4 b - 1", "5i5g"},                                       // not pseudo-legal
    };
    for (const Case& c : cases) {
        Record r = *record_new(std::string(c.sfen));
        auto editor = record_editor_new(std::move(r));
        ASSERT_TRUE(editor) << c.sfen;
        const auto before_sfen = position_to_sfen(editor->position, editor->position.ply);
        const auto before_nodes = editor->record.nodes.size();
        const auto result = record_editor_append_move(*editor, *move_from_usi(c.move));
        ASSERT_FALSE(result) << c.move;
        EXPECT_EQ(record_error_display(result.error()), "illegal move at current editor position");
        EXPECT_EQ(position_to_sfen(editor->position, editor->position.ply), before_sfen);
        EXPECT_EQ(editor->record.nodes.size(), before_nodes);
        EXPECT_EQ(editor->current, 1u);
    }
}

TEST(RecordEditor, VariationsTerminalsAndErrors) {
    auto editor = *record_editor_new(record_new_startpos());
    const auto a = record_editor_append_move(editor, move16_of(editor.position, "7g7f"));
    ASSERT_TRUE(record_editor_rebuild_position(editor, 1));
    const auto b = record_editor_append_move(editor, move16_of(editor.position, "2g2f"));
    EXPECT_EQ(record_children(editor.record, 1), (std::vector<RecordNodeId>{*a, *b}));
    EXPECT_EQ(record_main_line_ids(editor.record), (std::vector<RecordNodeId>{*a}));

    const auto t = record_append_terminal(editor.record, *b, test::special(SpecialMoveKind::Resign, 0), {});
    ASSERT_TRUE(record_editor_rebuild_position(editor, *t));
    expect_same(editor.position, replayed(editor.record, *b));
    EXPECT_EQ(record_error_display(record_editor_append_move(editor, move16_of(editor.position, "3c3d")).error()),
              "cannot append a child under terminal node 3");
    ASSERT_TRUE(record_editor_rebuild_position(editor, 1));
    EXPECT_EQ(editor.position.states.top(), 0u);

    EXPECT_EQ(record_error_display(record_editor_rebuild_position(editor, 0).error()),
              "invalid record node id 18446744073709551615");
    EXPECT_EQ(record_error_display(record_editor_rebuild_position(editor, 99).error()), "invalid record node id 98");

    const auto bad = record_editor_new(*record_new(std::string("9/9/9 x")));
    ASSERT_FALSE(bad);
    EXPECT_EQ(record_error_display(bad.error()).rfind("invalid initial position SFEN: ", 0), 0u);
}

TEST(RecordEditor, IllegalMoveOnARebuiltPathLeavesTheCursor) {
    Record r = record_new_startpos();
    const Position start = position_startpos();
    const auto ok = record_append_move(r, 1, move16_of(start, "7g7f"), {});
    // Stored unchecked: Black moves twice.
    const auto bad = record_append_move(r, *ok, move16_of(start, "2g2f"), {});
    auto editor = *record_editor_new(std::move(r));
    ASSERT_TRUE(record_editor_rebuild_position(editor, *ok));
    const auto before = test::state_records(editor.position);
    ASSERT_FALSE(record_editor_rebuild_position(editor, *bad));
    EXPECT_EQ(editor.current, *ok);
    EXPECT_EQ(test::state_records(editor.position), before);
    ASSERT_TRUE(record_editor_rebuild_position(editor, 1));
    EXPECT_EQ(record_error_display(record_editor_rebuild_position(editor, *bad).error()),
              "illegal move at current editor position");
}

TEST(RecordEditor, LongPathsKeepEveryStateRecord) {
    std::mt19937_64 rng(11);
    auto editor = *record_editor_new(record_new_startpos());
    std::vector<RecordNodeId> line{1};
    for (int i = 0; i < 1000; ++i) {
        const Move32 m = test::random_legal(editor.position, rng);
        if (!m) break;
        line.push_back(*record_editor_append_move(editor, move16(m)));
    }
    ASSERT_GT(line.size(), 300u);
    // Step back to the root one node at a time, then forward again.
    for (std::size_t i = line.size() - 1; i-- > 0;) ASSERT_TRUE(record_editor_rebuild_position(editor, line[i]));
    EXPECT_EQ(editor.position.states.top(), 0u);
    for (std::size_t i = 1; i < line.size(); ++i) ASSERT_TRUE(record_editor_rebuild_position(editor, line[i]));
    EXPECT_EQ(editor.position.states.top(), line.size() - 1);
    ASSERT_TRUE(record_editor_rebuild_position(editor, line[250]));
    expect_same(editor.position, replayed(editor.record, line[250]));
}

}  // namespace
// A main line given as moves replays from its start, or names its first fault.
struct MainLineCase {
    const char* name;
    const char* sfen;
    std::vector<const char*> moves;  // USI, or "resign" for the special value
    std::optional<MainLineFault::Kind> fault;
    std::size_t index;
    const char* reached;  // SFEN of the position reached, when no fault
};

const MainLineCase MAIN_LINE_CASES[] = {
    {"Empty", "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", {}, std::nullopt, 0,
     "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"},
    {"BishopExchange", "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", {"7g7f", "3c3d", "8h2b+"},
     std::nullopt, 0, "lnsgkgsnl/1r5+B1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/7R1/LNSGKGSNL w B 4"},
    {"BadStart", "lnsgkgsnl/1r5b1 b - 1", {"7g7f"}, MainLineFault::Kind::InvalidStart, 0, nullptr},
    {"SpecialMove", "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", {"7g7f", "resign"},
     MainLineFault::Kind::NotNormal, 1, nullptr},
    {"EmptySource", "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", {"7g7f", "3c3d", "5e5d"},
     MainLineFault::Kind::NotWidened, 2, nullptr},
    {"OpponentPiece", "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", {"3c3d"},
     MainLineFault::Kind::NotWidened, 0, nullptr},
    {"PawnTwoSteps", "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", {"7g7f", "3c3d", "2g2e"},
     MainLineFault::Kind::Illegal, 2, nullptr},
    {"KingTakesRook", "4k4/9/9/9/9/9/9/4r4/4K4 b - 1", {"5i5h"}, std::nullopt, 0, "4k4/9/9/9/9/9/9/4K4/9 w R 2"},
    {"PinnedPiece", "4k4/9/9/9/4r4/9/9/4G4/4K4 b - 1", {"5h4h"}, MainLineFault::Kind::Illegal, 0, nullptr},
};

class MainLineReplay : public ::testing::TestWithParam<MainLineCase> {};

TEST_P(MainLineReplay, ReachesThePositionOrNamesTheFault) {
    const MainLineCase& c = GetParam();
    std::vector<MoveEntry> entries;
    for (const char* text : c.moves) {
        MoveEntry entry;
        entry.move = std::string_view(text) == "resign" ? MOVE_RESIGN : *move_from_usi(text);
        entries.push_back(entry);
    }
    const auto replayed = replay_main_line(c.sfen, entries);
    if (!c.fault) {
        ASSERT_TRUE(replayed);
        EXPECT_EQ(position_to_sfen(*replayed, replayed->ply), c.reached);
        return;
    }
    ASSERT_FALSE(replayed);
    EXPECT_EQ(replayed.error().kind, *c.fault);
    EXPECT_EQ(replayed.error().index, c.index);
}

INSTANTIATE_TEST_SUITE_P(RecordEditor, MainLineReplay, ::testing::ValuesIn(MAIN_LINE_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

// The wall time and latency read the plain key first, then the arena key; writing
// either clears both keys of that field and leaves every other extra alone.
TEST(RecordEditor, EngineReportTimesAndTheirArenaKeys) {
    struct Field {
        const char* plain;
        const char* arena;
        std::optional<std::int64_t> (*read)(const EngineInfo&);
        void (*write)(EngineInfo&, std::optional<std::int64_t>);
    };
    const Field fields[] = {
        {"wall_time_ms", "arena.wall_time_ms", engine_info_wall_time_ms, engine_info_set_wall_time_ms},
        {"latency_delta_ms", "arena.latency_delta_ms", engine_info_latency_delta_ms,
         engine_info_set_latency_delta_ms},
    };
    for (const Field& f : fields) {
        SCOPED_TRACE(f.plain);
        EngineInfo info;
        EXPECT_EQ(f.read(info), std::nullopt);
        info.extras["other"] = std::int64_t{7};
        info.extras[f.arena] = std::int64_t{11};
        EXPECT_EQ(f.read(info), 11);
        info.extras[f.plain] = std::int64_t{5};
        EXPECT_EQ(f.read(info), 5);
        // A value of another kind under the plain key hides the arena one.
        info.extras[f.plain] = std::string("fast");
        EXPECT_EQ(f.read(info), std::nullopt);
        info.extras[f.plain] = 1.5;
        EXPECT_EQ(f.read(info), std::nullopt);

        f.write(info, 42);
        EXPECT_EQ(f.read(info), 42);
        EXPECT_EQ(info.extras.count(f.arena), 0u);
        EXPECT_EQ(info.extras.size(), 2u);
        f.write(info, std::nullopt);
        EXPECT_EQ(f.read(info), std::nullopt);
        EXPECT_EQ(info.extras.size(), 1u);
        EXPECT_EQ(info.extras.count("other"), 1u);
    }
}

}  // namespace korvan
