// Read-only Board queries: move lists, pieces and squares, attacks, and the state of
// the current record.

#include "board/board.h"
#include "core/board/attack_tables.h"
#include "core/board/movegen/movegen.h"
#include "core/board/position/legality.h"
#include "core/board/position/repetition.h"
#include "core/types/apery.h"
#include "support/convert.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

// ---- move lists ----

template <class C, bool Full>
PyObject* move_list(const Position& pos, bool legal) {
    MoveList list;
    if (legal)
        generate_legal(pos, list);
    else
        generate_pseudo_legal(pos, list);
    Ref out(PyList_New(static_cast<Py_ssize_t>(list.size())));
    if (!out) return nullptr;
    for (std::size_t i = 0; i < list.size(); ++i) {
        PyObject* item = Full ? wrap<C>(position_move_to_move32(pos, list[i])) : wrap<C>(list[i]);
        if (!item) return nullptr;
        PyList_SET_ITEM(out.get(), static_cast<Py_ssize_t>(i), item);
    }
    return out.release();
}

PyObject* legal_moves(const Position& pos) { return move_list<MoveClass, false>(pos, true); }
PyObject* legal_moves_full(const Position& pos) { return move_list<Move32Class, true>(pos, true); }
PyObject* pseudo_legal_moves(const Position& pos) { return move_list<MoveClass, false>(pos, false); }
PyObject* pseudo_legal_moves_full(const Position& pos) { return move_list<Move32Class, true>(pos, false); }

// ---- arguments ----

bool square_arg(PyObject* obj, const char* name, Square& out) { return extract_arg<SquareClass>(obj, name, out); }
bool color_arg(PyObject* obj, const char* name, Color& out) {
    std::uint8_t c = 0;
    if (!extract_arg<ColorClass>(obj, name, c)) return false;
    out = Color(c & 1);
    return true;
}
bool piece_type_arg(PyObject* obj, const char* name, PieceType& out) {
    std::uint8_t t = 0;
    if (!extract_arg<PieceTypeClass>(obj, name, t)) return false;
    out = PieceType(t & 15);
    return true;
}

// A square value above 81 names no square: an internal stop, never a read past the board.
void check_square(Square s) { check_index("board/position/types", s, 82); }

PyObject* bitboard(Bitboard b) { return wrap<BitboardClass>(b); }

// ---- pieces and squares ----

PyObject* piece_on(const Position& pos, PyObject* const* args) {
    Square s = 0;
    if (!square_arg(args[0], "square", s)) return nullptr;
    check_square(s);
    return wrap<PieceClass>(s == SQ_NONE ? NO_PIECE : pos.board[s]);
}

PyObject* is_square_empty(const Position& pos, PyObject* const* args) {
    Square s = 0;
    if (!square_arg(args[0], "square", s)) return nullptr;
    check_square(s);
    return PyBool_FromLong(s == SQ_NONE || pos.board[s] == NO_PIECE);
}

PyObject* pieces(const Position& pos) { return bitboard(pos.occupied); }
PyObject* empties(const Position& pos) { return bitboard(~pos.occupied); }
PyObject* golds(const Position& pos) { return bitboard(pos.golds); }
PyObject* bishop_horse(const Position& pos) { return bitboard(pos.bishop_horse); }
PyObject* rook_dragon(const Position& pos) { return bitboard(pos.rook_dragon); }

PyObject* pieces_by_type(const Position& pos, PyObject* const* args) {
    PieceType pt{};
    if (!piece_type_arg(args[0], "piece_type", pt)) return nullptr;
    return bitboard(pos.by_type[pt]);
}

PyObject* pieces_by_color(const Position& pos, PyObject* const* args) {
    Color c{};
    if (!color_arg(args[0], "color", c)) return nullptr;
    return bitboard(pos.by_color[c]);
}

PyObject* pieces_for(const Position& pos, PyObject* const* args) {
    PieceType pt{};
    Color c{};
    if (!piece_type_arg(args[0], "piece_type", pt) || !color_arg(args[1], "color", c)) return nullptr;
    return bitboard(pos.by_type[pt] & pos.by_color[c]);
}

PyObject* hand(const Position& pos, PyObject* const* args) {
    Color c{};
    if (!color_arg(args[0], "color", c)) return nullptr;
    return wrap<HandClass>(pos.hands[c]);
}

PyObject* hand_counts(const Position& pos, PyObject* const* args) {
    Color c{};
    if (!color_arg(args[0], "color", c)) return nullptr;
    static constexpr const char* KEYS[] = {"P", "L", "N", "S", "B", "R", "G"};  // hand-piece order
    Ref dict(PyDict_New());
    if (!dict) return nullptr;
    for (HandPiece hp = 0; hp < 7; ++hp) {
        Ref count(PyLong_FromUnsignedLong(hand_count(pos.hands[c], hp)));
        if (!count || PyDict_SetItemString(dict.get(), KEYS[hp], count.get()) < 0) return nullptr;
    }
    return dict.release();
}

PyObject* king_square(const Position& pos, PyObject* const* args) {
    Color c{};
    if (!color_arg(args[0], "color", c)) return nullptr;
    return wrap<SquareClass>(pos.king_square[c]);
}

PyObject* iter_pieces(const Position& pos) {
    Ref out(PyList_New(pos.occupied.count()));
    if (!out) return nullptr;
    Py_ssize_t i = 0;
    for (Square s = 0; s < 81; ++s) {
        if (pos.board[s] == NO_PIECE) continue;
        Ref square(wrap<SquareClass>(s));
        Ref piece(wrap<PieceClass>(pos.board[s]));
        if (!square || !piece) return nullptr;
        PyObject* pair = PyTuple_Pack(2, square.get(), piece.get());
        if (!pair) return nullptr;
        PyList_SET_ITEM(out.get(), i++, pair);
    }
    return out.release();
}

