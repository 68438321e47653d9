// SFEN reading and writing, preset recognition and every SfenError text.

#include <gtest/gtest.h>

#include "core/board/position/parser.h"
#include "support.h"

using namespace korvan;

TEST(Sfen, PresetsRoundTrip) {
    for (int k = 0; k < 15; ++k) {
        const std::string text(handicap_sfen(k));
        const Position pos = test::sfen(text);
        EXPECT_EQ(position_to_sfen(pos, pos.ply), text);
        EXPECT_EQ(handicap_kind_from_sfen(text), k);
    }
    EXPECT_EQ(handicap_kind_from_sfen(std::string(STARTPOS_SFEN) + " "), 15);
    EXPECT_EQ(handicap_kind_from_sfen(""), 15);
}

class SfenRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(SfenRoundTrip, WritesBackWhatItRead) {
    const Position pos = test::sfen(GetParam());
    EXPECT_EQ(position_to_sfen(pos, pos.ply), GetParam());
    test::expect_consistent(pos);
}

INSTANTIATE_TEST_SUITE_P(
    OddPositions, SfenRoundTrip,
    ::testing::Values("9/9/9/9/9/9/9/9/9 b 2R2B4G4S4N4L18P 0",                 // every piece in Black's hand
                      "4k4/9/9/9/9/9/9/9/4K4 w r2b4g4s4n4l18p 77",             // ...in White's
                      "9/9/9/9/9/9/9/9/9 w 3R3B7G7S7N7L31P 65535",             // field capacities
                      "+R+B+S+N+L+P3/9/9/9/9/9/9/9/3+p+l+n+s+b+r w Pp 5",       // promoted pieces
                      "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b RB2Pr3p 12",
                      "l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w RGgsn5p 1"),
                         [](const auto& info) { return test::case_name(info.index, {"position"}); });

TEST(Sfen, PlyFieldIsOptional) {
    const Position pos = test::sfen("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b -");
    EXPECT_EQ(pos.ply, 0);
    EXPECT_EQ(position_to_sfen(pos, pos.ply), "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 0");
    const Position extra = test::sfen("  lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL\tb \u3000-  +7 x y ");
    EXPECT_EQ(extra.ply, 7);
}

TEST(Sfen, HandCountsAndOrder) {
    const Position pos = test::sfen("4k4/9/9/9/9/9/9/9/4K4 b 2P3pPr0G1 1");
    EXPECT_EQ(hand_count(pos.hands[BLACK], PAWN), 3u);
    EXPECT_EQ(hand_count(pos.hands[WHITE], PAWN), 3u);
    EXPECT_EQ(hand_count(pos.hands[WHITE], ROOK), 1u);
    EXPECT_EQ(hand_count(pos.hands[BLACK], GOLD), 0u);
    EXPECT_EQ(position_to_sfen(pos, 1), "4k4/9/9/9/9/9/9/9/4K4 b 3Pr3p 1");
    // 19..31 pawns fit their field: accepted for validation to judge.
    EXPECT_EQ(hand_count(test::sfen("9/9/9/9/9/9/9/9/9 b 31P 1").hands[BLACK], PAWN), 31u);
}

TEST(Sfen, NoKings) {
    const Position pos = test::sfen("9/9/9/9/4p4/9/9/9/9 w - 1");
    EXPECT_EQ(pos.king_square[BLACK], SQ_NONE);
    EXPECT_EQ(pos.king_square[WHITE], SQ_NONE);
    EXPECT_TRUE(pos.st().checkers.empty());
    for (const Bitboard& b : position_check_squares(pos)) EXPECT_TRUE(b.empty());
}

TEST(Sfen, StateWriterOmitsPly) {
    PositionState state;
    state.side_to_move = WHITE;
    state.ply = 9;
    state.hands[BLACK] = hand_add(hand_add(hand_add(0, ROOK), PAWN), PAWN);
    state.hands[WHITE] = 3;
    EXPECT_EQ(position_state_to_sfen(state, false), "9/9/9/9/9/9/9/9/9 w R2P3p");
    EXPECT_EQ(position_state_to_sfen(state, true), "9/9/9/9/9/9/9/9/9 w R2P3p 9");
}

struct SfenErrorCase {
    const char* text;
    const char* display;
    const char* debug;
};

class SfenErrors : public ::testing::TestWithParam<SfenErrorCase> {};

TEST_P(SfenErrors, DisplayAndDebugTexts) {
    const auto r = position_from_sfen(GetParam().text);
    ASSERT_FALSE(r);
    EXPECT_EQ(sfen_error_display(r.error()), GetParam().display);
    EXPECT_EQ(sfen_error_debug(r.error()), GetParam().debug);
}

#define START_BOARD "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL"

