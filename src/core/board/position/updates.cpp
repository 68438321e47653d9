#include "core/board/position/updates.h"

#include "core/board/attack_tables.h"
#include "core/board/lookup.h"
#include "core/board/position/legality.h"
#include "core/board/zobrist.h"
#include "core/util/panic.h"

namespace korvan {

namespace {

constexpr bool is_minor(PieceType pt) {
    return pt == LANCE || pt == KNIGHT || pt == SILVER || pt == GOLD || (pt >= PRO_PAWN && pt <= PRO_SILVER);
}

// The running key and material figures of one record, updated piece by piece.
struct Keys {
    std::array<std::uint64_t, 2> nonpawn;
    std::uint64_t pawn, minor, board_piece, board, hand;
    std::int32_t material;

    // A piece appears on (sign +1) or leaves (-1) a square; the board key is not touched.
    void piece(Piece p, Square s, int sign) {
        const std::uint64_t z = ZOBRIST[p][s];
        if (type_of(p) == PAWN)
            pawn ^= z;
        else
            nonpawn[color_of(p)] ^= z;
        if (is_minor(type_of(p))) minor ^= z;
        if (sign > 0) {
            board_piece += ZOBRIST[p][8];
            material += signed_value(p);
        } else {
            board_piece -= ZOBRIST[p][8];
            material -= signed_value(p);
        }
    }
};

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

inline void put_piece(Position& pos, Piece p, Square s) {
    pos.board[s] = p;
    pos.by_type[type_of(p)].set(s);
    pos.by_color[color_of(p)].set(s);
    pos.occupied.set(s);
}

inline void remove_piece(Position& pos, Piece p, Square s) {
    pos.board[s] = NO_PIECE;
    pos.by_type[type_of(p)].clear(s);
    pos.by_color[color_of(p)].clear(s);
    pos.occupied.clear(s);
}

constexpr int sign(int x) { return (x > 0) - (x < 0); }

void search_repetition(Position& pos, StateInfo& st, Color us) {
    const Color them = ~us;
    const std::uint64_t top = pos.states.top();
    const Hand h = pos.hands[them];
    st.repetition_count = 0;
    st.repetition_state = RepetitionState::None;
    st.repetition_distance = 0;
    for (int d = 4; d <= 16; d += 2) {
        if (d > st.plies_since_setup || static_cast<std::uint64_t>(d) > top) return;
        if (d >= 6 && pos.states.at(top - (d - 2)).plies_since_setup == 0) return;
        const StateInfo& r = pos.states.at(top - d);
        if (r.board_key != st.board_key) continue;
        if (r.hand == h) {
            st.repetition_count = r.repetition_count + 1;
            RepetitionState state = d <= st.continuous_check[them] ? RepetitionState::Lose
                                    : d <= st.continuous_check[us] ? RepetitionState::Win
                                                                   : RepetitionState::Draw;
            if (r.repetition_count > 0 && state != r.repetition_state) state = RepetitionState::Draw;
            st.repetition_state = state;
            st.repetition_distance = st.repetition_count >= 3 ? -d : d;
            return;
        }
        if (hand_dominates(h, r.hand)) {
            st.repetition_state = RepetitionState::Superior;
            st.repetition_distance = d;
            return;
        }
        if (hand_dominates(r.hand, h)) {
            st.repetition_state = RepetitionState::Inferior;
            st.repetition_distance = d;
            return;
        }
    }
}

template <Color Us, class Recorder>
void do_move_impl(Position& pos, Move32 move, bool gives_check, Recorder& rec) {
    constexpr Color Them = ~Us;
    const Square to = move_to(move);
    const Square k = pos.king_square[Them];
    const StateInfo& prev = pos.st();

    Keys keys{prev.nonpawn_key, prev.pawn_key,  prev.minor_key, prev.board_piece_key,
              pos.board_key,    pos.hand_key,   prev.material};
    const std::int8_t slot = CHECK_SLOT[type_of(moved_piece_after(move))];
    const bool direct = slot >= 0 && prev.check_squares[slot].test(to);
    const Bitboard prev_blockers = prev.blockers_for_king[Them];
    std::array<std::uint16_t, 2> continuous = prev.continuous_check;
    const std::uint16_t plies = static_cast<std::uint16_t>(prev.plies_since_setup + 1);

    Piece captured = NO_PIECE;
    Square from = SQ_NONE;
    if (is_drop(move)) {
        const PieceType pt = dropped_type(move);
        const Piece p = make_piece(Us, pt);
        rec.drop(pos, pt, to);
        put_piece(pos, p, to);
        pos.hands[Us] = hand_sub(pos.hands[Us], pt);
        keys.board ^= ZOBRIST[p][to];
        keys.hand -= ZOBRIST_HAND[Us][hand_piece_of(pt)];
        // A drop moves value from the hand to the board: material is unchanged.
        const std::int32_t material = keys.material;
        keys.piece(p, to, +1);
        keys.material = material;
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
                keys.hand += ZOBRIST_HAND[Us][hand_piece_of(h)];
                keys.material += Us == BLACK ? PIECE_VALUE[h] : -PIECE_VALUE[h];
            }
            keys.board ^= ZOBRIST[captured][to];
            keys.piece(captured, to, -1);
        }
        remove_piece(pos, b, from);
        put_piece(pos, a, to);
        // Only the king on king_square is followed: another king a set-up gave the side
        // moves as a plain piece, and the checks stay on the same king.
        if (from == pos.king_square[Us]) pos.king_square[Us] = to;
        if (b) {
            keys.piece(b, from, -1);
            keys.board ^= ZOBRIST[b][from] ^ ZOBRIST[a][to];
            keys.piece(a, to, +1);
        }
    }
    position_update_unions(pos);

