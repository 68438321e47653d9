// Read-only Board queries: move lists, pieces and squares, attacks, and the state of
// the current record.

#include "board/board.h"
#include "core/board/attack_tables.h"
#include "core/board/movegen/movegen.h"
#include "core/board/position/legality.h"
#include "core/types/apery.h"
#include "support/convert.h"

namespace korvan::py {

namespace {

constexpr const char* SQUARE_ARG[] = {"square"};
constexpr const char* PIECE_TYPE_ARG[] = {"piece_type"};
constexpr const char* COLOR_ARG[] = {"color"};
constexpr const char* PIECE_TYPE_COLOR[] = {"piece_type", "color"};
constexpr const char* SQUARE_OCCUPIED[] = {"square", "occupied"};
constexpr const char* COLOR_SQUARE_OCCUPIED[] = {"color", "square", "occupied"};
constexpr const char* COLOR_SQUARE[] = {"color", "square"};
constexpr const char* SQUARE_BY_COLOR[] = {"square", "by_color"};
constexpr const char* COLOR_PIECE_TYPE[] = {"color", "piece_type"};
constexpr const char* THRESHOLD[] = {"threshold"};

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
    const StateInfo& st = pos.st();
    RepetitionState t = st.repetition_state;
    if (t != RepetitionState::Superior && t != RepetitionState::Inferior && st.repetition_count < 3)
        t = RepetitionState::None;
    return wrap<RepetitionStateClass>(static_cast<std::uint8_t>(t));
}

PyObject* is_repetition(const Position& pos, PyObject* const* args) {
    std::uint8_t threshold = 3;
    if (args[0] && !extract_int(args[0], threshold)) {
        argument_error("threshold");
        return nullptr;
    }
    if (threshold == 0) Py_RETURN_TRUE;
    return PyBool_FromLong(pos.st().repetition_count >= threshold);
}

PyObject* last_move(const Position& pos) {
    const Move32 m = pos.st().last_move;
    if (!is_normal_move(m)) Py_RETURN_NONE;
    return wrap<Move32Class>(m);
}

constexpr Signature LEGAL_MOVES{"legal_moves"};
constexpr Signature LEGAL_MOVES_FULL{"legal_moves_full"};
constexpr Signature PSEUDO_LEGAL_MOVES{"pseudo_legal_moves"};
constexpr Signature PSEUDO_LEGAL_MOVES_FULL{"pseudo_legal_moves_full"};
constexpr Signature PIECE_ON{"piece_on", SQUARE_ARG};
constexpr Signature IS_SQUARE_EMPTY{"is_square_empty", SQUARE_ARG};
constexpr Signature PIECES{"pieces"};
constexpr Signature EMPTIES{"empties"};
constexpr Signature PIECES_BY_TYPE{"pieces_by_type", PIECE_TYPE_ARG};
constexpr Signature PIECES_BY_COLOR{"pieces_by_color", COLOR_ARG};
constexpr Signature PIECES_FOR{"pieces_for", PIECE_TYPE_COLOR};
constexpr Signature GOLDS{"golds"};
constexpr Signature BISHOP_HORSE{"bishop_horse"};
constexpr Signature ROOK_DRAGON{"rook_dragon"};
constexpr Signature HAND{"hand", COLOR_ARG};
constexpr Signature HAND_COUNTS{"hand_counts", COLOR_ARG};
constexpr Signature KING_SQUARE{"king_square", COLOR_ARG};
constexpr Signature ITER_PIECES{"iter_pieces"};
constexpr Signature ATTACKERS_TO{"attackers_to", SQUARE_OCCUPIED};
constexpr Signature ATTACKERS_TO_COLOR{"attackers_to_color", COLOR_SQUARE_OCCUPIED};
constexpr Signature ATTACKERS_TO_COLOR_CURRENT{"attackers_to_color_current", COLOR_SQUARE};
constexpr Signature IS_ATTACKED_BY{"is_attacked_by", SQUARE_BY_COLOR};
constexpr Signature ATTACKS_BY{"attacks_by", COLOR_PIECE_TYPE};
constexpr Signature IS_IN_CHECK{"is_in_check"};
constexpr Signature ZOBRIST_HASH{"zobrist_hash"};
constexpr Signature REPETITION_STATE{"repetition_state"};
constexpr Signature IS_REPETITION{"is_repetition", THRESHOLD, 0};
constexpr Signature LAST_MOVE{"last_move"};

using B = BoardClass;

const PyMethodDef QUERY_METHODS[] = {
    method_def<method<B, LEGAL_MOVES, legal_moves>>("legal_moves", "legal_moves($self)\n--\n\n"),
    method_def<method<B, LEGAL_MOVES_FULL, legal_moves_full>>("legal_moves_full", "legal_moves_full($self)\n--\n\n"),
    method_def<method<B, PSEUDO_LEGAL_MOVES, pseudo_legal_moves>>("pseudo_legal_moves",
                                                                  "pseudo_legal_moves($self)\n--\n\n"),
    method_def<method<B, PSEUDO_LEGAL_MOVES_FULL, pseudo_legal_moves_full>>("pseudo_legal_moves_full",
                                                                            "pseudo_legal_moves_full($self)\n--\n\n"),
    method_def<method<B, PIECE_ON, piece_on>>("piece_on", "piece_on($self, square)\n--\n\n"),
    method_def<method<B, IS_SQUARE_EMPTY, is_square_empty>>("is_square_empty", "is_square_empty($self, square)\n--\n\n"),
    method_def<method<B, PIECES, pieces>>("pieces", "pieces($self)\n--\n\n"),
    method_def<method<B, EMPTIES, empties>>("empties", "empties($self)\n--\n\n"),
    method_def<method<B, PIECES_BY_TYPE, pieces_by_type>>("pieces_by_type", "pieces_by_type($self, piece_type)\n--\n\n"),
    method_def<method<B, PIECES_BY_COLOR, pieces_by_color>>("pieces_by_color", "pieces_by_color($self, color)\n--\n\n"),
    method_def<method<B, PIECES_FOR, pieces_for>>("pieces_for", "pieces_for($self, piece_type, color)\n--\n\n"),
    method_def<method<B, GOLDS, golds>>("golds", "golds($self)\n--\n\n"),
    method_def<method<B, BISHOP_HORSE, bishop_horse>>("bishop_horse", "bishop_horse($self)\n--\n\n"),
    method_def<method<B, ROOK_DRAGON, rook_dragon>>("rook_dragon", "rook_dragon($self)\n--\n\n"),
    method_def<method<B, HAND, hand>>("hand", "hand($self, color)\n--\n\n"),
    method_def<method<B, HAND_COUNTS, hand_counts>>("hand_counts", "hand_counts($self, color)\n--\n\n"),
    method_def<method<B, KING_SQUARE, king_square>>("king_square", "king_square($self, color)\n--\n\n"),
    method_def<method<B, ITER_PIECES, iter_pieces>>("iter_pieces", "iter_pieces($self)\n--\n\n"),
    method_def<method<B, ATTACKERS_TO, attackers_to>>("attackers_to", "attackers_to($self, square, occupied)\n--\n\n"),
    method_def<method<B, ATTACKERS_TO_COLOR, attackers_to_color>>(
        "attackers_to_color", "attackers_to_color($self, color, square, occupied)\n--\n\n"),
    method_def<method<B, ATTACKERS_TO_COLOR_CURRENT, attackers_to_color_current>>(
        "attackers_to_color_current", "attackers_to_color_current($self, color, square)\n--\n\n"),
    method_def<method<B, IS_ATTACKED_BY, is_attacked_by>>("is_attacked_by",
                                                          "is_attacked_by($self, square, by_color)\n--\n\n"),
    method_def<method<B, ATTACKS_BY, attacks_by>>("attacks_by", "attacks_by($self, color, piece_type)\n--\n\n"),
    method_def<method<B, IS_IN_CHECK, is_in_check>>("is_in_check", "is_in_check($self)\n--\n\n"),
    method_def<method<B, ZOBRIST_HASH, zobrist_hash>>("zobrist_hash", "zobrist_hash($self)\n--\n\n"),
    method_def<method<B, REPETITION_STATE, repetition_state>>("repetition_state", "repetition_state($self)\n--\n\n"),
    method_def<method<B, IS_REPETITION, is_repetition>>("is_repetition", "is_repetition($self, threshold=3)\n--\n\n"),
    method_def<method<B, LAST_MOVE, last_move>>("last_move", "last_move($self)\n--\n\n"),
};

}  // namespace

std::span<const PyMethodDef> board_query_methods() { return QUERY_METHODS; }

}  // namespace korvan::py
