// Squares, pieces, hands, bitboards and move texts.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/board/position/parser.h"
#include "core/types/bitboard.h"
#include "core/types/move.h"
#include "core/util/panic.h"
#include "support.h"

using namespace korvan;

TEST(Square, ParsesUsiText) {
    EXPECT_EQ(*square_from_usi("9i"), 80);
    EXPECT_EQ(*square_from_usi("1a"), 0);
    EXPECT_EQ(*square_from_usi("5e"), 40);
    EXPECT_EQ(*square_from_usi("NONE"), 81);
}

struct SquareError {
    const char* text;
    const char* message;
};

class SquareErrors : public ::testing::TestWithParam<SquareError> {};

TEST_P(SquareErrors, NameTheFault) {
    auto r = square_from_usi(GetParam().text);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Texts, SquareErrors,
                         ::testing::Values(SquareError{"0a", "invalid file character: 0"},
                                           SquareError{"1j", "invalid rank character: j"},
                                           SquareError{"1A", "invalid rank character: A"},
                                           SquareError{"a1", "invalid file character: a"},
                                           SquareError{"10a", "invalid square string: 10a"},
                                           SquareError{"", "invalid square string: "},
                                           SquareError{"none", "invalid square string: none"},
                                           SquareError{"\xc3\xa9", "invalid file character: \xc3\xa9"}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.text}); });

TEST(Square, DisplayAndTables) {
    EXPECT_EQ(square_display_usi(81), "NONE");
    EXPECT_EQ(square_display_usi(82), "INVALID");
    EXPECT_EQ(square_display_usi(255), "INVALID");
    EXPECT_EQ(square_display_usi(59), "7f");
    EXPECT_EQ(FILE_OF[81], 255);
    EXPECT_EQ(RANK_OF[81], 255);
    EXPECT_EQ(mirror_file(0), 72);
    EXPECT_EQ(mirror_file(40), 40);
    EXPECT_EQ(flip_side(0), 80);
    EXPECT_EQ(tuple_debug("Square", 40), "Square(40)");
    EXPECT_EQ(tuple_debug_pretty("Square", 40), "Square(\n    40,\n)");
}

TEST(Piece, Texts) {
    EXPECT_EQ(piece_display(17), "p");
    EXPECT_EQ(piece_display(30), "+r");
    EXPECT_EQ(piece_display(14), "+R");
    EXPECT_EQ(piece_display(0), " ");
    EXPECT_EQ(piece_display(15), "?");
    EXPECT_EQ(piece_display(16), "?");
    EXPECT_EQ(*piece_type_from_usi("+R"), DRAGON);
    EXPECT_EQ(*piece_type_from_usi("K"), KING);
    for (const char* bad : {"+K", "+G", "p", "", "NONE", "PP"})
        EXPECT_EQ(piece_type_from_usi(bad).error(), std::string("invalid piece type: ") + bad);
    EXPECT_EQ(piece_type_display(200), "?");
}

TEST(Hand, FieldsAndDominance) {
    Hand h = 0;
    for (int i = 0; i < 18; ++i) h = hand_add(h, PAWN);
    h = hand_add(hand_add(h, ROOK), ROOK);
    EXPECT_EQ(h, 18u | 2u << 24);
    EXPECT_EQ(hand_count(h, PAWN), 18u);
    EXPECT_EQ(hand_count(h, ROOK), 2u);
    EXPECT_TRUE(hand_dominates(h, hand_sub(h, PAWN)));
    EXPECT_FALSE(hand_dominates(hand_sub(h, PAWN), h));
    EXPECT_FALSE(hand_dominates(hand_add(0, GOLD), hand_add(0, SILVER)));
}

// hand_has is the same test as a non-zero count, kind by kind, whatever the others hold.
TEST(Hand, HasMeansACount) {
    std::mt19937 rng(3);
    for (int round = 0; round < 2000; ++round) {
        Hand h = 0;
        for (int i = 0; i < 7; ++i) h |= (rng() % (HAND_FULL_SET[i] + 1)) * (rng() % 3 == 0) << HAND_SHIFT[i];
        for (const PieceType pt : {PAWN, LANCE, KNIGHT, SILVER, BISHOP, ROOK, GOLD})
            ASSERT_EQ(hand_has(h, pt), hand_count(h, pt) != 0) << std::hex << h << " " << int(pt);
    }
}

