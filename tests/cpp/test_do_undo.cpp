// Do and undo: incremental state against recomputation, repetition states, the state
// stack's chunks, copies, and the change record.

#include <gtest/gtest.h>

#include "core/board/position/legality.h"
#include "core/board/zobrist.h"
#include "support.h"

using namespace korvan;
using test::play;
using test::sfen;

namespace {

// Board, sets, hands, keys, side, ply, king squares and stack index of two positions.
void expect_same_position(const Position& a, const Position& b) {
    EXPECT_EQ(a.board, b.board);
    EXPECT_EQ(a.by_type, b.by_type);
    EXPECT_EQ(a.by_color, b.by_color);
    EXPECT_EQ(a.occupied, b.occupied);
    EXPECT_EQ(a.golds_hdk, b.golds_hdk);
    EXPECT_EQ(a.hands, b.hands);
    EXPECT_EQ(a.key, b.key);
    EXPECT_EQ(a.board_key, b.board_key);
    EXPECT_EQ(a.hand_key, b.hand_key);
    EXPECT_EQ(a.side_to_move, b.side_to_move);
    EXPECT_EQ(a.ply, b.ply);
    EXPECT_EQ(a.king_square, b.king_square);
    EXPECT_EQ(a.state_index(), b.state_index());
    EXPECT_EQ(a.st(), b.st());
}

void expect_same_derived(const Position& a, const Position& b) {
    EXPECT_EQ(position_blockers(a, BLACK), position_blockers(b, BLACK));
    EXPECT_EQ(position_blockers(a, WHITE), position_blockers(b, WHITE));
    EXPECT_EQ(position_check_squares(a), position_check_squares(b));
}

bool operator==(const Repetition& a, const Repetition& b) {
    return a.state == b.state && a.count == b.count && a.distance == b.distance;
}

// What the repetition search is to find at ply i of a game played from a set-up, from
// the game's own facts: the board key and the hand of the side to move at every ply,
// whether each move gave check, and the answers at the earlier plies.
struct PlyFacts {
    std::uint64_t board_key;
    Hand hand;
    bool gave_check;  // the move that led here
};

Repetition expected_repetition(const std::vector<PlyFacts>& plies, const std::vector<Repetition>& earlier,
                               std::size_t i) {
    // The side that moved at ply `last` gave check with each of its moves back to ply
    // last - d + 2.
    const auto checked_throughout = [&](std::size_t last, int d) {
        for (int k = 0; k < d; k += 2)
            if (!plies[last - k].gave_check) return false;
        return true;
    };
    for (int d = 4; d <= 16 && static_cast<std::size_t>(d) <= i; d += 2) {
        const PlyFacts& r = plies[i - d];
        if (r.board_key != plies[i].board_key) continue;
        if (r.hand == plies[i].hand) {
            const Repetition& before = earlier[i - d];
            const std::int32_t count = before.count + 1;
            RepetitionState state = checked_throughout(i - 1, d) ? RepetitionState::Lose
                                    : checked_throughout(i, d)   ? RepetitionState::Win
                                                                 : RepetitionState::Draw;
            if (before.count > 0 && state != before.state) state = RepetitionState::Draw;
            return {state, count, count >= 3 ? -d : d};
        }
        if (hand_dominates(plies[i].hand, r.hand)) return {RepetitionState::Superior, 0, d};
        if (hand_dominates(r.hand, plies[i].hand)) return {RepetitionState::Inferior, 0, d};
    }
    return {RepetitionState::None, 0, 0};
}

// Half the time, when it is legal, the move that takes back the mover's previous move:
// games that come back to earlier positions, with and without checks.
Move32 playout_move(const Position& pos, const std::vector<Move32>& moves, std::mt19937_64& rng) {
    if (moves.size() >= 2 && rng() % 2 == 0) {
        const Move32 previous = moves[moves.size() - 2];
        if (!is_drop(previous) && !is_promotion(previous)) {
            MoveList list;
            generate_legal(pos, list);
            for (const Move m : list)
                if (move_from(m) == move_to(previous) && move_to(m) == move_from(previous) && !is_promotion(m))
                    return position_move_to_move32(pos, m);
        }
    }
    return test::random_legal(pos, rng);
}

}  // namespace

class RandomPlayout : public ::testing::TestWithParam<const char*> {};

