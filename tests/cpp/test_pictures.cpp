// BOD and SVG pieces the Python suites cannot reach: number and hand texts, a history
// that disagrees with the board, the SVG number format and the hand-column step.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/board/pictures/svg.h"
#include "core/board/notation/bod.h"
#include "support.h"

using namespace korvan;

namespace {

Hand hand_of(std::initializer_list<std::pair<PieceType, int>> counts) {
    Hand h = 0;
    for (auto [pt, n] : counts)
        for (int i = 0; i < n; ++i) h = hand_add(h, pt);
    return h;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(Bod, KanjiNumbers) {
    const char* expected[] = {"0", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十", "11", "12"};
    for (unsigned n = 0; n < std::size(expected); ++n) EXPECT_EQ(kanji_number(n), expected[n]) << n;
    EXPECT_EQ(kanji_number(18), "18");
    EXPECT_EQ(kanji_number(255), "255");
}

TEST(Bod, Hands) {
    EXPECT_EQ(write_bod_hand(0), "なし");
    EXPECT_EQ(write_bod_hand(hand_of({{PAWN, 18}, {GOLD, 2}, {ROOK, 1}})), "飛　金二　歩18");
    EXPECT_EQ(write_bod_hand(hand_of({{PAWN, 1}, {LANCE, 2}, {KNIGHT, 3}, {SILVER, 4}, {GOLD, 1}, {BISHOP, 2}, {ROOK, 2}})),
              "飛二　角二　金　銀四　桂三　香二　歩");
    EXPECT_EQ(write_bod_hand(hand_of({{PAWN, 10}})), "歩十");
    EXPECT_EQ(write_bod_hand(hand_of({{PAWN, 11}})), "歩11");
}

TEST(Bod, HistoryThatDisagreesWithTheBoard) {
    Position fresh = position_startpos();
    fresh.st().last_move = test::usi(fresh, "7g7f");
    const auto underflow = position_to_bod_with_last_move(fresh);
    ASSERT_FALSE(underflow);
    EXPECT_EQ(underflow.error(), "StackUnderflow");

    Position played = position_startpos();
    test::play(played, "7g7f");
    played.st().last_move = move16(played.st().last_move);  // the piece field lost
    const auto no_text = position_to_bod_with_last_move(played);
    ASSERT_FALSE(no_text);
    EXPECT_EQ(no_text.error(), "invalid move");
}

struct DecimalCase {
    float value;
    const char* text;
};

class ShortestDecimal : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(ShortestDecimal, Float) { EXPECT_EQ(shortest_decimal(GetParam().value), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Values, ShortestDecimal,
    ::testing::Values(DecimalCase{20.5f, "20.5"}, DecimalCase{230.0f, "230"}, DecimalCase{-16.0f, "-16"},
                      DecimalCase{0.0f, "0"}, DecimalCase{-0.0f, "-0"}, DecimalCase{0.1f, "0.1"},
                      DecimalCase{1.5e-7f, "0.00000015"}, DecimalCase{1e20f, "100000000000000000000"},
                      DecimalCase{3.4028235e38f, "340282350000000000000000000000000000000"},
                      DecimalCase{13.0f / 15.0f * 14.0f, "12.133333"}, DecimalCase{2.3f * 230.0f, "529"},
                      DecimalCase{std::numeric_limits<float>::quiet_NaN(), "NaN"},
                      DecimalCase{std::numeric_limits<float>::infinity(), "inf"},
                      DecimalCase{-std::numeric_limits<float>::infinity(), "-inf"}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.text}); });

TEST(Svg, DoubleDecimals) {
    EXPECT_EQ(shortest_decimal(214.0), "214");
    EXPECT_EQ(shortest_decimal(-16.0), "-16");
    EXPECT_EQ(shortest_decimal(0.1), "0.1");
    EXPECT_EQ(shortest_decimal(1e-300), "0." + std::string(299, '0') + "1");
}

struct ColumnCase {
    std::vector<std::pair<PieceType, int>> hand;
    std::vector<const char*> entries;  // bottom to top, the mark last
    const char* step;
};

class HandColumn : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(HandColumn, EntriesAndStep) {
    std::array<Piece, 81> board{};
    const Hand hand = hand_of({});
    std::array<Hand, 2> hands{hand, 0};
    for (auto [pt, n] : GetParam().hand)
        for (int i = 0; i < n; ++i) hands[BLACK] = hand_add(hands[BLACK], pt);
    const std::string svg = board_to_svg(board, hands, std::nullopt, 1.0f);
    const auto& entries = GetParam().entries;
    const float step = std::stof(GetParam().step);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        volatile float offset = step * static_cast<float>(i);
        const std::string text = std::string(R"(<text font-family="serif" font-size=")") + GetParam().step +
                                 R"(" x="214" y=")" + shortest_decimal(190.0f - offset) + "\">" + entries[i] +
                                 "</text>";
        EXPECT_NE(svg.find(text), std::string::npos) << text;
    }
    EXPECT_EQ(occurrences(svg, R"(x="214")"), entries.size());
}

INSTANTIATE_TEST_SUITE_P(
    Hands, HandColumn,
    ::testing::Values(
        ColumnCase{{}, {"☗"}, "14"},
        ColumnCase{{{PAWN, 2}, {ROOK, 1}}, {"二", "歩", "飛", "☗"}, "14"},
        ColumnCase{{{PAWN, 13}}, {"三", "十", "歩", "☗"}, "14"},
        ColumnCase{{{PAWN, 10}}, {"十", "歩", "☗"}, "14"},
        ColumnCase{{{PAWN, 20}}, {"十", "歩", "☗"}, "14"},
        // Twelve entries: still the full step.
        ColumnCase{{{PAWN, 13}, {LANCE, 3}, {KNIGHT, 3}, {SILVER, 3}, {BISHOP, 1}},
                   {"三", "十", "歩", "三", "香", "三", "桂", "三", "銀", "角", "☗"},
                   "14"},
        // Thirteen: 13 / 14 * 14.
        ColumnCase{{{PAWN, 13}, {LANCE, 3}, {KNIGHT, 3}, {SILVER, 3}, {GOLD, 3}, {BISHOP, 1}},
                   {"三", "十", "歩", "三", "香", "三", "桂", "三", "銀", "三", "金", "角", "☗"},
                   "13"}),
                         [](const auto& info) { return test::case_name(info.index, {"step", info.param.step}); });
