// The mate-in-one search gives, position by position, the move the earlier search gave
// (kept in mate_in_one_reference.cpp); the checking-move list is the same list in the
// same order, and the verifier answers every legal move alike.
// Positions come from seeded playouts that favour checks and play a found mate now and
// then, so the sample holds drop and promotion mates, discovered and double checks,
// pinned pieces, positions in check, mated positions, sides without a king, a side with
// two kings, and (set up with the other side to move) a side not to move in check.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/mate/mate_in_one.h"
#include "core/mate/mate_table.h"
#include "mate_in_one_reference.h"
#include "support.h"

using namespace korvan;

namespace {

struct Tally {
    int positions = 0, mates = 0, drop_mates = 0, promotion_mates = 0, discovered_mates = 0, first_listed_mates = 0;
    int in_check = 0, double_check = 0, pinned = 0, no_king = 0, verified_moves = 0;
};

std::string answer_text(const Position& pos, const std::optional<Move32>& m) {
    return position_to_sfen(pos, 0) + " -> " + (m ? move_display_usi(*m) : std::string("none"));
}

void compare(const Position& pos, bool every_move, Tally& t) {
    const auto expected = reference::solve_mate_in_one(pos);
    const auto got = position_solve_mate_in_one(pos);
    ASSERT_EQ(got, expected) << "expected " << answer_text(pos, expected) << ", got "
                             << (got ? move_display_usi(*got) : "none");
    const Color us = pos.side_to_move;
    const StateInfo& st = pos.st();
    ++t.positions;
    t.in_check += !st.checkers.empty();
    t.double_check += st.checkers.more_than_one();
    t.pinned += !(position_blockers(pos, us) & pos.by_color[us]).andnot(pos.by_type[KING]).empty();
    t.no_king += pos.pieces(us, KING).empty() || pos.pieces(~us, KING).empty();
    if (expected) {
        ++t.mates;
        t.drop_mates += is_drop(*expected);
        t.promotion_mates += is_promotion(*expected);
        t.discovered_mates += !is_drop(*expected) && position_blockers(pos, ~us).test(move_from(*expected));
        // The search tests its first candidate apart, before it surveys the king's
        // surroundings: a mate by the first checking board move takes that way.
        MoveList listed;
        mate_in_one_search_board_moves(pos, listed, us, ~us);
        t.first_listed_mates += listed.size() > 0 && static_cast<Move>(*expected) == listed[0];
    }
    if (!every_move) return;
    MoveList listed, expected_list;
    mate_in_one_search_board_moves(pos, listed, us, ~us);
    reference::checking_moves(pos, expected_list);
    ASSERT_EQ(std::vector<Move>(listed.begin(), listed.end()),
              std::vector<Move>(expected_list.begin(), expected_list.end()))
        << position_to_sfen(pos, 0);
    if (pos.pieces(~us, KING).empty()) return;
    for (const Move32 m : generate_legal_moves(pos)) {
        ASSERT_EQ(mate_in_one_verify_move(pos, m), reference::verify_mate_move(pos, m))
            << position_to_sfen(pos, 0) << " " << move_display_usi(m);
        ++t.verified_moves;
    }
}

// The same board and hands with the other side to move: that side's opponent may now
// stand in check, which no game reaches.
Position other_side_to_move(const Position& pos) {
    PositionState state = position_state_of(pos);
    state.side_to_move = ~state.side_to_move;
    return position_from_state(state);
}

struct Source {
    const char* name;
    std::vector<std::string> starts;
    friend void PrintTo(const Source& s, std::ostream* os) { *os << s.name; }
};

class MateInOneEquivalence : public ::testing::TestWithParam<Source> {};

// 25,000 positions a source, four sources.
TEST_P(MateInOneEquivalence, SameMoveAsTheEarlierSearch) {
    constexpr int WANTED = 25'000;
    const Source& source = GetParam();
    std::mt19937_64 rng(std::hash<std::string>{}(source.name) ^ 0x6d617465);
    Tally t;
    int sampled = 0;
    for (int game = 0; sampled < WANTED; ++game) {
        Position pos = test::sfen(source.starts[game % source.starts.size()]);
        for (int ply = 0; ply < 160 && sampled < WANTED; ++ply, ++sampled) {
            compare(pos, sampled % 16 == 0, t);
            if (sampled % 4 == 0) compare(other_side_to_move(pos), false, t);
            if (::testing::Test::HasFatalFailure()) return;
            const std::vector<Move32> moves = generate_legal_moves(pos);
            if (moves.empty()) break;
            std::vector<Move32> checks;
            for (const Move32 m : moves)
                if (position_gives_check(pos, m)) checks.push_back(m);
            const auto mate = position_solve_mate_in_one(pos);
            Move32 next = moves[rng() % moves.size()];
            if (mate && rng() % 4 == 0)
                next = *mate;
            else if (!checks.empty() && rng() % 2 == 0)
                next = checks[rng() % checks.size()];
            position_do_move(pos, next);
        }
    }
    // The sample is worth its name only when every kind of case occurs in it.
    EXPECT_GT(t.mates, WANTED / 200) << source.name;
    EXPECT_GT(t.drop_mates, 0) << source.name;
    EXPECT_GT(t.promotion_mates + t.discovered_mates, 0) << source.name;
    EXPECT_GT(t.first_listed_mates, 0) << source.name;
    EXPECT_GT(t.in_check, WANTED / 20) << source.name;
    EXPECT_GT(t.double_check, 0) << source.name;
    EXPECT_GT(t.pinned, 0) << source.name;
    EXPECT_GT(t.verified_moves, WANTED) << source.name;
    if (std::string(source.name) == "KingLessAndTwoKings") {
        EXPECT_GT(t.no_king, WANTED / 10);
    }
}

TEST(MateTable, SameBytesAsTheEntryByEntryBuild) {
    const std::vector<std::uint8_t> expected = reference::mate_table();
    const std::uint8_t* table = init_mate_table();
    ASSERT_EQ(expected.size(), MATE_TABLE_SIZE);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), table));
}

std::vector<std::string> handicaps() {
    std::vector<std::string> out;
    for (int kind = 1; kind <= 14; ++kind) out.emplace_back(handicap_sfen(kind));
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Sources, MateInOneEquivalence,
    ::testing::Values(
        Source{"StartPosition", {std::string(STARTPOS_SFEN)}}, Source{"Handicaps", handicaps()},
        Source{"FullHands",
               {"4k4/9/9/9/9/9/9/9/4K4 b 2R2B4G4S4N4L18P 1", "3gkg3/9/9/9/9/9/9/9/4K4 b RBGSNLP 1",
                "4k4/9/9/9/9/9/9/9/4K4 b RBG2S2N2L9Prbg2s2n2l9p 1", test::MATSURI}},
        Source{"KingLessAndTwoKings",
               {"4k4/9/9/9/9/9/9/9/9 b 2R2B4G4S4N4L18P 1", "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSG1GSNL w - 1",
                "k7k/9/9/9/9/9/9/9/4K4 b 2R2B4G4S4N4L18P 1", "4k4/9/9/9/9/9/9/9/K7K w 2R2B4G4S4N4L18P 1"}}),
    [](const ::testing::TestParamInfo<Source>& info) { return std::string(info.param.name); });

}  // namespace
