// BOD diagrams and SVG pictures: number and hand texts, last-move lines, the number
// format of the SVG writer and its hand columns.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "board/pictures/svg.h"
#include "board/position/bod.h"
#include "support.h"

using namespace korvan;

namespace {

std::string last_line(const std::string& text) { return text.substr(text.rfind('\n') + 1); }

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

TEST(Bod, BoardLines) {
    const std::string bod = position_to_bod(test::sfen("4k4/9/9/9/9/9/9/9/+s3K3+R w - 1"));
    EXPECT_NE(bod.find("\n|v全 ・ ・ ・ 玉 ・ ・ ・ 龍|九"), std::string::npos) << bod;
    EXPECT_NE(bod.find("\n| ・ ・ ・ ・v玉 ・ ・ ・ ・|一\n"), std::string::npos) << bod;
    EXPECT_EQ(last_line(bod), "後手番");
    EXPECT_EQ(last_line(position_to_bod(position_startpos())), "先手の持駒：なし");
}

struct LastMoveCase {
    const char* sfen;
    std::vector<const char*> moves;
    const char* line;  // the last line of the diagram
};

class BodLastMove : public ::testing::TestWithParam<LastMoveCase> {};

TEST_P(BodLastMove, Line) {
    Position pos = test::sfen(GetParam().sfen);
    for (const char* m : GetParam().moves) test::play(pos, m);
    const auto bod = position_to_bod_with_last_move(pos);
    ASSERT_TRUE(bod) << bod.error();
    EXPECT_EQ(last_line(*bod), GetParam().line);
    EXPECT_EQ(bod->substr(0, bod->rfind('\n')), position_to_bod(pos));
}

INSTANTIATE_TEST_SUITE_P(
    Games, BodLastMove,
    ::testing::Values(
        LastMoveCase{STARTPOS_SFEN.data(), {"7g7f"}, "手数＝1　▲７六歩　まで"},
        LastMoveCase{STARTPOS_SFEN.data(), {"7g7f", "3c3d"}, "手数＝2　△３四歩　まで"},
        // A single-character piece after "同": the space of the KI2 text goes.
        LastMoveCase{STARTPOS_SFEN.data(), {"2g2f", "8c8d", "2f2e", "8d8e", "2e2d", "2c2d"}, "手数＝6　△２四同歩　まで"},
        // A two-character piece after "同".
        LastMoveCase{"4k4/6p2/9/5+S3/9/9/9/9/4K4 w - 1", {"3b3c", "4d3c"}, "手数＝2　▲３三同成銀　まで"},
        LastMoveCase{"4k4/9/9/9/9/9/9/9/4K4 b P 30", {"P*5e"}, "手数＝30　▲５五歩　まで"}));

TEST(Bod, NoHistoryNoLine) {
    const Position pos = test::sfen("4k4/9/9/9/9/9/9/9/4K4 w - 5");
    EXPECT_EQ(*position_to_bod_with_last_move(pos), position_to_bod(pos));
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
                      DecimalCase{-std::numeric_limits<float>::infinity(), "-inf"}));

TEST(Svg, DoubleDecimals) {
    EXPECT_EQ(shortest_decimal(214.0), "214");
    EXPECT_EQ(shortest_decimal(-16.0), "-16");
    EXPECT_EQ(shortest_decimal(0.1), "0.1");
    EXPECT_EQ(shortest_decimal(1e-300), "0." + std::string(299, '0') + "1");
}

TEST(Svg, StartPosition) {
    const Position pos = position_startpos();
    const std::string svg = board_to_svg(pos.board, pos.hands, std::nullopt, 1.0f);
    EXPECT_TRUE(svg.starts_with(
        R"(<svg xmlns="http://www.w3.org/2000/svg" version="1.1" xmlns:xlink="http://www.w3.org/1999/xlink" width="230" height="192" viewBox="0 0 230 192"><defs>)"));
    EXPECT_TRUE(svg.ends_with("</svg>"));
    EXPECT_EQ(occurrences(svg, "<use "), 40u);
    EXPECT_EQ(occurrences(svg, "<g id="), 28u);
    EXPECT_EQ(occurrences(svg, "#f6b94d"), 0u);
    EXPECT_EQ(svg.find('\n'), std::string::npos);
    EXPECT_NE(svg.find(R"(<text font-family="serif" font-size="14" x="214" y="190">☗</text>)"), std::string::npos);
    EXPECT_NE(svg.find(R"~(<text font-family="serif" font-size="14" x="-16" y="-10" transform="rotate(180)">☖</text>)~"),
              std::string::npos);
}

TEST(Svg, ScaleBelowOrAtZeroDrawsAtOne) {
    const Position pos = position_startpos();
    const std::string one = board_to_svg(pos.board, pos.hands, std::nullopt, 1.0f);
    EXPECT_EQ(board_to_svg(pos.board, pos.hands, std::nullopt, 0.0f), one);
    EXPECT_EQ(board_to_svg(pos.board, pos.hands, std::nullopt, -1.0f), one);
    EXPECT_NE(board_to_svg(pos.board, pos.hands, std::nullopt, 2.0f).find(R"(width="460" height="384" viewBox="0 0 230 192")"),
              std::string::npos);
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
                   "13"}));

TEST(Svg, LastMoveShading) {
    const Position pos = position_startpos();
    const std::string board_move = board_to_svg(pos.board, pos.hands, test::usi(pos, "7g7f"), 1.0f);
    const std::string shaded = R"(<rect x="60.5" y="110.5" width="20" height="20" fill="#f6b94d" />)"
                               R"(<rect x="60.5" y="130.5" width="20" height="20" fill="#fdf0e3" />)"
                               R"(<g stroke="black">)";
    EXPECT_NE(board_move.find(shaded), std::string::npos);
    const std::string drop = board_to_svg(pos.board, pos.hands, Move(make_drop16(PAWN, 40)), 1.0f);
    EXPECT_NE(drop.find(R"(</defs><rect x="100.5" y="90.5" width="20" height="20" fill="#f6b94d" /><g stroke="black">)"),
              std::string::npos);
    EXPECT_EQ(occurrences(drop, "#fdf0e3"), 0u);
}
