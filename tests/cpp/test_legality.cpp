// Attack, pin, check, promotion and legality tests.

#include <gtest/gtest.h>

#include "support.h"
#include "core/util/panic.h"

using namespace korvan;
using test::sfen;
using test::usi;

TEST(Attacks, KingSteppingAwayIsSeenThrough) {
    // A White rook on 5a attacks 5h through the Black king standing on 5g.
    Position pos = sfen("4r4/9/9/9/9/9/4K4/9/9 b - 1");
    Bitboard occ = pos.occupied;
    occ.clear(42);
    EXPECT_TRUE(position_is_attacked_by_white(pos, 43, occ));
    EXPECT_FALSE(position_is_attacked_by_white(pos, 43, pos.occupied));
}

TEST(Attacks, LanceOnlyForward) {
    // A White lance attacks toward rank i only.
    Position above = sfen("9/9/4l4/9/9/9/9/9/9 b - 1");
    EXPECT_TRUE(position_is_attacked_by_white(above, 40, above.occupied));
    Position below = sfen("9/9/9/9/9/9/4l4/9/9 b - 1");
    EXPECT_FALSE(position_is_attacked_by_white(below, 40, below.occupied));
    EXPECT_THROW(position_is_attacked_by_black(below, 81, below.occupied), Panic);
}

TEST(Promotion, ZoneRule) {
    EXPECT_FALSE(can_promote_move(BLACK, *move_from_usi("7g7f+")));
    EXPECT_TRUE(can_promote_move(BLACK, *move_from_usi("7d7c+")));
    EXPECT_TRUE(can_promote_move(BLACK, *move_from_usi("2b2e+")));
    EXPECT_TRUE(can_promote_move(BLACK, *move_from_usi("7g7f")));
    EXPECT_TRUE(can_promote_move(WHITE, *move_from_usi("3f3g+")));
    EXPECT_FALSE(can_promote_move(WHITE, *move_from_usi("3c3d+")));
}

struct LegalCase {
    const char* sfen;
    const char* move;
    bool legal;
};

class Legality : public ::testing::TestWithParam<LegalCase> {};

