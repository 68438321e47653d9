// The sbinpack container: the canonical move index, exact bytes, the chains of a
// record and its variations, every error text, corrupt input, the records rebuilt from
// chains and round trips of long random games.

#include <random>

#include "container_support.h"
#include "core/containers/move_index.h"
#include "core/containers/sbinpack.h"
#include "core/containers/sbinpack_record.h"

namespace korvan::test {
namespace {

using S = SpecialMoveKind;
using K = SbinpackError::Kind;

constexpr const char* START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";

std::string debug(const SbinpackError& e) { return sbinpack_error_debug(e); }

std::vector<SbinpackChain> chains_of(const Record& r, bool main = true, bool variations = false,
                                     std::int16_t stem_score = 0, Bytes metadata = {}) {
    auto chains = record_to_sbinpack_chains(r, stem_score, metadata, main, variations);
    if (!chains) throw std::runtime_error(debug(chains.error()));
    return std::move(*chains);
}

Bytes encoded(std::span<const SbinpackChain> chains) {
    auto bytes = encode_sbinpack(chains);
    if (!bytes) throw std::runtime_error(debug(bytes.error()));
    return std::move(*bytes);
}

std::string sbinpack_decode_error(const Bytes& bytes) {
    auto chains = decode_sbinpack_chains(bytes);
    return chains ? "(decoded)" : debug(chains.error());
}

std::vector<std::string> usi_moves(const SbinpackChain& chain) {
    std::vector<std::string> out;
    for (const SbinpackMove& m : chain.moves) out.push_back(move_display_usi(m.move));
    return out;
}

TEST(MoveIndex, AgreesWithTheSortedLegalListEverywhere) {
    std::mt19937_64 rng(7);
    std::size_t positions = 0;
    for (const char* start : {START, MATSURI, "4k4/9/9/9/9/9/9/9/4K4 b RBGSNLPrb3g3s3n3l17p 1"}) {
        Position pos = sfen(start);
        for (int ply = 0; ply < 200; ++ply) {
            const std::vector<Move32> sorted = generate_legal_moves(pos);
            for (std::size_t i = 0; i < sorted.size(); ++i) {
                ASSERT_EQ(canonical_index_of(pos, sorted[i]), std::optional<std::size_t>(i));
                ASSERT_EQ(canonical_move_at(pos, i), std::optional<Move32>(sorted[i]));
                // The same 16 bits with another piece are not that move.
                EXPECT_EQ(canonical_index_of(pos, sorted[i] ^ (1u << 16)), std::nullopt);
            }
            EXPECT_EQ(canonical_move_at(pos, sorted.size()), std::nullopt);
            ++positions;
            if (sorted.empty()) break;
            position_do_move(pos, sorted[rng() % sorted.size()]);
        }
    }
    EXPECT_GT(positions, 300u);
}

// Set-ups that random games reach rarely: pins on every line, a check answered by
// drops, a double check, a side without a king or with two, and White to move.
struct IndexCase {
    const char* name;
    const char* sfen;
};

class MoveIndexSetUp : public ::testing::TestWithParam<IndexCase> {};

TEST_P(MoveIndexSetUp, EveryIndexIsTheSortedListsMoveAlongRandomGames) {
    std::size_t positions = 0, checks = 0;
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
        std::mt19937_64 rng(seed);
        Position pos = sfen(GetParam().sfen);
        for (int ply = 0; ply < 120; ++ply) {
            const std::vector<Move32> sorted = generate_legal_moves(pos);
            for (std::size_t i = 0; i < sorted.size(); ++i)
                ASSERT_EQ(canonical_move_at(pos, i), std::optional<Move32>(sorted[i])) << i << " ply " << ply;
            ASSERT_EQ(canonical_move_at(pos, sorted.size()), std::nullopt);
            ++positions;
            checks += !pos.st().checkers.empty();
            if (sorted.empty()) break;
            position_do_move(pos, sorted[rng() % sorted.size()]);
        }
    }
    EXPECT_GT(positions, 4u);
    if (std::string_view(GetParam().name).ends_with("check")) {
        EXPECT_GT(checks, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Positions, MoveIndexSetUp,
    ::testing::Values(IndexCase{"pins_by_file_and_diagonal", "4r4/k8/9/9/4L4/9/2b6/3S5/4K4 b GP 1"},
                      IndexCase{"white_pinned_with_drops", "4k4/3s5/2B6/9/4l4/9/9/K8/4R4 w gp 1"},
                      IndexCase{"lone_rook_check", "4k4/9/9/9/9/9/9/9/r3K4 b RBGSNLP 1"},
                      IndexCase{"double_check", "4k4/9/9/9/9/9/6b2/9/r3K4 b GS 1"},
                      IndexCase{"no_black_king", "4k4/9/9/9/9/9/9/9/4G4 b RP 1"},
                      IndexCase{"two_black_kings", "4k4/9/9/9/9/9/9/4K4/4K4 b P 1"},
                      IndexCase{"pieces_in_hand_white_to_move", MATSURI},
                      IndexCase{"pieces_in_the_zones",
                                "ln1g1g1nl/1r1s1kSb1/p1pppp1pp/1p4p2/9/2P6/PPBPPPPPP/1S5R1/LN1GKGSNL b p 1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MoveIndex, TheStartPositionBeginsWithPawnsByFileOrderThenLances) {
    const Position pos = position_startpos();
    const char* expected[] = {"5g5f", "4g4f", "6g6f", "3g3f", "7g7f", "2g2f", "8g8f", "1g1f", "9g9f", "1i1h", "9i9h"};
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(move_display_usi(*canonical_move_at(pos, i)), expected[i]) << i;
    EXPECT_EQ(canonical_index_of(pos, usi(pos, "7g7f")), std::optional<std::size_t>(4));
    EXPECT_EQ(canonical_move_at(pos, 30), std::nullopt);
}

TEST(Sbinpack, ARecordWithoutMovesIsAHeaderAndAZeroCount) {
    const Record r = record_of(std::nullopt, {}, {}, special(S::Resign, 1));
    const Bytes metadata = {0xAA, 0xBB, 0xCC};
    const auto chains = chains_of(r, true, false, -2, metadata);
    ASSERT_EQ(chains.size(), 1u);
    const Bytes bytes = encoded(chains);
    Bytes expected = hex_bytes("53424e32 2c000000");
    const Packed32 stem = *position_to_packed_sfen(position_startpos());
    expected.insert(expected.end(), stem.begin(), stem.end());
    // Score -2, first move 0, White won (1 << 10) at ply 1, metadata, count 0.
    for (std::uint8_t b : hex_bytes("feff 0000 0104 03 aabbcc 0000")) expected.push_back(b);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.size(), 8u + 41 + 3);
}

TEST(Sbinpack, ScoresAreDeltasFromOneSidesView) {
    const Record r = record_of(std::nullopt, {"7g7f", "3c3d"}, {30, -30}, special(S::Resign, 0));
    const Bytes bytes = encoded(chains_of(r));
    Position after = position_startpos();
    play(after, "7g7f");
    const std::size_t second = *canonical_index_of(after, usi(after, "3c3d"));
    const Bytes moves(bytes.end() - 4, bytes.end());
    EXPECT_EQ(moves, (Bytes{4, 60, static_cast<std::uint8_t>(second), 0}));
    EXPECT_EQ(bytes[8 + 34] | bytes[8 + 35] << 8, 7739);  // the first move, 7g7f
    const auto decoded = *decode_sbinpack_chains(bytes);
    EXPECT_EQ(decoded[0].moves[0].score, 30);
    EXPECT_EQ(decoded[0].moves[1].score, -30);
}

TEST(Sbinpack, EncodingErrors) {
    const Record plain = record_of(std::nullopt, {"7g7f"}, {0}, std::nullopt);
    EXPECT_EQ(debug(record_to_sbinpack_chains(plain, 0, Bytes(128), true, false).error()),
              "MetadataTooLarge { len: 128, max: 127 }");
    EXPECT_TRUE(record_to_sbinpack_chains(plain, 0, Bytes(127), true, false));
    SbinpackChain big = chains_of(plain)[0];
    big.metadata.resize(128);
    EXPECT_EQ(debug(encode_sbinpack(std::span(&big, 1)).error()), "MetadataTooLarge { len: 128, max: 127 }");

    EXPECT_EQ(debug(record_to_sbinpack_chains(record_of(std::nullopt, {"7g7f", "3c3d"}, {}, std::nullopt), 0, {},
                                              true, false)
                        .error()),
              "MissingEval(0)");
    Record second = record_of(std::nullopt, {"7g7f", "3c3d", "2g2f"}, {0}, std::nullopt);
    record_node(second, 3).annotations = {};
    EXPECT_EQ(debug(record_to_sbinpack_chains(second, 0, {}, true, false).error()), "MissingEval(1)");
    // A missing evaluation is found before a move that is not legal.
    Record both = record_of(std::nullopt, {"7g7f", "7g7f", "2g2f"}, {0}, std::nullopt);
    record_node(both, 4).annotations = {};
    EXPECT_EQ(debug(record_to_sbinpack_chains(both, 0, {}, true, false).error()), "MissingEval(2)");

    // An illegal move is named when the chain is encoded; an empty source gives its
    // 16 bits, a move of the wrong side its widened value.
    const Record illegal = record_of(std::nullopt, {"7g7f", "7g7f"}, {0}, std::nullopt);
    EXPECT_EQ(debug(encode_sbinpack(chains_of(illegal)).error()), "UnencodableMove(Move32(7739))");
    const Record enemy = record_of(std::nullopt, {"3c3d"}, {0}, std::nullopt);
    EXPECT_EQ(debug(encode_sbinpack(chains_of(enemy)).error()), "UnencodableMove(Move32(2581))");

    EXPECT_EQ(debug(record_to_sbinpack_chains(record_of(std::string("9/9/9/9/9/9/9/9/9 b - x"), {}, {}, std::nullopt),
                                              0, {}, true, false)
                        .error()),
              "Sfen(InvalidPly(ParseIntError { kind: InvalidDigit }))");
    // A stem PackedSfen cannot hold is refused, never written.
    const auto kingless = record_to_sbinpack_chains(record_of(std::string("9/9/9/9/9/9/9/9/4K4 b - 1"), {}, {},
                                                              std::nullopt),
                                                    0, {}, true, false);
    EXPECT_EQ(debug(kingless.error()), "UnencodablePosition(\"position cannot be encoded: a king is missing\")");
    // Neither option: no chains and no look at the start position.
    EXPECT_TRUE(record_to_sbinpack_chains(record_of(std::string("9/9/9/9/9/9/9/9/4K4 b - 1"), {}, {}, std::nullopt),
                                          0, {}, false, false)
                    ->empty());
}

// A line of rook moves back and forth, as long as wanted.
Record shuffle_record(std::size_t plies) {
    static const char* cycle[] = {"2h3h", "8b7b", "3h2h", "7b8b"};
    Record r = record_new_startpos();
    RecordNodeId parent = r.root;
    for (std::size_t i = 0; i < plies; ++i)
        parent = *record_append_move(r, parent, *move_from_usi(cycle[i % 4]), with_eval(static_cast<int>(i % 61) - 30));
    return r;
}

TEST(Sbinpack, AChainOverTheCountIsRefusedNotCut) {
    const Record r = shuffle_record(65536);
    const auto chains = chains_of(r);
    EXPECT_EQ(debug(encode_sbinpack(chains).error()), "TooManyMoves { len: 65536, max: 65535 }");
    const Record fits = shuffle_record(65535);
    const Bytes bytes = encoded(chains_of(fits));
    const auto back = *decode_sbinpack_chains(bytes);
    ASSERT_EQ(back[0].moves.size(), 65535u);
    EXPECT_EQ(back[0].moves, chains_of(fits)[0].moves);
}

// root - 7g7f - 3c3d - 2g2f          (main line)
//      |      \ 8c8d - 6g6f         (b2)
//      \ 2g2f - 8c8d                (a2)
//             \ 3c3d - 7g7f - RESIGN (y)
Record tree() {
    Record r = record_new_startpos();
    auto add = [&](RecordNodeId parent, const char* m, int eval) {
        return *record_append_move(r, parent, *move_from_usi(m), with_eval(eval));
    };
    const RecordNodeId a = add(r.root, "7g7f", 1);
    const RecordNodeId b = add(a, "3c3d", 2);
    add(b, "2g2f", 3);
    const RecordNodeId b2 = add(a, "8c8d", 4);
    add(b2, "6g6f", 5);
    const RecordNodeId a2 = add(r.root, "2g2f", 6);
    add(a2, "8c8d", 7);
    const RecordNodeId y = add(a2, "3c3d", 8);
    const RecordNodeId z = add(y, "7g7f", 9);
    (void)*record_append_terminal(r, z, special(S::Resign, 0), {});
    return r;
}

TEST(Sbinpack, VariationsDepthFirstFromTheLastChild) {
    const Record r = tree();
    const auto chains = chains_of(r, true, true, 5, {1, 2});
    ASSERT_EQ(chains.size(), 4u);
    EXPECT_EQ(usi_moves(chains[0]), (std::vector<std::string>{"7g7f", "3c3d", "2g2f"}));
    EXPECT_EQ(usi_moves(chains[1]), (std::vector<std::string>{"2g2f", "8c8d"}));
    EXPECT_EQ(usi_moves(chains[2]), (std::vector<std::string>{"3c3d", "7g7f"}));
    EXPECT_EQ(usi_moves(chains[3]), (std::vector<std::string>{"8c8d", "6g6f"}));
    Position start = position_startpos();
    Position after_2g2f = start, after_7g7f = start;
    play(after_2g2f, "2g2f");
    play(after_7g7f, "7g7f");
    EXPECT_EQ(chains[0].stem, *position_to_packed_sfen(start));
    EXPECT_EQ(chains[1].stem, *position_to_packed_sfen(start));
    EXPECT_EQ(chains[2].stem, *position_to_packed_sfen(after_2g2f));
    EXPECT_EQ(chains[3].stem, *position_to_packed_sfen(after_7g7f));
    // The main line has no terminal: every chain carries INVALID, and its stem's ply.
    EXPECT_EQ(chains[0].ply_result, 7 << 10 | 1);
    EXPECT_EQ(chains[2].ply_result, 7 << 10 | 2);
    for (const auto& c : chains) {
        EXPECT_EQ(c.stem_score, 5);
        EXPECT_EQ(c.metadata, (Bytes{1, 2}));
        EXPECT_EQ(c.first_move, move16(c.moves[0].move));
    }
    EXPECT_EQ(chains[3].moves[1].score, 5);
    EXPECT_EQ(chains_of(r, false, true).size(), 3u);
    // Every chain encodes and decodes to itself.
    const auto back = *decode_sbinpack_chains(encoded(chains));
    EXPECT_EQ(back, chains);
}

TEST(Sbinpack, AVariationStemIsReachedOnlyThroughLegalMoves) {
    // root - 7g7f - 7g7f(illegal) - 3c3d
    //                             \ 8c8d
    Record r = record_new_startpos();
    const RecordNodeId a = *record_append_move(r, r.root, *move_from_usi("7g7f"), with_eval(0));
    const RecordNodeId bad = *record_append_move(r, a, *move_from_usi("7g7f"), with_eval(0));
    (void)*record_append_move(r, bad, *move_from_usi("3c3d"), with_eval(0));
    (void)*record_append_move(r, bad, *move_from_usi("8c8d"), with_eval(0));
    EXPECT_EQ(debug(record_to_sbinpack_chains(r, 0, {}, false, true).error()), "UnencodableMove(Move32(7739))");

    // An illegal move below which no variation starts stops nothing here.
    Record quiet = record_new_startpos();
    const RecordNodeId q = *record_append_move(quiet, quiet.root, *move_from_usi("7g7f"), with_eval(0));
    (void)*record_append_move(quiet, q, *move_from_usi("7g7f"), with_eval(0));
    (void)*record_append_move(quiet, quiet.root, *move_from_usi("2g2f"), with_eval(0));
    const auto chains = chains_of(quiet, false, true);
    ASSERT_EQ(chains.size(), 1u);
    EXPECT_EQ(usi_moves(chains[0]), (std::vector<std::string>{"2g2f"}));
}

TEST(Sbinpack, AVeryLongLineIsWalkedWithoutRecursion) {
    Record r = shuffle_record(60000);
    // A variation at the very end: its stem lies 59,999 moves deep.
    const RecordNodeId last = record_main_line_ids(r).back();
    const RecordNodeId parent = record_node(r, last).parent;
    (void)*record_append_move(r, parent, *move_from_usi("5g5f"), with_eval(0));
    const auto chains = chains_of(r, false, true);
    ASSERT_EQ(chains.size(), 1u);
    EXPECT_EQ(chains[0].ply_result & 1023, 1023);
    EXPECT_EQ(usi_moves(chains[0]), (std::vector<std::string>{"5g5f"}));
}

TEST(Sbinpack, DecodingErrors) {
    EXPECT_TRUE(decode_sbinpack_chains(Bytes{})->empty());
    EXPECT_TRUE(decode_sbinpack_chains(hex_bytes("53424e32 00000000"))->empty());
    const struct {
        std::string hex;
        const char* debug;
    } cases[] = {
        {"53424e31 00000000", "InvalidMagic"},
        {"53424e32 01000000", "Truncated"},
        {"53424e32 000000", "Truncated"},
        {"53424e32 00000000 53", "Truncated"},
        {"53424e32 01000000 00", "Truncated"},
    };
    for (const auto& c : cases) EXPECT_EQ(sbinpack_decode_error(hex_bytes(c.hex)), c.debug) << c.hex;

    // A valid chain of the start position, then its parts changed one at a time.
    const Bytes good = encoded(chains_of(record_of(std::nullopt, {"7g7f"}, {0}, std::nullopt)));
    auto changed = [&](std::size_t at, Bytes with) {
        Bytes b = good;
        b.erase(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + with.size()));
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), with.begin(), with.end());
        return b;
    };
    const std::size_t moves_at = good.size() - 2;  // index 4, delta 0
    EXPECT_EQ(sbinpack_decode_error(changed(8 + 38, {0x80})), "MetadataTooLarge { len: 128, max: 127 }");
    EXPECT_EQ(sbinpack_decode_error(changed(moves_at, {30})), "InvalidMoveIndex(30)");
    Bytes long_index = good;
    long_index.resize(moves_at);
    for (std::uint8_t b : {0x80, 0x80, 0x04, 0x00}) long_index.push_back(b);  // 65536
    set_u32(long_index, 4, static_cast<std::uint32_t>(long_index.size() - 8));
    EXPECT_EQ(sbinpack_decode_error(long_index), "InvalidMoveIndex(65536)");
    Bytes six = good;
    six.resize(moves_at);
    for (std::uint8_t b : {0x84, 0x80, 0x80, 0x80, 0x80, 0x00, 0x00}) six.push_back(b);
    set_u32(six, 4, static_cast<std::uint32_t>(six.size() - 8));
    EXPECT_EQ(sbinpack_decode_error(six), "Truncated");
    Bytes stem = changed(8, Bytes(32, 0xFF));
    EXPECT_EQ(sbinpack_decode_error(stem).rfind("PackedSfen(", 0), 0u) << sbinpack_decode_error(stem);

