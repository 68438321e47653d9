// Editable position descriptions: SFEN in, set-up of a live position, and the bytes
// that name no piece.

#include <gtest/gtest.h>

#include "core/board/notation/packed.h"
#include "core/board/position/position_state.h"
#include "core/board/position/validation.h"
#include "support.h"

using namespace korvan;

TEST(PositionState, DefaultAndSfen) {
    const auto empty = position_state_from_sfen(std::nullopt);
    ASSERT_TRUE(empty);
    EXPECT_EQ(position_state_to_sfen(*empty, true), "9/9/9/9/9/9/9/9/9 b - 1");
    const auto start = position_state_from_sfen(STARTPOS_SFEN);
    ASSERT_TRUE(start);
    EXPECT_EQ(*start, position_state_of(position_startpos()));
    const auto bad = position_state_from_sfen("9/9/9/9/9/9/9/9/9 x - 1");
    ASSERT_FALSE(bad);
    EXPECT_EQ(sfen_error_display(bad.error()), "invalid turn: 'x'");
}

TEST(PositionState, SetStateDropsHistory) {
    Position pos = position_startpos();
    test::play(pos, "7g7f");
    PositionState state = position_state_of(test::sfen("4k4/9/9/9/9/9/9/9/4K4 w 2P 40"));
    ASSERT_TRUE(position_set_state(pos, state));
    EXPECT_EQ(position_to_sfen(pos, pos.ply), "4k4/9/9/9/9/9/9/9/4K4 w 2P 40");
    EXPECT_EQ(pos.state_index(), 0u);
    EXPECT_EQ(pos.st().last_move, 0u);
    test::expect_consistent(pos);
}

// Bytes that name no piece: a colour without a type, GOLD_LIKE of either colour, and
// anything with bits above the colour bit.
class NoPieceCode : public ::testing::TestWithParam<int> {};

TEST_P(NoPieceCode, RefusedByTheSetUpReportedByValidation) {
    const auto code = static_cast<std::uint8_t>(GetParam());
    EXPECT_FALSE(names_piece(code));
    PositionState state = position_state_of(position_startpos());
    state.board[40] = Piece(code);  // 5e

    Position pos = test::sfen("4k4/9/9/9/9/9/9/9/4K4 b - 7");
    const auto refused = position_set_state(pos, state);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), "invalid piece code " + std::to_string(code) + " on Square(40)");
    EXPECT_EQ(position_to_sfen(pos, pos.ply), "4k4/9/9/9/9/9/9/9/4K4 b - 7");

    // On an otherwise empty board the byte's low bits (which the sets read) raise no
    // other finding.
    PositionState lone;
    lone.board[40] = Piece(code);
    const Position judged = position_from_state(lone);
    const std::string expected = "invalid placement of PieceType(" + std::to_string(code & 15) + ") on Square(40)";
    const auto first = position_is_valid(judged);
    ASSERT_TRUE(first);
    EXPECT_EQ(validation_issue_display(*first), expected);
    const auto all = position_validate_all(position_from_state(state));
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(validation_issue_display(all.back()), expected);

    EXPECT_EQ(position_state_to_sfen(state, false),
              "lnsgkgsnl/1r5b1/ppppppppp/9/4?4/9/PPPPPPPPP/1B5R1/LNSGKGSNL b -");
    EXPECT_FALSE(position_to_packed_sfen(judged));
    EXPECT_FALSE(position_to_hcp(judged));
}

INSTANTIATE_TEST_SUITE_P(Codes, NoPieceCode, ::testing::Values(15, 16, 31, 32, 33, 47, 49, 200, 255),
                         [](const auto& info) { return test::case_name(info.index, {"code", std::to_string(info.param)}); });

TEST(PositionState, EveryRealPieceNamesAPiece) {
    int named = 0;
    for (int b = 0; b < 256; ++b) named += names_piece(static_cast<std::uint8_t>(b));
    EXPECT_EQ(named, 28);
    for (Color c : {BLACK, WHITE})
        for (int pt = PAWN; pt <= DRAGON; ++pt) EXPECT_TRUE(names_piece(make_piece(c, PieceType(pt))));
}