// After every move the incremental fields and the derived state equal a recomputation,
// the repetition answers (asked now and then, so that later questions search several
// plies at once) equal the rule applied to the game, and undoing the whole game
// restores every position, derived state and answer on the way back.
TEST_P(RandomPlayout, IncrementalStateMatchesRecomputation) {
    std::mt19937_64 rng(12345);
    std::array<int, 6> tally{};
    for (int game = 0; game < 30; ++game) {
        Position pos = sfen(GetParam());
        std::vector<Position> history;
        std::vector<Move32> moves;
        std::vector<PlyFacts> plies = {{pos.board_key, pos.hands[pos.side_to_move], false}};
        std::vector<Repetition> expected = {{RepetitionState::None, 0, 0}};
        for (int ply = 0; ply < 160; ++ply) {
            const Move32 m = playout_move(pos, moves, rng);
            if (!m) break;
            const bool check = position_gives_check(pos, m);
            history.push_back(pos);
            moves.push_back(m);
            position_do_move(pos, m);
            plies.push_back({pos.board_key, pos.hands[pos.side_to_move], check});
            expected.push_back(expected_repetition(plies, expected, plies.size() - 1));
            EXPECT_EQ(pos.st().last_move, m);
            test::expect_consistent(pos);
            if (rng() % 4 == 0) {
                EXPECT_TRUE(position_repetition(pos) == expected.back()) << "ply " << ply;
            }
            tally[static_cast<int>(expected.back().state)] += 1;
            if (::testing::Test::HasFailure()) return;
        }
        while (!moves.empty()) {
            EXPECT_TRUE(position_repetition(pos) == expected.back()) << "ply " << moves.size();
            ASSERT_TRUE(position_undo_move(pos, moves.back()));
            moves.pop_back();
            expected.pop_back();
            expect_same_position(pos, history.back());
            expect_same_derived(pos, history.back());
            history.pop_back();
            if (::testing::Test::HasFailure()) return;
        }
        EXPECT_EQ(position_undo_move(pos, 0).error(), StateStackError::StackUnderflow);
    }
    // The games do come back to earlier positions.
    EXPECT_GT(tally[static_cast<int>(RepetitionState::Draw)], 0);
}

INSTANTIATE_TEST_SUITE_P(Starts, RandomPlayout,
                         ::testing::Values(STARTPOS_SFEN.data(), test::MATSURI,
                                           "4k4/9/9/9/9/9/9/9/4K4 b RB2G2S2N2L9Pr2g2s2n2l9p 1",
                                           "8k/9/9/9/9/9/9/9/K8 w 2R2B4G4S4N4L18P 1"),
                         [](const auto& info) { return test::case_name(info.index, {"start"}); });

TEST(DoUndo, UnderflowLeavesThePositionAlone) {
    Position pos = position_startpos();
    const Position before = pos;
    EXPECT_EQ(position_undo_move(pos, 0).error(), StateStackError::StackUnderflow);
    expect_same_position(pos, before);
    play(pos, "7g7f");
    EXPECT_TRUE(position_undo_move(pos, test::usi(before, "7g7f")));
    EXPECT_EQ(position_undo_move(pos, 0).error(), StateStackError::StackUnderflow);
    EXPECT_STREQ(state_stack_error_debug(StateStackError::StackUnderflow), "StackUnderflow");
    EXPECT_STREQ(state_stack_error_debug(StateStackError::NoStateInfo), "NoStateInfo");
}

TEST(DoUndo, HandKeys) {
    Position pos = sfen("4k4/9/9/9/9/9/9/9/4K4 b P 1");
    const std::uint64_t hand_key = pos.hand_key;
    play(pos, "P*5e");
    EXPECT_EQ(hand_count(pos.hands[BLACK], PAWN), 0u);
    EXPECT_EQ(hand_key - pos.hand_key, ZOBRIST_HAND[BLACK][0]);

    Position cap = sfen("4k4/9/9/9/4+r4/9/4P4/9/4K3R b - 1");
    const std::uint64_t h2 = cap.hand_key;
    play(cap, "1i1e");
    play(cap, "5a4a");
    play(cap, "1e5e");
    EXPECT_EQ(hand_count(cap.hands[BLACK], ROOK), 1u);
    EXPECT_EQ(cap.hand_key - h2, ZOBRIST_HAND[BLACK][5]);
}

TEST(DoUndo, KingSquareFollowsTheKing) {
    Position pos = position_startpos();
    play(pos, "5i5h");
    EXPECT_EQ(pos.king_square[BLACK], 43);
    ASSERT_TRUE(position_undo_move(pos, pos.st().last_move));
    EXPECT_EQ(pos.king_square[BLACK], 44);
}

