// Mate detection and mate in one.

#include <gtest/gtest.h>

#include "core/board/attack_tables.h"
#include "core/mate/check_candidates.h"
#include "core/mate/mate_in_one.h"
#include "core/mate/mate_table.h"
#include "core/mate/mated.h"
#include "core/board/position/declaration.h"
#include "core/board/notation/packed.h"
#include "support.h"

using namespace korvan;
using test::sfen;
using test::usi;

namespace {

std::string solve(const Position& pos) {
    const auto m = position_solve_mate_in_one(pos);
    return m ? move_display_usi(*m) : "none";
}

bool mates(Position pos, Move32 m) {
    position_do_move(pos, m);
    return position_is_mated(pos);
}

}  // namespace

struct MatedCase {
    const char* sfen;
    bool mated;
};

class Mated : public ::testing::TestWithParam<MatedCase> {};

TEST_P(Mated, NoLegalMove) { EXPECT_EQ(position_is_mated(sfen(GetParam().sfen)), GetParam().mated); }

INSTANTIATE_TEST_SUITE_P(
    Cases, Mated,
    ::testing::Values(MatedCase{"4k4/4G4/4P4/9/9/9/9/9/4K4 w - 1", true},     // head gold, defended
                      MatedCase{"4k4/4G4/9/9/9/9/9/9/4K4 w - 1", false},      // the king takes the gold
                      MatedCase{"k8/2G6/1G7/9/9/9/9/9/8K w - 1", true},       // not in check, no move at all
                      MatedCase{"4k4/4G4/4P4/9/9/9/9/9/4K4 w g 1", true},     // a drop cannot help a contact check
                      MatedCase{"4k4/9/9/9/9/9/9/9/4R3K w g 1", false},       // the drop interposes
                      MatedCase{STARTPOS_SFEN.data(), false}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.mated ? "mated" : "not_mated"}); });

struct MateCase {
    const char* sfen;
    const char* expected;  // "none" when no mate in one
};

class MateInOne : public ::testing::TestWithParam<MateCase> {};

