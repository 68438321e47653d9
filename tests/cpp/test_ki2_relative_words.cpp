// The relative words of KI2 move texts among two and more candidates: each text exact,
// and each read back to its own move by the token resolver and, in a record, by the
// KI2 reader.

#include <gtest/gtest.h>

#include "core/board/notation/move_text.h"
#include "core/records/formats/kif/ki2_reader.h"
#include "core/records/formats/kif/ki2_resolver.h"
#include "core/records/formats/kif/ki2_writer.h"
#include "record_writer_support.h"

using namespace korvan;
using namespace korvan::test;
using namespace korvan::test::writers;

namespace {

struct WordsCase {
    const char* name;
    const char* sfen;
    const char* before;  // a move played first, or ""
    const char* move;
    const char* text;
};

// Silvers on ３五, ３七 and １五 reaching ２六 (the three-candidate case that needs two words).
constexpr const char* THREE_SILVERS = "4k4/9/9/9/6S1S/9/6S2/9/4K4 b - 1";
// Silvers on ３二, １二 and ３四 reaching ２三, in the promotion zone.
constexpr const char* ZONE_SILVERS = "k8/6S1S/9/6S2/9/9/9/9/4K4 b - 1";
// Golds on ８一, ６一 and ６二 reaching ７一.
constexpr const char* GOLDS = "1G1G5/3G5/9/9/8k/9/9/9/4K4 b - 1";
// White silvers on ４一, ４三 and ２三 reaching ３二.
constexpr const char* WHITE_SILVERS = "k4s3/9/5s1s1/9/9/9/9/9/4K4 w - 1";
// White tokins on ８九, ６九 and ６八 reaching ７九.
constexpr const char* WHITE_TOKINS = "4k4/9/9/9/8K/9/9/3+p5/1+p1+p5 w - 1";

const WordsCase CASES[] = {
    // Three silvers: the one coming back from the left needs both words; the others keep one.
    {"silver_left_back_of_three", THREE_SILVERS, "", "3e2f", "▲２六銀左引"},
    {"silver_up_of_three", THREE_SILVERS, "", "3g2f", "▲２六銀上"},
    {"silver_right_of_three", THREE_SILVERS, "", "1e2f", "▲２六銀右"},
    {"silver_left_back_promotes", ZONE_SILVERS, "", "3b2c+", "▲２三銀左引成"},
    {"silver_left_back_stays", ZONE_SILVERS, "", "3b2c", "▲２三銀左引不成"},
    {"silver_right_back_stays", ZONE_SILVERS, "", "1b2c", "▲２三銀右不成"},
    {"silver_up_promotes", ZONE_SILVERS, "", "3d2c+", "▲２三銀上成"},
    {"white_silver_right_back_of_three", WHITE_SILVERS, "", "4c3b", "△３二銀右引"},
    {"white_silver_up_of_three", WHITE_SILVERS, "", "4a3b", "△３二銀上"},
    {"white_silver_left_of_three", WHITE_SILVERS, "", "2c3b", "△３二銀左"},
    // Four silvers around one square: the usual words already name each.
    {"silver_left_up_of_four", "4k4/9/9/9/6S1S/9/6S1S/9/4K4 b - 1", "", "3g2f", "▲２六銀左上"},
    {"silver_left_back_of_four", "4k4/9/9/9/6S1S/9/6S1S/9/4K4 b - 1", "", "3e2f", "▲２六銀左引"},
    {"silver_straight_of_four", "4k4/9/9/9/6S1S/9/6SS1/9/4K4 b - 1", "", "2g2f", "▲２六銀直"},
    // Two silvers.
    {"white_silver_straight_of_two", "k2ss4/9/9/9/9/9/9/9/4K4 w - 1", "", "5a5b", "△５二銀直"},
    {"white_silver_right_of_two", "k2ss4/9/9/9/9/9/9/9/4K4 w - 1", "", "6a5b", "△５二銀右"},
    // Three golds: two coming sideways on the right, one of them needs both words.
    {"gold_right_sideways_of_three", GOLDS, "", "6a7a", "▲７一金右寄"},
    {"gold_left_of_three", GOLDS, "", "8a7a", "▲７一金左"},
    {"gold_up_of_three", GOLDS, "", "6b7a", "▲７一金上"},
    {"gold_recaptures_with_both_words", "1G1G5/1s1G5/9/9/8k/9/9/9/4K4 w - 1", "8b7a", "6a7a", "▲同金右寄"},
    // Gold-like promoted pieces move as golds and take the same words.
    {"white_tokin_left_sideways_of_three", WHITE_TOKINS, "", "6i7i", "△７九と左寄"},
    {"white_tokin_right_of_three", WHITE_TOKINS, "", "8i7i", "△７九と右"},
    {"white_tokin_up_of_three", WHITE_TOKINS, "", "6h7i", "△７九と上"},
    {"tokin_left_of_two", "8k/9/9/9/3+P1+P3/9/9/9/K8 b - 1", "", "6e5e", "▲５五と左"},
    {"narigin_right_sideways_of_three", "4k4/9/9/9/9/9/5+S1+S1/7+S1/K8 b - 1", "", "2g3g", "▲３七成銀右寄"},
    {"narigin_left_of_three", "4k4/9/9/9/9/9/5+S1+S1/7+S1/K8 b - 1", "", "4g3g", "▲３七成銀左"},
    {"narikei_left_sideways_of_three", "8k/9/9/9/3+N1+N3/3+N5/9/9/K8 b - 1", "", "6e5e", "▲５五成桂左寄"},
    {"narikei_up_of_three", "8k/9/9/9/3+N1+N3/3+N5/9/9/K8 b - 1", "", "6f5e", "▲５五成桂上"},
    {"white_narikyo_left_sideways_of_three", "4k4/9/9/9/K8/9/8+l/6+l1+l/9 w - 1", "", "1h2h", "△２八成香左寄"},
    {"white_narikyo_right_of_three", "4k4/9/9/9/K8/9/8+l/6+l1+l/9 w - 1", "", "3h2h", "△２八成香右"},
    // Horses and dragons: "直" is never used, and left or right takes in the
    // destination's file, so the one off the file is named from its side.
    {"dragon_sideways", "8k/9/9/9/+R8/9/9/9/4+R3K b - 1", "", "9e5e", "▲５五龍寄"},
    {"dragon_up_on_the_file", "8k/9/9/9/+R8/9/9/9/4+R3K b - 1", "", "5i5e", "▲５五龍上"},
    {"horse_left_of_two", "8k/9/9/9/9/9/2+B3+B2/9/K8 b - 1", "", "7g5e", "▲５五馬左"},
    {"horse_right_of_two", "8k/9/9/9/9/9/2+B3+B2/9/K8 b - 1", "", "3g5e", "▲５五馬右"},
    {"horse_on_the_file_right", "8k/9/9/9/9/4+B4/2+B6/9/K8 b - 1", "", "5f5e", "▲５五馬右"},
    {"horse_off_the_file_left", "8k/9/9/9/9/4+B4/2+B6/9/K8 b - 1", "", "7g5e", "▲５五馬左"},
    {"white_dragon_sideways", "k8/9/9/9/8+r/9/1K7/9/4+r4 w - 1", "", "1e5e", "△５五龍寄"},
    {"white_dragon_back_on_the_file", "k8/9/9/9/8+r/9/1K7/9/4+r4 w - 1", "", "5i5e", "△５五龍引"},
};

class Ki2RelativeWords : public ::testing::TestWithParam<WordsCase> {};

TEST_P(Ki2RelativeWords, TextAndReadBack) {
    const WordsCase& c = GetParam();
    Position pos = sfen(c.sfen);
    const bool has_previous = *c.before != '\0';
    if (has_previous) play(pos, c.before);
    const Move32 move = usi(pos, c.move);
    ASSERT_TRUE(position_is_legal(pos, move));
    const auto text = move_to_ki2(move, pos);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, c.text);

