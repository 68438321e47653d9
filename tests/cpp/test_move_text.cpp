// CSA and KI2 move texts.

#include <gtest/gtest.h>

#include "core/board/notation/move_text.h"
#include "support.h"

using namespace korvan;
using test::play;
using test::sfen;
using test::usi;

namespace {
std::string csa_read(const Position& pos, const char* text) {
    const Move32 m = position_move_from_csa(pos, text);
    return m ? move_display_usi(m) + "/" + std::to_string(moved_piece_after(m)) : "0";
}
std::string ki2_text(const Position& pos, const char* usi_text) {
    const auto t = move_to_ki2(usi(pos, usi_text), pos);
    return t ? *t : "<none>";
}
}  // namespace

TEST(Csa, Reading) {
    const Position black = position_startpos();
    EXPECT_EQ(csa_read(black, "+7776FU"), "7g7f/1");
    EXPECT_EQ(csa_read(black, "7776FU"), "7g7f/1");
    EXPECT_EQ(csa_read(black, "-3334FU"), "0");
    EXPECT_EQ(csa_read(black, "7776fu"), "0");
    EXPECT_EQ(csa_read(black, "7776KI"), "0");  // the piece there is a pawn
    EXPECT_EQ(csa_read(black, "5556FU"), "0");  // nothing on the source
    EXPECT_EQ(csa_read(black, "7770FU"), "0");  // no rank 0
    EXPECT_EQ(csa_read(black, "+7776FUX"), "0");
    Position white = sfen("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1");
    EXPECT_EQ(csa_read(white, "+7776FU"), "0");
    EXPECT_EQ(csa_read(white, "-3334FU"), "3c3d/17");
    Position hand = sfen("4k4/9/9/9/9/2P6/9/9/4K4 b P 1");
    EXPECT_EQ(csa_read(hand, "0055TO"), "P*5e/1");
    EXPECT_EQ(csa_read(hand, "0055OU"), "0");
    Position promote = sfen("4k4/9/9/2P6/9/9/9/1+B7/4K4 b - 1");
    EXPECT_EQ(csa_read(promote, "7473TO"), "7d7c+/9");
    EXPECT_EQ(csa_read(promote, "8877UM"), "8h7g/13");
    EXPECT_EQ(csa_read(promote, "8877KA"), "0");
}

TEST(Csa, Writing) {
    Position pos = sfen("4k4/9/9/9/9/9/9/1B7/4K4 b B 1");
    EXPECT_EQ(move_to_csa(usi(pos, "8h2b+")), "8822UM");
    EXPECT_EQ(move_to_csa(usi(pos, "8h7g")), "8877KA");
    EXPECT_EQ(move_to_csa(usi(pos, "B*5e")), "0055KA");
    EXPECT_EQ(move_to_csa(*move_from_usi("B*5e")), "0055KA");  // a drop needs no piece field
    EXPECT_FALSE(move_to_csa(*move_from_usi("8h2b+")).has_value());  // a board move does
    EXPECT_FALSE(move_to_csa(MOVE_RESIGN).has_value());
    // Every piece name round-trips through the reader.
    const char* names[] = {"FU", "KY", "KE", "GI", "KA", "HI", "KI", "OU", "TO", "NY", "NK", "NG", "UM", "RY"};
    for (unsigned pt = 1; pt <= 14; ++pt) {
        EXPECT_EQ(csa_piece_name(pt), names[pt - 1]);
        EXPECT_EQ(csa_piece_type(names[pt - 1]), pt);
    }
    EXPECT_EQ(csa_piece_type("fu"), NO_PIECE_TYPE);
}

TEST(Csa, RoundTripOverRandomGames) {
    std::mt19937_64 rng(17);
    for (int game = 0; game < 20; ++game) {
        Position pos = position_startpos();
        for (int ply = 0; ply < 120; ++ply) {
            const Move32 m = test::random_legal(pos, rng);
            if (!m) break;
            const auto text = move_to_csa(m);
            ASSERT_TRUE(text);
            const std::string sign = pos.side_to_move == BLACK ? "+" : "-";
            ASSERT_EQ(position_move_from_csa(pos, sign + *text), m) << *text;
            position_do_move(pos, m);
        }
    }
}

struct Ki2Case {
    const char* sfen;
    const char* before;  // moves played first (space separated, may be empty)
    const char* move;
    const char* text;
};

