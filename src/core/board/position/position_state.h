#pragma once
// An editable description of a position: what a position is made from, with none of
// its derived state. Any byte may stand in a square; validation judges it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/types/hand.h"
#include "core/types/piece.h"
#include "core/types/square.h"
#include "core/util/expected.h"

namespace korvan {

struct Position;
struct SfenError;

struct PositionState {
    std::array<Piece, 81> board{};
    std::array<Hand, 2> hands{};
    Color side_to_move = BLACK;
    std::uint16_t ply = 1;

    bool operator==(const PositionState&) const = default;
};

// The default state (empty board and hands, Black to move, ply 1), or the fields of
// an SFEN text; the parser is the one every SFEN input uses.
Expected<PositionState, SfenError> position_state_from_sfen(std::optional<std::string_view> text);

// The four fields of a live position.
PositionState position_state_of(const Position& pos);

// The first square holding a byte that names no piece; a live position never holds one.
std::optional<Square> position_state_bad_square(const PositionState& state);

// A full position built from a description as it stands, for validation: bytes that
// name no piece are kept (sets and keys read only their low five bits).
Position position_from_state(const PositionState& state);
// The same board, hands, side and ply with a one-record history.
Position position_without_history(const Position& pos);

// Sets a live position up from a description (history dropped), without judging it
// by the rules; a byte that names no piece is refused with a message and the position
// is left as it was.
Expected<Ok, std::string> position_set_state(Position& pos, const PositionState& state);

}  // namespace korvan
