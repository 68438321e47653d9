#pragma once
// The fixed-size training rows built on the 32-byte positions. Every multi-byte field
// is little-endian.
//   PackedSfenValue (40): PackedSfen, score i16, Move u16, ply u16, GameResult i8, 0.
//   HuffmanCodedPosAndEval (38): HuffmanCodedPos, eval i16, AperyMove u16,
//                                outcome i8 (0 draw, 1 Black won, 2 White won), 0.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/board/notation/packed.h"
#include "core/types/apery.h"
#include "core/types/game_result.h"

namespace korvan {

constexpr std::size_t PSV_SIZE = 40;
constexpr std::size_t HCPE_SIZE = 38;
using PsvRow = std::array<std::uint8_t, PSV_SIZE>;
using HcpeRow = std::array<std::uint8_t, HCPE_SIZE>;

PsvRow psv_row(const Packed32& sfen, std::int16_t score, Move move, std::uint16_t ply, GameResult result);
HcpeRow hcpe_row(const Packed32& hcp, std::int16_t eval, AperyMove best_move, std::int8_t outcome);

// The outcome byte of an HCPE row cannot carry every result.
struct HcpeError {
    enum class Kind : std::uint8_t { InvalidGameResult, UnsupportedGameResult };
    Kind kind;
    std::int8_t byte = 0;        // InvalidGameResult
    GameResult result = BLACK_WIN;  // UnsupportedGameResult
    bool operator==(const HcpeError&) const = default;
};
std::string hcpe_error_display(const HcpeError& e);

// Only plain wins and the three draws have an outcome byte.
Expected<std::int8_t, HcpeError> hcpe_outcome(GameResult result);
// A byte given directly must already be an outcome (0, 1 or 2).
Expected<std::int8_t, HcpeError> hcpe_outcome_from_byte(std::int8_t byte);
// "DRAW", "BLACK_WIN" or "WHITE_WIN" in any ASCII case; the error text names the
// upper-cased text.
Expected<std::int8_t, std::string> hcpe_outcome_from_name(std::string_view name);

// USI move text as an AperyMove; nothing when the text is no USI move.
std::optional<AperyMove> apery_move_from_usi(std::string_view text);

}  // namespace korvan
