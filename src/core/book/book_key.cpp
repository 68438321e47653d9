#include "core/book/book_key.h"

#include <charconv>

#include "core/board/zobrist.h"

namespace korvan {

std::string book_key_error_display(const BookKeyError& e) {
    static constexpr char DIGITS[] = "0123456789abcdef";
    std::string out = "invalid move value: 0x";
    for (int shift = 12; shift >= 0; shift -= 4) out += DIGITS[(e.move >> shift) & 0xF];
    return out;
}

Expected<BookKey, BookKeyError> book_key_after(const Position& pos, Move mv) {
    const unsigned to = move_to(mv);
    const unsigned from = move_from(mv);
    const Color us = pos.side_to_move;
    if (to > SQ_NONE || from > (is_drop(mv) ? 31u : unsigned{SQ_NONE})) return unexpected(BookKeyError{mv});
    std::uint64_t board = pos.board_key ^ ZOBRIST_SIDE;
    std::uint64_t hand = pos.hand_key;
    if (is_drop(mv)) {
        board ^= ZOBRIST[(us << 4) | from][to];
        if (from >= PAWN && from <= GOLD) hand -= ZOBRIST_HAND[us][hand_piece_of(PieceType(from))];
    } else {
        const Piece moving = from == SQ_NONE ? NO_PIECE : pos.board[from];
        const Piece after = is_promotion(mv) && is_promotable(type_of(moving)) ? Piece(moving + 8) : moving;
        const Piece captured = to == SQ_NONE ? NO_PIECE : pos.board[to];
        board ^= ZOBRIST[captured][to] ^ ZOBRIST[moving][from] ^ ZOBRIST[after][to];
        // A promoted piece goes to the hand unpromoted; a king, the gold-like group and
        // an empty square add nothing.
        const PieceType taken = demote(type_of(captured));
        if (taken >= PAWN && taken <= GOLD) hand += ZOBRIST_HAND[us][hand_piece_of(taken)];
    }
    return BookKey{board ^ hand};
}

std::string book_key_hex(std::uint64_t low) {
    char buffer[2 + 16];
    buffer[0] = '0';
    buffer[1] = 'x';
    const auto end = std::to_chars(buffer + 2, buffer + sizeof buffer, low, 16).ptr;
    return std::string(buffer, end);
}

std::string book_key_repr(BookKey key) {
    return "BookKey(low=" + book_key_hex(key.low) + ", high=" + book_key_hex(BookKey::high) + ")";
}

}  // namespace korvan
