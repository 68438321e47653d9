#pragma once
// The sbinpack container ("SBN2"): training positions as chains, a stem position and
// the moves played from it, each move stored as its index in the canonical order of
// the legal moves (move_index.h) and each score as a zig-zag delta.
//
// Block:  "SBN2", u32 body length L, L bytes of chains back to back; a buffer is any
//         number of blocks.
// Chain:  [32] stem PackedSfen, i16 stem score, u16 first move (0 without moves),
//         u16 (GameResult << 10 | min(stem ply, 1023)), u8 metadata length m (0..127),
//         m metadata bytes, u16 move count n, then n x (varint index, varint delta).
// Scores: s' is the score for even moves and its negation for odd ones (one side's view
//         when every score is its mover's); the delta is s' minus the previous s' (the
//         stem score first), 32-bit wrapping, zig-zag encoded.

#include <optional>
#include <span>
#include <vector>

#include "core/containers/byte_io.h"
#include "core/containers/sbinpack_error.h"
#include "core/types/game_result.h"

namespace korvan {

inline constexpr std::size_t SBINPACK_METADATA_MAX = 127;
inline constexpr std::size_t SBINPACK_MOVES_MAX = 65535;
inline constexpr std::uint16_t SBINPACK_PLY_MAX = 1023;

struct SbinpackMove {
    Move32 move = 0;
    std::int32_t score = 0;
    bool operator==(const SbinpackMove&) const = default;
};

struct SbinpackChain {
    Packed32 stem{};
    std::int16_t stem_score = 0;
    Move first_move = MOVE_NONE;
    std::uint16_t ply_result = 0;  // result in bits 10-15, stem ply (capped) in bits 0-9
    Bytes metadata;
    std::vector<SbinpackMove> moves;
    bool operator==(const SbinpackChain&) const = default;
};

constexpr std::uint16_t sbinpack_ply_result(GameResult result, std::uint32_t ply) {
    return static_cast<std::uint16_t>(result << 10 | (ply < SBINPACK_PLY_MAX ? ply : SBINPACK_PLY_MAX));
}

// A move of a line to be stored: its 16 bits and the engine's evaluation, if any.
struct SbinpackMoveInput {
    Move move = MOVE_NONE;
    std::optional<std::int32_t> eval;
};

// One chain from a stem position and the moves played from it, each widened against
// the position it is played in. Fails on a move without an evaluation (MissingEval
// with its index), on metadata over 127 bytes and on a stem PackedSfen cannot hold.
// A move that is not legal is kept as it widens and ends the replay, so that the
// encoder names it; the moves after it are kept as their 16 bits.
Expected<SbinpackChain, SbinpackError> sbinpack_encode_chain(const Position& stem,
                                                             std::span<const SbinpackMoveInput> moves,
                                                             std::int16_t stem_score, ByteSpan metadata,
                                                             GameResult result);

// The bytes of the chains, in one block (a body past 4 GiB continues in a new block).
Expected<Bytes, SbinpackError> encode_sbinpack(std::span<const SbinpackChain> chains);
// Every chain of every block in order; an empty buffer gives none.
Expected<std::vector<SbinpackChain>, SbinpackError> decode_sbinpack_chains(ByteSpan bytes);

}  // namespace korvan
