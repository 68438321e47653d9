// Attack sets, slider procedures and the geometry tables, against a plain ray walk.

#include <gtest/gtest.h>

#include <random>

#include "core/board/attack_tables.h"
#include "core/board/lookup.h"
#include "core/board/zobrist.h"
#include "core/util/panic.h"

using namespace korvan;

namespace {

Bitboard walk(Square sq, int df, int dr, Bitboard occ) { return ray_until_blocker(sq, df, dr, occ); }

Bitboard bb(std::initializer_list<int> squares) {
    Bitboard b;
    for (int s : squares) b.set(static_cast<Square>(s));
    return b;
}

}  // namespace

TEST(AttackTables, TellingRows) {
    EXPECT_EQ(PAWN_ATTACKS[40][BLACK], bb({39}));
    EXPECT_EQ(PAWN_ATTACKS[40][WHITE], bb({41}));
    EXPECT_EQ(KNIGHT_ATTACKS[40][BLACK], bb({29, 47}));
    EXPECT_EQ(LANCE_RAYS[40][BLACK], bb({36, 37, 38, 39}));
    EXPECT_TRUE(PAWN_ATTACKS[9][BLACK].empty());
    EXPECT_TRUE(LANCE_RAYS[17][WHITE].empty());
    EXPECT_TRUE(KNIGHT_ATTACKS[10][BLACK].empty());
    EXPECT_TRUE(lance_attacks(0, BLACK, {}).empty());
    EXPECT_TRUE(piece_type_attacks(0, 40, BLACK, {}).empty());
    EXPECT_TRUE(piece_type_attacks(15, 40, BLACK, {}).empty());
    EXPECT_EQ(GOLD_ATTACKS[40][BLACK], bb({30, 39, 48, 31, 49, 41}));
    EXPECT_EQ(SILVER_ATTACKS[40][WHITE], bb({32, 41, 50, 30, 48}));
}

TEST(AttackTables, SlidersStopAtTheFirstBlocker) {
    EXPECT_EQ(bishop_attacks(40, {}).count(), 16);
    EXPECT_TRUE(bishop_attacks(40, bb({50})).test(50));
    EXPECT_FALSE(bishop_attacks(40, bb({50})).test(60));
    EXPECT_EQ(rook_rank_attacks(58, {}) & bb({67, 76}), bb({67, 76}));
    EXPECT_EQ(rook_rank_attacks(58, bb({67})) & bb({67, 76}), bb({67}));
    EXPECT_EQ(rook_rank_attacks(63, {}), bb({54, 45, 36, 27, 18, 9, 0, 72}));
    EXPECT_EQ(rook_rank_attacks(63, bb({45})), bb({54, 45, 72}));
}

// Every slider on every square against random occupancies equals the step walk.
TEST(AttackTables, SlidersMatchRayWalk) {
    std::mt19937_64 rng(7);
    for (int round = 0; round < 200; ++round) {
        Bitboard occ(rng() & rng() & 0x7FFFFFFFFFFFFFFFULL, rng() & rng() & 0x3FFFFULL);
        for (Square sq = 0; sq < 81; ++sq) {
            const Bitboard bishop = walk(sq, 1, 1, occ) | walk(sq, 1, -1, occ) | walk(sq, -1, 1, occ) | walk(sq, -1, -1, occ);
            const Bitboard rook = walk(sq, 1, 0, occ) | walk(sq, -1, 0, occ) | walk(sq, 0, 1, occ) | walk(sq, 0, -1, occ);
            ASSERT_EQ(bishop_attacks(sq, occ), bishop) << int(sq);
            ASSERT_EQ(rook_attacks(sq, occ), rook) << int(sq);
            ASSERT_EQ(lance_attacks(sq, BLACK, occ), walk(sq, 0, -1, occ));
            ASSERT_EQ(lance_attacks(sq, WHITE, occ), walk(sq, 0, 1, occ));
            ASSERT_EQ(piece_type_attacks(HORSE, sq, WHITE, occ), bishop | KING_ATTACKS[sq]);
            ASSERT_EQ(piece_type_attacks(DRAGON, sq, BLACK, occ), rook | KING_ATTACKS[sq]);
        }
    }
}

TEST(AttackTables, SlidersRefuseOffBoardSquares) {
    EXPECT_THROW(bishop_attacks(81, {}), Panic);
    EXPECT_THROW(rook_attacks(90, {}), Panic);
    EXPECT_THROW(piece_type_attacks(PAWN, 81, BLACK, {}), Panic);
}

TEST(Lookup, Between) {
    EXPECT_EQ(between_bb(0, 80), bb({10, 20, 30, 40, 50, 60, 70}));
    EXPECT_TRUE(between_bb(0, 9).empty());
    EXPECT_TRUE(between_bb(0, 11).empty());
    EXPECT_TRUE(between_bb(40, 81).empty());
    EXPECT_TRUE(between_bb(40, 40).empty());
    EXPECT_EQ(between_bb(80, 0), between_bb(0, 80));
    EXPECT_EQ(between_bb(4, 76), bb({13, 22, 31, 40, 49, 58, 67}));
    EXPECT_THROW(between_bb(82, 0), Panic);
}

TEST(Lookup, Directions) {
    const std::pair<int, int> cases[] = {{30, 0x01}, {31, 0x02}, {32, 0x04}, {39, 0x08}, {41, 0x10},
                                         {48, 0x20}, {49, 0x40}, {50, 0x80}, {40, 0}, {42, 0x10}};
    for (auto [to, code] : cases) EXPECT_EQ(DIRECTION_TABLE[40][to], code) << to;
    EXPECT_EQ(DIRECTION_TABLE[40][81], 0);
    EXPECT_TRUE(squares_aligned(50, 60, 40));
    EXPECT_FALSE(squares_aligned(30, 50, 40));
    EXPECT_FALSE(squares_aligned(40, 40, 40));
}

TEST(Lookup, Lines) {
    EXPECT_EQ(LINE_TABLE[0][3], bb({0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(LINE_TABLE[0][2], bb({0}));
    EXPECT_EQ(LINE_TABLE[0][0].count(), 9);
    EXPECT_EQ(LINE_TABLE[40][1].count(), 9);
}

TEST(Zobrist, FixedTableShape) {
    for (int s = 0; s < 82; ++s) EXPECT_EQ(ZOBRIST[0][s], 0u);
    for (int p = 0; p < 32; ++p) EXPECT_EQ(ZOBRIST[p][81], 0u);
    // The entries are stored in book files: a change to the generator must fail here.
    EXPECT_EQ(ZOBRIST[1][0], 0xd1f7592736f42ce8ULL);
    EXPECT_EQ(ZOBRIST[31][80], 0x12c804f17c285e1eULL);
}