    // A count of 65535 over a body of a few bytes ends at the body, reserving little.
    Bytes forged = good;
    forged[good.size() - 4] = 0xFF;
    forged[good.size() - 3] = 0xFF;
    EXPECT_EQ(sbinpack_decode_error(forged), "Truncated");
}

TEST(Sbinpack, EveryCutInsideABodyIsTruncated) {
    std::mt19937_64 rng(5);
    const Record r = playout_record(START, 60, rng, special(S::Resign, 0));
    const Bytes good = encoded(chains_of(r));
    for (std::size_t cut = 8; cut < good.size(); ++cut) {
        Bytes b(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_EQ(sbinpack_decode_error(b), "Truncated") << cut;
        set_u32(b, 4, static_cast<std::uint32_t>(cut - 8));
        if (cut > 8) {
            EXPECT_EQ(sbinpack_decode_error(b), "Truncated") << cut;
        }
    }
}

TEST(Sbinpack, LongRandomGamesRoundTrip) {
    std::mt19937_64 rng(99);
    std::vector<SbinpackChain> chains;
    std::size_t long_chains = 0;
    for (int round = 0; round < 4; ++round)
        for (const char* start : {START, MATSURI, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1200"}) {
            const Position stem = sfen(start);
            std::vector<SbinpackMoveInput> moves;
            for (Move32 m : playout(stem, 500, rng)) {
                // Scores over the whole 32-bit range wrap through the deltas.
                const std::int32_t score = round == 0 ? static_cast<std::int32_t>(rng())
                                                      : static_cast<std::int32_t>(rng() % 64001) - 32000;
                moves.push_back({move16(m), score});
            }
            if (round == 1 && !moves.empty()) moves.back().eval = INT32_MIN;
            long_chains += moves.size() >= 450;
            const Bytes metadata(static_cast<std::size_t>(rng() % 128), static_cast<std::uint8_t>(round));
            auto chain = sbinpack_encode_chain(stem, moves, static_cast<std::int16_t>(rng()), metadata,
                                               static_cast<GameResult>(round));
            ASSERT_TRUE(chain) << debug(chain.error());
            EXPECT_EQ(chain->ply_result & 1023, std::min<int>(stem.ply, 1023));
            chains.push_back(std::move(*chain));
        }
    EXPECT_GE(long_chains, 4u);
    const Bytes bytes = encoded(chains);
    auto back = decode_sbinpack_chains(bytes);
    ASSERT_TRUE(back) << debug(back.error());
    EXPECT_EQ(*back, chains);
    // Two blocks read as one list.
    Bytes twice = bytes;
    twice.insert(twice.end(), bytes.begin(), bytes.end());
    EXPECT_EQ(decode_sbinpack_chains(twice)->size(), 2 * chains.size());
}


Record rebuilt_record(const SbinpackChain& chain) {
    auto r = record_from_sbinpack_chain(chain);
    if (!r) throw std::runtime_error(r.error());
    return std::move(*r);
}

TEST(SbinpackRecord, ChainsBackToRecords) {
    // No terminal: INTERRUPT with INVALID.
    const Record open = record_of(std::nullopt, {"7g7f", "3c3d"}, {12, -40}, std::nullopt);
    const Record back = rebuilt_record(chains_of(open)[0]);
    EXPECT_EQ(back.init_position_sfen, std::optional<std::string>(START));
    const auto ids = record_main_line_ids(back);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(move_display_usi(record_node(back, ids[1]).move), "3c3d");
    EXPECT_EQ(record_node(back, ids[1]).annotations.engine_info->eval, std::optional<std::int16_t>(-40));
    EXPECT_EQ(terminal_special(back).kind, S::Interrupt);
    EXPECT_EQ(terminal_special(back).result, 7);
    EXPECT_EQ(terminal_special(back).raw, std::nullopt);

    // A White win keeps its result; the start ply survives.
    const Record won = record_of(std::string("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 7"),
                                 {"3c3d"}, {5}, special(S::Resign, 1));
    const Record won_back = rebuilt_record(chains_of(won)[0]);
    EXPECT_EQ(won_back.init_position_sfen,
              std::optional<std::string>("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 7"));
    EXPECT_EQ(terminal_special(won_back).kind, S::Resign);
    EXPECT_EQ(terminal_special(won_back).result, 1);

    // A chain without moves: only the terminal.
    const Record empty_back = rebuilt_record(chains_of(record_of(std::nullopt, {}, {}, special(S::Resign, 0)))[0]);
    EXPECT_EQ(record_move_count(empty_back), 0u);
    EXPECT_EQ(terminal_special(empty_back).kind, S::Resign);
}

TEST(SbinpackRecord, ResultsAndScores) {
    const struct {
        int code;
        int result;
        S kind;
    } results[] = {
        {0, 0, S::Resign},          {2, 2, S::RepetitionDraw}, {3, 3, S::Interrupt},     {4, 4, S::WinByDeclaration},
        {6, 6, S::MaxMoves},        {9, 9, S::WinByDefault},   {10, 10, S::Impasse},     {11, 11, S::Interrupt},
        {13, 13, S::WinByIllegalMove}, {14, 7, S::Interrupt},  {15, 7, S::Interrupt},    {16, 16, S::Timeout},
        {17, 17, S::Timeout},       {18, 7, S::Interrupt},     {20, 7, S::Interrupt},    {21, 7, S::Interrupt},
        {63, 7, S::Interrupt},
    };
    SbinpackChain chain = chains_of(record_of(std::nullopt, {}, {}, std::nullopt))[0];
    for (const auto& c : results) {
        chain.ply_result = static_cast<std::uint16_t>(c.code << 10 | 1);
        const Record r = rebuilt_record(chain);
        EXPECT_EQ(terminal_special(r).result, c.result) << int(c.code);
        EXPECT_EQ(terminal_special(r).kind, c.kind) << int(c.code);
    }
    // A try-rule result written into a chain cannot come back.
    const Record tried = record_of(std::nullopt, {}, {}, special(S::Try, 20));
    EXPECT_EQ(terminal_special(rebuilt_record(chains_of(tried)[0])).result, 7);

    SbinpackChain scored = chains_of(record_of(std::nullopt, {"7g7f", "3c3d", "2g2f", "8c8d"}, {0}, std::nullopt))[0];
    const std::int32_t scores[] = {32001, -32001, 32000, 40000};
    for (int i = 0; i < 4; ++i) scored.moves[i].score = scores[i];
    const Record r = rebuilt_record(scored);
    const auto ids = record_main_line_ids(r);
    const std::int16_t evals[] = {32001, -32001, 32000, 32767};
    const bool mates[] = {true, true, false, true};
    for (int i = 0; i < 4; ++i) {
        const EngineInfo& info = *record_node(r, ids[i]).annotations.engine_info;
        EXPECT_EQ(info.eval, std::optional<std::int16_t>(evals[i]));
        EXPECT_EQ(info.eval_is_mate_kind, mates[i]);
    }
}

TEST(SbinpackRecord, Errors) {
    SbinpackChain chain = chains_of(record_of(std::nullopt, {"7g7f"}, {0}, std::nullopt))[0];
    SbinpackChain illegal = chain;
    illegal.moves.push_back(illegal.moves[0]);
    EXPECT_EQ(record_from_sbinpack_chain(illegal).error(), "illegal sbinpack move: 7g7f");
    SbinpackChain special_move = chain;
    special_move.moves[0].move = MOVE_RESIGN;
    EXPECT_EQ(record_from_sbinpack_chain(special_move).error(), "illegal sbinpack move: resign");
    SbinpackChain wrong_piece = chain;
    wrong_piece.moves[0].move ^= 2u << 16;  // a knight's move from a pawn's square
    EXPECT_EQ(record_from_sbinpack_chain(wrong_piece).error(), "illegal sbinpack move: 7g7f");
    // A stem that does not decode gives the decoder's debug name.
    SbinpackChain bad_stem = chain;
    for (int fill = 0; fill < 256; ++fill) {
        bad_stem.stem.fill(static_cast<std::uint8_t>(fill));
        const auto decoded = position_from_packed_sfen(bad_stem.stem, 1);
        if (decoded) continue;
        EXPECT_EQ(record_from_sbinpack_chain(bad_stem).error(), packed_sfen_error_debug(decoded.error())) << fill;
    }

    EXPECT_EQ(record_from_single_sbinpack(Bytes{}).error(), "sbinpack: no chains found");
    EXPECT_EQ(record_from_single_sbinpack(hex_bytes("53424e31 00000000")).error(), "sbinpack: InvalidMagic");
    const Bytes one = encoded(std::span(&chain, 1));
    EXPECT_EQ(record_from_single_sbinpack(one).value(), chain);
    const SbinpackChain two[] = {chain, chain};
    EXPECT_EQ(record_from_single_sbinpack(encoded(two)).error(), "sbinpack: multiple chains not supported");
}

}  // namespace
}  // namespace korvan::test