TEST(Bitboard, Diagram) {
    const std::string top = bitboard_display(square_bb(80));
    EXPECT_EQ(top.substr(0, 13), "Bitboard(\n  1");
    const std::string bottom = bitboard_display(square_bb(0));
    EXPECT_EQ(bottom.substr(bottom.size() - 4), "01\n)");
    EXPECT_EQ(bitboard_display({}).size(), std::string("Bitboard(\n").size() + 9 * 12 + 1);
}

TEST(Bitboard, SetOperations) {
    Bitboard b = square_bb(62) | square_bb(63) | square_bb(80);
    EXPECT_EQ(b.count(), 3);
    EXPECT_TRUE(b.more_than_one());
    EXPECT_EQ(b.pop_lsb(), 62);
    EXPECT_EQ(b.pop_lsb(), 63);
    EXPECT_FALSE(b.more_than_one());
    EXPECT_EQ(b.lsb(), 80);
    EXPECT_EQ(~BB_EMPTY, BB_ALL);
    EXPECT_EQ((~square_bb(3)).count(), 80);
}

// for_each visits what pop_lsb pops, in the same order; any_of stops at the first
// square its test accepts, having visited exactly the squares before it.
TEST(Bitboard, VisitsInAscendingOrder) {
    std::mt19937_64 rng(11);
    for (int round = 0; round < 2000; ++round) {
        const Bitboard b(rng() & rng() & 0x7FFFFFFFFFFFFFFFULL, rng() & rng() & 0x3FFFFULL);
        std::vector<Square> popped, visited;
        for (Bitboard c = b; c;) popped.push_back(c.pop_lsb());
        b.for_each([&](Square s) { visited.push_back(s); });
        ASSERT_EQ(visited, popped);

        const Square stop = static_cast<Square>(rng() % 82);  // 81: no square stops it
        std::vector<Square> seen;
        const bool found = b.any_of([&](Square s) {
            seen.push_back(s);
            return s >= stop;
        });
        std::vector<Square> expected;
        for (const Square s : popped) {
            expected.push_back(s);
            if (s >= stop) break;
        }
        ASSERT_EQ(found, !expected.empty() && expected.back() >= stop);
        ASSERT_EQ(seen, expected);
    }
}

struct UsiCase {
    const char* text;
    int value;  // -1: does not parse
};

class UsiMoveText : public ::testing::TestWithParam<UsiCase> {};

TEST_P(UsiMoveText, Parses) {
    const auto m = move_from_usi(GetParam().text);
    if (GetParam().value < 0) {
        EXPECT_FALSE(m.has_value());
    } else {
        ASSERT_TRUE(m.has_value());
        EXPECT_EQ(*m, GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, UsiMoveText,
    ::testing::Values(UsiCase{"0000", 129}, UsiCase{"null", 129}, UsiCase{"win", 387}, UsiCase{"resign", 258},
                      UsiCase{"none", 0}, UsiCase{"NULL", -1}, UsiCase{"Win", -1}, UsiCase{"none ", -1},
                      UsiCase{"1a1a", 0}, UsiCase{"1a1a+", 0x8000}, UsiCase{"7g7f", 60 << 7 | 59},
                      UsiCase{"7g7f+", 0x8000 | 60 << 7 | 59}, UsiCase{"7g7fx", 60 << 7 | 59},
                      UsiCase{"P*5e", 0x4080 | 40}, UsiCase{"G*1a", 0x4380}, UsiCase{"K*5e", -1},
                      UsiCase{"p*5e", -1}, UsiCase{"7g7", -1}, UsiCase{"7g7\xc3\xa9", -1}, UsiCase{"", -1}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.text}); });