    Ki2Tokens tokens(*text);
    const auto token = tokens.next();
    ASSERT_TRUE(token);
    const auto read = resolve_ki2_token(pos, *token, has_previous, has_previous ? move_to(pos.st().last_move) : SQ_NONE);
    ASSERT_TRUE(read) << *text;
    EXPECT_EQ(move_display_usi(read->move), c.move);
}

INSTANTIATE_TEST_SUITE_P(Cases, Ki2RelativeWords, ::testing::ValuesIn(CASES),
                         [](const auto& info) { return std::string(info.param.name); });

// A record whose moves need both words is written and read back move for move.
TEST(Ki2RelativeWordsRecord, BothWordsReadBack) {
    Record r = record_from(std::string(THREE_SILVERS));
    add_moves(r, r.root, {"3e2f", "5a4a", "2f3e", "4a5a", "1e2f"});
    const auto text = write_ki2(r);
    ASSERT_TRUE(text) << ki2_error_display(text.error());
    EXPECT_NE(text->find("▲２六銀左引△４一玉    ▲３五銀    △５一玉    ▲２六銀右\n"), std::string::npos) << *text;
    const auto back = parse_ki2(*text);
    ASSERT_TRUE(back) << ki2_error_display(back.error());
    EXPECT_EQ(tree_text(*back, TimeMode::Ignore), tree_text(r, TimeMode::Ignore));
}

}  // namespace