    pos.side_to_move = Them;
    pos.ply = static_cast<std::uint16_t>(pos.ply + 1);
    keys.board ^= ZOBRIST_SIDE;
    pos.board_key = keys.board;
    pos.hand_key = keys.hand;
    pos.key = keys.board ^ keys.hand;

    continuous[Us] = gives_check ? static_cast<std::uint16_t>(continuous[Us] + 2) : 0;

    StateInfo& st = pos.states.push();
    st.nonpawn_key = keys.nonpawn;
    st.board_key = keys.board;
    st.hand_key = keys.hand;
    st.pawn_key = keys.pawn;
    st.minor_key = keys.minor;
    st.board_piece_key = keys.board_piece;
    st.material = keys.material;
    st.continuous_check = continuous;
    st.hand = pos.hands[Them];
    st.plies_since_setup = plies;
    st.last_move = move;
    st.captured_piece = captured;

    search_repetition(pos, st, Us);

    position_update_blockers(pos, st, BLACK);
    position_update_blockers(pos, st, WHITE);

    Bitboard checkers;
    if (gives_check) {
        if (direct) checkers.set(to);
        if (from != SQ_NONE && prev_blockers.test(from)) {
            const std::uint8_t d = DIRECTION_TABLE[from][k];
            if (d != 0 && d != DIRECTION_TABLE[to][k])
                checkers |= ray_until_blocker(k, sign(file_of(from) - file_of(k)), sign(rank_of(from) - rank_of(k)),
                                              pos.occupied) &
                            pos.by_color[Us];
        }
    }
    // Only a set-up position can leave the side not to move in check (a move never
    // does), and no move gives that check: the first move after a set-up finds it.
    if (prev.plies_since_setup == 0) checkers = position_compute_checkers(pos, Them);
    st.checkers = checkers;
    position_compute_check_squares(pos, st);
}

template <class Recorder>
void do_move_dispatch(Position& pos, Move32 move, bool gives_check, Recorder& rec) {
    check_index("board/position/types", move_to(move), 81);
    if (!is_drop(move)) check_index("board/position/types", move_from(move), 81);
    if (pos.side_to_move == BLACK)
        do_move_impl<BLACK>(pos, move, gives_check, rec);
    else
        do_move_impl<WHITE>(pos, move, gives_check, rec);
}

}  // namespace

void position_do_move(Position& pos, Move32 move) {
    NoRecord rec;
    do_move_dispatch(pos, move, position_gives_check(pos, move), rec);
}

MoveDelta position_do_move_with_delta(Position& pos, Move32 move, bool gives_check) {
    DeltaRecord rec;
    do_move_dispatch(pos, move, gives_check, rec);
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
