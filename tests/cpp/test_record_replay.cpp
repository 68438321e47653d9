// Replay compaction and the set-up helpers the record readers share.

#include <gtest/gtest.h>

#include <random>

#include "record_support.h"
#include "core/records/reader_support.h"

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
    EXPECT_EQ(pos.st().repetition_count, 0);
    test::play(pos, cycle[0]);
    EXPECT_EQ(pos.st().repetition_count, 0);
}

TEST(ReaderSupport, CsaCodesToSfen) {
    const std::pair<const char*, const char*> black[] = {{"FU", "P"},  {"KY", "L"},  {"KE", "N"},  {"GI", "S"},
                                                         {"KI", "G"},  {"KA", "B"},  {"HI", "R"},  {"OU", "K"},
                                                         {"TO", "+P"}, {"NY", "+L"}, {"NK", "+N"}, {"NG", "+S"},
                                                         {"UM", "+B"}, {"RY", "+R"}};
    for (const auto& [code, letter] : black) {
        EXPECT_EQ(csa_piece_to_sfen(code, '+'), letter);
        std::string lower = letter;
        lower.back() = static_cast<char>(lower.back() - 'A' + 'a');
        EXPECT_EQ(csa_piece_to_sfen(code, '-'), lower);
    }
    for (const char* bad : {"", "F", "FUU", "fu", "AL", "  "}) EXPECT_FALSE(csa_piece_to_sfen(bad, '+')) << bad;
}

TEST(ReaderSupport, BoardRowsAndHands) {
    EXPECT_EQ(*sfen_board_from_rows({}), "9/9/9/9/9/9/9/9/9");
    EXPECT_EQ(*sfen_board_from_rows({{{5, 9}, {'+', "OU"}}}), "9/9/9/9/9/9/9/9/4K4");
    EXPECT_EQ(*sfen_board_from_rows({{{9, 1}, {'-', "KY"}}, {{1, 1}, {'-', "RY"}}, {{5, 5}, {'+', "TO"}}}),
              "l7+r/9/9/9/4+P4/9/9/9/9");
    EXPECT_EQ(sfen_board_from_rows({{{1, 1}, {'+', "XX"}}}).error(), "unknown piece code: XX");

    HandCounts counts;
    EXPECT_EQ(sfen_from_parsed_setup(counts).error(), "hand counts missing side");
    new_hand_counts_by_side(counts);
    EXPECT_EQ(*sfen_from_parsed_setup(counts), "-");
    hand_counts_add(counts, '-', "HI", 1);
    hand_counts_add(counts, '+', "FU", 2);
    hand_counts_add(counts, '+', "KI", 0);
    EXPECT_EQ(*sfen_from_parsed_setup(counts), "2Pr");
    new_hand_counts_by_side(counts);  // existing sides stay
    EXPECT_EQ(*sfen_from_parsed_setup(counts), "2Pr");
}

TEST(ReaderSupport, HandCountsSaturateSoTheSfenIsRefused) {
    HandCounts counts;
    new_hand_counts_by_side(counts);
    for (int i = 0; i < 256; ++i) hand_counts_add(counts, '+', "FU", 1);
    EXPECT_EQ(counts['+']["FU"], 255);
    const auto hand = sfen_from_parsed_setup(counts);
    ASSERT_TRUE(hand);
    EXPECT_EQ(*hand, "255P");
    EXPECT_FALSE(parse_sfen_fields("4k4/9/9/9/9/9/9/9/4K4 b " + *hand + " 1"));
}

}  // namespace
}  // namespace korvan