TEST_P(Legality, Decides) {
    const Position pos = sfen(GetParam().sfen);
    const Move32 m = usi(pos, GetParam().move);
    EXPECT_EQ(m != 0 && position_is_legal(pos, m), GetParam().legal) << GetParam().sfen << " " << GetParam().move;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Legality,
    ::testing::Values(
        LegalCase{STARTPOS_SFEN.data(), "7g7f", true},
        LegalCase{STARTPOS_SFEN.data(), "7g7f+", false},          // promotion outside the zone
        LegalCase{STARTPOS_SFEN.data(), "7g7e", false},           // unreachable
        LegalCase{STARTPOS_SFEN.data(), "6i5i", false},           // own piece on the target
        LegalCase{STARTPOS_SFEN.data(), "5i5h+", false},          // a king cannot promote
        // Drops: occupied target, empty hand, second pawn on a file, dead ranks.
        LegalCase{"4k4/9/9/9/9/9/9/9/4K4 b P 1", "P*5i", false},
        LegalCase{"4k4/9/9/9/9/9/9/9/4K4 b - 1", "P*5e", false},
        LegalCase{"4k4/9/9/9/4P4/9/9/9/4K4 b P 1", "P*5f", false},
        LegalCase{"4k4/9/9/9/4+P4/9/9/9/4K4 b P 1", "P*5f", true},  // a promoted pawn does not count
        LegalCase{"4k4/9/9/9/9/9/9/9/4K4 b P 1", "P*1a", false},
        LegalCase{"4k4/9/9/9/9/9/9/9/4K4 b L 1", "L*1a", false},
        LegalCase{"4k4/9/9/9/9/9/9/9/4K4 b N 1", "N*1b", false},
        LegalCase{"4k4/9/9/9/9/9/9/9/4K4 b N 1", "N*1c", true},
        LegalCase{"4k4/9/9/9/9/9/9/9/4K4 w n 1", "N*1h", false},
        // Non-promotions onto squares a piece could never leave.
        LegalCase{"4k4/9/9/9/9/9/9/9/4K4 b - 1", "9c9b", false},  // no piece: not pseudo-legal
        LegalCase{"k8/9/9/4N4/9/9/9/9/4K4 b - 1", "5d4b", false},
        LegalCase{"k8/9/9/4N4/9/9/9/9/4K4 b - 1", "5d4b+", true},
        LegalCase{"k8/4P4/9/9/9/9/9/9/4K4 b - 1", "5b5a", false},
        LegalCase{"k8/4L4/9/9/9/9/9/9/4K4 b - 1", "5b5a", false},
        LegalCase{"k8/9/4L4/9/9/9/9/9/4K4 b - 1", "5c5b", true},
        // In check: drops must land between; double check allows only the king.
        LegalCase{"k3r4/9/9/9/9/9/9/9/4K4 b G 1", "G*5e", true},
        LegalCase{"k3r4/9/9/9/9/9/9/9/4K4 b G 1", "G*6e", false},
        LegalCase{"k8/9/9/9/9/9/6b2/9/r3K2G1 b G 1", "G*6i", false},
        LegalCase{"k8/9/9/9/9/9/6b2/9/r3K2G1 b G 1", "2i3i", false},
        LegalCase{"k3r4/9/9/9/9/9/9/9/4K4 b - 1", "5i5h", false},  // still on the file
        LegalCase{"k3r4/9/9/9/9/9/9/9/4K4 b - 1", "5i4h", true},
        // Pins: along the line only.
        LegalCase{"4r4/9/9/9/9/9/9/4S4/4K4 b - 1", "5h4g", false},
        LegalCase{"4r4/9/9/9/9/9/9/4S4/4K4 b - 1", "5h5g", true},
        LegalCase{"4r4/9/9/9/9/9/9/4R4/4K4 b - 1", "5h5a", true},   // capturing the pinner
        // A king is never captured, even when a bad set-up leaves it exposed.
        LegalCase{"4k4/9/9/9/4R4/9/9/9/4K4 b - 1", "5e5a", false},
        // Pawn-drop mate: defended and no escape; allowed once the king can move or
        // a free defender can take.
        LegalCase{"k8/9/9/9/3B5/9/9/9/1R5K1 b P 1", "P*9b", false},
        LegalCase{"k8/9/9/9/9/9/9/9/1R5K1 b P 1", "P*9b", true},
        LegalCase{"kg7/9/9/9/3B5/9/9/9/1R5K1 b P 1", "P*9b", true},
        // Special moves are never legal.
        LegalCase{STARTPOS_SFEN.data(), "resign", false},
        LegalCase{STARTPOS_SFEN.data(), "null", false}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.move, info.param.legal ? "legal" : "illegal"}); });

TEST(Legality, PieceFieldMustMatch) {
    const Position pos = position_startpos();
    const Move32 good = usi(pos, "7g7f");
    EXPECT_TRUE(position_is_pseudo_legal_move32(pos, good));
    EXPECT_FALSE(position_is_pseudo_legal_move32(pos, (good & 0xFFFF) | 2u << 16));
    // A zero piece field is not checked by the pseudo-legality test itself.
    EXPECT_TRUE(position_is_pseudo_legal_move32(pos, good & 0xFFFF));
    // Values outside the board are refused, never used as an index.
    EXPECT_FALSE(position_is_pseudo_legal_move(pos, 100 << 7 | 3));
    EXPECT_FALSE(position_is_pseudo_legal_move(pos, 3 << 7 | 100));
    EXPECT_FALSE(position_is_pseudo_legal_move(pos, 0x4000 | 9 << 7 | 40));
    EXPECT_FALSE(position_is_pseudo_legal_move(pos, 0x4000 | 1 << 7 | 81));
}

TEST(Checks, GivesCheck) {
    // A promotion checks through the promoted piece's squares.
    Position pos = sfen("4k4/9/4P4/9/9/9/9/9/4K4 b - 1");
    EXPECT_TRUE(position_gives_check(pos, usi(pos, "5c5b+")));
    EXPECT_TRUE(position_gives_check(pos, usi(pos, "5c5b")));
    Position silver = sfen("4k4/5S3/9/9/9/9/9/9/4K4 b - 1");
    EXPECT_FALSE(position_gives_check(silver, usi(silver, "4b4a")));
    EXPECT_TRUE(position_gives_check(silver, usi(silver, "4b4a+")));
    // A king move checks only by discovery.
    Position discover = sfen("4k4/9/9/9/9/9/9/4K4/4R4 b - 1");
    EXPECT_TRUE(position_gives_check(discover, usi(discover, "5h4h")));
    EXPECT_FALSE(position_gives_check(discover, usi(discover, "5h5g")));
}
