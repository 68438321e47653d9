#pragma once
// The start position a record's set-up describes (CSA "P" lines, a KIF or KI2 board
// diagram, a JKF "initial" object): board and side to move as read, and hand counts as
// counted, which may pass what a hand can hold. Such a set-up is refused when it is
// made a position, as the SFEN reader refuses the text it would write.

#include <array>
#include <cstdint>
#include <string>

#include "core/board/position/parser.h"
#include "core/board/position/position_state.h"
#include "core/types/hand.h"

namespace korvan {

struct RecordSetup {
    PositionState state;  // board and side to move; the hands come from `hands`
    std::array<std::array<std::uint32_t, HAND_PIECE_NB>, COLOR_NB> hands{};
};

// The text formats count a hand piece by piece: a count saturates at this, which no
// hand field holds, so an absurd count is refused rather than wrapped.
constexpr std::uint32_t SETUP_COUNT_LIMIT = 255;
void setup_add_to_hand(RecordSetup& setup, Color c, HandPiece hp, std::uint32_t n);

// The order in which a set-up's hands are written in its SFEN text, and checked.
enum class HandOrder : std::uint8_t {
    RookFirst,  // R B G S N L P, as the SFEN writer puts them
    PawnFirst,  // P L N S G B R, as CSA and KIF list hands
};

// "<board> <b|w> <hands> 1": the start text a record keeps for the set-up.
std::string setup_sfen(const RecordSetup& setup, HandOrder order);

// The set-up as a position state (ply 1); for a count its hand cannot hold, the SFEN
// reader's InvalidHandCount for the first such count in `order`, Black's hand first.
Expected<PositionState, SfenError> setup_state(const RecordSetup& setup, HandOrder order);

}  // namespace korvan
