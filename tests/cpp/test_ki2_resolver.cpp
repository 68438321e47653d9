// KI2 move tokens: the words that tell candidates apart, drops, explicit sources, the
// legality test at each token, and every legal move's own KI2 text read back.

#include <gtest/gtest.h>

#include <random>

#include "core/board/notation/move_text.h"
#include "core/records/formats/kif/ki2_resolver.h"
#include "support.h"

using namespace korvan;
using test::play;
using test::sfen;

namespace {

constexpr const char* START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";

// The line's moves in USI, or the error text.
std::string resolve(const Position& pos, std::string_view line, const char* previous = nullptr) {
    const auto moves = parse_ki2_move(pos, line, previous != nullptr, previous ? *square_from_usi(previous) : SQ_NONE);
    if (!moves) return ki2_error_display(moves.error());
    std::string out;
    for (const Ki2Move& m : *moves) {
        if (!out.empty()) out += ' ';
        out += move_display_usi(m.move);
    }
    return out;
}

std::vector<std::string> tokens_of(std::string_view line) {
    Ki2Tokens tokens(line);
    std::vector<std::string> out;
    while (const auto t = tokens.next()) out.emplace_back(*t);
    return out;
}

TEST(Ki2Tokens, Cutting) {
    using V = std::vector<std::string>;
    EXPECT_EQ(tokens_of("▲７六歩△３四歩"), (V{"▲７六歩", "△３四歩"}));
    EXPECT_EQ(tokens_of("▲７六歩　△３四歩"), (V{"▲７六歩", "△３四歩"}));
    EXPECT_EQ(tokens_of("▲７六歩 △３四歩 "), (V{"▲７六歩", "△３四歩"}));
    EXPECT_EQ(tokens_of("７六歩"), (V{"７六歩"}));
    EXPECT_EQ(tokens_of("x▼１一香☗２二角☖同　銀▽"), (V{"x", "▼１一香", "☗２二角", "☖同銀", "▽"}));
    EXPECT_EQ(tokens_of("▲同\t歩"), (V{"▲同\t歩"}));  // only the two spaces go
    EXPECT_EQ(tokens_of(""), V{});
}

TEST(Ki2Resolver, TheStartPosition) {
    const Position pos = sfen(START);
    for (const char* line : {"▲７六歩", "７六歩", "▲７六歩 ", "△７六歩", "▼7六歩", "☗７六歩"})
        EXPECT_EQ(resolve(pos, line), "7g7f") << line;
    EXPECT_EQ(resolve(pos, "▲７六歩△３四歩"), "7g7f 3c3d");
    EXPECT_EQ(resolve(pos, "▲７六歩△同歩"), "invalid KI2 move: ▲７六歩△同歩");
    EXPECT_EQ(resolve(pos, "▲７六歩△３四歩▲２二角成△同　銀"), "7g7f 3c3d 8h2b+ 3a2b");
    EXPECT_EQ(resolve(pos, "▲７六歩△３四歩▲２二角成△同銀"), "7g7f 3c3d 8h2b+ 3a2b");
    EXPECT_EQ(resolve(pos, "▲７六歩△３四歩▲２二角不成△同　銀"), "7g7f 3c3d 8h2b 3a2b");
    EXPECT_EQ(resolve(pos, "▲７六歩△３四歩▲２二角△同　銀"), "7g7f 3c3d 8h2b 3a2b");
    EXPECT_EQ(resolve(pos, "▲７六歩△３四歩▲２二角成り"), "7g7f 3c3d 8h2b+");
    // "同" after a line's first token, and from the previous line.
    EXPECT_EQ(resolve(pos, "▲同歩"), "invalid KI2 move: ▲同歩");
    EXPECT_EQ(resolve(pos, "▲同歩", "7f"), "7g7f");
    // Explicit sources: taken as written, or ignored when they name no square.
    EXPECT_EQ(resolve(pos, "▲７六歩(77)"), "7g7f");
    EXPECT_EQ(resolve(pos, "▲７六金(77)"), "7g7f");
    EXPECT_EQ(resolve(pos, "▲７六歩(07)"), "7g7f");
    EXPECT_EQ(resolve(pos, "▲７六歩(７７)"), "7g7f");
    EXPECT_EQ(resolve(pos, "▲７六歩(77"), "7g7f");
    EXPECT_EQ(resolve(pos, "▲７六歩 (77)"), "7g7f");  // spaces removed first
}

TEST(Ki2Resolver, Failures) {
    const Position pos = sfen(START);
    for (const char* line : {"▲", "▲７六", "▲７", "▲７六X", "▲76歩", "▲0六歩", "▲同歩", "▲５五飛", "▲５五と",
                             "▲７六歩△３四歩 ▲７六x", "abc", "▲７六歩▲"})
        EXPECT_EQ(resolve(pos, line), std::string("invalid KI2 move: ") + line) << line;
}

TEST(Ki2Resolver, RelativeWords) {
    Position golds = sfen("4k4/9/9/9/9/9/9/9/3GKG3 b - 1");
    EXPECT_EQ(resolve(golds, "▲５八金左"), "6i5h");
    EXPECT_EQ(resolve(golds, "▲５八金右"), "4i5h");
    EXPECT_EQ(resolve(golds, "▲５八金上"), "invalid KI2 move: ▲５八金上");
    EXPECT_EQ(resolve(golds, "▲５八金"), "invalid KI2 move: ▲５八金");

    Position white_golds = sfen("3gkg3/9/9/9/9/9/9/9/4K4 w - 1");
    EXPECT_EQ(resolve(white_golds, "△５二金右"), "6a5b");
    EXPECT_EQ(resolve(white_golds, "△５二金左"), "4a5b");

    Position silvers = sfen("4k4/9/9/9/9/9/9/K8/4SS3 b - 1");
    EXPECT_EQ(resolve(silvers, "▲５八銀直"), "5i5h");
    EXPECT_EQ(resolve(silvers, "▲５八銀右"), "4i5h");
    EXPECT_EQ(resolve(silvers, "▲５八銀上"), "invalid KI2 move: ▲５八銀上");
    EXPECT_EQ(resolve(silvers, "▲５八銀上右"), "invalid KI2 move: ▲５八銀上右");  // vertical before horizontal is not read
    EXPECT_EQ(resolve(silvers, "▲５八銀右上"), "4i5h");
    EXPECT_EQ(resolve(silvers, "▲５八銀右行"), "4i5h");

    // Sideways and backward words.
    Position gold_rank = sfen("4k4/9/9/9/9/3G1G3/9/9/4K4 b - 1");
    EXPECT_EQ(resolve(gold_rank, "▲５六金寄"), "invalid KI2 move: ▲５六金寄");
    EXPECT_EQ(resolve(gold_rank, "▲５六金右"), "4f5f");
    Position gold_back = sfen("4k4/9/9/9/9/4G4/3G5/9/4K4 b - 1");
    EXPECT_EQ(resolve(gold_back, "▲５七金引"), "5f5g");
    EXPECT_EQ(resolve(gold_back, "▲５七金寄"), "6g5g");
    EXPECT_EQ(resolve(gold_back, "▲５七金"), "invalid KI2 move: ▲５七金");

    // Two dragons, one on the destination's file: the other moves unless a word leaves
    // only the one on the file.
    Position dragons = sfen("4k4/9/9/9/+R8/9/9/9/4+R3K b - 1");
    EXPECT_EQ(resolve(dragons, "▲５五龍"), "9e5e");
    EXPECT_EQ(resolve(dragons, "▲５五竜"), "9e5e");
    EXPECT_EQ(resolve(dragons, "▲５五龍左"), "9e5e");
    EXPECT_EQ(resolve(dragons, "▲５五龍右"), "5i5e");
    EXPECT_EQ(resolve(dragons, "▲５五龍上"), "5i5e");
    EXPECT_EQ(resolve(dragons, "▲５五龍寄"), "9e5e");
    // Both, or neither, on the file: no choice.
    Position horses = sfen("4k4/9/9/9/9/9/2+B3+B2/9/K8 b - 1");
    EXPECT_EQ(resolve(horses, "▲５五馬"), "invalid KI2 move: ▲５五馬");
    EXPECT_EQ(resolve(horses, "▲５五馬左"), "7g5e");
    EXPECT_EQ(resolve(horses, "▲５五馬右"), "3g5e");
    // Three candidates.
    Position three = sfen("4k4/9/9/9/9/9/9/3GGG3/K8 b - 1");
    EXPECT_EQ(resolve(three, "▲５七金"), "invalid KI2 move: ▲５七金");
    EXPECT_EQ(resolve(three, "▲５七金直"), "5h5g");
}

TEST(Ki2Resolver, NamesAreExactTypes) {
    Position pos = sfen("4k4/9/9/9/9/9/9/3+S1S3/K8 b - 1");
    EXPECT_EQ(resolve(pos, "▲５七銀"), "4h5g");
    EXPECT_EQ(resolve(pos, "▲５七成銀"), "6h5g");
    EXPECT_EQ(resolve(pos, "▲５七全"), "6h5g");
    EXPECT_EQ(resolve(pos, "▲５八成銀"), "6h5h");
    EXPECT_EQ(resolve(pos, "▲５八銀"), "invalid KI2 move: ▲５八銀");  // a silver does not step sideways
}

TEST(Ki2Resolver, Drops) {
    EXPECT_EQ(resolve(sfen("4k4/9/9/9/9/9/9/9/4K4 b B 1"), "▲５五角"), "B*5e");
    const Position bishop = sfen("4k4/9/9/9/9/9/9/1B7/4K4 b B 1");
    EXPECT_EQ(resolve(bishop, "▲５五角"), "8h5e");
    EXPECT_EQ(resolve(bishop, "▲５五角打"), "B*5e");
    EXPECT_EQ(resolve(bishop, "▲５五馬打"), "B*5e");
    const Position pawn = sfen("4k4/9/9/9/9/9/9/9/4K4 b P 1");
    EXPECT_EQ(resolve(pawn, "▲５五と打"), "P*5e");
    EXPECT_EQ(resolve(pawn, "▲５五と"), "invalid KI2 move: ▲５五と");
    // "打" says drop whatever the hand holds; the legality test then refuses it.
    EXPECT_EQ(resolve(pawn, "▲５五金打"), "G*5e");
    // A king is never dropped.
    EXPECT_EQ(resolve(pawn, "▲５五玉打"), "invalid KI2 move: ▲５五玉打");
    EXPECT_EQ(resolve(pawn, "▲５五王打"), "invalid KI2 move: ▲５五王打");
}

TEST(Ki2Resolver, EachMoveIsTestedBeforeTheNextIsRead) {
    const Position start = sfen(START);
    // The bishop "reaches" its own pawn: the capture is refused, returned for the caller
    // to report, and nothing after it is read.
    EXPECT_EQ(resolve(start, "▲７七角△３四歩"), "8h7g");
    EXPECT_EQ(resolve(start, "▲７七角△３四x"), "8h7g");
    // A king capture likewise.
    const Position king = sfen("4k4/4R4/9/9/9/9/9/9/4K4 b - 1");
    EXPECT_EQ(resolve(king, "▲５一飛△５二玉"), "5b5a");
    // A promotion outside the zone, and the gold drop without a gold in hand.
    EXPECT_EQ(resolve(start, "▲７六歩成△３四歩"), "7g7f+");
    EXPECT_EQ(resolve(sfen("4k4/9/9/9/9/9/9/9/4K4 b P 1"), "▲５五金打▲５四歩打"), "G*5e");
    // The position given is never changed.
    const Position before = start;
    (void)resolve(start, "▲７六歩△３四歩");
    EXPECT_EQ(position_to_sfen(start, start.ply), position_to_sfen(before, before.ply));
}

TEST(Ki2Resolver, EveryLegalMoveReadsBackFromItsOwnText) {
    std::mt19937_64 rng(23);
    const char* starts[] = {START, test::MATSURI, "lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
                            "4k4/9/9/9/9/9/9/9/4K4 b 2R2B4G4S4N4L18P 1"};
    std::size_t checked = 0;
    for (const char* s : starts) {
        for (int game = 0; game < 12; ++game) {
            Position pos = sfen(s);
            for (int ply = 0; ply < 140; ++ply) {
                const bool has_previous = ply > 0;
                const Square previous = has_previous ? move_to(pos.st().last_move) : SQ_NONE;
                MoveList list;
                generate_legal(pos, list);
                for (Move m : list) {
                    const Move32 m32 = position_move_to_move32(pos, m);
                    const auto text = move_to_ki2(m32, pos);
                    ASSERT_TRUE(text);
                    ++checked;
                    const auto read = parse_ki2_move(pos, *text, has_previous, previous);
                    ASSERT_TRUE(read) << *text << " in " << position_to_sfen(pos, 1);
                    ASSERT_EQ(read->size(), 1u) << *text;
                    ASSERT_EQ(move_display_usi(read->front().move), move_display_usi(m))
                        << *text << " in " << position_to_sfen(pos, 1);
                    ASSERT_EQ(read->front().to, move_to(m));
                }
                const Move32 next = test::random_legal(pos, rng);
                if (!next) break;
                position_do_move(pos, next);
            }
        }
    }
    EXPECT_GT(checked, 100000u);
}

}  // namespace
