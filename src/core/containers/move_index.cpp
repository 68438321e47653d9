#include "core/containers/move_index.h"

#include <algorithm>
#include <array>

#include "core/board/attack_tables.h"
#include "core/board/lookup.h"
#include "core/board/movegen/movegen.h"
#include "core/board/movegen/rank_masks.h"
#include "core/board/position/legality.h"

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

// A piece's targets are few: clearing bits one by one costs less than a popcount
// where the instruction is not assumed.
constexpr std::uint16_t few_bits(Bitboard b) {
    std::uint16_t n = 0;
    for (std::uint64_t w : b.w)
        for (; w != 0; w &= w - 1) ++n;
    return n;
}

// Our pieces' legal targets, split as the canonical order groups board moves: by
// promotion, and (through the occupancy) by capture. One entry a piece of ours: at most
// one a square.
struct PieceTargets {
    Square from;
    std::uint8_t order;  // PIECE_ORDER of the moving piece
    // Targets reached with a promotion and without one, as raw words: an array of
    // these is filled before use, and Bitboard members would be zeroed first.
    std::uint64_t promote_w[2];
    std::uint64_t plain_w[2];
    Bitboard promote() const { return {promote_w[0], promote_w[1]}; }
    Bitboard plain() const { return {plain_w[0], plain_w[1]}; }
    void set_plain(Bitboard b) { plain_w[0] = b.w[0], plain_w[1] = b.w[1]; }
};

// The targets among `targets` on the line from the king through a pinned piece at
// `from`, beyond the king's side.
Bitboard pin_line(Square from, Square k, Bitboard targets) {
    const std::uint8_t d = DIRECTION_TABLE[from][k];
    Bitboard line;
    if (d != 0)
        targets.for_each([&](Square to) {
            if (DIRECTION_TABLE[to][k] == d) line.set(to);
        });
    return line;
}

// The king's targets no enemy piece attacks once the king has left its square.
Bitboard king_safe_targets(const Position& pos, Square k, Bitboard targets) {
    Bitboard occ = pos.occupied;
    occ.clear(k);
    const Color them = ~pos.side_to_move;
    Bitboard safe;
    targets.for_each([&](Square to) {
        if (!position_is_attacked_by(pos, them, to, occ)) safe.set(to);
    });
    return safe;
}

// The legality rules of generate_legal applied to whole target sets: a pinned piece
// keeps the squares of its line on its side of the king. The king's entry (the first,
// when the position has one) keeps every square its checkers leave: a caller settles
// it with king_safe_targets once a count needs it.
template <Color Us>
std::size_t legal_targets(const Position& pos, std::array<PieceTargets, 81>& out) {
    constexpr Color Them = ~Us;
    constexpr Bitboard zone = ZONE[Us];
    const Bitboard ours = pos.by_color[Us];
    const Bitboard occ = pos.occupied;
    const Square k = pos.king_square[Us];
    const Bitboard checkers = pos.st().checkers;
    Bitboard occ_no_king = occ;
    if (k != SQ_NONE) occ_no_king.clear(k);
    std::size_t n = 0;

    // The king first: its targets do not depend on the pieces' own target set.
    Bitboard others_target = (~ours).andnot(pos.by_type[KING] & pos.by_color[Them]);
    bool others_move = true;
    if (k != SQ_NONE) {
        Bitboard att = KING_ATTACKS[k].andnot(ours | pos.by_type[KING]);
        if (checkers) {
            int count = 0;
            Bitboard attacked;
            checkers.for_each([&](Square c) {
                attacked |= piece_type_attacks(type_of(pos.board[c]), c, Them, occ_no_king);
                ++count;
            });
            att = att.andnot(attacked);
            others_move = count < 2;
            const Square c = checkers.lsb();
            others_target = (between_bb(k, c) | square_bb(c)).andnot(pos.by_type[KING] & pos.by_color[Them]);
        }
        // Entry 0, its squares tested for attacks only when a count needs them.
        out[n++] = {k, PIECE_ORDER[KING], {0, 0}, {att.w[0], att.w[1]}};
    }
    if (!others_move) return n;
    const Bitboard T = others_target;
    const Bitboard pinned = k != SQ_NONE ? position_blockers(pos, Us) & ours : Bitboard{};
    auto add = [&](Square from, PieceType pt, Bitboard promote, Bitboard plain) {
        if (pinned && pinned.test(from)) [[unlikely]] {
            const Bitboard line = pin_line(from, k, promote | plain);
            promote &= line;
            plain &= line;
        }
        out[n++] = {from, PIECE_ORDER[pt], {promote.w[0], promote.w[1]}, {plain.w[0], plain.w[1]}};
    };
    // Pawns on the last rank have no move at all.
    pos.pieces(Us, PAWN).andnot(REL_RANK[Us][0]).for_each([&](Square from) {
        const Square to = Us == BLACK ? from - 1 : from + 1;
        Bitboard att;
        if (T.test(to)) att.set(to);
        add(from, PAWN, att & zone, att.andnot(REL_RANK[Us][0]));
    });
    pos.pieces(Us, LANCE).for_each([&](Square from) {
        const Bitboard att = attack_detail::lance_file(from, Us, occ) & T;
        add(from, LANCE, att & zone, att.andnot(REL_RANK[Us][0]));
    });
    pos.pieces(Us, KNIGHT).for_each([&](Square from) {
        const Bitboard att = KNIGHT_ATTACKS[from][Us] & T;
        add(from, KNIGHT, zone.test(from) ? att : att & zone, att.andnot(REL_RANK[Us][0] | REL_RANK[Us][1]));
    });
    pos.pieces(Us, SILVER).for_each([&](Square from) {
        const Bitboard att = SILVER_ATTACKS[from][Us] & T;
        add(from, SILVER, zone.test(from) ? att : att & zone, att);
    });
    ((pos.by_type[BISHOP] | pos.by_type[ROOK]) & ours).for_each([&](Square from) {
        const PieceType pt = type_of(pos.board[from]);
        const Bitboard att = (pt == BISHOP ? bishop_attacks(from, occ) : rook_attacks(from, occ)) & T;
        add(from, pt, zone.test(from) ? att : att & zone, att);
    });
    // Any king besides the one the position tracks moves as a plain piece.
    Bitboard rest = pos.golds | pos.by_type[HORSE] | pos.by_type[DRAGON] | pos.by_type[KING];
    if (k != SQ_NONE) rest.clear(k);
    (rest & ours).for_each([&](Square from) {
        const PieceType pt = type_of(pos.board[from]);
        Bitboard att;
        switch (pt) {
            case KING: att = KING_ATTACKS[from]; break;
            case HORSE: att = horse_attacks(from, occ); break;
            case DRAGON: att = dragon_attacks(from, occ); break;
            default: att = GOLD_ATTACKS[from][Us]; break;
        }
        add(from, pt, {}, att & T);
    });
    return n;
}