class Ki2 : public ::testing::TestWithParam<Ki2Case> {};

TEST_P(Ki2, Text) {
    Position pos = sfen(GetParam().sfen);
    std::string before = GetParam().before;
    std::size_t at = 0;
    while (at < before.size()) {
        const std::size_t end = before.find(' ', at);
        play(pos, before.substr(at, end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    EXPECT_EQ(ki2_text(pos, GetParam().move), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Ki2,
    ::testing::Values(
        Ki2Case{STARTPOS_SFEN.data(), "", "7g7f", "▲７六歩"},
        // Two golds reaching 5h: left and right; straight from the same file.
        Ki2Case{"4k4/9/9/9/9/9/9/9/3GKG3 b - 1", "", "6i5h", "▲５八金左"},
        Ki2Case{"4k4/9/9/9/9/9/9/9/3GKG3 b - 1", "", "4i5h", "▲５八金右"},
        Ki2Case{"4k4/9/9/9/9/9/9/9/K3GG3 b - 1", "", "5i5h", "▲５八金直"},
        Ki2Case{"4k4/9/9/9/9/9/9/5G3/K3G4 b - 1", "", "5i5h", "▲５八金上"},
        Ki2Case{"4k4/9/9/9/9/9/9/5G3/K3G4 b - 1", "", "4h5h", "▲５八金寄"},
        // Drops: "打" only when a board piece of the kind could also go there.
        Ki2Case{"4k4/9/9/9/9/9/9/9/4K4 b B 1", "", "B*5e", "▲５五角"},
        Ki2Case{"4k4/9/9/9/9/9/9/1B7/4K4 b B 1", "", "B*5e", "▲５五角打"},
        Ki2Case{"4k4/9/9/9/9/9/9/9/4K4 b P 1", "", "P*5e", "▲５五歩"},
        // Promotion words.
        Ki2Case{"4k4/9/9/2P6/9/9/9/9/4K4 b - 1", "", "7d7c+", "▲７三歩成"},
        Ki2Case{"4k4/9/9/2P6/9/9/9/9/4K4 b - 1", "", "7d7c", "▲７三歩不成"},
        Ki2Case{"4k4/9/9/2S6/9/9/9/9/4K4 b - 1", "", "7d7c", "▲７三銀不成"},
        Ki2Case{"4k4/9/9/2G6/9/9/9/9/4K4 b - 1", "", "7d7c", "▲７三金"},
        Ki2Case{"4k4/2P6/9/9/9/9/9/9/4K4 b - 1", "", "7b7a+", "▲７一歩成"},
        // White: squares seen from White's side.
        Ki2Case{"3gkg3/9/9/9/9/9/9/9/4K4 w - 1", "", "6a5b", "△５二金右"},
        Ki2Case{"3gkg3/9/9/9/9/9/9/9/4K4 w - 1", "", "4a5b", "△５二金左"},
        // Dragons on the destination's file use left/right instead of straight.
        Ki2Case{"4k4/9/9/9/9/9/9/9/+R3+R3K b - 1", "", "9i8h", "▲８八龍"},
        Ki2Case{"4k4/9/9/4+R4/9/9/9/9/K3+R4 b - 1", "", "5d5f", "▲５六龍引"},
        Ki2Case{"4k4/9/9/9/9/9/9/9/4K4 b - 1", "", "none", "<none>"}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.move}); });

TEST(Ki2, SameSquareSpacing) {
    Position pos = sfen("4k4/9/9/4p4/9/4P4/9/9/4K4 b - 1");
    play(pos, "5f5e");
    EXPECT_EQ(ki2_text(pos, "5d5e"), "△同　歩");
    Position promote = sfen("4k4/3s5/9/4P4/9/9/9/9/4K4 w - 1");
    play(promote, "6b5c");
    EXPECT_EQ(ki2_text(promote, "5d5c+"), "▲同歩成");
    Position pro = sfen("4k4/9/9/3+s5/9/4P4/9/9/4K4 b - 1");
    play(pro, "5f5e");
    EXPECT_EQ(ki2_text(pro, "6d5e"), "△同成銀");
    Position black = sfen("4k4/9/9/4p4/9/4P4/9/9/4K4 w - 1");
    play(black, "5d5e");
    EXPECT_EQ(ki2_text(black, "5f5e"), "▲同　歩");
}
