#include "core/board/movegen/movegen.h"

#include <algorithm>

#include "core/board/attack_tables.h"
#include "core/board/lookup.h"
#include "core/board/movegen/rank_masks.h"
#include "core/board/position/legality.h"

namespace korvan {

namespace {

void generate_drops(Color us, MoveList& list, Bitboard targets, Hand hand);
void generate_pawn_drops(const Position& pos, MoveList& list, Bitboard targets, Hand hand);
Bitboard pawn_drop_squares(const Position& pos, Bitboard targets);
void sort_canonical(const Position& pos, std::vector<Move32>& moves);

template <Color Us>
constexpr int rel_rank(Square s) {
    return Us == BLACK ? rank_of(s) : 8 - rank_of(s);
}

// Board moves of one pass onto the targets T, in the documented group order.
// Full: every non-promotion the rules allow; otherwise the reduced set.
template <Color Us, bool Full>
void board_moves(const Position& pos, MoveList& list, Bitboard T, bool with_king) {
    // A king is never captured: only an unvalidated set-up can leave one en prise.
    T = T.andnot(pos.by_type[KING] & pos.by_color[~Us]);
    // Writing through a local pointer keeps the count out of memory in the hot loops.
    Move* out = list.moves.data() + list.count;
    auto push = [&out](Move m) { *out++ = m; };
    const Bitboard ours = pos.by_color[Us];
    const Bitboard occ = pos.occupied;
    constexpr Bitboard zone = ZONE[Us];

    // Pawns, by ascending target.
    {
        const Bitboard pawns = pos.by_type[PAWN].andnot(REL_RANK[Us][0]) & ours;
        const Bitboard stepped = Us == BLACK ? Bitboard(pawns.w[0] >> 1, pawns.w[1] >> 1)
                                             : Bitboard(pawns.w[0] << 1, pawns.w[1] << 1);
        (stepped & T).for_each([&](Square to) {
            const Square from = Us == BLACK ? to + 1 : to - 1;
            const int rr = rel_rank<Us>(to);
            if (rr <= 2) push(make_move16_promote(from, to));
            if (rr >= 3 || (Full && rr >= 1)) push(make_move16(from, to));
        });
    }
    // Lances: all promotions of one lance before its non-promotions.
    {
        constexpr Bitboard non_promo = ranks_from(Us, Full ? 1 : 2);
        (pos.by_type[LANCE] & ours).for_each([&](Square from) {
            const Bitboard att = attack_detail::lance_file(from, Us, occ) & T;
            (att & zone).for_each([&](Square to) { push(make_move16_promote(from, to)); });
            (att & non_promo).for_each([&](Square to) { push(make_move16(from, to)); });
        });
    }
    // Knights.
    (pos.by_type[KNIGHT] & ours).for_each([&](Square from) {
        const bool from_zone = rel_rank<Us>(from) <= 2;
        (KNIGHT_ATTACKS[from][Us] & T).for_each([&](Square to) {
            const int rr = rel_rank<Us>(to);
            if (rr <= 2 || from_zone) push(make_move16_promote(from, to));
            if (rr >= 2) push(make_move16(from, to));
        });
    });
    // Silvers: a non-promotion always exists.
    (pos.by_type[SILVER] & ours).for_each([&](Square from) {
        const Bitboard att = SILVER_ATTACKS[from][Us] & T;
        auto both = [&](Square to) {
            push(make_move16_promote(from, to));
            push(make_move16(from, to));
        };
        if (zone.test(from)) {
            att.for_each(both);
        } else {
            (att & zone).for_each(both);
            att.andnot(zone).for_each([&](Square to) { push(make_move16(from, to)); });
        }
    });
    // Bishops and rooks together, by ascending origin.
    ((pos.by_type[BISHOP] | pos.by_type[ROOK]) & ours).for_each([&](Square from) {
        const Bitboard att =
            (type_of(pos.board[from]) == BISHOP ? bishop_attacks(from, occ) : rook_attacks(from, occ)) & T;
        auto promo = [&](Square to) {
            push(make_move16_promote(from, to));
            if (Full) push(make_move16(from, to));
        };
        if (zone.test(from)) {
            att.for_each(promo);
        } else {
            (att & zone).for_each(promo);
            att.andnot(zone).for_each([&](Square to) { push(make_move16(from, to)); });
        }
    });
    // Gold movers, king, horses and dragons, by ascending origin.
    Bitboard rest = pos.golds | pos.by_type[HORSE] | pos.by_type[DRAGON];
    // Evasions move the king on its own; any other king a set-up gives a side moves
    // as a plain piece, as the legality test has it.
    rest |= with_king ? pos.by_type[KING] : pos.by_type[KING].andnot(square_bb(pos.king_square[Us]));
    (rest & ours).for_each([&](Square from) {
        Bitboard att;
        switch (type_of(pos.board[from])) {
            case KING: att = KING_ATTACKS[from]; break;
            case HORSE: att = horse_attacks(from, occ); break;
            case DRAGON: att = dragon_attacks(from, occ); break;
            default: att = GOLD_ATTACKS[from][Us]; break;
        }
        (att & T).for_each([&](Square to) { push(make_move16(from, to)); });
    });
    list.count = static_cast<std::size_t>(out - list.moves.data());
}

template <Color Us>
void drops(const Position& pos, MoveList& list, Bitboard targets, std::size_t* board_end) {
    if (board_end) *board_end = list.count;
    const Hand hand = pos.hands[Us];
    if (hand == 0 || targets.empty()) return;
    generate_pawn_drops(pos, list, targets, hand);
    generate_drops(Us, list, targets, hand);
}

template <Color Us, bool Full>
void non_evasions(const Position& pos, MoveList& list, std::size_t* board_end = nullptr) {
    board_moves<Us, Full>(pos, list, ~pos.by_color[Us], true);
    drops<Us>(pos, list, ~pos.occupied, board_end);
}

template <Color Us, bool Full>
void evasions(const Position& pos, MoveList& list, std::size_t* board_end = nullptr) {
    const Bitboard checkers = pos.st().checkers;
    if (checkers.empty()) return;
    constexpr Color Them = ~Us;
    // Checkers are found against this king (never SQ_NONE when there are any).
    const Square k = pos.king_square[Us];
    Bitboard occ = pos.occupied;
    occ.clear(k);
    Bitboard attacked;
    int n = 0;
    checkers.for_each([&](Square c) {
        attacked |= piece_type_attacks(type_of(pos.board[c]), c, Them, occ);
        ++n;
    });
    (KING_ATTACKS[k].andnot(pos.by_color[Us] | pos.by_type[KING]).andnot(attacked)).for_each([&](Square to) {
        list.push(make_move16(k, to));
    });
    if (n >= 2) return;
    const Square c = checkers.lsb();
    const Bitboard between = between_bb(k, c);
    board_moves<Us, Full>(pos, list, between | square_bb(c), false);
    drops<Us>(pos, list, between, board_end);
}

// Only entries below `board_end` can be board moves: generation appends drops after the
// board moves, and a removal only moves the last entry down into the hole, so every
// entry at or above that bound is a drop and stays. Stopping there gives the same list.
template <Color Us>
void filter_legal(const Position& pos, MoveList& list, std::size_t board_end) {
    const Square k = pos.king_square[Us];
    const Bitboard blockers = position_blockers(pos, Us);
    Bitboard occ = pos.occupied;
    if (k != SQ_NONE) occ.clear(k);
    std::size_t i = 0, n = list.count;
    while (i < n && i < board_end) {
        const Move m = list.moves[i];
        bool keep = true;
        if (!is_drop(m)) {
            const Square from = move_from(m), to = move_to(m);
            if (from == k)
                keep = !position_is_attacked_by(pos, ~Us, to, occ);
            else if (k != SQ_NONE && blockers.test(from))
                keep = DIRECTION_TABLE[from][k] != 0 && DIRECTION_TABLE[from][k] == DIRECTION_TABLE[to][k];
        }
        if (keep) {
            ++i;
        } else {
            --n;
            list.moves[i] = list.moves[n];
        }
    }
    list.count = n;
}

template <Color Us>
void legal_drop_squares(const Position& pos, std::array<Bitboard, 8>& drop_squares) {
    drop_squares.fill({});
    const Hand hand = pos.hands[Us];
    if (hand == 0) return;
    // Drops answer a check only between the king and a lone checker.
    const Bitboard checkers = pos.st().checkers;
    Bitboard drop_to = ~pos.occupied;
    if (checkers) drop_to = checkers.more_than_one() ? Bitboard{} : between_bb(pos.king_square[Us], checkers.lsb());
    if (drop_to.empty()) return;
    // The rules of generate_pawn_drops and generate_drops, kind by kind.
    if (hand_has(hand, PAWN)) drop_squares[PAWN] = pawn_drop_squares(pos, drop_to);
    if (hand_has(hand, LANCE)) drop_squares[LANCE] = drop_to & ranks_from(Us, 1);
    if (hand_has(hand, KNIGHT)) drop_squares[KNIGHT] = drop_to & ranks_from(Us, 2);
    for (PieceType pt : {SILVER, GOLD, BISHOP, ROOK})
        if (hand_has(hand, pt)) drop_squares[pt] = drop_to;
}

template <Color Us>
void legal(const Position& pos, MoveList& list) {
    std::size_t board_end = MoveList::CAPACITY;
    if (pos.st().checkers)
        evasions<Us, true>(pos, list, &board_end);
    else
        non_evasions<Us, true>(pos, list, &board_end);
    filter_legal<Us>(pos, list, board_end);
}

constexpr std::array<std::uint8_t, 14> SORT_PIECE_ORDER = {0, 1, 2, 3, 5, 6, 4, 7, 8, 9, 10, 11, 12, 13};
constexpr std::array<std::uint8_t, 9> SORT_FILE_ORDER = {7, 5, 3, 1, 0, 2, 4, 6, 8};

}  // namespace

void generate_legal(const Position& pos, MoveList& list) {
    pos.side_to_move == BLACK ? legal<BLACK>(pos, list) : legal<WHITE>(pos, list);
}

void generate_legal_drop_squares(const Position& pos, std::array<Bitboard, 8>& drop_squares) {
    pos.side_to_move == BLACK ? legal_drop_squares<BLACK>(pos, drop_squares)
                              : legal_drop_squares<WHITE>(pos, drop_squares);
}

void generate_non_evasions(const Position& pos, MoveList& list) {
    pos.side_to_move == BLACK ? non_evasions<BLACK, false>(pos, list) : non_evasions<WHITE, false>(pos, list);
}

namespace {

// Pseudo-legal check evasions; nothing when not in check.
void generate_evasions(const Position& pos, MoveList& list) {
    pos.side_to_move == BLACK ? evasions<BLACK, false>(pos, list) : evasions<WHITE, false>(pos, list);
}

}  // namespace

void generate_pseudo_legal(const Position& pos, MoveList& list) {
    if (pos.st().checkers)
        generate_evasions(pos, list);
    else
        generate_non_evasions(pos, list);
}

namespace {

// The targets a pawn of the side to move may drop on: files with an own pawn, the last
// rank and a mating drop left out.
Bitboard pawn_drop_squares(const Position& pos, Bitboard targets) {
    const Color us = pos.side_to_move;
    targets = targets.andnot(REL_RANK[us][0]);
    const Bitboard pawns = pos.pieces(us, PAWN);
    for (int f = 0; f < 9; ++f)
        if (pawns & FILE_MASKS[f]) targets = targets.andnot(FILE_MASKS[f]);
    const Square k = pos.king_square[~us];
    if (k != SQ_NONE) {
        // The square from which a pawn of ours attacks their king.
        const Bitboard front = PAWN_ATTACKS[k][~us] & targets;
        if (front && !position_pawn_drop_not_mate(pos, front.lsb())) targets = targets.andnot(front);
    }
    return targets;
}

// Pawn drops of the side to move onto targets.
void generate_pawn_drops(const Position& pos, MoveList& list, Bitboard targets, Hand hand) {
    if (!hand_has(hand, PAWN)) return;
    targets = pawn_drop_squares(pos, targets);
    Move* out = list.moves.data() + list.count;
    targets.for_each([&out](Square to) { *out++ = make_drop16(PAWN, to); });
    list.count = static_cast<std::size_t>(out - list.moves.data());
}

// Drops of the six other kinds onto targets, square by square.
void generate_drops(Color us, MoveList& list, Bitboard targets, Hand hand) {
    static constexpr PieceType ORDER[6] = {KNIGHT, LANCE, SILVER, GOLD, BISHOP, ROOK};
    Move codes[6];  // drop codes without the target square
    int n = 0;
    for (PieceType pt : ORDER)
        if (hand_has(hand, pt)) codes[n++] = make_drop16(pt, 0);
    if (n == 0) return;
    Move* out = list.moves.data() + list.count;
    auto emit = [&](Bitboard squares, int skip) {
        squares.for_each([&](Square to) {
            for (int i = skip; i < n; ++i) *out++ = static_cast<Move>(codes[i] | to);
        });
    };
    struct CountOnExit {
        MoveList& list;
        Move*& out;
        ~CountOnExit() { list.count = static_cast<std::size_t>(out - list.moves.data()); }
    } count_on_exit{list, out};
    const int knights = hand_has(hand, KNIGHT) ? 1 : 0;
    const int lances = hand_has(hand, LANCE) ? 1 : 0;
    if (knights + lances == 0) {
        emit(targets, 0);
        return;
    }
    // The kinds list starts with the knight and then the lance, so skipping a prefix
    // leaves out exactly the kinds that may not stand on a rank.
    emit(targets & REL_RANK[us][0], knights + lances);
    emit(targets & REL_RANK[us][1], knights);
    emit(targets & ranks_from(us, 2), 0);
}

}  // namespace

std::vector<Move32> generate_legal_moves(const Position& pos) {
    MoveList list;
    generate_legal(pos, list);
    std::vector<Move32> out;
    out.reserve(list.size());
    for (Move m : list) out.push_back(position_move_to_move32(pos, m));
    sort_canonical(pos, out);
    return out;
}

MoveSortKey move_sort_key(const Position& pos, std::uint32_t move) {
    const Move m = move16(move);
    const Color us = pos.side_to_move;
    const bool drop = is_drop(m);
    const Square to = move_to(m), from = move_from(m);
    MoveSortKey key{};
    key.fields[0] = drop;
    key.fields[1] = !drop && to < 81 && pos.board[to] != NO_PIECE && color_of(pos.board[to]) != us;
    key.fields[2] = is_promotion(m);
    const unsigned t = drop ? from : (from < 81 ? type_of(pos.board[from]) : 0);
    key.fields[3] = t >= 1 && t <= 14 ? SORT_PIECE_ORDER[t - 1] : 14;
    auto seen = [us](Square s) { return static_cast<Square>(us == WHITE ? 80 - s : s); };
    if (to < 81) {
        key.fields[4] = rank_of(seen(to));
        key.fields[5] = SORT_FILE_ORDER[file_of(seen(to))];
    } else {
        key.fields[4] = key.fields[5] = 9;
    }
    if (drop || from > 80) {
        key.fields[6] = key.fields[7] = 9;
    } else {
        key.fields[6] = rank_of(seen(from));
        key.fields[7] = SORT_FILE_ORDER[file_of(seen(from))];
    }
    key.move = m;
    return key;
}

namespace {

void sort_canonical(const Position& pos, std::vector<Move32>& moves) {
    std::vector<std::pair<MoveSortKey, Move32>> keyed;
    keyed.reserve(moves.size());
    for (Move32 m : moves) keyed.emplace_back(move_sort_key(pos, m), m);
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < moves.size(); ++i) moves[i] = keyed[i].second;
}

}  // namespace

}  // namespace korvan