INSTANTIATE_TEST_SUITE_P(
    Texts, SfenErrors,
    ::testing::Values(
        SfenErrorCase{"", "missing field: Placement", "MissingField(Placement)"},
        SfenErrorCase{"  \t ", "missing field: Placement", "MissingField(Placement)"},
        SfenErrorCase{START_BOARD, "missing field: Turn", "MissingField(Turn)"},
        SfenErrorCase{START_BOARD " b", "missing field: Hand", "MissingField(Hand)"},
        SfenErrorCase{"4+k4/9/9/9/9/9/9/9/9 b - 1", "invalid piece: 'k'", "InvalidPiece('k')"},
        SfenErrorCase{"4+G4/9/9/9/9/9/9/9/9 b - 1", "invalid piece: 'G'", "InvalidPiece('G')"},
        SfenErrorCase{"9/9/9/9/9/9/9/9/8+ b - 1", "invalid piece: '+'", "InvalidPiece('+')"},
        SfenErrorCase{"4x4/9/9/9/9/9/9/9/9 b - 1", "invalid piece: 'x'", "InvalidPiece('x')"},
        SfenErrorCase{"4\xe7\x8e\x8b""4/9/9/9/9/9/9/9/9 b - 1", "invalid piece: '\xe7\x8e\x8b'",
                      "InvalidPiece('\xe7\x8e\x8b')"},
        SfenErrorCase{"0/9/9/9/9/9/9/9/9 b - 1", "invalid piece: '0'", "InvalidPiece('0')"},
        SfenErrorCase{"9P/9/9/9/9/9/9/9/9 b - 1", "invalid square", "InvalidSquare"},
        SfenErrorCase{"55/9/9/9/9/9/9/9/9 b - 1", "invalid square", "InvalidSquare"},
        SfenErrorCase{"8/9/9/9/9/9/9/9/9 b - 1", "invalid square", "InvalidSquare"},
        SfenErrorCase{"9/9/9/9/9/9/9/9 b - 1", "invalid square", "InvalidSquare"},
        SfenErrorCase{"9/9/9/9/9/9/9/9/9/9 b - 1", "invalid square", "InvalidSquare"},
        SfenErrorCase{"9/9/9/9/9/9/9/9/9/P b - 1", "invalid square", "InvalidSquare"},
        SfenErrorCase{START_BOARD " B - 1", "invalid turn: 'B'", "InvalidTurn('B')"},
        SfenErrorCase{START_BOARD " bw - 1", "invalid turn: 'b'", "InvalidTurn('b')"},
        SfenErrorCase{START_BOARD " ' - 1", "invalid turn: '''", "InvalidTurn('\\'')"},
        SfenErrorCase{START_BOARD " b K 1", "invalid piece: 'K'", "InvalidPiece('K')"},
        SfenErrorCase{START_BOARD " b -P 1", "invalid piece: '-'", "InvalidPiece('-')"},
        SfenErrorCase{START_BOARD " b P+ 1", "invalid piece: '+'", "InvalidPiece('+')"},
        SfenErrorCase{START_BOARD " b 16L 1", "invalid hand count for PieceType(2): 16",
                      "InvalidHandCount { piece: PieceType(2), count: 16 }"},
        SfenErrorCase{START_BOARD " b 32P 1", "invalid hand count for PieceType(1): 32",
                      "InvalidHandCount { piece: PieceType(1), count: 32 }"},
        SfenErrorCase{START_BOARD " b 30PPP 1", "invalid hand count for PieceType(1): 32",
                      "InvalidHandCount { piece: PieceType(1), count: 32 }"},
        SfenErrorCase{START_BOARD " b 4r 1", "invalid hand count for PieceType(6): 4",
                      "InvalidHandCount { piece: PieceType(6), count: 4 }"},
        SfenErrorCase{START_BOARD " b 4294967296P 1", "invalid hand count for PieceType(1): 4294967295",
                      "InvalidHandCount { piece: PieceType(1), count: 4294967295 }"},
        SfenErrorCase{START_BOARD " b - -1", "invalid ply: invalid digit found in string",
                      "InvalidPly(ParseIntError { kind: InvalidDigit })"},
        SfenErrorCase{START_BOARD " b - +", "invalid ply: invalid digit found in string",
                      "InvalidPly(ParseIntError { kind: InvalidDigit })"},
        SfenErrorCase{START_BOARD " b - 65536", "invalid ply: number too large to fit in target type",
                      "InvalidPly(ParseIntError { kind: PosOverflow })"},
        SfenErrorCase{START_BOARD " b - 99999x", "invalid ply: number too large to fit in target type",
                      "InvalidPly(ParseIntError { kind: PosOverflow })"}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.debug}); });

TEST(SfenErrorTexts, VariantsOfOtherReaders) {
    SfenError trailing(SfenError::Kind::TrailingToken);
    trailing.text = "a\"b";
    EXPECT_EQ(sfen_error_display(trailing), "trailing token: 'a\"b'");
    EXPECT_EQ(sfen_error_debug(trailing), "TrailingToken(\"a\\\"b\")");
    SfenError move(SfenError::Kind::InvalidMove);
    move.text = "7g7x";
    EXPECT_EQ(sfen_error_display(move), "invalid move in sequence: '7g7x'");
    EXPECT_EQ(sfen_error_debug(move), "InvalidMove(\"7g7x\")");
    SfenError empty_ply(SfenError::Kind::InvalidPly);
    EXPECT_EQ(sfen_error_display(empty_ply), "invalid ply: cannot parse integer from empty string");
}

TEST(Sfen, ParseU16) {
    EXPECT_EQ(*parse_decimal<std::uint16_t>("+65535"), 65535);
    EXPECT_EQ(*parse_decimal<std::uint16_t>("007"), 7);
    EXPECT_EQ(parse_decimal<std::uint16_t>("").error(), IntErrorKind::Empty);
    EXPECT_EQ(parse_decimal<std::uint16_t>("6553x").error(), IntErrorKind::InvalidDigit);
    EXPECT_EQ(parse_decimal<std::uint16_t>("++1").error(), IntErrorKind::InvalidDigit);
}
