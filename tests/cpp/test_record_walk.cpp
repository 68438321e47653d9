// The record walk: random trees (variations, terminals between moves, lines passed
// over at random) against a recursive walk written here: the same nodes in the same
// order, each seen from its own position with its parent's state, an error that stops
// the walk, and the start position given back whole.

#include <functional>

#include "container_support.h"
#include "core/records/record_walk.h"

namespace korvan::test {
namespace {

Position start_of(const Record& r) { return sfen(r.init_position_sfen.value_or(std::string(STARTPOS_SFEN))); }

// A tree of up to `nodes` moves below random earlier nodes, with some terminals.
Record random_tree(std::mt19937_64& rng, std::size_t nodes) {
    Record r = record_new_startpos();
    std::vector<std::pair<RecordNodeId, Position>> open = {{r.root, sfen(std::string(STARTPOS_SFEN))}};
    for (std::size_t i = 0; i < nodes; ++i) {
        const auto& [parent, pos] = open[rng() % open.size()];
        if (rng() % 8 == 0) {
            (void)record_append_terminal(r, parent, special(SpecialMoveKind::Resign, BLACK_WIN), {});
            continue;
        }
        const Move32 m = random_legal(pos, rng);
        if (!m) continue;
        Position next = pos;
        position_do_move(next, m);
        const RecordNodeId id = *record_append_move(r, parent, move16(m), {});
        open.emplace_back(id, std::move(next));
    }
    return r;
}

struct Visit {
    RecordNodeId id;
    std::string sfen;
    std::size_t depth;

    bool operator==(const Visit&) const = default;
};

// Nodes whose id is a multiple of `skip` are visited but their lines are passed over.
void expected_visits(const Record& r, RecordNodeId parent, Position& pos, std::size_t depth, RecordNodeId skip,
                     std::vector<Visit>& out) {
    for (RecordNodeId id = record_node(r, parent).first_child; id != 0; id = record_node(r, id).next_sibling) {
        const RecordNode& node = record_node(r, id);
        if (node.kind != NodeKind::Move) continue;
        out.push_back({id, position_to_sfen(pos, pos.ply), depth});
        if (id % skip == 0) continue;
        const Move32 m = position_move_to_move32(pos, node.move);
        position_do_move(pos, m);
        expected_visits(r, id, pos, depth + 1, skip, out);
        (void)position_undo_move(pos, m);
    }
}

TEST(RecordWalk, MatchesARecursiveWalk) {
    std::mt19937_64 rng(20261210);
    for (int round = 0; round < 200; ++round) {
        const Record r = random_tree(rng, 1 + rng() % 60);
        const RecordNodeId skip = static_cast<RecordNodeId>(2 + rng() % 12);
        Position expected_pos = start_of(r);
        std::vector<Visit> expected;
        expected_visits(r, r.root, expected_pos, 0, skip, expected);

        Position pos = start_of(r);
        const std::string start = position_to_sfen(pos, pos.ply);
        std::vector<Visit> seen;
        using Step = std::optional<WalkStep<std::size_t>>;
        auto walked = walk_record_moves<int>(
            r, pos, std::size_t{0}, [&](RecordNodeId id, const RecordNode& node, std::size_t depth) -> Expected<Step, int> {
                seen.push_back({id, position_to_sfen(pos, pos.ply), depth});
                if (id % skip == 0) return Step{};
                return Step{{position_move_to_move32(pos, node.move), depth + 1}};
            });
        ASSERT_TRUE(walked) << round;
        EXPECT_EQ(seen, expected) << round;
        EXPECT_EQ(position_to_sfen(pos, pos.ply), start) << round;
    }
}

TEST(RecordWalk, AnErrorStopsTheWalk) {
    std::mt19937_64 rng(7);
    const Record r = playout_record(std::string(STARTPOS_SFEN), 30, rng, special(SpecialMoveKind::Resign, BLACK_WIN));
    Position pos = start_of(r);
    std::size_t visits = 0;
    using Step = std::optional<WalkStep<int>>;
    auto walked = walk_record_moves<std::string>(r, pos, 0, [&](RecordNodeId, const RecordNode& node, int ply) -> Expected<Step, std::string> {
        ++visits;
        if (ply == 10) return unexpected(std::string("stop at 10"));
        return Step{{position_move_to_move32(pos, node.move), ply + 1}};
    });
    ASSERT_FALSE(walked);
    EXPECT_EQ(walked.error(), "stop at 10");
    EXPECT_EQ(visits, 11u);
}

}  // namespace
}  // namespace korvan::test
