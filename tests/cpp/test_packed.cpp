// PackedSfen and HuffmanCodedPos: golden bytes, round trips and bad input.

#include <gtest/gtest.h>

#include "core/board/notation/packed.h"
#include "support.h"

using namespace korvan;
using test::sfen;

namespace {

Packed32 from_hex(const std::string& hex) {
    Packed32 out{};
    for (int i = 0; i < 32; ++i) out[i] = static_cast<std::uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    return out;
}

std::string board_hands_side(const Position& pos) { return sfen_fields_text(pos.board, pos.side_to_move, pos.hands); }

}  // namespace

// The expected bytes were worked out from the bit tables by a separate derivation that
// shares no code with the encoder (start position, rook handicap, bare kings with
// hands, promoted pieces with a short set).
struct GoldenCase {
    const char* sfen;
    const char* packed_sfen;
    const char* hcp;
};

class PackedGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(PackedGolden, EncodeAndDecode) {
    const Position pos = sfen(GetParam().sfen);
    const auto ps = position_to_packed_sfen(pos);
    ASSERT_TRUE(ps) << ps.error();
    EXPECT_EQ(*ps, from_hex(GetParam().packed_sfen));
    const auto hcp = position_to_hcp(pos);
    ASSERT_TRUE(hcp) << hcp.error();
    EXPECT_EQ(*hcp, from_hex(GetParam().hcp));

