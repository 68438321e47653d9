// The mate-in-one search as it stood before the fast path, unchanged in behaviour: a
// full checking-move list, the legality test and an attacker-set verification per move.

#include "mate_in_one_reference.h"

#include "core/board/attack_tables.h"
#include "core/board/lookup.h"
#include "core/board/movegen/movegen.h"
#include "core/board/position/legality.h"
#include "core/mate/mate_table.h"  // NEIGHBOUR_OFFSETS, MATE_TABLE_SIZE, around8_bits
#include "core/util/panic.h"

#include <cstdlib>
#include <vector>

namespace korvan::reference {

namespace {

struct MateMoveDesc {
    enum class Kind : std::uint8_t { Drop = 0, Board = 1, None = 2 };
    Kind kind = Kind::None;
    Square from = SQ_NONE;
    Square to = SQ_NONE;
    PieceType piece_type = NO_PIECE_TYPE;
};

Bitboard mate_attackers_to(const Position& pos, Square sq, Bitboard occ);
Bitboard mate_attackers_after_move(const Position& pos, Square sq, Bitboard occ, Color color, const MateMoveDesc& move);


MateMoveDesc describe(const Position& pos, Move32 move) {
    MateMoveDesc d;
    d.to = move_to(move);
    if (is_drop(move)) {
        d.kind = MateMoveDesc::Kind::Drop;
        d.piece_type = dropped_type(move);
    } else {
        d.kind = MateMoveDesc::Kind::Board;
        d.from = move_from(move);
        const PieceType pt = type_of(pos.board[d.from]);
        d.piece_type = is_promotion(move) && is_promotable(pt) ? promote(pt) : pt;
    }
    return d;
}

int line_class(Square s, Square k) {
    if (file_of(s) == file_of(k)) return 3;
    if (rank_of(s) == rank_of(k)) return 1;
    const int df = file_of(s) - file_of(k), dr = rank_of(s) - rank_of(k);
    return (df > 0) == (dr > 0) ? 0 : 2;
}

// Whether the defender s of the side not to move can go to target (the checker's square
// or a square between checker and king) without uncovering its own king.
bool defender_can_reach(const Position& pos, Square s, Square target, Square k, Bitboard occ,
                        const MateMoveDesc& move, Color us) {
    if (DIRECTION_TABLE[s][k] == 0) return true;
    const Bitboard a = mate_attackers_after_move(pos, k, occ, us, move);
    Bitboard without = occ;
    without.clear(s);
    const Bitboard b = mate_attackers_after_move(pos, k, without, us, move);
    if (b.andnot(a).empty()) return true;
    return LINE_TABLE[k][line_class(s, k)].test(target);
}

// Moves of one piece to targets, with the promotion variants the rules allow; the
// promotion comes first.
void push_piece_moves_to(Piece piece, Square from, Bitboard targets, MoveList& list) {
    const Color us = color_of(piece);
    const PieceType pt = type_of(piece);
    const int from_rr = relative_rank(us, from);
    targets.for_each([&](Square to) {
        const int rr = relative_rank(us, to);
        switch (pt) {
            case PAWN:
            case LANCE:
                if (rr <= 2) list.push(make_move16_promote(from, to));
                if (rr >= 1) list.push(make_move16(from, to));
                break;
            case KNIGHT:
                if (rr <= 2 || from_rr <= 2) list.push(make_move16_promote(from, to));
                if (rr >= 2) list.push(make_move16(from, to));
                break;
            case SILVER:
            case BISHOP:
            case ROOK:
                if (rr <= 2 || from_rr <= 2) list.push(make_move16_promote(from, to));
                list.push(make_move16(from, to));
                break;
            default:
                list.push(make_move16(from, to));
                break;
        }
    });
}

Bitboard mate_attackers_to(const Position& pos, Square sq, Bitboard occ) {
    if (sq == SQ_NONE) return {};
    return position_attackers_to(pos, BLACK, sq, occ) | position_attackers_to(pos, WHITE, sq, occ);
}

Bitboard mate_attackers_after_move(const Position& pos, Square sq, Bitboard occ, Color color,
                                   const MateMoveDesc& move) {
    Bitboard attackers = mate_attackers_to(pos, sq, occ) & pos.by_color[color];
    if (color != pos.side_to_move || move.kind == MateMoveDesc::Kind::None) return attackers;
    if (move.kind == MateMoveDesc::Kind::Board) attackers.clear(move.from);
    if (piece_type_attacks(move.piece_type, move.to, color, occ).test(sq)) attackers.set(move.to);
    return attackers;
}

bool mate_drop_can_block(const Position& pos, Square sq, Color color, Hand hand, const MateMoveDesc& move) {
    const int rr = color == BLACK ? rank_of(sq) : 8 - rank_of(sq);
    auto pawn_can_block = [&] {
        if ((hand & 31) == 0) return false;
        Bitboard pawns = pos.pieces(color, PAWN);
        if (move.kind == MateMoveDesc::Kind::Board && pos.board[move.to] == make_piece(color, PAWN))
            pawns.clear(move.to);
        if (pawns & FILE_MASKS[file_of(sq)]) return false;
        return rr != 0;
    };
    if ((hand & 0x73377700) == 0) return pawn_can_block();
    // Other pieces are held too; a pawn still blocks where only a knight could not.
    if (rr == 0) return (hand & 0x73370000) != 0;
    if (rr == 1) return (hand & 0x73370700) != 0 || pawn_can_block();
    return true;
}

bool verify_move(const Position& pos, Move32 move) {
    const Color us = pos.side_to_move, them = ~us;
    const Bitboard their_king = pos.pieces(them, KING);
    if (their_king.empty()) panic("opponent must have a king");
    const Square k = their_king.lsb();
    const MateMoveDesc d = describe(pos, move);

    Bitboard occ = pos.occupied;
    if (d.kind == MateMoveDesc::Kind::Board) occ.clear(d.from);
    occ.set(d.to);
    const Bitboard theirs = pos.by_color[them].andnot(square_bb(d.to));

    Bitboard checkers = mate_attackers_to(pos, k, occ) & pos.by_color[us];
    if (d.kind == MateMoveDesc::Kind::Board) checkers.clear(d.from);
    if (piece_type_attacks(d.piece_type, d.to, us, occ).test(k)) checkers.set(d.to);
    if (checkers.empty()) return false;

    Bitboard without_king = occ;
    without_king.clear(k);
    bool escape = false;
    KING_ATTACKS[k].andnot(theirs).for_each([&](Square e) {
        if (!escape && mate_attackers_after_move(pos, e, without_king, us, d).empty()) escape = true;
    });
    if (escape) return false;
    if (checkers.more_than_one()) return true;

    const Square c = checkers.lsb();
    bool saved = false;
    auto try_defenders = [&](Square target) {
        const Bitboard defenders = (mate_attackers_to(pos, target, occ) & theirs).andnot(square_bb(k));
        defenders.for_each([&](Square s) {
            if (!saved && defender_can_reach(pos, s, target, k, occ, d, us)) saved = true;
        });
    };
    try_defenders(c);
    if (saved) return false;

    const Bitboard between = between_bb(c, k);
    if (between.empty()) return true;
    const Hand hand = pos.hands[them];
    between.for_each([&](Square b) {
        if (saved) return;
        if (hand != 0 && mate_drop_can_block(pos, b, them, hand, d)) {
            saved = true;
            return;
        }
        try_defenders(b);
    });
    return !saved;
}

void mate_in_one_search_board_moves(const Position& pos, MoveList& list, Color us, Color them) {
    const Bitboard king = pos.pieces(them, KING);
    if (king.empty()) return;
    const auto& check_squares = position_check_squares(pos);
    const Bitboard ours = pos.by_color[us];

    // Pieces that uncover a slider of ours: every move may check.
    const Bitboard discoverers = position_blockers(pos, them) & ours;
    discoverers.for_each([&](Square from) {
        const Piece p = pos.board[from];
        const Bitboard targets = piece_type_attacks(type_of(p), from, us, pos.occupied).andnot(ours);
        push_piece_moves_to(p, from, targets, list);
    });

    // Direct checks: the squares from which the piece, promoted or not, attacks the king.
    (ours.andnot(discoverers).andnot(pos.by_type[KING])).for_each([&](Square from) {
        const Piece p = pos.board[from];
        const PieceType pt = type_of(p);
        Bitboard checking;
        if (CHECK_SLOT[pt] >= 0) checking = check_squares[CHECK_SLOT[pt]];
        if (is_promotable(pt)) checking |= check_squares[CHECK_SLOT[promote(pt)]];
        const Bitboard targets = piece_type_attacks(pt, from, us, pos.occupied).andnot(ours) & checking;
        if (targets) push_piece_moves_to(p, from, targets, list);
    });

    const Hand hand = pos.hands[us];
    if (hand == 0) return;
    const Bitboard empty = ~pos.occupied;
    for (PieceType pt : {PAWN, LANCE, KNIGHT, SILVER, GOLD, BISHOP, ROOK}) {
        if (!hand_has(hand, pt)) continue;
        (check_squares[CHECK_SLOT[pt]] & empty).for_each([&](Square to) {
            if (pt == PAWN) {
                if (pos.pieces(us, PAWN) & FILE_MASKS[file_of(to)]) return;
                if (!position_pawn_drop_not_mate(pos, to)) return;
            }
            list.push(make_drop16(pt, to));
        });
    }
}

// The drop-mate pruning table, built entry by entry from the piece patterns.
enum class Kind { Lance, Silver, Gold, Bishop, Rook, Line };

bool fits(Kind kind, int dx, int dy, int forward) {
    const int adx = std::abs(dx), ady = std::abs(dy);
    const bool is_forward = dy * forward > 0;
    const bool is_backward = dy * forward < 0;
    switch (kind) {
        case Kind::Lance: return dx == 0 && is_forward;
        case Kind::Silver:
            return adx <= 1 && ady <= 1 && !(dx == 0 && is_backward) && !(dy == 0 && adx == 1);
        case Kind::Gold: return adx <= 1 && ady <= 1 && (!is_backward || dx == 0);
        case Kind::Bishop: return adx == ady;
        case Kind::Rook: return dx == 0 || dy == 0;
        case Kind::Line: return dx == 0 || dy == 0 || adx == ady;
    }
    return false;
}

constexpr int hand_bit(Kind kind) {
    switch (kind) {
        case Kind::Lance: return 1;
        case Kind::Silver: return 3;
        case Kind::Bishop: return 4;
        case Kind::Rook: return 5;
        case Kind::Gold: return 6;
        default: return -1;
    }
}

std::vector<std::uint8_t> build_mate_table() {
    std::vector<std::uint8_t> table(MATE_TABLE_SIZE);
    static constexpr Kind CANDIDATE_KINDS[] = {Kind::Lance, Kind::Silver, Kind::Gold,
                                               Kind::Bishop, Kind::Rook, Kind::Line};
    static constexpr Kind LINE_ONLY[] = {Kind::Line};
    for (unsigned v = 0; v < 65536; ++v) {
        const unsigned cand = v & 255, escape = v >> 8;
        for (int color = 0; color < 2; ++color) {
            const int forward = color == 0 ? -1 : 1;
            std::uint8_t drops = 0, lines = 0;
            for (int i = 0; i < 8; ++i) {
                const bool candidate = (cand >> i) & 1;
                const Kind* kinds = candidate ? CANDIDATE_KINDS : LINE_ONLY;
                const int n = candidate ? 6 : 1;
                for (int k = 0; k < n; ++k) {
                    unsigned covered = 0;
                    for (int j = 0; j < 8; ++j) {
                        const int dx = NEIGHBOUR_OFFSETS[j][0] - NEIGHBOUR_OFFSETS[i][0];
                        const int dy = NEIGHBOUR_OFFSETS[j][1] - NEIGHBOUR_OFFSETS[i][1];
                        if (fits(kinds[k], dx, dy, forward)) covered |= 1u << j;
                    }
                    if ((escape & ~covered) != 0) continue;
                    if (kinds[k] == Kind::Line)
                        lines |= static_cast<std::uint8_t>(1u << i);
                    else
                        drops |= static_cast<std::uint8_t>(1u << hand_bit(kinds[k]));
                }
            }
            if (escape == 0) drops |= 1u << 2;
            table[v * 4 + color * 2] = drops;
            table[v * 4 + color * 2 + 1] = lines;
        }
    }
    return table;
}

const std::vector<std::uint8_t>& reference_table() {
    static const std::vector<std::uint8_t> table = build_mate_table();
    return table;
}

}  // namespace

std::vector<std::uint8_t> mate_table() { return reference_table(); }

std::optional<Move32> solve_mate_in_one(const Position& pos) {
    const Color us = pos.side_to_move, them = ~us;
    const Bitboard their_king = pos.pieces(them, KING);
    if (their_king.empty()) return std::nullopt;
    const Square k = their_king.lsb();

    const std::uint8_t enemy_around = around8_bits(pos.by_color[them], k);
    const std::uint8_t own_around = around8_bits(pos.by_color[us], k);
    std::uint8_t attacked = 0, on_board = 0;
    Square neighbours[8];
    for (int i = 0; i < 8; ++i) {
        const int f = file_of(k) + NEIGHBOUR_OFFSETS[i][0], r = rank_of(k) + NEIGHBOUR_OFFSETS[i][1];
        neighbours[i] = SQ_NONE;
        if (f < 0 || f > 8 || r < 0 || r > 8) continue;
        neighbours[i] = make_square(f, r);
        on_board |= static_cast<std::uint8_t>(1u << i);
        if (mate_attackers_to(pos, neighbours[i], pos.occupied) & pos.by_color[us])
            attacked |= static_cast<std::uint8_t>(1u << i);
    }
    const std::uint8_t cand = on_board & ~own_around;
    const std::uint8_t escape = on_board & ~(attacked | enemy_around);

    const std::vector<std::uint8_t>& table = reference_table();
    const std::uint8_t drops = table[escape * 1024 + cand * 4 + us * 2];
    if (drops) {
        const Hand hand = pos.hands[us];
        for (PieceType pt : {GOLD, SILVER, ROOK, LANCE, BISHOP, KNIGHT}) {
            if (!((drops >> (pt - 1)) & 1) || !hand_has(hand, pt)) continue;
            for (int i = 0; i < 8; ++i) {
                const Square n = neighbours[i];
                if (n == SQ_NONE || pos.occupied.test(n)) continue;
                Bitboard occ = pos.occupied;
                occ.set(n);
                if (!piece_type_attacks(pt, n, us, occ).test(k)) continue;
                const Move32 m = static_cast<Move32>(make_piece(us, pt)) << 16 | make_drop16(pt, n);
                // When the side to move is itself in check, only a legal drop counts.
                if (!position_is_legal(pos, m)) continue;
                if (verify_move(pos, m)) return m;
            }
        }
    }

    MoveList list;
    mate_in_one_search_board_moves(pos, list, us, them);
    for (Move m16 : list) {
        const Move32 m = position_move_to_move32(pos, m16);
        if (is_special_move(m) || move_to(m) > 80) continue;
        if (is_drop(m) ? (dropped_type(m) < PAWN || dropped_type(m) > GOLD) : move_from(m) > 80) continue;
        // Pseudo-legality, the promotion zone, the pin and king safety.
        if (!position_is_legal(pos, m)) continue;
        if (verify_move(pos, m)) return m;
    }
    return std::nullopt;
}

bool verify_mate_move(const Position& pos, Move32 move) { return verify_move(pos, move); }

void checking_moves(const Position& pos, MoveList& list) {
    mate_in_one_search_board_moves(pos, list, pos.side_to_move, ~pos.side_to_move);
}

}  // namespace korvan::reference
