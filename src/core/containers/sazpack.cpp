#include "core/containers/sazpack.h"

#include <algorithm>
#include <cstring>

namespace korvan {

namespace {

Expected<Ok, SazpackError> sazpack_check_move_flags(std::span<const SazGame> games, std::uint8_t flags);

using K = SazpackError::Kind;
using M = SazpackError::Mismatch;

constexpr std::uint8_t MAGIC[4] = {'S', 'A', 'Z', '1'};
constexpr std::uint8_t VERSION = 1;
constexpr std::size_t HEADER = 10;
constexpr std::size_t STEM_AND_RESULT = 33;
constexpr std::uint8_t MOVE_SCORE_Q = 1, MOVE_MATE = 2, MOVE_METADATA = 4;
// However large a count the data states, no more is reserved ahead of reading.
constexpr std::size_t RESERVE_LIMIT = 1024;

bool visits_sum_zero(const std::vector<SazPolicyEntry>& policy) {
    return !policy.empty() && std::all_of(policy.begin(), policy.end(), [](const auto& e) { return e.visits == 0; });
}

Expected<Ok, SazpackError> put_count(Bytes& out, std::size_t count) {
    if (count > UINT32_MAX) return unexpected(SazpackError::of(K::CountOverflow));
    put_varint(out, static_cast<std::uint32_t>(count));
    return Ok{};
}

Expected<Ok, SazpackError> put_move(Bytes& out, const SazMove& m) {
    if (m.metadata.size() > SAZPACK_METADATA_MAX)
        return unexpected(SazpackError::of(K::MetadataTooLarge, m.metadata.size(), SAZPACK_METADATA_MAX));
    if (visits_sum_zero(m.policy)) return unexpected(SazpackError::of(K::PolicyVisitsSumZero));
    put_u16(out, m.played);
    const std::uint8_t flags = (m.has_score_q ? MOVE_SCORE_Q : 0) | (m.mate ? MOVE_MATE : 0) |
                               (m.metadata.empty() ? 0 : MOVE_METADATA);
    put_u8(out, flags);
    if (m.has_score_q) put_u16(out, static_cast<std::uint16_t>(m.score_q));
    if (m.mate) put_u8(out, static_cast<std::uint8_t>(*m.mate));
    if (auto put = put_count(out, m.policy.size()); !put) return put;
    for (const SazPolicyEntry& e : m.policy) {
        put_u16(out, e.mv);
        put_varint(out, e.visits);
    }
    if (!m.metadata.empty()) {
        put_u8(out, static_cast<std::uint8_t>(m.metadata.size()));
        put_bytes(out, m.metadata);
    }
    return Ok{};
}

// A count of at most 32 bits.
Expected<std::uint32_t, SazpackError> read_count(ByteReader& in) {
    std::uint64_t v = 0;
    if (!in.varint(v)) return unexpected(SazpackError::of(K::Truncated));
    if (v > UINT32_MAX) return unexpected(SazpackError::of(K::CountOverflow));
    return static_cast<std::uint32_t>(v);
}

Expected<SazMove, SazpackError> read_move(ByteReader& in) {
    SazMove m;
    std::uint8_t flags = 0;
    if (!in.u16(m.played) || !in.u8(flags)) return unexpected(SazpackError::of(K::Truncated));
    if (flags > 7) return unexpected(SazpackError::of(K::ReservedTargetFlags, flags));
    if (flags & MOVE_SCORE_Q) {
        std::uint16_t q = 0;
        if (!in.u16(q)) return unexpected(SazpackError::of(K::Truncated));
        m.score_q = static_cast<std::int16_t>(q);
        m.has_score_q = true;
    }
    if (flags & MOVE_MATE) {
        std::uint8_t mate = 0;
        if (!in.u8(mate)) return unexpected(SazpackError::of(K::Truncated));
        m.mate = static_cast<std::int8_t>(mate);
    }
    auto count = read_count(in);
    if (!count) return unexpected(count.error());
    // Each entry takes at least three bytes.
    m.policy.reserve(std::min<std::size_t>({*count, RESERVE_LIMIT, in.remaining() / 3}));
    for (std::uint32_t i = 0; i < *count; ++i) {
        SazPolicyEntry e;
        if (!in.u16(e.mv)) return unexpected(SazpackError::of(K::Truncated));
        auto visits = read_count(in);
        if (!visits) return unexpected(visits.error());
        e.visits = *visits;
        m.policy.push_back(e);
    }
    if (visits_sum_zero(m.policy)) return unexpected(SazpackError::of(K::PolicyVisitsSumZero));
    if (flags & MOVE_METADATA) {
        std::uint8_t len = 0;
        ByteSpan bytes;
        if (!in.u8(len)) return unexpected(SazpackError::of(K::Truncated));
        if (len > SAZPACK_METADATA_MAX) return unexpected(SazpackError::of(K::MetadataTooLarge, len, SAZPACK_METADATA_MAX));
        if (!in.bytes(len, bytes)) return unexpected(SazpackError::of(K::Truncated));
        m.metadata.assign(bytes.begin(), bytes.end());
    }
    return m;
}

Expected<SazGame, SazpackError> read_game(ByteReader& in) {
    SazGame game;
    if (in.remaining() < STEM_AND_RESULT) return unexpected(SazpackError::of(K::Truncated));
    in.array(game.stem);
    std::uint8_t result = 0;
    in.u8(result);
    // Every result a game can be given is read back, the try-rule pair included.
    if (!is_game_result(result)) return unexpected(SazpackError::of(K::InvalidGameResult, result));
    game.result = static_cast<GameResult>(result);
    auto count = read_count(in);
    if (!count) return unexpected(count.error());
    // Each move takes at least four bytes.
    game.moves.reserve(std::min<std::size_t>({*count, RESERVE_LIMIT, in.remaining() / 4}));
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto move = read_move(in);
        if (!move) return unexpected(std::move(move.error()));
        game.moves.push_back(std::move(*move));
    }
    return game;
}

}  // namespace

