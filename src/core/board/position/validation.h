#pragma once
// Judging a position against the rules of the game: kings, double pawns, hand counts
// and pieces that could never move again.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/board/position/position.h"
#include "core/board/position/position_state.h"

namespace korvan {

struct ValidationIssue {
    enum class Kind : std::uint8_t { NoKing = 0, TwoKings = 1, DoublePawn = 2, InvalidHandCount = 3, InvalidPlacement = 4 };
    Kind kind = Kind::NoKing;
    Color color = BLACK;                // NoKing, TwoKings, DoublePawn
    File file = 0;                      // DoublePawn
    HandPiece hand_piece = 0;           // InvalidHandCount
    std::uint32_t count = 0;            // InvalidHandCount
    PieceType piece_type = NO_PIECE_TYPE;  // InvalidPlacement
    Square square = 0;                  // InvalidPlacement

    bool operator==(const ValidationIssue&) const = default;
};

std::string validation_issue_display(const ValidationIssue& issue);

// The first issue in check order; a side without a king passes this check.
std::optional<ValidationIssue> position_is_valid(const Position& pos);
// Every issue in check order; a missing king is reported here.
std::vector<ValidationIssue> position_validate_all(const Position& pos);

}  // namespace korvan