// The drop at a rank among the legal drops: by kind in PIECE_ORDER, then by square in
// SEEN order; the kinds are counted, and only the chosen kind's squares walked.
std::optional<Move32> drop_at(const Position& pos, std::size_t rank) {
    std::array<Bitboard, 8> drop_squares;
    generate_legal_drop_squares(pos, drop_squares);
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
    // Board moves sort first, grouped by capture, promotion and moving piece, and within
    // a group by destination then origin: the groups are counted from target sets, and
    // only the chosen group's moves are listed.
    std::array<PieceTargets, 81> pieces;
    const std::size_t n = pos.side_to_move == BLACK ? legal_targets<BLACK>(pos, pieces)
                                                    : legal_targets<WHITE>(pos, pieces);
    const Bitboard occ = pos.occupied;
    // By the key's top bits below the drop bit: capture, promotion, piece order.
    std::array<std::uint16_t, 64> counts{};
    // The tracked king's moves are counted last, and tested for safety only when the
    // walk reaches the king's groups.
    const std::size_t first = pos.king_square[pos.side_to_move] != SQ_NONE ? 1 : 0;
    for (std::size_t i = first; i < n; ++i) {
        const PieceTargets& p = pieces[i];
        const Bitboard plain = p.plain(), promote = p.promote();
        counts[p.order] += few_bits(plain.andnot(occ));
        counts[32 | p.order] += few_bits(plain & occ);
        if (promote) {
            counts[16 | p.order] += few_bits(promote.andnot(occ));
            counts[48 | p.order] += few_bits(promote & occ);
        }
    }
    std::size_t before = 0;
    unsigned group = 0;
    for (; group < 64; ++group) {
        if (group == PIECE_ORDER[KING] && first == 1) {
            PieceTargets& king = pieces[0];
            const Bitboard safe = king_safe_targets(pos, king.from, king.plain());
            king.set_plain(safe);
            counts[group] += few_bits(safe.andnot(occ));
            counts[32 | group] += few_bits(safe & occ);
        }
        if (before + counts[group] > index) break;
        before += counts[group];
    }
    const Color us = pos.side_to_move;
    if (group == 64) return drop_at(pos, index - before);

    const bool capture = group & 32, promote = group & 16;
    const auto order = static_cast<std::uint8_t>(group & 15);
    // Destination key, origin key, then the two squares.
    std::array<std::uint32_t, MoveList::CAPACITY> members;
    std::size_t m = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const PieceTargets& p = pieces[i];
        if (p.order != order) continue;
        const Bitboard targets = promote ? p.promote() : p.plain();
        const std::uint32_t from_key = std::uint32_t{SEEN[us][p.from]} << 16 | std::uint32_t{p.from};
        (capture ? targets & occ : targets.andnot(occ)).for_each([&](Square to) {
            members[m++] = std::uint32_t{SEEN[us][to]} << 24 | from_key | std::uint32_t{to} << 8;
        });
    }
    const std::size_t rank = index - before;
    std::nth_element(members.begin(), members.begin() + static_cast<std::ptrdiff_t>(rank),
                     members.begin() + static_cast<std::ptrdiff_t>(m));
    const auto from = static_cast<Square>(members[rank] & 0xff);
    const auto to = static_cast<Square>(members[rank] >> 8 & 0xff);
    const Piece piece = pos.board[from];
    const Move move = promote ? make_move16_promote(from, to) : make_move16(from, to);
    return static_cast<Move32>(std::uint32_t{static_cast<std::uint8_t>(promote ? piece + 8 : piece)} << 16 | move);
}

}  // namespace korvan
