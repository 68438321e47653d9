#include "core/containers/sbinpack.h"

#include <algorithm>
#include <cstring>

#include "core/board/position/legality.h"
#include "core/board/position/updates.h"
#include "core/containers/move_index.h"
#include "core/types/apery.h"

namespace korvan {

namespace {

using K = SbinpackError::Kind;

constexpr std::uint8_t MAGIC[4] = {'S', 'B', 'N', '2'};
constexpr std::size_t BLOCK_HEADER = 8;
constexpr std::size_t CHAIN_HEADER = 39;
constexpr std::uint64_t INDEX_MAX = 65535;

SbinpackError packed_error(PackedSfenError e) {
    SbinpackError out = SbinpackError::of(K::PackedSfen);
    out.packed = e;
    return out;
}

// Sets `pos` up from the stem, reusing its state chunk.
bool set_stem(Position& pos, const SbinpackChain& chain, SbinpackError& error) {
    auto state = packed_sfen_to_state(chain.stem, chain.ply_result & SBINPACK_PLY_MAX);
    if (!state) {
        error = packed_error(state.error());
        return false;
    }
    position_set_decoded(pos, *state);
    return true;
}

// Scores of odd moves are negated so that every s' shares one side's view.
constexpr std::int32_t one_view(std::int32_t score, std::size_t index) {
    return index % 2 ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(score)) : score;
}
constexpr std::int32_t wrapping_sub(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
constexpr std::int32_t wrapping_add(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

void put_chain_header(Bytes& body, const SbinpackChain& chain) {
    put_bytes(body, chain.stem);
    put_u16(body, static_cast<std::uint16_t>(chain.stem_score));
    put_u16(body, chain.first_move);
    put_u16(body, chain.ply_result);
    put_u8(body, static_cast<std::uint8_t>(chain.metadata.size()));
    put_bytes(body, chain.metadata);
    put_u16(body, static_cast<std::uint16_t>(chain.moves.size()));
}

void close_block(Bytes& out, std::size_t block_start) {
    set_u32(out, block_start + 4, static_cast<std::uint32_t>(out.size() - block_start - BLOCK_HEADER));
}

std::size_t open_block(Bytes& out) {
    const std::size_t start = out.size();
    put_bytes(out, MAGIC);
    put_u32(out, 0);
    return start;
}

Expected<Ok, SbinpackError> read_chain(ByteReader& body, Position& pos, SbinpackChain& chain) {
    std::uint16_t score = 0;
    std::uint8_t meta_len = 0;
    if (body.remaining() < CHAIN_HEADER) return unexpected(SbinpackError::of(K::Truncated));
    body.array(chain.stem);
    body.u16(score);
    body.u16(chain.first_move);
    body.u16(chain.ply_result);
    body.u8(meta_len);
    chain.stem_score = static_cast<std::int16_t>(score);
    if (meta_len > SBINPACK_METADATA_MAX)
        return unexpected(SbinpackError::of(K::MetadataTooLarge, meta_len, SBINPACK_METADATA_MAX));
    ByteSpan metadata;
    std::uint16_t count = 0;
    if (!body.bytes(meta_len, metadata) || !body.u16(count)) return unexpected(SbinpackError::of(K::Truncated));
    chain.metadata.assign(metadata.begin(), metadata.end());
    SbinpackError error;
    if (!set_stem(pos, chain, error)) return unexpected(std::move(error));
    // Each move takes at least two bytes.
    chain.moves.reserve(std::min<std::size_t>(count, body.remaining() / 2));
    std::int32_t previous = chain.stem_score;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t index = 0, delta = 0;
        if (!body.varint(index)) return unexpected(SbinpackError::of(K::Truncated));
        if (index > INDEX_MAX) return unexpected(SbinpackError::of(K::InvalidMoveIndex, index));
        const auto move = canonical_move_at(pos, static_cast<std::size_t>(index));
        if (!move) return unexpected(SbinpackError::of(K::InvalidMoveIndex, index));
        // The delta is a 32-bit quantity; a fifth byte's bits past bit 31 carry nothing.
        if (!body.varint(delta)) return unexpected(SbinpackError::of(K::Truncated));
        const std::int32_t seen = wrapping_add(previous, zigzag_decode(static_cast<std::uint32_t>(delta)));
        chain.moves.push_back({*move, one_view(seen, i)});
        previous = seen;
        position_do_move(pos, *move);
    }
    return Ok{};
}

}  // namespace

Expected<SbinpackChain, SbinpackError> sbinpack_encode_chain(const Position& stem,
                                                             std::span<const SbinpackMoveInput> moves,
                                                             std::int16_t stem_score, ByteSpan metadata,
                                                             GameResult result) {
    if (metadata.size() > SBINPACK_METADATA_MAX)
        return unexpected(SbinpackError::of(K::MetadataTooLarge, metadata.size(), SBINPACK_METADATA_MAX));
    SbinpackChain chain;
    auto packed = position_to_packed_sfen(stem);
    if (!packed) {
        SbinpackError e = SbinpackError::of(K::UnencodablePosition);
        e.text = std::move(packed.error());
        return unexpected(std::move(e));
    }
    chain.stem = *packed;
    chain.stem_score = stem_score;
    chain.ply_result = sbinpack_ply_result(result, stem.ply);
    chain.metadata.assign(metadata.begin(), metadata.end());
    chain.moves.reserve(moves.size());
    Position pos = stem;
    bool playing = true;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const SbinpackMoveInput& m = moves[i];
        if (!m.eval) return unexpected(SbinpackError::of(K::MissingEval, i));
        Move32 m32 = m.move;
        if (playing) {
            const Move32 widened = position_move_to_move32(pos, m.move);
            if (widened != 0 && !is_special_move(widened) && position_is_legal(pos, widened)) {
                position_do_move(pos, widened);
                m32 = widened;
            } else {
                // Kept as it widens, or as its 16 bits when it names no piece of the mover.
                m32 = widened != 0 ? widened : m.move;
                playing = false;
            }
        }
        chain.moves.push_back({m32, *m.eval});
    }
    chain.first_move = chain.moves.empty() ? MOVE_NONE : move16(chain.moves.front().move);
    return chain;
}

