// Policy labels: the generated tables against the closed form of the rule, the
// telling rows and the label arithmetic of single moves.

#include <gtest/gtest.h>

#include "core/labels/policy.h"
#include "core/types/move.h"
#include "support.h"

using namespace korvan;

namespace {

// The rule in closed form, plane by plane, for destination file f and rank r in the
// mover's view.
bool closed_form(int plane, int f, int r) {
    switch (plane) {
        case 0: return r <= 7;
        case 1: return r <= 7 && f >= 1;
        case 2: return r <= 7 && f <= 7;
        case 3: return f >= 1;
        case 4: return f <= 7;
        case 5: return r >= 1;
        case 6: return r >= 1 && f >= 1;
        case 7: return r >= 1 && f <= 7;
        case 8: return 2 <= r && r <= 6 && f >= 1;
        case 9: return 2 <= r && r <= 6 && f <= 7;
        case 10: return r <= 2;
        case 11: case 13: case 18: return r <= 2 && f >= 1;
        case 12: case 14: case 19: return r <= 2 && f <= 7;
        case 15: return r >= 1;
        case 16: return r >= 1 && f >= 1 && r - f <= 2;
        case 17: return r >= 1 && f <= 7 && r + f <= 10;
        case 20: case 21: return r >= 1;
        case 22: return r >= 2;
        default: return true;
    }
}

constexpr int PLANE_COUNTS[LABEL_PLANE_NB] = {72, 64, 64, 72, 72, 72, 64, 64, 40, 40, 27, 24, 24, 24,
                                              24, 72, 49, 49, 24, 24, 72, 72, 63, 81, 81, 81, 81};

Move usi_move(const char* text) { return *move_from_usi(text); }

}  // namespace

TEST(PolicyLabels, TablesFollowTheClosedForm) {
    for (int plane = 0; plane < LABEL_PLANE_NB; ++plane) {
        int count = 0;
        for (int sq = 0; sq < 81; ++sq) {
            const int label = plane * 81 + sq;
            const bool expected = closed_form(plane, sq / 9, sq % 9);
            EXPECT_EQ(label_is_valid(label), expected) << "label " << label;
            count += expected;
        }
        EXPECT_EQ(count, PLANE_COUNTS[plane]) << "plane " << plane;
    }
}

TEST(PolicyLabels, TablesAreInverse) {
    int previous = -1;
    for (int c = 0; c < COMPACT_MOVE_LABEL_NB; ++c) {
        const int label = label_of_compact(c);
        EXPECT_GT(label, previous);
        EXPECT_EQ(compact_of_label(label), c);
        previous = label;
    }
    for (int l = 0; l < MOVE_LABEL_NB; ++l)
        if (!label_is_valid(l)) {
            EXPECT_EQ(LABEL_TABLE[l].compact, 0) << l;
        }
}

struct TellingRow {
    int label;
    int compact;  // -1: not a valid label
};

class LabelRows : public ::testing::TestWithParam<TellingRow> {};

TEST_P(LabelRows, MapAsStated) {
    const auto [label, compact] = GetParam();
    if (compact < 0)
        EXPECT_EQ(compact_of_label(label), std::nullopt);
    else
        EXPECT_EQ(compact_of_label(label), compact);
}

INSTANTIATE_TEST_SUITE_P(Rows, LabelRows,
                         ::testing::Values(TellingRow{0, 0}, TellingRow{7, 7}, TellingRow{8, -1},
                                           TellingRow{9, 8}, TellingRow{17, -1}, TellingRow{26, -1},
                                           TellingRow{35, -1}, TellingRow{44, -1}, TellingRow{53, -1},
                                           TellingRow{62, -1}, TellingRow{71, -1}, TellingRow{80, -1},
                                           TellingRow{81, -1}, TellingRow{1620, -1},
                                           TellingRow{1621, 965}, TellingRow{2186, 1495}),
                         [](const auto& info) { return test::case_name(info.index, {"label", std::to_string(info.param.label)}); });

struct MoveRow {
    const char* usi;
    Color turn;
    int label;
};

class MoveLabels : public ::testing::TestWithParam<MoveRow> {};

TEST_P(MoveLabels, FromTheMoversView) {
    EXPECT_EQ(move_to_policy_label(usi_move(GetParam().usi), GetParam().turn), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, MoveLabels,
    ::testing::Values(MoveRow{"7g7f", BLACK, 59}, MoveRow{"7g7f", WHITE, 5 * 81 + 21},
                      MoveRow{"P*5e", BLACK, 1660}, MoveRow{"P*5e", WHITE, 1660},
                      MoveRow{"G*1a", BLACK, 26 * 81}, MoveRow{"G*1a", WHITE, 26 * 81 + 80},
                      // 8h2b+: forward toward the lower file, promoting.
                      MoveRow{"8h2b+", BLACK, 12 * 81 + 10},
                      // Knight jumps: 2i3g lands on the higher file, 2i1g on the lower.
                      MoveRow{"2i3g", BLACK, 8 * 81 + 24}, MoveRow{"2i1g", BLACK, 9 * 81 + 6},
                      MoveRow{"5e5e", BLACK, 7 * 81 + 40}, MoveRow{"5e5e+", BLACK, 17 * 81 + 40},
                      MoveRow{"5e4e", BLACK, 4 * 81 + 31}, MoveRow{"5e6e", BLACK, 3 * 81 + 49},
                      MoveRow{"5e6f", BLACK, 6 * 81 + 50}, MoveRow{"5e4f", BLACK, 7 * 81 + 32},
                      MoveRow{"5e5i", BLACK, 5 * 81 + 44}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.usi, info.param.turn == BLACK ? "black" : "white"}); });

TEST(PolicyLabels, DropIgnoresPromotionBit) {
    const Move drop = usi_move("P*5e");
    EXPECT_EQ(move_to_policy_label(drop | MOVE_PROMOTE_FLAG, BLACK), move_to_policy_label(drop, BLACK));
}

TEST(PolicyLabels, NoLabelForSpecialOrOffBoardMoves) {
    for (Move m : {MOVE_NONE, MOVE_NULL, MOVE_RESIGN, MOVE_WIN, MOVE_END})
        EXPECT_EQ(move_to_policy_label(m, BLACK), std::nullopt) << m;
    EXPECT_EQ(move_to_policy_label(make_move16(40, 81), BLACK), std::nullopt);
    EXPECT_EQ(move_to_policy_label(make_move16(81, 40), BLACK), std::nullopt);
    EXPECT_EQ(move_to_policy_label(MOVE_DROP_FLAG | 8 << 7 | 40, BLACK), std::nullopt);
    EXPECT_EQ(move_to_policy_label(MOVE_DROP_FLAG | 40, BLACK), std::nullopt);
}

TEST(PolicyLabels, UnpromotedKnightOntoLastRanksHasNoCompactLabel) {
    // 2c1a: a knight jump ending on rank a, which only a promoting knight may do.
    const auto label = move_to_policy_label(usi_move("2c1a"), BLACK);
    ASSERT_TRUE(label);
    EXPECT_EQ(*label / 81, 9);
    EXPECT_FALSE(label_is_valid(*label));
    EXPECT_TRUE(label_is_valid(*move_to_policy_label(usi_move("2c1a+"), BLACK)));
}
