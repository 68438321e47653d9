#include "core/book/book_move.h"

namespace korvan {

std::string book_move_repr(const BookMove& m) {
    return "BookMove(move=" + move_display_usi(m.mv) + ", score=" + std::to_string(m.score) +
           ", depth=" + std::to_string(m.depth) + ")";
}

std::string book_entry_repr(const BookEntry& e) {
    return "BookEntry(key=" + book_key_hex(e.key.low) + ", moves=" + std::to_string(e.moves.size()) + ")";
}

}  // namespace korvan
