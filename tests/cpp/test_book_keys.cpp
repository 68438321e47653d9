// Book keys: the key one move ahead against the key a made move leaves, over every
// legal move of seeded playouts from the start and the handicap positions; the
// arithmetic on values no legal move has; the refused values and the key texts.

#include "core/board/zobrist.h"
#include "core/book/book_key.h"
#include "core/book/book_move.h"
#include "support.h"

namespace korvan::test {
namespace {

struct Coverage {
    std::size_t drops = 0, promotions = 0, captures_of_promoted = 0, unpromoted_in_zone = 0, moves = 0;
};

void check_every_legal_move(Position& pos, Coverage& seen) {
    MoveList list;
    generate_legal(pos, list);
    for (Move m : list) {
        const auto ahead = book_key_after(pos, m);
        ASSERT_TRUE(ahead) << move_display_usi(m);
        const Move32 m32 = position_move_to_move32(pos, m);
        const Piece moving = is_drop(m) ? NO_PIECE : pos.board[move_from(m)];
        if (is_drop(m)) ++seen.drops;
        if (is_promotion(m)) ++seen.promotions;
        if (!is_drop(m) && is_promoted(type_of(pos.board[move_to(m)]))) ++seen.captures_of_promoted;
        if (!is_drop(m) && !is_promotion(m) && is_promotable(type_of(moving)) &&
            (in_promotion_zone(pos.side_to_move, move_from(m)) || in_promotion_zone(pos.side_to_move, move_to(m))))
            ++seen.unpromoted_in_zone;
        ++seen.moves;
        position_do_move(pos, m32);
        EXPECT_EQ(ahead->low, pos.key) << move_display_usi(m);
        EXPECT_EQ(book_key_of(pos), *ahead);
        (void)position_undo_move(pos, m32);
    }
}

class BookKeyPlayout : public ::testing::TestWithParam<int> {};

// Each playout runs long enough for promoted pieces to be taken and pieces to be
// dropped; every position on the way checks all its legal moves.
TEST_P(BookKeyPlayout, KeyAheadEqualsKeyAfterTheMove) {
    const int kind = GetParam();
    Coverage seen;
    std::mt19937_64 rng(0xB00C + kind);
    for (int game = 0; game < 6; ++game) {
        Position pos = sfen(std::string(handicap_sfen(kind)));
        for (int ply = 0; ply < 160; ++ply) {
            check_every_legal_move(pos, seen);
            if (HasFatalFailure()) return;
            const Move32 m = random_legal(pos, rng);
            if (!m) break;
            position_do_move(pos, m);
        }
    }
    EXPECT_GT(seen.drops, 0u);
    EXPECT_GT(seen.promotions, 0u);
    EXPECT_GT(seen.captures_of_promoted, 0u);
    EXPECT_GT(seen.unpromoted_in_zone, 0u);
}

std::string preset_name(const ::testing::TestParamInfo<int>& info) {
    static const char* const NAMES[] = {"even",         "empty",        "lance",       "right_lance",
                                        "bishop",       "rook",         "rook_lance",  "two_pieces",
                                        "three_pieces", "four_pieces",  "five_pieces", "left_five",
                                        "six_pieces",   "eight_pieces", "ten_pieces"};
    return NAMES[info.param];
}

// Every preset but the empty board (kind 1), which has no moves.
INSTANTIATE_TEST_SUITE_P(Presets, BookKeyPlayout,
                         ::testing::Values(0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14), preset_name);

TEST(BookKey, PositionWithPromotedPiecesInBothHands) {
    Position pos = sfen(MATSURI);
    Coverage seen;
    check_every_legal_move(pos, seen);
    EXPECT_GT(seen.drops, 0u);
}

// The promotion bit on a piece that cannot promote leaves it as it is.
TEST(BookKey, PromotionBitOnGoldOrKingMovesThePiecePlain) {
    std::mt19937_64 rng(7);
    std::size_t checked = 0;
    Position pos = sfen(std::string(STARTPOS_SFEN));
    for (int ply = 0; ply < 120; ++ply) {
        MoveList list;
        generate_legal(pos, list);
        for (Move m : list) {
            if (is_drop(m)) continue;
            if (is_promotable(type_of(pos.board[move_from(m)]))) continue;
            const auto flagged = book_key_after(pos, static_cast<Move>(m | MOVE_PROMOTE_FLAG));
            ASSERT_TRUE(flagged);
            EXPECT_EQ(*flagged, *book_key_after(pos, m)) << move_display_usi(m);
            ++checked;
        }
        const Move32 m = random_legal(pos, rng);
        if (!m) break;
        position_do_move(pos, m);
    }
    EXPECT_GT(checked, 100u);
}

// Values no legal move has: a source or destination of 81 reads the zero column, a
// drop of a field 8..31 reads its row and leaves the hands alone.
TEST(BookKey, ArithmeticOnTheTableEdges) {
    for (const char* text : {STARTPOS_SFEN.data(), MATSURI}) {
        const Position pos = sfen(text);
        const std::uint64_t flipped = pos.key ^ ZOBRIST_SIDE;
        const Color us = pos.side_to_move;
        for (Square s = 0; s < 81; ++s) {
            const Piece p = pos.board[s];
            // From square 81: nothing leaves, whatever stands on the target is taken.
            const auto from_none = book_key_after(pos, make_move16(SQ_NONE, s));
            ASSERT_TRUE(from_none);
            std::uint64_t hand = pos.hand_key;
            if (p && demote(type_of(p)) <= GOLD && type_of(p) != KING)
                hand += ZOBRIST_HAND[us][hand_piece_of(demote(type_of(p)))];
            EXPECT_EQ(from_none->low, (pos.board_key ^ ZOBRIST_SIDE ^ ZOBRIST[p][s]) ^ hand) << int(s);
            // To square 81: the piece leaves the board.
            const auto to_none = book_key_after(pos, make_move16(s, SQ_NONE));
            ASSERT_TRUE(to_none);
            EXPECT_EQ(to_none->low, flipped ^ ZOBRIST[p][s]) << int(s);
            for (unsigned field = 8; field < 32; ++field) {
                const auto drop = book_key_after(pos, make_drop16(PieceType(field), s));
                ASSERT_TRUE(drop) << field;
                EXPECT_EQ(drop->low, flipped ^ ZOBRIST[(us << 4) | field][s]) << field;
            }
        }
        EXPECT_EQ(book_key_after(pos, make_move16(SQ_NONE, SQ_NONE))->low, flipped);
        EXPECT_EQ(*book_key_after(pos, MOVE_NONE), *book_key_after(pos, make_move16(0, 0)));
    }
}

TEST(BookKey, ValuesOutsideTheTablesAreRefused) {
    const Position pos = sfen(MATSURI);
    std::size_t refused = 0;
    for (std::uint32_t v = 0; v < 0x10000; ++v) {
        const Move m = static_cast<Move>(v);
        const bool outside = move_to(m) > 81 || (is_drop(m) ? move_from(m) > 31 : move_from(m) > 81);
        const auto key = book_key_after(pos, m);
        ASSERT_EQ(!key, outside) << v;
        if (!key) {
            ++refused;
            EXPECT_EQ(key.error().move, m);
        }
    }
    EXPECT_GT(refused, 0u);
    EXPECT_EQ(book_key_error_display(BookKeyError{0x40d2}), "invalid move value: 0x40d2");
    EXPECT_EQ(book_key_error_display(BookKeyError{0x0052}), "invalid move value: 0x0052");
    EXPECT_EQ(book_key_error_display(BookKeyError{0xffff}), "invalid move value: 0xffff");
}

TEST(BookKey, Texts) {
    EXPECT_EQ(book_key_hex(0), "0x0");
    EXPECT_EQ(book_key_hex(0x1f), "0x1f");
    EXPECT_EQ(book_key_hex(0xffffffffffffffffULL), "0xffffffffffffffff");
    EXPECT_EQ(book_key_repr(BookKey{0}), "BookKey(low=0x0, high=0x0)");
    EXPECT_EQ(book_key_repr(BookKey{0x8000000000000001ULL}), "BookKey(low=0x8000000000000001, high=0x0)");
    EXPECT_EQ(book_move_repr(BookMove{*move_from_usi("7g7f"), -35, 12}), "BookMove(move=7g7f, score=-35, depth=12)");
    EXPECT_EQ(book_move_repr(BookMove{*move_from_usi("P*5e"), 0, 0}), "BookMove(move=P*5e, score=0, depth=0)");
    EXPECT_EQ(book_move_repr(BookMove{MOVE_RESIGN, -32768, 65535}),
              "BookMove(move=resign, score=-32768, depth=65535)");
    EXPECT_EQ(book_entry_repr(BookEntry{BookKey{0x1f}, std::vector<BookMove>(3)}), "BookEntry(key=0x1f, moves=3)");
}

}  // namespace
}  // namespace korvan::test
