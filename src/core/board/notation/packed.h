#pragma once
// The two 32-byte packed positions: PackedSfen and HuffmanCodedPos. Both store the
// side to move, the king squares, one Huffman code per other square, the hands and the
// piece box (what a full set lacks); the ply is not stored.

#include <array>
#include <cstdint>
#include <string>

#include "core/board/position/position.h"
#include "core/board/position/position_state.h"
#include "core/util/expected.h"

namespace korvan {

using Packed32 = std::array<std::uint8_t, 32>;

enum class PackedSfenError : std::uint8_t {
    InvalidCursor,    // a read would pass bit 255
    InvalidPieceCode,  // a code that maps to no piece
    // A stream that holds more pieces of one kind in a hand than the hand's field can
    // count; refused rather than carried into the neighbouring field.
    InvalidHandCount,
};

struct HuffmanCodedPosError {
    enum class Kind : std::uint8_t { InvalidCursor, InvalidPieceCode, InvalidKingSquare, InvalidHandCount };
    Kind kind;
    std::uint16_t square = 0;  // InvalidKingSquare
    bool operator==(const HuffmanCodedPosError&) const = default;
};

const char* packed_sfen_error_display(PackedSfenError e);
const char* packed_sfen_error_debug(PackedSfenError e);
std::string hcp_error_display(const HuffmanCodedPosError& e);

// The encoders refuse, with a message, a position the 256 bits cannot hold: more pieces
// of a kind than a full set, a missing king or two kings of one colour, a code that
// names no piece. Nothing is written in that case.
Expected<Packed32, std::string> position_to_packed_sfen(const Position& pos);
Expected<Position, PackedSfenError> position_from_packed_sfen(const Packed32& bytes, std::uint16_t ply);
// The decoders alone, for callers that set up a position they already hold
// (position_set_decoded), so that its state chunk is reused.
Expected<PositionState, PackedSfenError> packed_sfen_to_state(const Packed32& bytes, std::uint16_t ply);
Expected<PositionState, HuffmanCodedPosError> hcp_to_state(const Packed32& bytes, std::uint16_t ply);
void position_set_decoded(Position& pos, const PositionState& state);
Expected<Packed32, std::string> position_to_hcp(const Position& pos);
Expected<Position, HuffmanCodedPosError> position_from_hcp(const Packed32& bytes, std::uint16_t ply);

// Entering-king declaration thresholds derived from the position's rule.
void position_update_declaration_thresholds(Position& pos);

}  // namespace korvan