// ---- attacks ----

Bitboard attackers(const Position& pos, Color c, Square s, Bitboard occ) {
    return position_attackers_to(pos, c, s, occ);
}

PyObject* attackers_to(const Position& pos, PyObject* const* args) {
    Square s = 0;
    Bitboard occ;
    if (!square_arg(args[0], "square", s) || !extract_arg<BitboardClass>(args[1], "occupied", occ)) return nullptr;
    if (s == SQ_NONE) return bitboard({});
    check_square(s);
    return bitboard(attackers(pos, BLACK, s, occ) | attackers(pos, WHITE, s, occ));
}

PyObject* attackers_to_color(const Position& pos, PyObject* const* args) {
    Color c{};
    Square s = 0;
    Bitboard occ;
    if (!color_arg(args[0], "color", c) || !square_arg(args[1], "square", s) ||
        !extract_arg<BitboardClass>(args[2], "occupied", occ))
        return nullptr;
    if (s == SQ_NONE) return bitboard({});
    check_square(s);
    return bitboard(attackers(pos, c, s, occ));
}

PyObject* attackers_to_color_current(const Position& pos, PyObject* const* args) {
    Color c{};
    Square s = 0;
    if (!color_arg(args[0], "color", c) || !square_arg(args[1], "square", s)) return nullptr;
    if (s == SQ_NONE) return bitboard({});
    check_square(s);
    return bitboard(attackers(pos, c, s, pos.occupied));
}

PyObject* is_attacked_by(const Position& pos, PyObject* const* args) {
    Square s = 0;
    Color c{};
    if (!square_arg(args[0], "square", s) || !color_arg(args[1], "by_color", c)) return nullptr;
    if (s == SQ_NONE) Py_RETURN_FALSE;
    check_square(s);
    return PyBool_FromLong(position_is_attacked_by(pos, c, s, pos.occupied));
}

PyObject* attacks_by(const Position& pos, PyObject* const* args) {
    Color c{};
    PieceType pt{};
    if (!color_arg(args[0], "color", c) || !piece_type_arg(args[1], "piece_type", pt)) return nullptr;
    Bitboard out;
    (pos.by_type[pt] & pos.by_color[c]).for_each([&](Square s) { out |= piece_type_attacks(pt, s, c, pos.occupied); });
    return bitboard(out);
}

// ---- state ----

PyObject* is_in_check(const Position& pos) { return PyBool_FromLong(!pos.st().checkers.empty()); }

PyObject* zobrist_hash(const Position& pos) { return PyLong_FromUnsignedLongLong(pos.key); }

PyObject* repetition_state(const Position& pos) {
    const Repetition r = position_repetition(pos);
    RepetitionState t = r.state;
    if (t != RepetitionState::Superior && t != RepetitionState::Inferior && r.count < 3)
        t = RepetitionState::None;
    return wrap<RepetitionStateClass>(static_cast<std::uint8_t>(t));
}

PyObject* is_repetition(const Position& pos, PyObject* const* args) {
    std::uint8_t threshold = 3;
    if (args[0] && !int_arg(args[0], "threshold", threshold)) return nullptr;
    if (threshold == 0) Py_RETURN_TRUE;
    return PyBool_FromLong(position_repetition(pos).count >= threshold);
}

PyObject* last_move(const Position& pos) {
    const Move32 m = pos.st().last_move;
    if (!is_normal_move(m)) Py_RETURN_NONE;
    return wrap<Move32Class>(m);
}

}  // namespace

constexpr Methods BOARD_QUERY_METHODS = method_table<BoardClass,
    Method<"legal_moves()", legal_moves>,
    Method<"legal_moves_full()", legal_moves_full>,
    Method<"pseudo_legal_moves()", pseudo_legal_moves>,
    Method<"pseudo_legal_moves_full()", pseudo_legal_moves_full>,
    Method<"piece_on(square)", piece_on>,
    Method<"is_square_empty(square)", is_square_empty>,
    Method<"pieces()", pieces>,
    Method<"empties()", empties>,
    Method<"pieces_by_type(piece_type)", pieces_by_type>,
    Method<"pieces_by_color(color)", pieces_by_color>,
    Method<"pieces_for(piece_type, color)", pieces_for>,
    Method<"golds()", golds>,
    Method<"bishop_horse()", bishop_horse>,
    Method<"rook_dragon()", rook_dragon>,
    Method<"hand(color)", hand>,
    Method<"hand_counts(color)", hand_counts>,
    Method<"king_square(color)", king_square>,
    Method<"iter_pieces()", iter_pieces>,
    Method<"attackers_to(square, occupied)", attackers_to>,
    Method<"attackers_to_color(color, square, occupied)", attackers_to_color>,
    Method<"attackers_to_color_current(color, square)", attackers_to_color_current>,
    Method<"is_attacked_by(square, by_color)", is_attacked_by>,
    Method<"attacks_by(color, piece_type)", attacks_by>,
    Method<"is_in_check()", is_in_check>,
    Method<"zobrist_hash()", zobrist_hash>,
    Method<"repetition_state()", repetition_state>,
    Method<"is_repetition(threshold=3)", is_repetition>,
    Method<"last_move()", last_move>>;

}  // namespace korvan::py