Expected<Bytes, SazpackError> encode_sazpack_chunk(std::span<const SazGame> games) {
    Bytes out;
    put_bytes(out, MAGIC);
    put_u8(out, VERSION);
    put_u8(out, 0);
    put_u32(out, 0);
    bool any_move = false, any_metadata = false, any_policy = false, all_policy = true, all_score_q = true;
    for (const SazGame& game : games) {
        put_bytes(out, game.stem);
        put_u8(out, game.result);
        if (auto put = put_count(out, game.moves.size()); !put) return unexpected(put.error());
        for (const SazMove& m : game.moves) {
            if (auto put = put_move(out, m); !put) return unexpected(put.error());
            any_move = true;
            any_metadata |= !m.metadata.empty();
            any_policy |= !m.policy.empty();
            all_policy &= !m.policy.empty();
            all_score_q &= m.has_score_q;
        }
    }
    const std::size_t payload = out.size() - HEADER;
    if (payload > UINT32_MAX) return unexpected(SazpackError::of(K::CountOverflow));
    std::uint8_t flags = any_metadata ? 0 : SAZ_NO_METADATA;
    if (any_move) {
        if (!any_policy) flags |= SAZ_ALL_HARD;
        if (all_policy) flags |= SAZ_ALL_SOFT;
        if (all_score_q) flags |= SAZ_ALL_HAS_SCORE_Q;
    }
    out[5] = flags;
    set_u32(out, 6, static_cast<std::uint32_t>(payload));
    return out;
}

Expected<std::vector<SazGame>, SazpackError> decode_sazpack_chunk(ByteSpan bytes) {
    ByteReader in(bytes);
    ByteSpan magic;
    std::uint8_t version = 0, flags = 0;
    std::uint32_t payload = 0;
    if (!in.bytes(4, magic) || !in.u8(version) || !in.u8(flags) || !in.u32(payload))
        return unexpected(SazpackError::of(K::Truncated));
    if (std::memcmp(magic.data(), MAGIC, 4) != 0) return unexpected(SazpackError::of(K::InvalidMagic));
    if (version != VERSION) return unexpected(SazpackError::of(K::UnsupportedVersion, version));
    if (flags >= 16) return unexpected(SazpackError::of(K::ReservedChunkFlags, flags));
    const std::uint64_t end = HEADER + std::uint64_t{payload};
    if (end > bytes.size()) return unexpected(SazpackError::of(K::Truncated));
    if (end < bytes.size()) return unexpected(SazpackError::of(K::TrailingBytes, end, bytes.size()));
    std::vector<SazGame> games;
    while (!in.at_end()) {
        auto game = read_game(in);
        if (!game) return unexpected(std::move(game.error()));
        games.push_back(std::move(*game));
    }
    if (auto checked = sazpack_check_move_flags(games, flags); !checked) return unexpected(checked.error());
    return games;
}

namespace {

// Every move against the flags that are set: FlagMismatch for the first that breaks one.
Expected<Ok, SazpackError> sazpack_check_move_flags(std::span<const SazGame> games, std::uint8_t flags) {
    if ((flags & SAZ_ALL_HARD) && (flags & SAZ_ALL_SOFT)) return unexpected(SazpackError::flag_mismatch(M::HardAndSoft));
    for (const SazGame& game : games)
        for (const SazMove& m : game.moves) {
            if ((flags & SAZ_NO_METADATA) && !m.metadata.empty())
                return unexpected(SazpackError::flag_mismatch(M::Metadata));
            if ((flags & SAZ_ALL_HARD) && !m.policy.empty())
                return unexpected(SazpackError::flag_mismatch(M::HardWithPolicy));
            if ((flags & SAZ_ALL_SOFT) && m.policy.empty())
                return unexpected(SazpackError::flag_mismatch(M::SoftWithoutPolicy));
            if ((flags & SAZ_ALL_HAS_SCORE_Q) && !m.has_score_q)
                return unexpected(SazpackError::flag_mismatch(M::ScoreQ));
        }
    return Ok{};
}

}  // namespace

}  // namespace korvan
