#pragma once
// The SVG picture of a board: grid and labels, pieces as kanji glyphs (White's turned
// by 180 degrees), each hand as a column of characters beside the board, and the
// squares of a last move shaded. One line of text; its bytes are a stable format.

#include <array>
#include <optional>
#include <string>

#include "core/types/hand.h"
#include "core/types/move.h"
#include "core/types/piece.h"

namespace korvan {

// `last_move` must be a normal move (its 16-bit part is drawn); a scale of zero or
// less draws at 1.
std::string board_to_svg(const std::array<Piece, 81>& board, const std::array<Hand, 2>& hands,
                         std::optional<Move> last_move, float scale);

// The shortest decimal text that reads back as the same number, never with an
// exponent: "20.5", "230", "-16", "12.133333"; "NaN", "inf" and "-inf".
std::string shortest_decimal(float v);
std::string shortest_decimal(double v);

}  // namespace korvan
