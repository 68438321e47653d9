// Emission orders, canonical order, and agreement of the legality test with the lists.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "support.h"

using namespace korvan;
using test::sfen;

namespace {

std::vector<std::string> texts(const MoveList& list) {
    std::vector<std::string> out;
    for (Move m : list) out.push_back(move_display_usi(m));
    return out;
}

std::vector<std::string> legal(const Position& pos) {
    MoveList list;
    generate_legal(pos, list);
    return texts(list);
}

std::vector<std::string> non_evasions(const Position& pos) {
    MoveList list;
    generate_non_evasions(pos, list);
    return texts(list);
}

std::vector<std::string> split(const std::string& s) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < s.size()) {
        const std::size_t next = s.find(' ', pos);
        out.push_back(s.substr(pos, next - pos));
        if (next == std::string::npos) break;
        pos = next + 1;
    }
    return out;
}

}  // namespace

TEST(MoveOrder, StartPositionEmission) {
    const auto expected = split(
        "1g1f 2g2f 3g3f 4g4f 5g5f 6g6f 7g7f 8g8f 9g9f 1i1h 9i9h 3i3h 3i4h 7i6h 7i7h 2h1h 2h3h 2h4h 2h5h 2h6h "
        "2h7h 4i3h 4i4h 4i5h 5i4h 5i5h 5i6h 6i5h 6i6h 6i7h");
    const Position pos = position_startpos();
    EXPECT_EQ(legal(pos), expected);
    EXPECT_EQ(non_evasions(pos), expected);
}

TEST(MoveOrder, StartPositionCanonical) {
    const auto expected = split(
        "5g5f 4g4f 6g6f 3g3f 7g7f 2g2f 8g8f 1g1f 9g9f 1i1h 9i9h 3i4h 7i6h 3i3h 7i7h 4i5h 6i5h 4i4h 6i6h 4i3h "
        "6i7h 2h5h 2h4h 2h6h 2h3h 2h7h 2h1h 5i5h 5i4h 5i6h");
    std::vector<std::string> got;
    for (Move32 m : generate_legal_moves(position_startpos())) got.push_back(move_display_usi(m));
    EXPECT_EQ(got, expected);
}

struct OrderCase {
    const char* sfen;
    const char* from;  // the moves of the piece on this square are compared
    const char* legal;
    const char* pseudo;  // non-evasions or evasions
};

class GenerationOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(GenerationOrder, FollowsTheDocumentedOrder) {
    const Position pos = sfen(GetParam().sfen);
    auto keep = [&](const std::vector<std::string>& v) {
        std::vector<std::string> out;
        for (const auto& s : v)
            if (s.rfind(GetParam().from, 0) == 0) out.push_back(s);
        return out;
    };
    MoveList pseudo;
    generate_pseudo_legal(pos, pseudo);
    EXPECT_EQ(keep(legal(pos)), split(GetParam().legal));
    EXPECT_EQ(keep(texts(pseudo)), split(GetParam().pseudo));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GenerationOrder,
    ::testing::Values(
        // A pawn stepping to rank c: promotion then non-promotion; reduced: promotion only.
        OrderCase{"k8/9/9/4P4/9/9/9/9/8K b - 1", "5d", "5d5c+ 5d5c", "5d5c+"},
        OrderCase{"k8/4P4/9/9/9/9/9/9/8K b - 1", "5b", "5b5a+", "5b5a+"},
        // A lance: all its promotions first, then its non-promotions.
        OrderCase{"k8/9/9/9/9/9/9/9/4L3K b - 1", "5i", "5i5a+ 5i5b+ 5i5c+ 5i5b 5i5c 5i5d 5i5e 5i5f 5i5g 5i5h",
                  "5i5a+ 5i5b+ 5i5c+ 5i5c 5i5d 5i5e 5i5f 5i5g 5i5h"},
        // A bishop inside the zone: per target, promotion then (full only) non-promotion.
        OrderCase{"k8/9/4B4/9/9/9/9/9/8K b - 1", "5c",
                  "5c1g+ 5c1g 5c2f+ 5c2f 5c3a+ 5c3a 5c3e+ 5c3e 5c4b+ 5c4b 5c4d+ 5c4d 5c6b+ 5c6b 5c6d+ 5c6d "
                  "5c7a+ 5c7a 5c7e+ 5c7e 5c8f+ 5c8f 5c9g+ 5c9g",
                  "5c1g+ 5c2f+ 5c3a+ 5c3e+ 5c4b+ 5c4d+ 5c6b+ 5c6d+ 5c7a+ 5c7e+ 5c8f+ 5c9g+"},
        // A bishop outside the zone: zone targets first (with promotion), then the others.
        OrderCase{"1k7/9/9/9/4B4/9/9/9/7K1 b - 1", "5e",
                  "5e1a+ 5e1a 5e2b+ 5e2b 5e3c+ 5e3c 5e7c+ 5e7c 5e8b+ 5e8b 5e9a+ 5e9a 5e1i 5e2h 5e3g 5e4d 5e4f "
                  "5e6d 5e6f 5e7g 5e8h 5e9i",
                  "5e1a+ 5e2b+ 5e3c+ 5e7c+ 5e8b+ 5e9a+ 5e1i 5e2h 5e3g 5e4d 5e4f 5e6d 5e6f 5e7g 5e8h 5e9i"},
        // A silver outside the zone reaching into it: both moves there, then the rest.
        OrderCase{"k8/9/9/4S4/9/9/9/9/8K b - 1", "5d", "5d4c+ 5d4c 5d5c+ 5d5c 5d6c+ 5d6c 5d4e 5d6e",
                  "5d4c+ 5d4c 5d5c+ 5d5c 5d6c+ 5d6c 5d4e 5d6e"},
        OrderCase{"k8/9/9/9/4N4/9/9/9/8K b - 1", "5e", "5e4c+ 5e4c 5e6c+ 5e6c", "5e4c+ 5e4c 5e6c+ 5e6c"},
        // White mirrors every rank rule.
        OrderCase{"k8/9/9/9/9/4p4/9/9/8K w - 1", "5f", "5f5g+ 5f5g", "5f5g+"}),
                         [](const auto& info) { return test::case_name(info.index, {"from", info.param.from}); });