Expected<Bytes, SbinpackError> encode_sbinpack(std::span<const SbinpackChain> chains) {
    Bytes out;
    std::size_t block = open_block(out);
    Position pos;
    for (const SbinpackChain& chain : chains) {
        if (chain.metadata.size() > SBINPACK_METADATA_MAX)
            return unexpected(SbinpackError::of(K::MetadataTooLarge, chain.metadata.size(), SBINPACK_METADATA_MAX));
        if (chain.moves.size() > SBINPACK_MOVES_MAX)
            return unexpected(SbinpackError::of(K::TooManyMoves, chain.moves.size(), SBINPACK_MOVES_MAX));
        SbinpackError error;
        if (!set_stem(pos, chain, error)) return unexpected(std::move(error));
        const std::size_t chain_start = out.size();
        put_chain_header(out, chain);
        std::int32_t previous = chain.stem_score;
        for (std::size_t i = 0; i < chain.moves.size(); ++i) {
            const SbinpackMove& m = chain.moves[i];
            const auto index = canonical_index_of(pos, m.move);
            if (!index || *index > INDEX_MAX) return unexpected(SbinpackError::of(K::UnencodableMove, m.move));
            const std::int32_t seen = one_view(m.score, i);
            put_varint(out, static_cast<std::uint32_t>(*index));
            put_varint(out, zigzag_encode(wrapping_sub(seen, previous)));
            previous = seen;
            position_do_move(pos, m.move);
        }
        // A body must fit its 32-bit length: a chain that would overflow it moves to a
        // block of its own.
        if (out.size() - block - BLOCK_HEADER > UINT32_MAX) {
            Bytes moved(out.begin() + static_cast<std::ptrdiff_t>(chain_start), out.end());
            out.resize(chain_start);
            close_block(out, block);
            block = open_block(out);
            put_bytes(out, moved);
        }
    }
    close_block(out, block);
    return out;
}

Expected<std::vector<SbinpackChain>, SbinpackError> decode_sbinpack_chains(ByteSpan bytes) {
    std::vector<SbinpackChain> chains;
    ByteReader in(bytes);
    Position pos;
    while (!in.at_end()) {
        ByteSpan magic;
        std::uint32_t length = 0;
        if (in.remaining() < BLOCK_HEADER) return unexpected(SbinpackError::of(K::Truncated));
        in.bytes(4, magic);
        in.u32(length);
        if (std::memcmp(magic.data(), MAGIC, 4) != 0) return unexpected(SbinpackError::of(K::InvalidMagic));
        if (length > in.remaining()) return unexpected(SbinpackError::of(K::Truncated));
        ByteReader body = in.take(length);
        while (!body.at_end()) {
            SbinpackChain chain;
            auto read = read_chain(body, pos, chain);
            if (!read) return unexpected(std::move(read.error()));
            chains.push_back(std::move(chain));
        }
    }
    return chains;
}

}  // namespace korvan