TEST(DoUndo, DiscoveredAndDoubleCheckers) {
    // The bishop on 9i looks at the king on 1a through the silver on 5e.
    Position pos = sfen("8k/9/9/9/4S4/9/9/9/B3K4 b - 1");
    play(pos, "5e5d");
    EXPECT_EQ(pos.st().checkers, square_bb(80));
    // The knight checks from 4c and uncovers the rook on 5i: both check.
    Position dbl = sfen("4k4/9/9/9/4N4/9/9/9/4R3K b - 1");
    play(dbl, "5e4c");
    EXPECT_EQ(dbl.st().checkers, square_bb(29) | square_bb(44));
}

TEST(DoUndo, MissingKingsMeanNoChecks) {
    // White has no king: Black's drop next to where it would stand checks nothing.
    Position pos = sfen("9/9/9/9/9/9/9/9/4K3R b G 1");
    play(pos, "G*5a");
    EXPECT_TRUE(pos.st().checkers.empty());
    // Black has no king: after Black's checking drop, White has no check squares.
    Position kingless = sfen("4k4/9/9/9/9/9/9/9/9 b G 1");
    play(kingless, "G*5b");
    EXPECT_EQ(kingless.st().checkers, square_bb(37));
    for (const Bitboard& b : position_check_squares(kingless)) EXPECT_TRUE(b.empty());
}

namespace {
void shuffle_rooks(Position& pos, int cycles) {
    for (int i = 0; i < cycles; ++i) {
        play(pos, "2h3h");
        play(pos, "8b7b");
        play(pos, "3h2h");
        play(pos, "7b8b");
    }
}
}  // namespace

TEST(Repetition, PlainRepetitionCounts) {
    Position pos = position_startpos();
    shuffle_rooks(pos, 1);
    EXPECT_EQ(position_repetition(pos).count, 1);
    EXPECT_EQ(position_repetition(pos).state, RepetitionState::Draw);
    EXPECT_EQ(position_repetition(pos).distance, 4);
    shuffle_rooks(pos, 1);
    EXPECT_EQ(position_repetition(pos).count, 2);
    shuffle_rooks(pos, 1);
    EXPECT_EQ(position_repetition(pos).count, 3);
    EXPECT_EQ(position_repetition(pos).state, RepetitionState::Draw);
    EXPECT_EQ(position_repetition(pos).distance, -4);
}

TEST(Repetition, PerpetualCheckWonAndLost) {
    // Black's rook checks on every move of the cycle; White's king steps back and forth.
    Position pos = sfen("4k4/9/9/9/9/9/9/9/R3K4 b - 1");
    play(pos, "9i9a");   // check along rank a
    play(pos, "5a5b");
    play(pos, "9a9b");   // check
    play(pos, "5b5a");
    play(pos, "9b9a");   // check: the position after 9i9a again, White to move
    EXPECT_EQ(position_repetition(pos).count, 1);
    EXPECT_EQ(position_repetition(pos).state, RepetitionState::Win);  // White's opponent checked throughout
    play(pos, "5a5b");   // back to the position after 5a5b, Black (the checker) to move
    EXPECT_EQ(position_repetition(pos).count, 1);
    EXPECT_EQ(position_repetition(pos).state, RepetitionState::Lose);
}

TEST(Repetition, SuperiorAndInferiorHands) {
    // White's king takes the dropped pawn and walks a triangle home: Black is back to
    // the same board with one pawn fewer.
    Position inferior = sfen("4k4/9/9/9/9/9/9/9/4K4 b P 1");
    for (const char* m : {"P*5b", "5a5b", "5i4i", "5b4a", "4i5i", "4a5a"}) play(inferior, m);
    EXPECT_EQ(position_repetition(inferior).state, RepetitionState::Inferior);
    EXPECT_EQ(position_repetition(inferior).count, 0);
    EXPECT_EQ(position_repetition(inferior).distance, 6);
    // Black's king takes White's dropped pawn: Black is back with one pawn more.
    Position superior = sfen("4k4/9/9/9/9/9/9/9/4K4 b p 1");
    for (const char* m : {"5i4i", "P*4h", "4i4h", "5a4a", "4h5i", "4a5a"}) play(superior, m);
    EXPECT_EQ(position_repetition(superior).state, RepetitionState::Superior);
    EXPECT_EQ(position_repetition(superior).count, 0);
}