TEST(MoveOrder, SortedByTargetWithinPasses) {
    // Silvers and golds only: every square in ascending order, silver then gold.
    Position pos = sfen("4k4/9/9/9/9/9/9/9/4K4 b SG 1");
    const auto moves = legal(pos);
    std::vector<std::string> drops;
    for (auto& m : moves)
        if (m[1] == '*') drops.push_back(m);
    ASSERT_GE(drops.size(), 4u);
    EXPECT_EQ(drops[0], "S*1a");
    EXPECT_EQ(drops[1], "G*1a");
    EXPECT_EQ(drops[2], "S*1b");
    // With a knight in hand the last rank comes first (no knight there), then the
    // second-last rank (no knight), then the rest with the knight first.
    Position knight = sfen("4k4/9/9/9/9/9/9/9/4K4 b NSG 1");
    std::vector<std::string> kd;
    for (auto& m : legal(knight))
        if (m[1] == '*') kd.push_back(m);
    EXPECT_EQ(kd[0], "S*1a");
    EXPECT_EQ(kd[1], "G*1a");
    EXPECT_EQ(kd[2], "S*2a");
    const auto second = std::find(kd.begin(), kd.end(), "S*1b");
    ASSERT_NE(second, kd.end());
    EXPECT_EQ(second[1], "G*1b");
    EXPECT_EQ(second[2], "S*2b");
    const auto rest = std::find(kd.begin(), kd.end(), "N*1c");
    ASSERT_NE(rest, kd.end());
    EXPECT_EQ(rest[1], "S*1c");
    EXPECT_EQ(rest[2], "G*1c");
}

TEST(MoveOrder, EvasionsAndFilter) {
    // Double check by a rook and a bishop: only king moves.
    Position two = sfen("k8/9/9/9/9/9/6b2/9/r3K2G1 b G 1");
    const auto two_moves = legal(two);
    ASSERT_FALSE(two_moves.empty());
    for (const auto& m : two_moves) EXPECT_EQ(m.substr(0, 2), "5i") << m;
    // Check by an adjacent gold: captures and king moves, no drops.
    Position adjacent = sfen("k8/9/9/9/9/9/9/4g4/4K4 b G 1");
    for (const auto& m : legal(adjacent)) EXPECT_NE(m[1], '*') << m;
    // Check from afar: interposing drops appear.
    Position far = sfen("k3r4/9/9/9/9/9/9/9/4K4 b G 1");
    const auto moves = legal(far);
    EXPECT_NE(std::find(moves.begin(), moves.end(), "G*5e"), moves.end());
}