TEST_P(MateInOne, FindsTheFirstMate) {
    const Position pos = sfen(GetParam().sfen);
    EXPECT_EQ(solve(pos), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MateInOne,
    ::testing::Values(
        MateCase{"4k4/9/4P4/9/9/9/9/9/4K4 b G 1", "G*5b"},     // supported head gold
        MateCase{"4k4/9/4P4/9/9/9/9/9/4K4 b SG 1", "G*5b"},    // gold before silver
        MateCase{"4k4/9/9/9/9/9/9/9/4K4 b G 1", "none"},       // the king takes the gold
        MateCase{"9/9/9/9/9/9/9/9/4K4 b G 1", "none"},         // no enemy king
        MateCase{"k8/pp7/9/9/9/9/9/9/4K3R b - 1", "1i1a+"},    // back-rank rook, promotion first
        // The knight checks and uncovers the rook: double check, no escape.
        MateCase{"3gkg3/3p1p3/9/9/4N4/9/9/9/4R3K b - 1", "5e4c"},
        // The only candidate is a pawn-drop mate, which is illegal.
        MateCase{"k8/9/9/9/3B5/9/9/9/1R5K1 b P 1", "none"},
        // Black is in check itself: the mating drop does not answer it.
        MateCase{"4k4/9/4P4/9/8r/9/9/9/8K b G 1", "none"}),
                         [](const auto& info) { return test::case_name(info.index, {"mate", info.param.expected}); });

TEST(MateInOne, DefenderPawnDropBlocksOnTheSecondLastRank) {
    // The rook checks along White's second-last rank; White holds a knight (which may
    // not be dropped there) and a pawn (which may).
    const char* with_pawn = "8R/9/4K4/9/9/9/nn7/k8/pp7 b np 1";
    const char* knight_only = "8R/9/4K4/9/9/9/nn7/k8/pp7 b n 1";
    Position pos = sfen(with_pawn);
    EXPECT_FALSE(mate_in_one_verify_move(pos, usi(pos, "1a1h")));
    EXPECT_FALSE(mates(pos, usi(pos, "1a1h")));
    Position knight = sfen(knight_only);
    EXPECT_TRUE(mate_in_one_verify_move(knight, usi(knight, "1a1h")));
    EXPECT_TRUE(mates(knight, usi(knight, "1a1h")));
}

// The table of empty-board attacks, by piece code or by type and colour, is the attack
// procedure on an empty board for every piece, and empty for the codes naming none.
TEST(MateInOne, EmptyBoardAttacksByPieceCode) {
    for (const Color c : {BLACK, WHITE}) {
        for (int pt = 0; pt < PIECE_TYPE_NB; ++pt) {
            const Piece p = make_piece(c, PieceType(pt));
            for (Square sq = 0; sq < 81; ++sq) {
                const Bitboard expected = names_piece(p) ? piece_type_attacks(PieceType(pt), sq, c, {}) : Bitboard{};
                ASSERT_EQ(empty_board_attacks(p, sq), expected) << int(p) << " " << int(sq);
                ASSERT_EQ(empty_board_attacks(PieceType(pt), c, sq), expected);
            }
        }
    }
}

TEST(MateInOne, TableRows) {
    const std::uint8_t* table = init_mate_table();
    EXPECT_EQ(table, init_mate_table());
    // No escape: every kind, the knight included, may mate from a candidate square.
    const std::uint8_t all = table[0 * 1024 + 1 * 4 + 0];
    EXPECT_EQ(all & 0x7E, 0x7E);
    EXPECT_EQ(all & 0x81, 0);
    // Black drops on neighbour 4 (toward rank i) and the escape is neighbour 0: a lance
    // and a rook reach over the king, a gold does not.
    const std::uint8_t over = table[(1 << 0) * 1024 + (1 << 4) * 4 + 0];
    EXPECT_TRUE(over & (1 << 1));
    EXPECT_TRUE(over & (1 << 5));
    EXPECT_FALSE(over & (1 << 6));
    EXPECT_FALSE(over & (1 << 2));
    // The other way round only the rook covers it; for White the roles swap.
    const std::uint8_t under = table[(1 << 4) * 1024 + (1 << 0) * 4 + 0];
    EXPECT_FALSE(under & (1 << 1));
    EXPECT_TRUE(under & (1 << 5));
    EXPECT_TRUE(table[(1 << 4) * 1024 + (1 << 0) * 4 + 2] & (1 << 1));
    EXPECT_EQ(around8_bits(square_bb(39) | square_bb(31), 40), 0b01000001);
    EXPECT_EQ(around8_bits(BB_ALL, 0), 0b00011100);
}

// Over positions reached by random play with full hands: a returned move is legal and
// leaves no legal answer; when none is returned, no legal move mates.
TEST(MateInOne, AgreesWithBruteForce) {
    std::mt19937_64 rng(2024);
    int found = 0, checked = 0;
    for (const char* start : {"4k4/9/9/9/9/9/9/9/4K4 b 2R2B4G4S4N4L9P9p 1", "3gkg3/9/9/9/9/9/9/9/4K4 b RBGSNLP 1",
                              test::MATSURI, STARTPOS_SFEN.data()}) {
        for (int game = 0; game < 40; ++game) {
            Position pos = sfen(start);
            for (int ply = 0; ply < 60; ++ply) {
                const auto m = position_solve_mate_in_one(pos);
                MoveList list;
                generate_legal(pos, list);
                if (m) {
                    ++found;
                    ASSERT_TRUE(position_is_legal(pos, *m)) << position_to_sfen(pos, 0);
                    ASSERT_TRUE(mates(pos, *m)) << position_to_sfen(pos, 0) << " " << move_display_usi(*m);
                } else {
                    for (Move mv : list)
                        ASSERT_FALSE(mates(pos, position_move_to_move32(pos, mv)))
                            << position_to_sfen(pos, 0) << " misses " << move_display_usi(mv);
                }
                ++checked;
                if (list.size() == 0) break;
                position_do_move(pos, position_move_to_move32(pos, list[rng() % list.size()]));
            }
        }
    }
    EXPECT_GT(found, 20);
    EXPECT_GT(checked, 1000);
}

TEST(Declaration, Rules) {
    Position pos = position_startpos();
    Declaration d = position_evaluate_declaration(pos);
    EXPECT_EQ(d.detail, Declaration::Detail::NoRule);
    EXPECT_FALSE(d.can_declare);
    EXPECT_STREQ(entering_king_rule_name(EnteringKingRule::Point27Handicap), "Point27Handicap");

    // Point rule: the king and ten more pieces in the camp.
    Position camp = sfen("PPPPK4/PPPPPP3/9/9/9/9/9/9/4k4 b 2RB 1");
    camp.entering_king_rule = EnteringKingRule::Point24;
    position_update_declaration_thresholds(camp);
    d = position_evaluate_declaration(camp);
    EXPECT_EQ(d.detail, Declaration::Detail::PointRule);
    EXPECT_EQ(d.pieces_in_camp, 11);
    EXPECT_TRUE(d.enough_pieces);
    EXPECT_TRUE(d.king_in_enemy_camp);
    EXPECT_EQ(d.points, 10 + 15);
    EXPECT_EQ(d.required_points, 31);
    EXPECT_FALSE(d.can_declare);
    camp.board[make_square(4, 2)] = make_piece(BLACK, DRAGON);  // a big piece adds five
    position_update_bitboards(camp);
    d = position_evaluate_declaration(camp);
    EXPECT_EQ(d.points, 30);
    EXPECT_FALSE(d.can_declare);
    camp.declaration_threshold[BLACK] = 30;
    EXPECT_TRUE(position_evaluate_declaration(camp).can_declare);

    // Try rule: the king next to 5a, the square covered only through the king itself.
    Position tryrule = sfen("9/4K4/9/9/4r4/9/9/9/4k4 b - 1");
    tryrule.entering_king_rule = EnteringKingRule::TryRule;
    d = position_evaluate_declaration(tryrule);
    EXPECT_TRUE(d.can_reach);
    EXPECT_TRUE(d.can_occupy);
    EXPECT_FALSE(d.is_safe);
    EXPECT_FALSE(d.can_declare);
    Position kingless = sfen("9/9/9/9/9/9/9/9/4k4 b - 1");
    kingless.entering_king_rule = EnteringKingRule::TryRule;
    d = position_evaluate_declaration(kingless);
    EXPECT_FALSE(d.king_square.has_value());
    EXPECT_FALSE(d.can_reach);
    EXPECT_TRUE(d.can_occupy);
    EXPECT_TRUE(d.is_safe);
}
