// The sazpack container: exact bytes, the chunk flags, every error text, corrupt and
// forged input, round trips, and the policy targets of a game.

#include <random>

#include "container_support.h"
#include "core/containers/file_io.h"
#include "core/containers/sazpack.h"
#include "core/containers/sazpack_targets.h"

namespace korvan::test {
namespace {

using K = SazpackError::Kind;

std::string text(const SazpackError& e) { return sazpack_error_display(e); }

Packed32 start_stem() { return *position_to_packed_sfen(position_startpos()); }

SazMove move(const char* played, std::vector<SazPolicyEntry> policy = {}, bool score = false, Bytes metadata = {}) {
    SazMove m;
    m.played = *move_from_usi(played);
    m.policy = std::move(policy);
    m.has_score_q = score;
    m.score_q = score ? 1234 : 0;
    m.metadata = std::move(metadata);
    return m;
}

SazPolicyEntry policy_entry(const char* mv, std::uint32_t visits) { return {*move_from_usi(mv), visits}; }

SazGame game(std::vector<SazMove> moves, int result = 0) {
    SazGame g;
    g.stem = start_stem();
    g.result = static_cast<GameResult>(result);
    g.moves = std::move(moves);
    return g;
}

Bytes chunk(const std::vector<SazGame>& games) {
    auto bytes = encode_sazpack_chunk(games);
    if (!bytes) throw std::runtime_error(text(bytes.error()));
    return std::move(*bytes);
}

std::string sazpack_decode_error(const Bytes& bytes) {
    auto games = decode_sazpack_chunk(bytes);
    return games ? "(decoded)" : text(games.error());
}

TEST(Sazpack, NoGamesIsTheHeaderAlone) {
    const Bytes bytes = chunk({});
    EXPECT_EQ(bytes, hex_bytes("53415a31 01 01 00000000"));
    EXPECT_TRUE(decode_sazpack_chunk(bytes)->empty());
    // A game without moves leaves the move-dependent flags clear.
    EXPECT_EQ(chunk({game({})})[5], 1);
}

TEST(Sazpack, ExactBytesOfOneGame) {
    SazMove m = move("7g7f", {policy_entry("7g7f", 3), policy_entry("2g2f", 300)}, true, {0xEE});
    m.mate = -3;
    m.score_q = -2;
    Bytes expected = hex_bytes("53415a31 01 0c 32000000");
    const Packed32 stem = start_stem();
    expected.insert(expected.end(), stem.begin(), stem.end());
    // Result 21, one move: 7g7f, flags 7, score_q -2, mate -3, two entries (visits 3 and
    // 300 as varints), one metadata byte.
    for (std::uint8_t b : hex_bytes("15 01 3b1e 07 feff fd 02 3b1e 03 8e07 ac02 01 ee")) expected.push_back(b);
    EXPECT_EQ(chunk({game({m}, 21)}), expected);
}

TEST(Sazpack, ChunkFlagsSummariseTheMoves) {
    EXPECT_EQ(chunk({game({move("7g7f", {policy_entry("7g7f", 1)}, true), move("3c3d", {policy_entry("3c3d", 2)}, true)})})[5],
              0x0D);
    EXPECT_EQ(chunk({game({move("7g7f")}), game({move("7g7f")})})[5], 0x03);
    // One hard and one soft target: neither flag; one move without score_q clears bit 3.
    EXPECT_EQ(chunk({game({move("7g7f", {}, true)}), game({move("7g7f", {policy_entry("7g7f", 1)})})})[5], 0x01);
    EXPECT_EQ(chunk({game({move("7g7f", {}, false, {1})})})[5], 0x02);
}

TEST(Sazpack, EncodingErrors) {
    EXPECT_EQ(text(encode_sazpack_chunk(std::vector{game({move("7g7f", {policy_entry("7g7f", 0), policy_entry("2g2f", 0)})})})
                       .error()),
              "sazpack policy visits sum to zero");
    EXPECT_TRUE(encode_sazpack_chunk(std::vector{game({move("7g7f", {policy_entry("7g7f", 0), policy_entry("2g2f", 1)})})}));
    EXPECT_EQ(text(encode_sazpack_chunk(std::vector{game({move("7g7f", {}, false, Bytes(128))})}).error()),
              "metadata too large: 128 bytes (max 127)");
    EXPECT_TRUE(encode_sazpack_chunk(std::vector{game({move("7g7f", {}, false, Bytes(127))})}));
}

TEST(Sazpack, EveryResultIsReadBack) {
    for (unsigned r = 0; r < 256; ++r) {
        SazGame g = game({move("7g7f")}, static_cast<GameResult>(r));
        auto back = decode_sazpack_chunk(chunk({g}));
        if (is_game_result(r)) {
            ASSERT_TRUE(back) << r;
            EXPECT_EQ(back->front().result, r);
        } else {
            EXPECT_EQ(text(back.error()), "invalid game result byte: " + std::to_string(r));
        }
    }
}

TEST(Sazpack, DecodingErrors) {
    const Bytes good = chunk({game({move("7g7f", {policy_entry("7g7f", 3)}, true, {5})})});
    auto with = [&](std::size_t at, std::uint8_t v) {
        Bytes b = good;
        b[at] = v;
        return b;
    };
    // The move starts after the 10-byte header, the stem, the result and the count.
    const std::size_t move_at = 10 + 33 + 1;
    const struct {
        Bytes bytes;
        const char* text;
    } cases[] = {
        {Bytes{}, "truncated sazpack data"},
        {hex_bytes("53415a31 01 01 000000"), "truncated sazpack data"},
        {hex_bytes("53415a32 01 01 00000000"), "invalid sazpack magic"},
        {hex_bytes("53415a31 02 01 00000000"), "unsupported sazpack version: 2"},
        {hex_bytes("53415a31 01 10 00000000"), "reserved sazpack chunk flags: 0x10"},
        {hex_bytes("53415a31 01 ff 00000000"), "reserved sazpack chunk flags: 0xff"},
        {hex_bytes("53415a31 01 06 00000000"), "sazpack flag mismatch: all-hard and all-soft both set"},
        {hex_bytes("53415a31 01 01 01000000"), "truncated sazpack data"},
        {hex_bytes("53415a31 01 01 00000000 00"), "trailing bytes after sazpack chunk: expected end 10, actual len 11"},
        {hex_bytes("53415a31 01 01 01000000 00"), "truncated sazpack data"},
        {with(move_at + 2, 0x08), "reserved sazpack target flags: 0x08"},
        {with(5, 0x01), "sazpack flag mismatch: no-metadata flag set but move has metadata"},
        {with(5, 0x02), "sazpack flag mismatch: all-hard flag set but move has policy"},
        {with(move_at + 2, 0x04), "truncated sazpack data"},
        {with(10 + 32, 14), "invalid game result byte: 14"},
    };
    for (const auto& c : cases) EXPECT_EQ(sazpack_decode_error(c.bytes), c.text);
    EXPECT_EQ(good[5], 0x0C);

    // A soft target with zero visits; a metadata length of 128; a move without score_q
    // under the all-has-score-q flag.
    Bytes zero = good;
    zero[move_at + 8] = 0;
    EXPECT_EQ(sazpack_decode_error(zero), "sazpack policy visits sum to zero");
    Bytes meta = good;
    meta[meta.size() - 2] = 128;
    EXPECT_EQ(sazpack_decode_error(meta), "metadata too large: 128 bytes (max 127)");
    const Bytes no_score = chunk({game({move("7g7f", {policy_entry("7g7f", 3)})})});
    Bytes flagged = no_score;
    flagged[5] |= SAZ_ALL_HAS_SCORE_Q;
    EXPECT_EQ(sazpack_decode_error(flagged), "sazpack flag mismatch: all-has-score-q flag set but move lacks score_q");
    const Bytes hard = chunk({game({move("7g7f")})});
    Bytes soft = hard;
    soft[5] = SAZ_ALL_SOFT;
    EXPECT_EQ(sazpack_decode_error(soft), "sazpack flag mismatch: all-soft flag set but move lacks policy");
    // A clear flag asks nothing.
    Bytes cleared = good;
    cleared[5] = 0;
    EXPECT_TRUE(decode_sazpack_chunk(cleared));
}

// The header for a payload that ends where the data ends.
Bytes fixed_length(Bytes b) {
    set_u32(b, 6, static_cast<std::uint32_t>(b.size() - 10));
    return b;
}

TEST(Sazpack, ForgedCountsAndVarints) {
    Bytes header = hex_bytes("53415a31 01 01 00000000");
    const Packed32 stem = start_stem();
    header.insert(header.end(), stem.begin(), stem.end());
    header.push_back(0);
    // Four billion moves claimed, none there: the reader stops at the end of the data.
    Bytes many = header;
    for (std::uint8_t b : hex_bytes("ffffffff0f")) many.push_back(b);
    EXPECT_EQ(sazpack_decode_error(fixed_length(many)), "truncated sazpack data");
    // A count past 32 bits, and a varint whose fifth byte goes on.
    Bytes past = header;
    for (std::uint8_t b : hex_bytes("ffffffff1f")) past.push_back(b);
    EXPECT_EQ(sazpack_decode_error(fixed_length(past)), "sazpack count exceeds u32");
    Bytes endless = header;
    for (std::uint8_t b : hex_bytes("8080808080 00")) endless.push_back(b);
    EXPECT_EQ(sazpack_decode_error(fixed_length(endless)), "truncated sazpack data");
    // A policy of four billion entries in a few bytes.
    Bytes policy = header;
    for (std::uint8_t b : hex_bytes("01 3b1e 00 ffffffff0f 3b1e 01")) policy.push_back(b);
    EXPECT_EQ(sazpack_decode_error(fixed_length(policy)), "truncated sazpack data");
}

TEST(Sazpack, EveryCutIsRefused) {
    const Bytes good = chunk({game({move("7g7f", {policy_entry("7g7f", 300)}, true, {1, 2}), move("3c3d")}, 20), game({})});
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        const Bytes b(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_EQ(sazpack_decode_error(b), "truncated sazpack data") << cut;
        // With the length made to match, a cut inside a game is still truncated, and a
        // cut between games gives fewer games.
        if (cut >= 10) {
            auto shorter = decode_sazpack_chunk(fixed_length(b));
            if (shorter) {
                EXPECT_LT(shorter->size(), 2u) << cut;
            } else {
                EXPECT_EQ(text(shorter.error()), "truncated sazpack data") << cut;
            }
        }
    }
}

TEST(Sazpack, RandomGamesRoundTrip) {
    std::mt19937_64 rng(31);
    std::vector<SazGame> games;
    for (int g = 0; g < 6; ++g) {
        SazGame game;
        const Position start = g % 2 ? sfen(MATSURI) : position_startpos();
        game.stem = *position_to_packed_sfen(start);
        game.result = static_cast<GameResult>(std::array{0, 1, 2, 20, 21, 17}[g]);
        for (Move32 played : playout(start, 700, rng)) {
            SazMove m;
            m.played = move16(played);
            m.has_score_q = rng() % 3 != 0;
            m.score_q = m.has_score_q ? static_cast<std::int16_t>(rng()) : 0;
            if (rng() % 4 == 0) m.mate = static_cast<std::int8_t>(rng());
            const std::size_t entries = rng() % 5;
            for (std::size_t e = 0; e < entries; ++e)
                m.policy.push_back({static_cast<Move>(rng()), static_cast<std::uint32_t>(rng() >> (rng() % 64))});
            if (!m.policy.empty()) m.policy[0].visits |= 1;
            m.metadata.resize(rng() % 10 == 0 ? rng() % 128 : 0);
            for (auto& b : m.metadata) b = static_cast<std::uint8_t>(rng());
            game.moves.push_back(std::move(m));
        }
        games.push_back(std::move(game));
    }
    EXPECT_TRUE(std::any_of(games.begin(), games.end(), [](const SazGame& g) { return g.moves.size() >= 450; }));
    const Bytes bytes = chunk(games);
    auto back = decode_sazpack_chunk(bytes);
    ASSERT_TRUE(back) << text(back.error());
    EXPECT_EQ(*back, games);
    EXPECT_EQ(chunk(*back), bytes);
}

PolicyRow row_of(std::initializer_list<std::pair<const char*, float>> cells, Color turn = BLACK) {
    PolicyRow row{};
    for (const auto& [mv, p] : cells) row[*compact_of_label(*move_to_policy_label(*move_from_usi(mv), turn))] = p;
    return row;
}

std::vector<PolicyRow> expand(const SazGame& g) {
    Position pos = *sazpack_stem_position(g);
    auto rows = expand_policies(pos, g);
    if (!rows) throw std::runtime_error(text(rows.error()));
    return std::move(*rows);
}

TEST(SazpackTargets, CompactLabelsOfThePlayedMoves) {
    const SazGame g = game({move("7g7f"), move("3c3d"), move("8h2b+")});
    const auto labels = resolve_compact_labels(g);
    ASSERT_TRUE(labels) << text(labels.error());
    ASSERT_EQ(labels->size(), 3u);
    // White's 3c3d is Black's 7g7f seen from the other side.
    EXPECT_EQ((*labels)[0], (*labels)[1]);
    EXPECT_EQ((*labels)[0], *compact_of_label(59));
    EXPECT_EQ((*labels)[2], *compact_of_label(*move_to_policy_label(*move_from_usi("8h2b+"), BLACK)));
    EXPECT_TRUE(resolve_compact_labels(game({}))->empty());
}

TEST(SazpackTargets, PolicyRows) {
    const SazGame g = game({move("7g7f", {policy_entry("7g7f", 3), policy_entry("2g2f", 1)}),
                            move("3c3d", {policy_entry("3c3d", 3), policy_entry("3c3d", 1), policy_entry("8c8d", 0)}), move("2g2f")});
    const auto rows = expand(g);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], row_of({{"7g7f", 0.75f}, {"2g2f", 0.25f}}));
    EXPECT_EQ(rows[1], row_of({{"3c3d", 1.0f}}, WHITE));
    EXPECT_EQ(rows[2], PolicyRow{});
    // Thirds are rounded once as 32-bit floats.
    const auto thirds = expand(game({move("7g7f", {policy_entry("7g7f", 1), policy_entry("2g2f", 2)})}));
    EXPECT_EQ(thirds[0][*compact_of_label(59)], 1.0f / 3.0f);
}