TEST(MoveOrder, PawnDropMateIsNotGenerated) {
    // The pawn on 9b would mate: the rook covers 8a and 8b, the bishop defends the pawn.
    Position mate = sfen("k8/9/9/9/3B5/9/9/9/1R5K1 b P 1");
    auto moves = legal(mate);
    EXPECT_EQ(std::find(moves.begin(), moves.end(), "P*9b"), moves.end());
    // Undefended, the same drop only checks.
    Position check = sfen("k8/9/9/9/9/9/9/9/8K b P 1");
    moves = legal(check);
    EXPECT_NE(std::find(moves.begin(), moves.end(), "P*9b"), moves.end());
}

TEST(MoveOrder, PinnedPieceAndKingLine) {
    // The silver on 5h is pinned by the rook on 5a: it moves only along the file.
    Position pinned = sfen("4r4/9/9/9/9/9/9/4S4/4K4 b - 1");
    for (const auto& m : legal(pinned))
        if (m.rfind("5h", 0) == 0) {
            EXPECT_EQ(m[2], '5') << m;
        }
    // A king in check from a rook on its file cannot step back along the file.
    Position line = sfen("4r4/9/9/9/9/9/9/4K4/9 b - 1");
    const auto moves = legal(line);
    EXPECT_EQ(std::find(moves.begin(), moves.end(), "5h5i"), moves.end());
}

TEST(MoveOrder, RemovedMovesAreFilledFromTheEnd) {
    // The first generated move (the pawn pinned on the diagonal) is illegal; the last
    // generated move takes its slot.
    Position pos = sfen("9/9/9/9/9/7b1/9/5P3/4K4 b - 1");
    MoveList all;
    generate_non_evasions(pos, all);
    MoveList list;
    generate_legal(pos, list);
    ASSERT_GT(all.size(), list.size());
    EXPECT_EQ(list[0], all[all.size() - 1]);
}

// Positions reached by random play, and every candidate: pseudo-legal moves, the legal
// list, and random 16-bit values. A move passes the legality test exactly when it is
// in the legal list, whether or not the position has derived its blockers yet.
TEST(Agreement, LegalityTestMatchesLegalList) {
    std::mt19937_64 rng(99);
    for (const char* start : {STARTPOS_SFEN.data(), test::MATSURI, "4k4/9/9/9/9/9/9/9/4K4 b RBGSNLPrbgsnlp 1"}) {
        for (int game = 0; game < 20; ++game) {
            Position pos = sfen(start);
            for (int ply = 0; ply < 120; ++ply) {
                MoveList list;
                generate_legal(pos, list);
                std::set<Move> legal_set(list.begin(), list.end());
                ASSERT_EQ(legal_set.size(), list.size()) << "duplicate move";
                MoveList pseudo;
                generate_pseudo_legal(pos, pseudo);
                std::vector<Move> candidates(pseudo.begin(), pseudo.end());
                candidates.insert(candidates.end(), list.begin(), list.end());
                for (int i = 0; i < 300; ++i) candidates.push_back(static_cast<Move>(rng()));
                for (Move m : candidates) {
                    const Move32 m32 = position_move_to_move32(pos, m);
                    const bool ok = m32 != 0 && position_is_legal(pos, m32);
                    ASSERT_EQ(ok, legal_set.count(move16(m32)) == 1)
                        << position_to_sfen(pos, 0) << " " << move_display_usi(m) << " " << m;
                    pos.st().derived &= ~(DERIVED_BLOCKERS_BLACK | DERIVED_BLOCKERS_WHITE);
                    ASSERT_EQ(m32 != 0 && position_is_legal(pos, m32), ok)
                        << "without blockers: " << position_to_sfen(pos, 0) << " " << move_display_usi(m);
                }
                for (Move m : list) ASSERT_TRUE(position_is_pseudo_legal_move(pos, m)) << move_display_usi(m);
                if (list.size() == 0) break;
                position_do_move(pos, position_move_to_move32(pos, list[rng() % list.size()]));
            }
        }
    }
}

TEST(Agreement, CapacityHoldsArtificialPositions) {
    // Many pieces on the board and a full hand: far more than 600 moves.
    Position pos = sfen("9/B1B1B1B1B/9/1B1B1B1B1/9/9/9/9/K7k b 3R3B7G7S7N7L31P 1");
    MoveList list;
    generate_legal(pos, list);
    EXPECT_GT(list.size(), 600u);
    EXPECT_LE(list.size(), MoveList::CAPACITY);
    std::set<Move> unique(list.begin(), list.end());
    EXPECT_EQ(unique.size(), list.size());
}
