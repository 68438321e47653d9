#pragma once
// Piece types, coloured pieces and hand kinds.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/types/color.h"
#include "core/util/expected.h"

namespace korvan {

enum PieceType : std::uint8_t {
    NO_PIECE_TYPE,
    PAWN,
    LANCE,
    KNIGHT,
    SILVER,
    BISHOP,
    ROOK,
    GOLD,
    KING,
    PRO_PAWN,
    PRO_LANCE,
    PRO_KNIGHT,
    PRO_SILVER,
    HORSE,
    DRAGON,
    GOLD_LIKE,  // names the group that moves like a gold; never on the board
};
constexpr int PIECE_TYPE_NB = 16;

// colour * 16 + type; 0 is the empty square.
enum Piece : std::uint8_t { NO_PIECE = 0 };
constexpr int PIECE_NB = 32;

constexpr Piece make_piece(Color c, PieceType pt) { return Piece((c << 4) | pt); }
// A byte names a piece when it is colour * 16 + one of PAWN..DRAGON. Editable
// descriptions may hold any byte; the writers and the set-up of a live position only
// take these (and 0, the empty square).
constexpr bool names_piece(std::uint8_t p) { return p < 32 && (p & 15) != NO_PIECE_TYPE && (p & 15) != GOLD_LIKE; }
constexpr Color color_of(Piece p) { return Color((p >> 4) & 1); }
constexpr PieceType type_of(Piece p) { return PieceType(p & 15); }

constexpr bool is_promotable(PieceType pt) { return pt >= PAWN && pt <= ROOK; }
constexpr bool is_promoted(PieceType pt) { return pt >= PRO_PAWN && pt <= DRAGON; }
constexpr PieceType promote(PieceType pt) { return PieceType(pt + 8); }
// PRO_PAWN..DRAGON lose their promotion; everything else is unchanged.
constexpr PieceType demote(PieceType pt) { return is_promoted(pt) ? PieceType(pt - 8) : pt; }

inline constexpr std::array<std::int32_t, 16> PIECE_VALUE = {
    0, 90, 315, 405, 495, 855, 990, 540, 15000, 540, 540, 540, 540, 945, 1395, 0};

constexpr std::int32_t signed_value(Piece p) {
    return color_of(p) == BLACK ? PIECE_VALUE[type_of(p)] : -PIECE_VALUE[type_of(p)];
}

// USI text of a piece type; "?" for 0, 15 and any larger value.
std::string_view piece_type_display(unsigned pt);
Expected<PieceType, std::string> piece_type_from_usi(std::string_view text);
// " " for the empty square, upper case for Black, lower case for White.
std::string piece_display(std::uint8_t piece);

// The seven kinds a hand holds, PAWN 0 .. GOLD 6 (the piece type minus one).
using HandPiece = std::uint8_t;
constexpr int HAND_PIECE_NB = 7;
constexpr HandPiece hand_piece_of(PieceType pt) { return static_cast<HandPiece>(pt - 1); }
constexpr PieceType piece_type_of(HandPiece hp) { return PieceType(hp + 1); }

}  // namespace korvan