TEST(SazpackTargets, Errors) {
    const struct {
        SazGame game;
        const char* labels;
        const char* rows;
    } cases[] = {
        {game({move("7g7f"), move("7g7f")}), "illegal sazpack move: 7g7f", "illegal sazpack move: 7g7f"},
        {game({move("resign", {policy_entry("resign", 1)})}), "illegal sazpack move: resign", "illegal sazpack move: resign"},
        {game({move("7g7f", {policy_entry("7g7f", 0)})}), nullptr, "sazpack policy visits sum to zero"},
        {game({move("7g7f", {policy_entry("7g7f", 1), policy_entry("resign", 1)})}), nullptr,
         "cannot convert sazpack move to compact policy label: resign"},
        // A knight jump onto the last two ranks without promotion has no compact label.
        {game({move("7g7f", {policy_entry("7c6a", 1)})}), nullptr, "cannot convert sazpack move to compact policy label: 7c6a"},
    };
    for (const auto& c : cases) {
        const auto labels = resolve_compact_labels(c.game);
        EXPECT_EQ(labels ? "(labels)" : text(labels.error()), c.labels ? c.labels : "(labels)");
        Position pos = *sazpack_stem_position(c.game);
        const auto rows = expand_policies(pos, c.game);
        EXPECT_EQ(rows ? "(rows)" : text(rows.error()), c.rows);
    }
    // A played knight jump onto the last ranks would be illegal before it is labelled;
    // a stem that does not decode is PackedSfen.
    SazGame bad = game({});
    bad.stem.fill(0xFF);
    const auto stem_error = text(resolve_compact_labels(bad).error());
    EXPECT_EQ(stem_error.rfind("packed sfen decode failed: ", 0), 0u) << stem_error;
}

