#pragma once
// Move (16 bits): to in bits 0-6; from in bits 7-13, or the dropped piece type when
// bit 14 (drop) is set; bit 15 promotes.
// Move32: a Move in bits 0-15 and the piece standing on `to` after the move in 16-20.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/types/piece.h"
#include "core/types/square.h"

namespace korvan {

using Move = std::uint16_t;
using Move32 = std::uint32_t;

constexpr Move MOVE_NONE = 0;
constexpr Move MOVE_NULL = 129;
constexpr Move MOVE_RESIGN = 258;
constexpr Move MOVE_WIN = 387;
constexpr Move MOVE_END = 516;

constexpr std::uint32_t MOVE_DROP_FLAG = 0x4000;
constexpr std::uint32_t MOVE_PROMOTE_FLAG = 0x8000;

constexpr Square move_to(std::uint32_t m) { return static_cast<Square>(m & 0x7F); }
constexpr Square move_from(std::uint32_t m) { return static_cast<Square>((m >> 7) & 0x7F); }
constexpr bool is_drop(std::uint32_t m) { return (m & MOVE_DROP_FLAG) != 0; }
constexpr bool is_promotion(std::uint32_t m) { return (m & MOVE_PROMOTE_FLAG) != 0; }
constexpr PieceType dropped_type(std::uint32_t m) { return PieceType((m >> 7) & 0x7F); }
constexpr Piece moved_piece_after(Move32 m) { return Piece((m >> 16) & 31); }
constexpr Move move16(std::uint32_t m) { return static_cast<Move>(m & 0xFFFF); }

constexpr bool is_special_move(std::uint32_t m) {
    const Move v = move16(m);
    return v == MOVE_NONE || v == MOVE_NULL || v == MOVE_RESIGN || v == MOVE_WIN || v == MOVE_END;
}

// Unchecked builders for the hot paths (squares and types already in range).
constexpr Move make_move16(Square from, Square to) { return static_cast<Move>(from << 7 | to); }
constexpr Move make_move16_promote(Square from, Square to) {
    return static_cast<Move>(from << 7 | to | MOVE_PROMOTE_FLAG);
}
constexpr Move make_drop16(PieceType pt, Square to) { return static_cast<Move>(MOVE_DROP_FLAG | pt << 7 | to); }

// Checked builders: internal stops on a square or piece that cannot occur.
Move32 move_make(unsigned from, unsigned to, unsigned piece);
Move32 move_make_promote(unsigned from, unsigned to, unsigned piece);
Move move16_make_promote(unsigned from, unsigned to);

std::optional<Move> move_from_usi(std::string_view text);
std::string move_display_usi(std::uint32_t move);
// Appends the USI text of a normal move (nothing for a special move or a bad field):
// the writers of long move lists build their text in one buffer.
void move_append_usi(std::string& out, std::uint32_t move);
std::optional<Square> is_usi_square(std::string_view text);
std::string move32_debug(Move32 m);

}  // namespace korvan