TEST(Repetition, SixteenPliesBackIsTheLimit) {
    // Each king walks a closed tour; the start comes back after 2 x 8 and 2 x 9 plies.
    Position sixteen = sfen("4k4/9/9/9/9/9/9/9/4K4 b - 1");
    const char* black8[] = {"5i4i", "4i3i", "3i3h", "3h4h", "4h5h", "5h6h", "6h6i", "6i5i"};
    const char* white8[] = {"5a6a", "6a7a", "7a7b", "7b6b", "6b5b", "5b4b", "4b4a", "4a5a"};
    for (int i = 0; i < 8; ++i) play(sixteen, black8[i]), play(sixteen, white8[i]);
    EXPECT_EQ(position_repetition(sixteen).state, RepetitionState::Draw);
    EXPECT_EQ(position_repetition(sixteen).distance, 16);

    Position eighteen = sfen("4k4/9/9/9/9/9/9/9/4K4 b - 1");
    const char* black9[] = {"5i4i", "4i3i", "3i2i", "2i2h", "2h3h", "3h4h", "4h5h", "5h6h", "6h5i"};
    const char* white9[] = {"5a6a", "6a7a", "7a8a", "8a8b", "8b7b", "7b6b", "6b5b", "5b4b", "4b5a"};
    for (int i = 0; i < 9; ++i) play(eighteen, black9[i]), play(eighteen, white9[i]);
    EXPECT_EQ(eighteen.key, sfen("4k4/9/9/9/9/9/9/9/4K4 b - 1").key);
    EXPECT_EQ(position_repetition(eighteen).state, RepetitionState::None);
    EXPECT_EQ(position_repetition(eighteen).count, 0);
}

TEST(StateStack, ChunkBoundaryAndReuse) {
    Position pos = position_startpos();
    std::vector<Move32> moves;
    const char* cycle[] = {"2h3h", "8b7b", "3h2h", "7b8b"};
    for (int i = 0; i < 200; ++i) {
        const Move32 m = test::usi(pos, cycle[i % 4]);
        position_do_move(pos, m);
        moves.push_back(m);
        if (pos.state_index() == 63) {
            EXPECT_EQ(pos.states.chunk_count(), 1u);
        }
        if (pos.state_index() == 64) {
            EXPECT_EQ(pos.states.chunk_count(), 2u);
        }
    }
    EXPECT_EQ(pos.states.chunk_count(), 4u);
    Position copy = pos;
    while (!moves.empty()) {
        ASSERT_TRUE(position_undo_move(pos, moves.back()));
        moves.pop_back();
    }
    EXPECT_EQ(pos.states.chunk_count(), 4u);
    expect_same_position(pos, position_startpos());
    // The copy keeps its whole history and undoes independently.
    EXPECT_EQ(copy.state_index(), 200u);
    EXPECT_GT(position_repetition(copy).count, 3);
    for (int i = 199; i >= 0; --i) ASSERT_TRUE(position_undo_move(copy, copy.st().last_move));
    expect_same_position(copy, position_startpos());
    // A new set-up frees all chunks but the first.
    position_set(pos, *parse_sfen_fields(STARTPOS_SFEN));
    EXPECT_EQ(pos.states.chunk_count(), 1u);
}

// The stack's top record is the record at its top index after every change of the
// stack: a move or an undo across chunk boundaries, a copy or a move of the position
// (assigned over a deeper or a shallower stack) and a new set-up.
TEST(StateStack, TopRecordFollowsTheStack) {
    const auto on_top = [](const Position& p) { return &p.st() == &p.states.at(p.state_index()); };
    const char* cycle[] = {"2h3h", "8b7b", "3h2h", "7b8b"};
    Position pos = position_startpos();
    Position shallow = position_startpos();
    for (int i = 0; i < 150; ++i) {
        position_do_move(pos, test::usi(pos, cycle[i % 4]));
        ASSERT_TRUE(on_top(pos)) << i;
        if (i % 37 == 0) {
            Position copy = pos;
            ASSERT_TRUE(on_top(copy));
            ASSERT_NE(&copy.st(), &pos.st());
            Position deep = pos;
            for (int j = 0; j < 70; ++j) position_do_move(deep, test::usi(deep, cycle[(i + 1 + j) % 4]));
            deep = pos;  // over a deeper stack
            ASSERT_TRUE(on_top(deep));
            shallow = pos;  // over a shallower one
            ASSERT_TRUE(on_top(shallow));
            const Position moved = std::move(copy);
            ASSERT_TRUE(on_top(moved));
            Position target = position_startpos();
            target = std::move(deep);
            ASSERT_TRUE(on_top(target));
            ASSERT_EQ(target.state_index(), pos.state_index());
        }
    }
    while (pos.state_index() > 0) {
        ASSERT_TRUE(position_undo_move(pos, pos.st().last_move));
        ASSERT_TRUE(on_top(pos)) << pos.state_index();
    }
    position_do_move(shallow, test::usi(shallow, "9g9f"));
    ASSERT_TRUE(on_top(shallow));
    position_set(shallow, *parse_sfen_fields(STARTPOS_SFEN));
    EXPECT_TRUE(on_top(shallow));
    EXPECT_EQ(shallow.state_index(), 0u);
}