TEST(UsiMoveText, Writes) {
    EXPECT_EQ(move_display_usi(MOVE_END), "");
    EXPECT_EQ(move_display_usi(MOVE_NONE), "none");
    EXPECT_EQ(move_display_usi(MOVE_NULL), "null");
    EXPECT_EQ(move_display_usi(2 << 7 | 81), "");
    EXPECT_EQ(move_display_usi(0x8000 | 2 << 7 | 3), "1c1d+");
    EXPECT_EQ(move_display_usi(0x4080 | 40), "P*5e");
    EXPECT_EQ(move_display_usi(0x4000 | 8 << 7 | 40), "");
    EXPECT_EQ(move_display_usi(90 << 7 | 3), "");
    EXPECT_EQ(move_display_usi(0x10000 | 60 << 7 | 59), "7g7f");
    EXPECT_EQ(move32_debug(7), "Move32(7)");
}

TEST(Move, Builders) {
    EXPECT_EQ(move_make_promote(60, 59, 1), 0x8000u | 9u << 16 | 60u << 7 | 59u);
    EXPECT_EQ(move_make_promote(60, 59, 7), 0x8000u | 7u << 16 | 60u << 7 | 59u);
    EXPECT_THROW(move_make(200, 3, 1), Panic);
    EXPECT_THROW(move_make(3, 3, 300), Panic);
    EXPECT_THROW(move16_make_promote(3, 200), Panic);
}

TEST(Move, Widening) {
    Position pos = position_startpos();
    EXPECT_EQ(position_move_to_move32(pos, 60 << 7 | 59), 1u << 16 | 60u << 7 | 59u);
    for (Move special : {MOVE_NONE, MOVE_NULL, MOVE_RESIGN, MOVE_WIN, MOVE_END})
        EXPECT_EQ(position_move_to_move32(pos, special), special);
    EXPECT_EQ(position_move_to_move32(pos, 60 << 7 | 81), 0u);
    EXPECT_EQ(position_move_to_move32(pos, 90 << 7 | 3), 0u);
    EXPECT_EQ(position_move_to_move32(pos, 40 << 7 | 39), 0u);              // empty source
    EXPECT_EQ(position_move_to_move32(pos, 0x8000 | 53 << 7 | 52), 0u);     // gold cannot promote
    EXPECT_EQ(position_move_to_move32(pos, 0x4000 | 9 << 7 | 40), 0u);      // no such drop
    EXPECT_EQ(position_move_to_move32(pos, 0xC080 | 40), 1u << 16 | 0x4080u | 40u);

    Position white = test::sfen("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w P 1");
    EXPECT_EQ(position_move_to_move32(white, 60 << 7 | 59), 0u);
    EXPECT_EQ(position_move_to_move32(white, 0x4080 | 40), 1u << 20 | 1u << 16 | 0x4080u | 40u);

    Position bishop = test::sfen("4k4/9/9/9/9/9/9/1B7/4K4 b - 1");
    const Move32 m = position_move_to_move32(bishop, *move_from_usi("8h2b+"));
    EXPECT_EQ(moved_piece_after(m), 13);
    EXPECT_TRUE(is_promotion(m));
}

TEST(Move, AperyEncoding) {
    Position pos = test::sfen("4k4/9/9/9/4p3R/9/9/9/4K4 b P 1");
    EXPECT_EQ(move_to_apery(pos.board, 0x4080 | 40), 81u << 7 | 40u);
    for (Move special : {MOVE_NONE, MOVE_NULL, MOVE_RESIGN, MOVE_WIN, MOVE_END})
        EXPECT_EQ(move_to_apery(pos.board, special), special);
    // The rook on 1e takes the pawn on 5e: mover type in bits 16-19, captured in 20-23.
    const Move m = *move_from_usi("1e5e");
    EXPECT_EQ(move_to_apery(pos.board, m), 4u << 7 | 40u | 6u << 16 | 1u << 20);
    Position cap = test::sfen("4k4/9/9/9/9/9/9/9/4K3R b - 1");
    cap.board[2] = make_piece(WHITE, GOLD);
    position_update_bitboards(cap);
    const Move promo = 0x8000 | 8 << 7 | 2;
    EXPECT_EQ(move_to_apery(cap.board, promo), 0x4000u | 8u << 7 | 2u | 6u << 16 | 7u << 20);
}
