#include "core/containers/move_index.h"

#include <algorithm>
#include <array>

#include "core/board/movegen/movegen.h"

namespace korvan {

namespace {

// The canonical order packed into one integer, most significant first: drop, capture,
// promotion, moving piece, destination rank and file key, source rank and file key
// (9 and 9 for a drop), then the Move32 itself. Comparing two keys compares the fields
// of move_sort_key in turn.
constexpr std::array<std::uint8_t, 16> PIECE_ORDER = {15, 0, 1, 2, 3, 5, 6, 4, 7, 8, 9, 10, 11, 12, 13, 14};
constexpr std::array<std::uint8_t, 9> FILE_KEY = {7, 5, 3, 1, 0, 2, 4, 6, 8};

// Rank and file key of a square seen by the side to move, as one byte.
constexpr std::array<std::array<std::uint8_t, 81>, 2> make_seen_table() {
    std::array<std::array<std::uint8_t, 81>, 2> t{};
    for (int c = 0; c < 2; ++c)
        for (int s = 0; s < 81; ++s) {
            const int seen = c == 0 ? s : 80 - s;
            t[c][s] = static_cast<std::uint8_t>((seen % 9) << 4 | FILE_KEY[seen / 9]);
        }
    return t;
}
constexpr auto SEEN = make_seen_table();

// The squares in ascending SEEN order, by colour: the order of one kind's drops.
constexpr std::array<std::array<Square, 81>, 2> make_drop_order() {
    std::array<std::array<Square, 81>, 2> t{};
    for (int c = 0; c < 2; ++c) {
        int n = 0;
        for (int key = 0; key < 256; ++key)
            for (int s = 0; s < 81; ++s)
                if (SEEN[c][s] == key) t[c][n++] = static_cast<Square>(s);
    }
    return t;
}
constexpr auto DROP_ORDER = make_drop_order();
// Drop kinds in PIECE_ORDER.
constexpr std::array<PieceType, 7> DROP_KINDS = {PAWN, LANCE, KNIGHT, SILVER, GOLD, BISHOP, ROOK};
constexpr std::uint64_t DROP_SOURCE = 9 << 4 | 9;

// The key of a 16-bit move that fits the position (a legal move, or the 16 bits of a
// candidate), with its Move32 built from the board.
inline std::uint64_t key_of(const Position& pos, Move m) {
    const Color us = pos.side_to_move;
    const Square to = move_to(m);
    std::uint64_t key;
    Move32 m32;
    if (is_drop(m)) {
        const PieceType pt = dropped_type(m);
        m32 = std::uint32_t{make_piece(us, pt)} << 16 | (m & ~MOVE_PROMOTE_FLAG);
        key = std::uint64_t{1} << 54 | std::uint64_t{PIECE_ORDER[pt]} << 48 | std::uint64_t{SEEN[us][to]} << 40 |
              DROP_SOURCE << 32;
    } else {
        const Square from = move_from(m);
        const Piece p = pos.board[from];
        const bool promotes = is_promotion(m);
        m32 = std::uint32_t{static_cast<std::uint8_t>(promotes ? p + 8 : p)} << 16 | m;
        key = std::uint64_t{pos.board[to] != NO_PIECE} << 53 | std::uint64_t{promotes} << 52 |
              std::uint64_t{PIECE_ORDER[type_of(p)]} << 48 | std::uint64_t{SEEN[us][to]} << 40 |
              std::uint64_t{SEEN[us][from]} << 32;
    }
    return key | m32;
}

}  // namespace

std::optional<std::size_t> canonical_index_of(const Position& pos, Move32 move) {
    MoveList list;
    generate_legal(pos, list);
    std::size_t below = 0;
    bool found = false;
    const Move m = move16(move);
    std::uint64_t target = 0;
    for (Move x : list)
        if (x == m) {
            target = key_of(pos, x);
            found = static_cast<Move32>(target) == move;
            break;
        }
    if (!found) return std::nullopt;
    // Every drop sorts after every board move: only keys of the move's own class are
    // compared.
    const bool drop = is_drop(m);
    for (Move x : list) {
        if (is_drop(x) != drop)
            below += drop;
        else
            below += key_of(pos, x) < target;
    }
    return below;
}

std::optional<Move32> canonical_move_at(const Position& pos, std::size_t index) {
    // Every drop sorts after every board move, by kind, then by square in SEEN order:
    // the drops are counted per kind, and only listed board moves get keys.
    MoveList list;
    std::array<Bitboard, 8> drop_squares;
    generate_legal_split(pos, list, drop_squares);
    const std::size_t k = list.size();
    if (index >= k) {
        std::size_t rank = index - k;
        const Color us = pos.side_to_move;
        for (const PieceType pt : DROP_KINDS) {
            const Bitboard squares = drop_squares[pt];
            const auto count = static_cast<std::size_t>(squares.count());
            if (rank >= count) {
                rank -= count;
                continue;
            }
            for (const Square to : DROP_ORDER[us])
                if (squares.test(to) && rank-- == 0)
                    return static_cast<Move32>(std::uint32_t{make_piece(us, pt)} << 16 | make_drop16(pt, to));
        }
        return std::nullopt;
    }
    // Two steps of a radix selection: the top seven bits (drop, capture, promotion,
    // piece) pick a group, whose few members are then selected among by full key.
    std::array<std::uint64_t, MoveList::CAPACITY> keys;
    std::array<std::uint16_t, 128> counts{};
    for (std::size_t i = 0; i < k; ++i) {
        keys[i] = key_of(pos, list[i]);
        ++counts[keys[i] >> 48];
    }
    std::size_t before = 0;
    unsigned group = 0;
    while (before + counts[group] <= index) before += counts[group++];
    std::array<std::uint64_t, MoveList::CAPACITY> members;
    std::size_t m = 0;
    for (std::size_t i = 0; i < k; ++i)
        if ((keys[i] >> 48) == group) members[m++] = keys[i];
    const std::size_t rank = index - before;
    std::nth_element(members.begin(), members.begin() + static_cast<std::ptrdiff_t>(rank),
                     members.begin() + static_cast<std::ptrdiff_t>(m));
    return static_cast<Move32>(members[rank]);
}

}  // namespace korvan
