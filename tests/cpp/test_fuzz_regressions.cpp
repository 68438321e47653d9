// Inputs the fuzz harnesses found faults with, kept as tests of the rules they broke.

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <vector>

#include "support.h"

using namespace korvan;
using test::sfen;

namespace {

std::vector<Move> sorted_legal(const Position& pos) {
    MoveList list;
    generate_legal(pos, list);
    std::vector<Move> out(list.begin(), list.end());
    std::sort(out.begin(), out.end());
    return out;
}

// The move judged as the legal list holds it: a drop's promotion flag means nothing.
Move judged(std::uint32_t value) {
    const Move m = move16(value);
    return is_drop(m) ? static_cast<Move>(m & ~MOVE_PROMOTE_FLAG) : m;
}

}  // namespace

// A set-up may leave the side not to move in check. The move that follows does not give
// that check, yet it stands afterwards: the record of the move must hold it, exactly as
// setting the position up from its SFEN does.
struct StandingCheckCase {
    const char* sfen;
    const char* move;
};

void PrintTo(const StandingCheckCase& c, std::ostream* os) { *os << c.sfen << " moves " << c.move; }

class StandingCheck : public testing::TestWithParam<StandingCheckCase> {};

TEST_P(StandingCheck, TheFirstMoveAfterTheSetUpFindsIt) {
    Position pos = sfen(GetParam().sfen);
    ASSERT_TRUE(pos.st().checkers.empty());
    test::play(pos, GetParam().move);
    test::expect_consistent(pos);
    EXPECT_FALSE(pos.st().checkers.empty());
    const Position fresh = sfen(position_to_sfen(pos, pos.ply));
    EXPECT_EQ(pos.st().checkers, fresh.st().checkers);
    EXPECT_EQ(sorted_legal(pos), sorted_legal(fresh));
    // Taken back, the set-up record is the one the set-up made.
    ASSERT_TRUE(position_undo_move(pos, test::usi(sfen(GetParam().sfen), GetParam().move)));
    EXPECT_EQ(pos.st(), sfen(GetParam().sfen).st());
    // Played again from the same set-up record, which now holds its answer.
    test::play(pos, GetParam().move);
    EXPECT_EQ(pos.st().checkers, fresh.st().checkers);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StandingCheck,
    testing::Values(
        // A White bishop on 1e already attacks the Black king on 5i; White moves its king.
        StandingCheckCase{"4k4/9/9/9/8b/9/9/9/4K4 w - 1", "5a4a"},
        // A White rook down the open 5th file; White drops a pawn elsewhere.
        StandingCheckCase{"4k4/9/9/9/4r4/9/9/9/4K4 w p 1", "P*1a"},
        // The case the USI position harness found: a bishop on 5f sees the king on 2i.
        StandingCheckCase{"l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1P2bPP1P/P5GsR/9/LN4bKL w GR5gLnsg 1", "G*3b"}),
                         [](const auto& info) { return test::case_name(info.index, {"move", info.param.move}); });

// A set-up may give a side two kings. The one on king_square is the king that checks,
// pins and evasions refer to; any other moves as a plain piece. The legal list and the
// legality test agree on every move value, and making and taking back any legal move
// leaves the same king on king_square.
class TwoKings : public testing::TestWithParam<const char*> {};

TEST_P(TwoKings, TheListAndTheLegalityTestAgree) {
    const Position pos = sfen(GetParam());
    const std::vector<Move> legal = sorted_legal(pos);
    for (std::uint32_t value = 0; value <= 0xFFFF; ++value) {
        const Move32 widened = position_move_to_move32(pos, value);
        const bool listed = std::binary_search(legal.begin(), legal.end(), judged(value));
        EXPECT_EQ(position_is_legal(pos, widened), listed) << GetParam() << " " << move_display_usi(value);
    }
}

TEST_P(TwoKings, MakingAndTakingBackKeepsTheKing) {
    const Position start = sfen(GetParam());
    Position pos = start;
    for (Move m : sorted_legal(start)) {
        const Move32 m32 = position_move_to_move32(pos, m);
        position_do_move(pos, m32);
        ASSERT_TRUE(position_undo_move(pos, m32));
        EXPECT_EQ(pos.king_square, start.king_square) << move_display_usi(m);
        EXPECT_EQ(pos.st(), start.st()) << move_display_usi(m);
        EXPECT_EQ(sorted_legal(pos), sorted_legal(start)) << move_display_usi(m);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TwoKings,
    testing::Values(
        // In check from the rook on 9a: the other king on 8b may capture it or block.
        "r7k/1K7/9/9/9/9/9/9/K8 b - 1",
        // The king on 5i may step onto the 4th file the White rook holds.
        "5r2k/9/9/9/9/9/9/9/K3K4 b - 1",
        // The position the legality harness found.
        "l3n2nl/5+P1gk/2np1s3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GK1/R8/LN4bKL b RG5Pgs 2"),
                         [](const auto& info) { return test::case_name(info.index, {"position"}); });