    const auto back = position_from_packed_sfen(from_hex(GetParam().packed_sfen), 77);
    ASSERT_TRUE(back);
    EXPECT_EQ(board_hands_side(*back), board_hands_side(pos));
    EXPECT_EQ(back->ply, 77);
    EXPECT_EQ(back->key, pos.key);
    const auto back2 = position_from_hcp(from_hex(GetParam().hcp), 3);
    ASSERT_TRUE(back2);
    EXPECT_EQ(board_hands_side(*back2), board_hands_side(pos));
    EXPECT_EQ(back2->ply, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, PackedGolden,
    ::testing::Values(
        GoldenCase{STARTPOS_SFEN.data(), "58a451220ceb67227e9653221caf447824c22b119e53221ceb6f223e9651220c",
                   "58a449210cd757217e8e4d212caf427814c2ab109e4d212cd75f213e8e49210c"},
        GoldenCase{"lnsgkgsnl/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1",
                   "59a451220ceb67227e9653221caf447824c22b119e53221cab447c2ca344187e",
                   "59a449210cd757217e8e4d212caf427814c2ab109e4d212c97427c1c9342185e"},
        GoldenCase{"4k4/9/9/9/9/9/9/9/4K4 w R2G3P2bn1p 1",
                   "59240000000000000000000080733eaccfa7244992244929a5d45a5b6badbd7f",
                   "59240000000000000000000080737e9cdfaf244992244929a5b4d66aadb5de5f"},
        GoldenCase{"l3k2+R1/9/9/9/4+b4/9/9/9/4K4 b G 1",
                   "5824007f000000e01b00000018018e24499224499294526aadb5b5d6da7bbf7e",
                   "582400bf000000e01b00000098008e24499224499294525a6badd65aebbd3f5e"}),
                         [](const auto& info) { return test::case_name(info.index, {"position"}); });

TEST(Packed, RandomRoundTrips) {
    std::mt19937_64 rng(5);
    int checked = 0;
    for (const char* start : {STARTPOS_SFEN.data(), test::MATSURI, "lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"}) {
        for (int game = 0; game < 20; ++game) {
            Position pos = sfen(start);
            for (int ply = 0; ply < 150; ++ply) {
                const auto ps = position_to_packed_sfen(pos);
                const auto hcp = position_to_hcp(pos);
                ASSERT_TRUE(ps && hcp);
                const auto a = position_from_packed_sfen(*ps, pos.ply);
                const auto b = position_from_hcp(*hcp, pos.ply);
                ASSERT_TRUE(a && b);
                ASSERT_EQ(board_hands_side(*a), board_hands_side(pos));
                ASSERT_EQ(board_hands_side(*b), board_hands_side(pos));
                ASSERT_EQ(a->key, pos.key);
                ++checked;
                const Move32 m = test::random_legal(pos, rng);
                if (!m) break;
                position_do_move(pos, m);
            }
        }
    }
    EXPECT_GT(checked, 1000);
}

struct Unencodable {
    const char* sfen;
    const char* message;
};

class PackedRefuses : public ::testing::TestWithParam<Unencodable> {};

TEST_P(PackedRefuses, PositionsTheFormatCannotHold) {
    const Position pos = sfen(GetParam().sfen);
    const auto ps = position_to_packed_sfen(pos);
    ASSERT_FALSE(ps);
    EXPECT_EQ(ps.error(), GetParam().message);
    const auto hcp = position_to_hcp(pos);
    ASSERT_FALSE(hcp);
    EXPECT_EQ(hcp.error(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PackedRefuses,
    ::testing::Values(
        Unencodable{"4k4/9/9/9/9/9/9/9/4K4 b 19P 1",
                    "position cannot be encoded: more than a full set of PieceType(1) (19 > 18)"},
        Unencodable{"4k4/9/9/9/9/9/9/9/4K4 b 3B 1",
                    "position cannot be encoded: more than a full set of PieceType(5) (3 > 2)"},
        Unencodable{"4k4/9/9/9/+R+R+R6/9/9/9/4K4 b - 1",
                    "position cannot be encoded: more than a full set of PieceType(6) (3 > 2)"},
        Unencodable{"4k4/9/9/9/9/9/9/9/9 b - 1", "position cannot be encoded: a king is missing"},
        Unencodable{"4k4/9/9/9/9/9/9/9/3KK4 b - 1", "position cannot be encoded: a side has two or more kings"}),
                         [](const auto& info) { return test::case_name(info.index, {info.param.message}); });

TEST(Packed, DecoderErrors) {
    // A PackedSfen stream of all ones: rook codes until the bits run out.
    Packed32 ones;
    ones.fill(0xFF);
    auto ps = position_from_packed_sfen(ones, 1);
    ASSERT_FALSE(ps);
    EXPECT_STREQ(packed_sfen_error_display(ps.error()), "invalid huffman cursor");
    EXPECT_STREQ(packed_sfen_error_debug(ps.error()), "InvalidCursor");
    EXPECT_STREQ(packed_sfen_error_display(PackedSfenError::InvalidPieceCode), "invalid huffman piece code");

    // HuffmanCodedPos: king fields of 81 and above are refused with the value.
    Packed32 start = *position_to_hcp(position_startpos());
    Packed32 bad = start;
    bad[1] = static_cast<std::uint8_t>((bad[1] & 0x80) | 81);  // bits 8..14 hold the White king
    auto h = position_from_hcp(bad, 1);
    ASSERT_FALSE(h);
    EXPECT_EQ(hcp_error_display(h.error()), "invalid king square in HuffmanCodedPos: 81");
    Packed32 black = start;
    black[0] = static_cast<std::uint8_t>((black[0] & 1) | (127 << 1));
    EXPECT_EQ(hcp_error_display(position_from_hcp(black, 1).error()), "invalid king square in HuffmanCodedPos: 127");
    // Both kings on one square: the White king's square is refused.
    Packed32 same = start;
    same[1] = static_cast<std::uint8_t>((same[1] & 0x80) | 44);
    EXPECT_EQ(hcp_error_display(position_from_hcp(same, 1).error()), "invalid king square in HuffmanCodedPos: 44");
    // All ones after the kings: every square reads 11111111, the White dragon, and the
    // stream runs out long before the last square.
    Packed32 all = start;
    for (int i = 2; i < 32; ++i) all[i] = 0xFF;
    all[1] |= 0x80;
    EXPECT_EQ(hcp_error_display(position_from_hcp(all, 1).error()), "invalid huffman cursor");
}

TEST(Packed, HandEntriesBeyondTheFieldAreRefused) {
    // Black king on 5i, White king on 5a, 79 empty squares, then hand pawn entries
    // (PackedSfen: 0 p=0 c=0, three bits each) until the stream ends: 54 pawns of Black.
    Packed32 bytes{};
    int cursor = 0;
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i, ++cursor)
            // Runs longer than 32 bits are zeros past bit 31 (a wider shift is undefined).
            if (i < 32 && ((v >> i) & 1)) bytes[cursor / 8] |= static_cast<std::uint8_t>(1u << (cursor % 8));
    };
    put(0, 1);
    put(44, 7);
    put(36, 7);
    put(0, 79);
    // 256 - 94 = 162 bits of 000 entries: 54 Black pawns, more than the field's 31.
    auto ps = position_from_packed_sfen(bytes, 1);
    ASSERT_FALSE(ps);
    EXPECT_STREQ(packed_sfen_error_display(ps.error()), "invalid huffman hand count");
    // HuffmanCodedPos: 000 is a Black hand pawn as well.
    auto hcp = position_from_hcp(bytes, 1);
    ASSERT_FALSE(hcp);
    EXPECT_EQ(hcp_error_display(hcp.error()), "invalid huffman hand count");
}

TEST(Packed, PieceBoxEntriesAreSkipped) {
    // The rook handicap stores one rook in the box; decoding leaves the hands empty.
    const Position pos = sfen("lnsgkgsnl/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1");
    const auto ps = position_from_packed_sfen(*position_to_packed_sfen(pos), 1);
    EXPECT_EQ(ps->hands[BLACK], 0u);
    EXPECT_EQ(ps->hands[WHITE], 0u);
    const auto hcp = position_from_hcp(*position_to_hcp(pos), 1);
    EXPECT_EQ(hcp->hands[WHITE], 0u);
}

TEST(Packed, PackedSfenKingFieldOf81PlacesNoKing) {
    // Black king on 5i, White king field 81: 80 squares follow. The stream is filled to
    // bit 256 with piece-box entries (52 pawns, 0 1 0, and one lance, 1 0 0 1 0).
    Packed32 bytes{};
    int cursor = 0;
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i, ++cursor)
            // Runs longer than 32 bits are zeros past bit 31 (a wider shift is undefined).
            if (i < 32 && ((v >> i) & 1)) bytes[cursor / 8] |= static_cast<std::uint8_t>(1u << (cursor % 8));
    };
    put(1, 1);
    put(44, 7);
    put(81, 7);
    put(0, 80);
    for (int i = 0; i < 52; ++i) put(2, 3);
    put(9, 5);
    ASSERT_EQ(cursor, 256);
    const auto pos = position_from_packed_sfen(bytes, 9);
    ASSERT_TRUE(pos) << packed_sfen_error_display(pos.error());
    EXPECT_EQ(pos->king_square[BLACK], 44);
    EXPECT_EQ(pos->king_square[WHITE], SQ_NONE);
    EXPECT_EQ(pos->side_to_move, WHITE);
    EXPECT_EQ(pos->hands[BLACK] | pos->hands[WHITE], 0u);
    EXPECT_EQ(pos->occupied.count(), 1);
    // Ones in the last five bits start a rook entry of seven bits: the stream runs out.
    Packed32 cut = bytes;
    cut[31] |= 0xF8;
    ASSERT_FALSE(position_from_packed_sfen(cut, 1));
    EXPECT_EQ(position_from_packed_sfen(cut, 1).error(), PackedSfenError::InvalidCursor);
}
