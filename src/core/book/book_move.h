#pragma once
// What the own books store: a move with its score and search depth (the six bytes of a
// static book record), and a key with its moves in book order.

#include <cstdint>
#include <string>
#include <vector>

#include "core/book/book_key.h"
#include "core/types/move.h"

namespace korvan {

struct BookMove {
    Move mv = MOVE_NONE;
    std::int16_t score = 0;
    std::uint16_t depth = 0;

    bool operator==(const BookMove&) const = default;
};

struct BookEntry {
    BookKey key;
    std::vector<BookMove> moves;

    bool operator==(const BookEntry&) const = default;
};

// "BookMove(move=7g7f, score=-35, depth=12)".
std::string book_move_repr(const BookMove& m);
// "BookEntry(key=0x1f, moves=3)".
std::string book_entry_repr(const BookEntry& e);

}  // namespace korvan
