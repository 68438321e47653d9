#include "core/board/position/updates.h"

#include "core/board/attack_tables.h"
#include "core/board/lookup.h"
#include "core/board/position/legality.h"
#include "core/board/reach.h"
#include "core/board/zobrist.h"
#include "core/util/panic.h"

namespace korvan {

namespace {

struct NoRecord {
    void drop(const Position&, PieceType, Square) {}
    void board_move(const Position&, Square, Square, Piece, Piece) {}
};

struct DeltaRecord {
    MoveDelta delta;
    void drop(const Position& pos, PieceType pt, Square to) {
        delta.kind = MoveDelta::Kind::Drop;
        delta.hand_count_before = hand_count(pos.hands[pos.side_to_move], pt);
        delta.piece_type = pt;
        delta.to = to;
        delta.color = pos.side_to_move;
    }
    void board_move(const Position& pos, Square from, Square to, Piece before, Piece after) {
        const Piece captured = pos.board[to];
        delta.kind = captured ? MoveDelta::Kind::Capture : MoveDelta::Kind::Board;
        if (captured) {
            delta.captured = captured;
            delta.hand_count_before = hand_count(pos.hands[pos.side_to_move], demote(type_of(captured)));
        }
        delta.color = pos.side_to_move;
        delta.from = from;
        delta.to = to;
        delta.moved_piece_before = before;
        delta.moved_piece_after = after;
    }
};

// One load per square instead of a branch on the word that holds it.
constexpr std::array<Bitboard, 81> SQUARE_SETS = [] {
    std::array<Bitboard, 81> t{};
    for (Square s = 0; s < 81; ++s) t[s] = Bitboard::square(s);
    return t;
}();

inline void put_piece(Position& pos, Piece p, Square s) {
    const Bitboard b = SQUARE_SETS[s];
    pos.board[s] = p;
    pos.by_type[type_of(p)] |= b;
    pos.by_color[color_of(p)] |= b;
    pos.occupied |= b;
}

inline void remove_piece(Position& pos, Piece p, Square s) {
    const Bitboard b = SQUARE_SETS[s];
    pos.board[s] = NO_PIECE;
    pos.by_type[type_of(p)] = pos.by_type[type_of(p)].andnot(b);
    pos.by_color[color_of(p)] = pos.by_color[color_of(p)].andnot(b);
    pos.occupied = pos.occupied.andnot(b);
}

// The checkers of `them`'s king after `us` moved a piece to `to` (from `from`, SQ_NONE
// for a drop), the king not in check before: the moved piece itself, and a slider of
// ours uncovered on the line from the king through `from`.
template <Color Us>
Bitboard checkers_after_move(const Position& pos, Square from, Square to) {
    constexpr Color Them = ~Us;
    const Square k = pos.king_square[Them];
    if (k == SQ_NONE) return {};
    Bitboard checkers;
    // A king never gives check.
    const Piece moved = pos.board[to];
    if (type_of(moved) != KING && piece_reaches(moved, to, k, pos.occupied)) checkers.set(to);
    if (from == SQ_NONE) return checkers;
    const std::uint8_t d = DIRECTION_TABLE[from][k];
    if (d == 0 || d == DIRECTION_TABLE[to][k]) return checkers;
    const Bitboard snipers = ((pos.rook_dragon & ROOK_PSEUDO_ATTACKS[k]) |
                              (pos.bishop_horse & BISHOP_PSEUDO_ATTACKS[k]) |
                              (pos.by_type[LANCE] & LANCE_RAYS[k][Them])) &
                             pos.by_color[Us];
    snipers.for_each([&](Square s) {
        if (DIRECTION_TABLE[s][k] == d && (between_bb(s, k) & pos.occupied).empty()) checkers.set(s);
    });
    return checkers;
}

// Whether the move to be made gives check: given by the caller, or known from the
// checkers once it is made.
enum class CheckFlag : std::uint8_t { FromCheckers, False, True };

// Whether a set-up left the side not to move in check. Asked of the set-up's record
// when a move is first made from it and kept there, so that moves made and taken back
// at the root pay for the test once.
bool setup_left_check(const Position& pos, const StateInfo& root) {
    if (!(root.derived & DERIVED_SETUP_CHECK)) {
        root.cache.setup_check = !position_compute_checkers(pos, ~pos.side_to_move).empty();
        root.derived |= DERIVED_SETUP_CHECK;
    }
    return root.cache.setup_check;
}

template <Color Us, class Recorder>
void do_move_impl(Position& pos, Move32 move, CheckFlag flag, Recorder& rec) {
    constexpr Color Them = ~Us;
    const Square to = move_to(move);
    const StateInfo& prev = pos.st();
    // A set-up may leave the side not to move in check, which no move gives: the first
    // move after such a set-up finds its checkers in full and asks the test before
    // moving. Any other move's checkers follow from the move alone.
    const bool after_setup = prev.plies_since_setup == 0 && setup_left_check(pos, prev);
    if (after_setup && flag == CheckFlag::FromCheckers)
        flag = position_gives_check(pos, move) ? CheckFlag::True : CheckFlag::False;
    std::array<std::uint16_t, 2> continuous = prev.continuous_check;
    const std::uint16_t plies = static_cast<std::uint16_t>(prev.plies_since_setup + 1);
    std::uint64_t board_key = pos.board_key ^ ZOBRIST_SIDE;
    std::uint64_t hand_key = pos.hand_key;

    Piece captured = NO_PIECE;
    Square from = SQ_NONE;
    if (is_drop(move)) {
        const PieceType pt = dropped_type(move);
        const Piece p = make_piece(Us, pt);
        rec.drop(pos, pt, to);
        put_piece(pos, p, to);
        pos.hands[Us] = hand_sub(pos.hands[Us], pt);
        board_key ^= ZOBRIST[p][to];
        hand_key -= ZOBRIST_HAND[Us][hand_piece_of(pt)];
    } else {
        from = move_from(move);
        const Piece b = pos.board[from];
        const Piece a = is_promotion(move) && is_promotable(type_of(b)) ? Piece(b + 8) : b;
        rec.board_move(pos, from, to, b, a);
        captured = pos.board[to];
        if (captured) {
            remove_piece(pos, captured, to);
            const PieceType h = demote(type_of(captured));
            if (h >= PAWN && h <= GOLD) {
                pos.hands[Us] = hand_add(pos.hands[Us], h);
                hand_key += ZOBRIST_HAND[Us][hand_piece_of(h)];
            }
            board_key ^= ZOBRIST[captured][to];
        }
        remove_piece(pos, b, from);
        put_piece(pos, a, to);
        // Only the king on king_square is followed: another king a set-up gave the side
        // moves as a plain piece, and the checks stay on the same king.
        if (from == pos.king_square[Us]) pos.king_square[Us] = to;
        if (b) board_key ^= ZOBRIST[b][from] ^ ZOBRIST[a][to];
    }
    position_update_unions(pos);

    pos.side_to_move = Them;
    pos.ply = static_cast<std::uint16_t>(pos.ply + 1);
    pos.board_key = board_key;
    pos.hand_key = hand_key;
    pos.key = board_key ^ hand_key;

    const Bitboard checkers = after_setup ? position_compute_checkers(pos, Them) : checkers_after_move<Us>(pos, from, to);
    const bool gives_check = flag == CheckFlag::FromCheckers ? !checkers.empty() : flag == CheckFlag::True;
    continuous[Us] = gives_check ? static_cast<std::uint16_t>(continuous[Us] + 2) : 0;

    StateInfo& st = pos.states.push();
    st.board_key = board_key;
    st.hand_key = hand_key;
    st.checkers = checkers;
    st.last_move = move;
    st.hand = pos.hands[Them];
    st.continuous_check = continuous;
    st.plies_since_setup = plies;
    st.captured_piece = captured;
    st.derived = 0;
}

template <class Recorder>
void do_move_dispatch(Position& pos, Move32 move, CheckFlag flag, Recorder& rec) {
    check_index("board/position/types", move_to(move), 81);
    if (!is_drop(move)) check_index("board/position/types", move_from(move), 81);
    if (pos.side_to_move == BLACK)
        do_move_impl<BLACK>(pos, move, flag, rec);
    else
        do_move_impl<WHITE>(pos, move, flag, rec);
}

}  // namespace

void position_do_move(Position& pos, Move32 move) {
    NoRecord rec;
    do_move_dispatch(pos, move, CheckFlag::FromCheckers, rec);
}

MoveDelta position_do_move_with_delta(Position& pos, Move32 move, bool gives_check) {
    DeltaRecord rec;
    do_move_dispatch(pos, move, gives_check ? CheckFlag::True : CheckFlag::False, rec);
    return rec.delta;
}

Expected<Ok, StateStackError> position_undo_move(Position& pos, std::uint32_t move) {
    if (pos.states.top() == 0) return unexpected(StateStackError::StackUnderflow);
    const Piece captured = pos.st().captured_piece;
    pos.states.pop();
    const StateInfo& st = pos.st();
    pos.board_key = st.board_key;
    pos.hand_key = st.hand_key;
    pos.key = st.board_key ^ st.hand_key;
    const Color us = ~pos.side_to_move;
    pos.side_to_move = us;
    pos.ply = static_cast<std::uint16_t>(pos.ply - 1);

    const Square to = move_to(move);
    check_index("board/position/types", to, 81);
    if (is_drop(move)) {
        const PieceType pt = dropped_type(move);
        if (pt < PAWN || pt > GOLD) panic("dropped piece must map to hand");
        remove_piece(pos, pos.board[to], to);
        pos.hands[us] = hand_add(pos.hands[us], pt);
    } else {
        const Square from = move_from(move);
        check_index("board/position/types", from, 81);
        const Piece a = pos.board[to];
        const Piece b = is_promotion(move) ? Piece(make_piece(color_of(a), demote(type_of(a)))) : a;
        remove_piece(pos, a, to);
        put_piece(pos, b, from);
        if (to == pos.king_square[us]) pos.king_square[us] = from;
        if (captured) {
            put_piece(pos, captured, to);
            const PieceType h = demote(type_of(captured));
            if (h < PAWN || h > GOLD) panic("captured piece must map to hand");
            pos.hands[us] = hand_sub(pos.hands[us], h);
        }
    }
    position_update_unions(pos);
    return Ok{};
}

}  // namespace korvan