TEST(MoveDelta, RecordsWhatAMoveDid) {
    Position pos = sfen("4k4/9/9/9/4+r4/9/4P4/9/4K3R b P 1");
    Position reference = pos;
    Move32 m = test::usi(pos, "P*1e");
    MoveDelta d = position_do_move_with_delta(pos, m, position_gives_check(pos, m));
    position_do_move(reference, m);
    EXPECT_EQ(d.kind, MoveDelta::Kind::Drop);
    EXPECT_EQ(d.hand_count_before, 1u);
    EXPECT_EQ(d.piece_type, PAWN);
    EXPECT_EQ(d.to, 4);
    EXPECT_EQ(d.color, BLACK);
    EXPECT_EQ(hand_count(pos.hands[BLACK], PAWN), 0u);
    expect_same_position(pos, reference);

    for (const char* text : {"5a4a", "1i2i"}) {
        m = test::usi(pos, text);
        d = position_do_move_with_delta(pos, m, position_gives_check(pos, m));
        position_do_move(reference, m);
        expect_same_position(pos, reference);
    }
    EXPECT_EQ(d.kind, MoveDelta::Kind::Board);
    EXPECT_EQ(d.from, 8);
    EXPECT_EQ(d.to, 17);
    EXPECT_EQ(d.moved_piece_before, make_piece(BLACK, ROOK));
    EXPECT_EQ(d.captured, NO_PIECE);

    m = test::usi(pos, "5e5g");  // the dragon takes the pawn
    d = position_do_move_with_delta(pos, m, position_gives_check(pos, m));
    position_do_move(reference, m);
    EXPECT_EQ(d.kind, MoveDelta::Kind::Capture);
    EXPECT_EQ(d.captured, make_piece(BLACK, PAWN));
    EXPECT_EQ(d.hand_count_before, 0u);
    EXPECT_EQ(d.color, WHITE);
    expect_same_position(pos, reference);

    Position promo = sfen("4k4/9/9/4P4/9/9/9/9/4K4 b - 1");
    m = test::usi(promo, "5d5c+");
    d = position_do_move_with_delta(promo, m, position_gives_check(promo, m));
    EXPECT_EQ(d.moved_piece_before, make_piece(BLACK, PAWN));
    EXPECT_EQ(d.moved_piece_after, make_piece(BLACK, PRO_PAWN));

    Position dragon = sfen("4k4/9/9/9/4+r4/9/4P4/9/4K3R b R 1");
    play(dragon, "1i1e");
    play(dragon, "5a4a");
    m = test::usi(dragon, "1e5e");
    d = position_do_move_with_delta(dragon, m, position_gives_check(dragon, m));
    EXPECT_EQ(d.captured, make_piece(WHITE, DRAGON));
    EXPECT_EQ(d.hand_count_before, 1u);
    EXPECT_EQ(hand_count(dragon.hands[BLACK], ROOK), 2u);
}

// The one-pass set-up equals the three separate steps: sets, keys, fresh record.
TEST(SetUp, OnePassEqualsTheSeparateSteps) {
    for (const char* text : {STARTPOS_SFEN.data(), test::MATSURI, "9/9/9/9/4p4/9/9/9/9 w 3P2b 0",
                             "4k4/9/9/9/9/9/9/4r4/4K4 b G 1"}) {
        const Position fused = sfen(text);
        Position steps;
        const SfenFields f = *parse_sfen_fields(text);
        steps.board = f.board;
        steps.hands = f.hands;
        steps.side_to_move = f.side_to_move;
        steps.ply = f.ply;
        position_update_bitboards(steps);
        const PositionKeys keys = position_compute_key(steps);
        steps.board_key = keys.board_key;
        steps.hand_key = keys.hand_key;
        steps.key = keys.board_key ^ keys.hand_key;
        position_reset_state(steps);
        expect_same_position(fused, steps);
    }
}
