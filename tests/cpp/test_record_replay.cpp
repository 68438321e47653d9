// Replay compaction and the set-ups the record readers share.

#include <gtest/gtest.h>

#include <random>

#include "record_support.h"
#include "core/records/replay.h"
#include "core/records/setup.h"

namespace korvan {
namespace {

TEST(ReplayCompaction, LongPlayoutsKeepTheSfenAndBoundTheStack) {
    for (std::uint64_t seed = 1; seed <= 6; ++seed) {
        std::mt19937_64 rng(seed);
        Position compact = position_startpos();
        Position full = position_startpos();
        std::uint64_t counter = 0;
        for (int ply = 1; ply <= 450; ++ply) {
            const Move32 m = test::random_legal(full, rng);
            if (!m) break;
            position_do_move(full, m);
            position_do_move(compact, position_move_to_move32(compact, move16(m)));
            ASSERT_TRUE(replay_compact_history(compact, counter));
            EXPECT_EQ(counter, static_cast<std::uint64_t>(ply % 200));
            EXPECT_LE(compact.states.top(), 199u);
            ASSERT_EQ(position_to_sfen(compact, compact.ply), position_to_sfen(full, full.ply)) << "ply " << ply;
            EXPECT_EQ(compact.key, full.key);
            if (ply % 200 == 0) {
                EXPECT_EQ(compact.states.top(), 0u);
                test::expect_consistent(compact);
                EXPECT_FALSE(position_undo_move(compact, compact.st().last_move));
            }
        }
    }
}

TEST(ReplayCompaction, RepetitionBeforeTheRebuildIsForgotten) {
    Position pos = position_startpos();
    std::uint64_t counter = 0;
    const char* cycle[] = {"5i5h", "5a5b", "5h5i", "5b5a"};
    for (int i = 0; i < 200; ++i) {
        test::play(pos, cycle[i % 4]);
        ASSERT_TRUE(replay_compact_history(pos, counter));
    }
    EXPECT_EQ(counter, 0u);
    EXPECT_EQ(position_repetition(pos).count, 0);
    test::play(pos, cycle[0]);
    EXPECT_EQ(position_repetition(pos).count, 0);
}

// A set-up reads as the SFEN reader would read the text it writes: the same state, or
// the same error for a count no hand holds, in either hand order.
TEST(RecordSetup, StateIsTheStateOfItsText) {
    std::mt19937_64 rng(21);
    for (int i = 0; i < 3000; ++i) {
        RecordSetup setup;
        for (Square s = 0; s < SQUARE_NB; ++s) {
            if (rng() % 4) continue;
            const auto pt = static_cast<PieceType>(1 + rng() % 14);
            setup.state.board[s] = make_piece(rng() % 2 ? WHITE : BLACK, pt);
        }
        setup.state.side_to_move = rng() % 2 ? WHITE : BLACK;
        for (Color c : {BLACK, WHITE})
            for (HandPiece hp = 0; hp < HAND_PIECE_NB; ++hp)
                if (rng() % 3 == 0) setup.hands[c][hp] = rng() % 8 ? static_cast<std::uint32_t>(rng() % (HAND_MASK[hp] + 1))
                                                                  : static_cast<std::uint32_t>(rng() % 300);
        for (HandOrder order : {HandOrder::RookFirst, HandOrder::PawnFirst}) {
            const std::string sfen = setup_sfen(setup, order);
            const auto parsed = parse_sfen_fields(sfen);
            const auto state = setup_state(setup, order);
            ASSERT_EQ(state.has_value(), parsed.has_value()) << sfen;
            if (state)
                ASSERT_EQ(*state, static_cast<const PositionState&>(*parsed)) << sfen;
            else
                ASSERT_EQ(state.error(), parsed.error()) << sfen;
        }
    }
}

TEST(RecordSetup, HandOrdersAndCounts) {
    RecordSetup setup;
    EXPECT_EQ(setup_sfen(setup, HandOrder::PawnFirst), "9/9/9/9/9/9/9/9/9 b - 1");
    setup.state.board[make_square(4, 8)] = make_piece(BLACK, KING);
    setup.state.board[make_square(0, 0)] = make_piece(WHITE, DRAGON);
    setup.hands[WHITE][hand_piece_of(ROOK)] = 1;
    setup.hands[BLACK][hand_piece_of(PAWN)] = 2;
    setup.hands[BLACK][hand_piece_of(GOLD)] = 1;
    EXPECT_EQ(setup_sfen(setup, HandOrder::PawnFirst), "8+r/9/9/9/9/9/9/9/4K4 b 2PGr 1");
    EXPECT_EQ(setup_sfen(setup, HandOrder::RookFirst), "8+r/9/9/9/9/9/9/9/4K4 b G2Pr 1");

    // Counts saturate at 255, which the SFEN reader refuses with that count.
    for (int i = 0; i < 256; ++i) setup_add_to_hand(setup, BLACK, hand_piece_of(PAWN), 1);
    EXPECT_EQ(setup.hands[BLACK][hand_piece_of(PAWN)], 255u);
    setup_add_to_hand(setup, WHITE, hand_piece_of(LANCE), 4000);
    EXPECT_EQ(setup.hands[WHITE][hand_piece_of(LANCE)], 255u);
    EXPECT_EQ(sfen_error_display(setup_state(setup, HandOrder::PawnFirst).error()),
              "invalid hand count for PieceType(1): 255");
}

}  // namespace
}  // namespace korvan