TEST(ContainerFiles, WholeFilesInAndOut) {
    const std::string path = testing::TempDir() + "korvan_container_file.bin";
    const Bytes bytes = chunk({game({move("7g7f")})});
    ASSERT_TRUE(write_whole_file(path, bytes));
    EXPECT_EQ(*read_whole_file(path), bytes);
    ASSERT_TRUE(write_whole_file(path, Bytes{1}));
    EXPECT_EQ(*read_whole_file(path), Bytes{1});  // truncated, not overwritten in place
    std::remove(path.c_str());
    EXPECT_EQ(io_error_display(read_whole_file(path).error()), "No such file or directory (os error 2)");
    const IoError no_directory = write_whole_file("/nonexistent-dir/x.bin", bytes).error();
    EXPECT_EQ(io_error_display(no_directory), "No such file or directory (os error 2)");
    EXPECT_EQ(no_directory.step, IoStep::Open);
    const IoError directory = read_whole_file("/").error();
    EXPECT_EQ(io_error_display(directory), "Is a directory (os error 21)");
    EXPECT_EQ(directory.step, IoStep::Read);
    // A device that refuses writes: the failure is reported, never success.
    if (std::FILE* full = std::fopen("/dev/full", "w")) {
        std::fclose(full);
        const IoError refused = write_whole_file("/dev/full", bytes).error();
        EXPECT_EQ(io_error_display(refused), "No space left on device (os error 28)");
        EXPECT_EQ(refused.step, IoStep::Write);
    }
}

}  // namespace
}  // namespace korvan::test
