// Legal move counts against published perft figures.

#include <gtest/gtest.h>

#include <cstdlib>

#include "support.h"

using namespace korvan;

struct PerftCase {
    const char* sfen;
    int depth;
    std::uint64_t nodes;
};

class Perft : public ::testing::TestWithParam<PerftCase> {};

TEST_P(Perft, CountsMatch) {
    Position pos = test::sfen(GetParam().sfen);
    EXPECT_EQ(test::perft(pos, GetParam().depth), GetParam().nodes);
    EXPECT_EQ(position_to_sfen(pos, pos.ply), position_to_sfen(test::sfen(GetParam().sfen), pos.ply));
}

INSTANTIATE_TEST_SUITE_P(Start, Perft,
                         ::testing::Values(PerftCase{STARTPOS_SFEN.data(), 1, 30},
                                           PerftCase{STARTPOS_SFEN.data(), 2, 900},
                                           PerftCase{STARTPOS_SFEN.data(), 3, 25470},
                                           PerftCase{STARTPOS_SFEN.data(), 4, 719731},
                                           PerftCase{STARTPOS_SFEN.data(), 5, 19861490}),
                         [](const auto& info) { return test::case_name(info.index, {"depth", std::to_string(info.param.depth)}); });

INSTANTIATE_TEST_SUITE_P(Matsuri, Perft,
                         ::testing::Values(PerftCase{test::MATSURI, 1, 207}, PerftCase{test::MATSURI, 2, 28684},
                                           PerftCase{test::MATSURI, 3, 4809015}),
                         [](const auto& info) { return test::case_name(info.index, {"depth", std::to_string(info.param.depth)}); });
