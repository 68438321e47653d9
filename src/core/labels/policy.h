#pragma once
// Policy move labels: one fixed index per move for a network's policy output.
//
// A label is plane * 81 + destination, always from the mover's view (White's squares
// are turned through 180 degrees, so the mover advances toward rank 0):
//   planes 0..9    board moves, plane = direction class (see direction_class)
//   planes 10..19  the same with promotion
//   planes 20..26  drops, 19 + dropped piece type
// Only 1496 of the 2187 labels can carry a legal move; those are numbered in label
// order as compact labels.

#include <array>
#include <cstdint>
#include <optional>

#include "core/types/color.h"
#include "core/types/square.h"

namespace korvan {

constexpr int MOVE_LABEL_NB = 2187;
constexpr int COMPACT_MOVE_LABEL_NB = 1496;
constexpr int LABEL_PLANE_NB = 27;
constexpr int DROP_LABEL_BASE = 20 * 81;

// Direction class of a board move from `from` to `to`, both in the mover's view.
// dr < 0 is forward; df < 0 means the destination lies on a higher file. The first
// matching row wins, so knight jumps are told apart before the diagonal classes and a
// move onto its own square falls through to class 7.
constexpr int direction_class(Square from, Square to) {
    const int dr = int(to % 9) - int(from % 9);
    const int df = int(from / 9) - int(to / 9);
    if (df == 0 && dr < 0) return 0;
    if (dr == -2 && df == 1) return 9;
    if (dr == -2 && df == -1) return 8;
    if (dr < 0 && df < 0) return 1;
    if (dr < 0 && df > 0) return 2;
    if (dr == 0 && df < 0) return 3;
    if (dr == 0 && df > 0) return 4;
    if (dr > 0 && df == 0) return 5;
    if (dr > 0 && df < 0) return 6;
    return 7;
}

// The label of a 16-bit move made by `turn` (any colour but Black counts as White),
// or nothing for a special move or a move whose fields leave the board.
std::optional<std::uint16_t> move_to_policy_label(std::uint32_t move, Color turn);

struct LabelEntry {
    std::uint16_t present;  // 1 when some legal move can carry the label
    std::uint16_t compact;  // its compact label; 0 when absent
};

namespace detail {

// Whether a piece of shogi can reach `to` from `from` in one move of class `cls`:
// rook lines for the straight classes, exact diagonals for the diagonal ones, the
// knight jump for 8 and 9.
constexpr bool reaches(int cls, Square from, Square to) {
    const int dr = int(to % 9) - int(from % 9);
    const int df = int(from / 9) - int(to / 9);
    switch (cls) {
        case 0: case 3: case 4: case 5: return dr == 0 || df == 0;
        case 1: case 2: case 6: case 7: return dr == df || dr == -df;
        default: return dr == -2 && (df == 1 || df == -1);
    }
}

// The generating rule: a label is valid when some legal move can carry it.
constexpr bool label_is_structurally_valid(int label) {
    const int plane = label / 81;
    const Square to = static_cast<Square>(label % 81);
    const int rank = to % 9;
    if (plane >= 20) {
        const int piece_type = plane - 19;
        if (piece_type <= 2) return rank >= 1;  // pawn, lance
        if (piece_type == 3) return rank >= 2;  // knight
        return true;
    }
    const int cls = plane % 10;
    const bool promotes = plane >= 10;
    // An unpromoted knight may not stop where it could never move again.
    if (!promotes && (cls == 8 || cls == 9) && rank < 2) return false;
    for (Square from = 0; from < 81; ++from) {
        if (from == to || direction_class(from, to) != cls || !reaches(cls, from, to)) continue;
        if (promotes && from % 9 > 2 && rank > 2) continue;
        return true;
    }
    return false;
}

constexpr std::array<LabelEntry, MOVE_LABEL_NB> make_label_table() {
    std::array<LabelEntry, MOVE_LABEL_NB> t{};
    std::uint16_t next = 0;
    for (int l = 0; l < MOVE_LABEL_NB; ++l)
        if (label_is_structurally_valid(l)) t[l] = {1, next++};
    return t;
}

constexpr std::array<std::uint16_t, COMPACT_MOVE_LABEL_NB> make_compact_table(
    const std::array<LabelEntry, MOVE_LABEL_NB>& labels) {
    std::array<std::uint16_t, COMPACT_MOVE_LABEL_NB> t{};
    for (int l = 0; l < MOVE_LABEL_NB; ++l)
        if (labels[l].present) t[labels[l].compact] = static_cast<std::uint16_t>(l);
    return t;
}

constexpr int count_present(const std::array<LabelEntry, MOVE_LABEL_NB>& labels) {
    int n = 0;
    for (const LabelEntry& e : labels) n += e.present;
    return n;
}

}  // namespace detail

inline constexpr std::array<LabelEntry, MOVE_LABEL_NB> LABEL_TABLE = detail::make_label_table();
inline constexpr std::array<std::uint16_t, COMPACT_MOVE_LABEL_NB> COMPACT_TABLE =
    detail::make_compact_table(LABEL_TABLE);

// The compact table is filled only from present labels; this count guarantees that it
// is filled completely.
static_assert(detail::count_present(LABEL_TABLE) == COMPACT_MOVE_LABEL_NB);

// Both take a label below MOVE_LABEL_NB.
constexpr bool label_is_valid(unsigned label) { return LABEL_TABLE[label].present != 0; }
constexpr std::optional<std::uint16_t> compact_of_label(unsigned label) {
    if (!LABEL_TABLE[label].present) return std::nullopt;
    return LABEL_TABLE[label].compact;
}
// Takes a compact label below COMPACT_MOVE_LABEL_NB.
constexpr std::uint16_t label_of_compact(unsigned compact) { return COMPACT_TABLE[compact]; }

}  // namespace korvan
