// The PackedSfenValue and HuffmanCodedPosAndEval rows and the HCPE outcome byte.

#include <gtest/gtest.h>

#include "core/board/notation/rows.h"
#include "support.h"

using namespace korvan;

TEST(Rows, PsvLayout) {
    Packed32 sfen{};
    for (int i = 0; i < 32; ++i) sfen[i] = static_cast<std::uint8_t>(200 + i);
    const PsvRow row = psv_row(sfen, -2, 0x1234, 0xABCD, WHITE_WIN_BY_TRY_RULE);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(row[i], 200 + i);
    const std::uint8_t tail[8] = {0xFE, 0xFF, 0x34, 0x12, 0xCD, 0xAB, 21, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(row[32 + i], tail[i]) << i;
}

TEST(Rows, HcpeLayout) {
    Packed32 hcp{};
    hcp[0] = 7;
    hcp[31] = 9;
    const HcpeRow row = hcpe_row(hcp, 32767, 0xC0DE, 2);
    EXPECT_EQ(row[0], 7);
    EXPECT_EQ(row[31], 9);
    const std::uint8_t tail[6] = {0xFF, 0x7F, 0xDE, 0xC0, 2, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(row[32 + i], tail[i]) << i;
}

TEST(Rows, OutcomeOfEveryResult) {
    for (unsigned v = 0; v < GAME_RESULT_NB; ++v) {
        if (!is_game_result(v)) continue;
        const auto out = hcpe_outcome(static_cast<GameResult>(v));
        if (v == 0 || v == 1) {
            ASSERT_TRUE(out) << v;
            EXPECT_EQ(*out, v + 1);
        } else if (v == 2 || v == 6 || v == 10) {
            ASSERT_TRUE(out) << v;
            EXPECT_EQ(*out, 0);
        } else {
            ASSERT_FALSE(out) << v;
            EXPECT_EQ(hcpe_error_display(out.error()),
                      "unsupported GameResult for hcpe export: " + std::string(GAME_RESULT_DEBUG_NAMES[v]));
        }
    }
}

struct ByteCase {
    int byte;
    const char* error;  // "" when accepted
};

class OutcomeByte : public ::testing::TestWithParam<ByteCase> {};

TEST_P(OutcomeByte, AcceptsOnlyOutcomes) {
    const auto out = hcpe_outcome_from_byte(static_cast<std::int8_t>(GetParam().byte));
    if (*GetParam().error == 0) {
        ASSERT_TRUE(out);
        EXPECT_EQ(*out, GetParam().byte);
    } else {
        ASSERT_FALSE(out);
        EXPECT_EQ(hcpe_error_display(out.error()), GetParam().error);
    }
}

INSTANTIATE_TEST_SUITE_P(Bytes, OutcomeByte,
                         ::testing::Values(ByteCase{0, ""}, ByteCase{1, ""}, ByteCase{2, ""},
                                           ByteCase{3, "invalid hcpe game result: 3"},
                                           ByteCase{-1, "invalid hcpe game result: -1"},
                                           ByteCase{-56, "invalid hcpe game result: -56"},
                                           ByteCase{-128, "invalid hcpe game result: -128"}),
                         [](const auto& info) { return test::case_name(info.index, {std::string(info.param.byte < 0 ? "minus" : "byte"), std::to_string(info.param.byte < 0 ? -info.param.byte : info.param.byte)}); });

TEST(Rows, OutcomeNames) {
    EXPECT_EQ(*hcpe_outcome_from_name("draw"), 0);
    EXPECT_EQ(*hcpe_outcome_from_name("Black_Win"), 1);
    EXPECT_EQ(*hcpe_outcome_from_name("WHITE_WIN"), 2);
    EXPECT_EQ(hcpe_outcome_from_name("win").error(), "invalid hcpe game result name: WIN");
    EXPECT_EQ(hcpe_outcome_from_name("black win").error(), "invalid hcpe game result name: BLACK WIN");
    EXPECT_EQ(hcpe_outcome_from_name("").error(), "invalid hcpe game result name: ");
}

struct AperyCase {
    const char* usi;
    int apery;  // -1: not a USI move
};

class AperyFromUsi : public ::testing::TestWithParam<AperyCase> {};

TEST_P(AperyFromUsi, Converts) {
    const auto out = apery_move_from_usi(GetParam().usi);
    if (GetParam().apery < 0) {
        EXPECT_FALSE(out);
    } else {
        ASSERT_TRUE(out);
        EXPECT_EQ(*out, GetParam().apery);
    }
}

// 7g7f: from 7g = 6*9+6 = 60, to 7f = 59. P*5e: source field 80 + 1, to 40.
// 8h2b+: from 7*9+7 = 70, to 1*9+1 = 10, bit 14.
INSTANTIATE_TEST_SUITE_P(Moves, AperyFromUsi,
                         ::testing::Values(AperyCase{"7g7f", 60 << 7 | 59}, AperyCase{"P*5e", 81 << 7 | 40},
                                           AperyCase{"G*1a", 87 << 7 | 0}, AperyCase{"8h2b+", 0x4000 | 70 << 7 | 10},
                                           AperyCase{"resign", 258}, AperyCase{"win", 387}, AperyCase{"none", 0},
                                           AperyCase{"0000", 129}, AperyCase{"7g7", -1}, AperyCase{"K*5e", -1}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.usi}); });
