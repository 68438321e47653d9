// The USI position command and position validation.

#include <gtest/gtest.h>

#include "core/board/notation/usi_position.h"
#include "core/board/position/validation.h"
#include "support.h"

using namespace korvan;

TEST(UsiPosition, Startpos) {
    for (const char* cmd : {"position startpos", "startpos", "  position   startpos  ", "startpos moves"}) {
        auto r = parse_usi_position_command(cmd);
        ASSERT_TRUE(r) << cmd;
        EXPECT_EQ(r->base_sfen, STARTPOS_SFEN);
        EXPECT_EQ(r->final_sfen, STARTPOS_SFEN);
        EXPECT_TRUE(r->moves.empty());
    }
}

TEST(UsiPosition, MovesAndSfen) {
    auto r = parse_usi_position_command("position startpos moves 7g7f 3c3d 8h2b+ 3a2b B*4e");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->moves.size(), 5u);
    EXPECT_EQ(r->position.state_index(), 5u);
    EXPECT_EQ(r->final_sfen, "lnsgkg1nl/1r5s1/pppppp1pp/6p2/5B3/2P6/PP1PPPPPP/7R1/LNSGKGSNL w b 6");
    auto s = parse_usi_position_command("sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1 moves 2g2f");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->base_sfen, STARTPOS_SFEN);
    auto bare = parse_usi_position_command("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL  w -  7");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->base_sfen, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 7");
    EXPECT_EQ(bare->final_sfen, bare->base_sfen);
}

struct UsiErrorCase {
    const char* command;
    const char* message;
};

class UsiPositionErrors : public ::testing::TestWithParam<UsiErrorCase> {};

TEST_P(UsiPositionErrors, Texts) {
    auto r = parse_usi_position_command(GetParam().command);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, UsiPositionErrors,
    ::testing::Values(
        UsiErrorCase{"", "USI position string must not be empty"},
        UsiErrorCase{" \t ", "USI position string must not be empty"},
        UsiErrorCase{"position  \t", "invalid USI position token sequence: position  \t"},
        UsiErrorCase{"sfen 9/9/9/9/9/9/9/9/9 b -",
                     "invalid USI position (expected 'sfen <board> <turn> <hand> <ply>'): sfen 9/9/9/9/9/9/9/9/9 b -"},
        UsiErrorCase{"sfen 9/9/9/9/9/9/9/9/8 b - 1",
                     "invalid USI position SFEN: 9/9/9/9/9/9/9/9/8 b - 1 (invalid square)"},
        UsiErrorCase{"position foo bar", "invalid USI position token sequence: position foo bar"},
        UsiErrorCase{"9/9/9/9/9/9/9/9/9 x - 1", "invalid SFEN token: 9/9/9/9/9/9/9/9/9 x - 1 (invalid turn: 'x')"},
        UsiErrorCase{"startpos 7g7f", "unexpected token sequence in USI position: startpos 7g7f"},
        UsiErrorCase{" startpos movs 7g7f", "unexpected token sequence in USI position:  startpos movs 7g7f"},
        UsiErrorCase{"startpos moves 7g7x", "invalid move '7g7x' in USI position: startpos moves 7g7x"},
        UsiErrorCase{"startpos moves resign", "invalid move value 'resign' in USI position: startpos moves resign"},
        UsiErrorCase{"startpos moves win", "invalid move value 'win' in USI position: startpos moves win"},
        UsiErrorCase{"startpos moves 0000", "invalid move value '0000' in USI position: startpos moves 0000"},
        UsiErrorCase{"startpos moves 5e5d", "invalid move value '5e5d' in USI position: startpos moves 5e5d"},
        UsiErrorCase{"startpos moves 7g7e", "illegal move '7g7e' in USI position: startpos moves 7g7e"},
        UsiErrorCase{"startpos moves 7g7f+", "illegal move '7g7f+' in USI position: startpos moves 7g7f+"},
        UsiErrorCase{"sfen 4k4/9/9/9/9/9/9/9/4K3r b - 1 moves 5i4i",
                     "illegal move '5i4i' in USI position: sfen 4k4/9/9/9/9/9/9/9/4K3r b - 1 moves 5i4i"},
        UsiErrorCase{"startpos moves P*5e", "illegal move 'P*5e' in USI position: startpos moves P*5e"}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.message}); });

struct ValidationCase {
    const char* sfen;
    std::vector<std::string> all;  // every issue, in order
    const char* first;             // the first issue, "" when none
};

class Validation : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(Validation, FirstAndAll) {
    const Position pos = test::sfen(GetParam().sfen);
    std::vector<std::string> all;
    for (const auto& issue : position_validate_all(pos)) all.push_back(validation_issue_display(issue));
    EXPECT_EQ(all, GetParam().all);
    const auto first = position_is_valid(pos);
    EXPECT_EQ(first ? validation_issue_display(*first) : "", GetParam().first);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Validation,
    ::testing::Values(
        ValidationCase{STARTPOS_SFEN.data(), {}, ""},
        ValidationCase{"9/9/9/9/9/9/9/9/9 b - 1", {"Black king is missing", "White king is missing"}, ""},
        ValidationCase{"4k4/9/9/9/9/9/9/9/3KK4 b - 1", {"Black has two or more kings"}, "Black has two or more kings"},
        ValidationCase{"4k4/4p4/4P4/4P4/4P4/9/9/9/4K4 b - 1",
                       {"Black has double pawn on file File(4)"}, "Black has double pawn on file File(4)"},
        ValidationCase{"4k4/9/9/9/9/9/9/9/4K4 b 18P 1", {}, ""},
        ValidationCase{"4k4/9/9/9/9/9/9/9/4K4 b 19P5g3b 1",
                       {"invalid hand count for HandPiece(0): 19", "invalid hand count for HandPiece(6): 5",
                        "invalid hand count for HandPiece(4): 3"},
                       "invalid hand count for HandPiece(0): 19"},
        ValidationCase{"4k4/1N7/9/9/9/9/9/9/4K3l b - 1",
                       {"invalid placement of PieceType(2) on Square(8)", "invalid placement of PieceType(3) on Square(64)"},
                       "invalid placement of PieceType(2) on Square(8)"},
        ValidationCase{"P3k4/9/9/9/9/9/9/9/8p w - 1",
                       {"Black king is missing", "invalid placement of PieceType(1) on Square(8)",
                        "invalid placement of PieceType(1) on Square(72)"},
                       "invalid placement of PieceType(1) on Square(8)"}),
                         [](const auto& info) { return test::case_name(info.index, {*info.param.first ? info.param.first : "valid"}); });
