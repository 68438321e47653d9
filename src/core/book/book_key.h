#pragma once
// The position key the own books file their moves under, and the key one move ahead
// computed from the keys alone.
//
// A key is the position key (board key XOR hand key, the board key carrying
// ZOBRIST_SIDE when White is to move), so it equals what the position keeps. The books
// hold 64-bit keys only: the high word of the 128-bit key exists for the file format's
// key width and is zero in every key.

#include <cstdint>
#include <string>

#include "core/board/position/position.h"
#include "core/util/expected.h"

namespace korvan {

struct BookKey {
    std::uint64_t low = 0;
    static constexpr std::uint64_t high = 0;

    bool operator==(const BookKey&) const = default;
};

// A move whose fields would read outside the key tables: a destination or a board
// source above 81, or a drop field above 31.
struct BookKeyError {
    Move move = MOVE_NONE;
    bool operator==(const BookKeyError&) const = default;
};

// "invalid move value: 0x<four hexadecimal digits>".
std::string book_key_error_display(const BookKeyError& e);

inline BookKey book_key_of(const Position& pos) { return BookKey{pos.key}; }

// The key after mv, with no legality test: the arithmetic is applied to whatever the
// move says. For a legal move it equals the key position_do_move leaves. Square 81 and
// piece 0 read the zero row and column; a drop of a field 8..31 reads its table row
// and leaves the hands alone.
Expected<BookKey, BookKeyError> book_key_after(const Position& pos, Move mv);

// "0x1f": lower-case hexadecimal with no leading zeros.
std::string book_key_hex(std::uint64_t low);
// "BookKey(low=0x1f, high=0x0)".
std::string book_key_repr(BookKey key);

}  // namespace korvan
