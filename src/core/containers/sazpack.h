#pragma once
// The sazpack container ("SAZ1"): self-play games with their value and policy targets,
// one chunk of games behind a 10-byte header whose flags summarise the chunk. The moves
// are kept as 16-bit values and not checked here (sazpack_targets.h replays them).
//
// Chunk: "SAZ1", u8 version 1, u8 flags (below 16), u32 payload length P, P bytes of
//        games; exactly 10 + P bytes.
// Game:  [32] stem PackedSfen, u8 GameResult, varint move count, the moves.
// Move:  u16 played, u8 flags (bit 0 score_q, bit 1 mate, bit 2 metadata), [i16 score_q],
//        [i8 mate], varint policy count, count x (u16 move, varint visits),
//        [u8 metadata length 1..127, the metadata].

#include <optional>
#include <span>
#include <vector>

#include "core/containers/byte_io.h"
#include "core/containers/sazpack_error.h"
#include "core/types/game_result.h"

namespace korvan {

struct SazPolicyEntry {
    Move mv = MOVE_NONE;
    std::uint32_t visits = 0;
    bool operator==(const SazPolicyEntry&) const = default;
};

struct SazMove {
    Move played = MOVE_NONE;
    std::int16_t score_q = 0;  // 0 whenever has_score_q is clear
    bool has_score_q = false;
    std::optional<std::int8_t> mate;
    std::vector<SazPolicyEntry> policy;  // empty: a hard target
    Bytes metadata;
    bool operator==(const SazMove&) const = default;
};

struct SazGame {
    Packed32 stem{};  // PackedSfen, not decoded by the codec
    GameResult result = BLACK_WIN;
    std::vector<SazMove> moves;
    bool operator==(const SazGame&) const = default;
};

inline constexpr std::size_t SAZPACK_METADATA_MAX = 127;

// Chunk flags.
inline constexpr std::uint8_t SAZ_NO_METADATA = 1;
inline constexpr std::uint8_t SAZ_ALL_HARD = 2;
inline constexpr std::uint8_t SAZ_ALL_SOFT = 4;
inline constexpr std::uint8_t SAZ_ALL_HAS_SCORE_Q = 8;

Expected<Bytes, SazpackError> encode_sazpack_chunk(std::span<const SazGame> games);
Expected<std::vector<SazGame>, SazpackError> decode_sazpack_chunk(ByteSpan bytes);

}  // namespace korvan
