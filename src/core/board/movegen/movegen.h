#pragma once
// Move generation in a fixed, documented emission order (the Python move lists expose
// it), and the canonical order of a legal list (sbinpack move indices count in it).

#include <array>
#include <cstdint>
#include <vector>

#include "core/board/position/position.h"

namespace korvan {

struct MoveList {
    // No position, even an artificial one from SFEN, yields more: a target square is
    // reached by at most ten pieces (eight lines and two knight squares), each with a
    // promotion and a non-promotion, and takes at most seven drops: 81 * 27.
    static constexpr std::size_t CAPACITY = 2187;
    std::array<Move, CAPACITY> moves;
    std::size_t count = 0;

    void push(Move m) { moves[count++] = m; }
    const Move* begin() const { return moves.data(); }
    const Move* end() const { return moves.data() + count; }
    std::size_t size() const { return count; }
    Move operator[](std::size_t i) const { return moves[i]; }
};

// Legal moves of the side to move (evasions when in check).
void generate_legal(const Position& pos, MoveList& list);
// The squares of the legal drops by dropped piece type, which a caller that needs one
// move among many can count instead of listing.
void generate_legal_drop_squares(const Position& pos, std::array<Bitboard, 8>& drop_squares);
// Pseudo-legal moves when not in check: board moves (promotions that a non-promotion
// never beats are left out), then drops. Pins and king safety are not tested.
void generate_non_evasions(const Position& pos, MoveList& list);
// The evasions when in check, the non-evasions otherwise.
void generate_pseudo_legal(const Position& pos, MoveList& list);

// Every legal move widened to a Move32, in canonical order.
std::vector<Move32> generate_legal_moves(const Position& pos);

struct MoveSortKey {
    std::array<std::uint8_t, 8> fields;
    std::uint16_t move;
    auto operator<=>(const MoveSortKey&) const = default;
};
MoveSortKey move_sort_key(const Position& pos, std::uint32_t move);

}  // namespace korvan
