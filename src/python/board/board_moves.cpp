// Making, testing and taking back moves on a Board.

#include "board/board.h"
#include "core/board/position/legality.h"
#include "core/board/notation/move_text.h"
#include "core/board/position/updates.h"
#include "core/types/apery.h"
#include "support/dicts.h"
#include "support/convert.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

// The move parameter of these methods reports conversion failures under this name.
constexpr const char* MOVE_ARG = "r#move";

bool usi_arg(PyObject* obj, const Position& pos, Move32& out) {
    std::string_view text;
    if (!str_arg(obj, "usi", text)) return false;
    const auto m = move_from_usi(text);
    if (!m) return raise_value_error("invalid USI move"), false;
    out = position_move_to_move32(pos, *m);
    if (!is_normal_move(out)) return raise_value_error("invalid move value"), false;
    return true;
}

// A Move32 whose piece field is empty is completed from the board, so that the move
// that is played always names the piece it puts on the target.
bool move32_arg(PyObject* obj, const Position& pos, Move32& out) {
    if (!extract_arg<Move32Class>(obj, MOVE_ARG, out)) return false;
    if (!is_normal_move(out)) return raise_value_error("invalid move value"), false;
    if (moved_piece_after(out) == NO_PIECE) {
        const Move32 widened = position_move_to_move32(pos, out);
        if (widened) out = widened;
    }
    return true;
}

bool move16_arg(PyObject* obj, const Position& pos, Move32& out) {
    Move m = 0;
    if (!extract_arg<MoveClass>(obj, MOVE_ARG, m)) return false;
    out = position_move_to_move32(pos, m);
    return true;
}

bool play(Position& pos, Move32 m) {
    if (!position_is_legal(pos, m)) return raise_value_error("illegal move"), false;
    position_do_move(pos, m);
    return true;
}

template <bool Push>
PyObject* result(Move32 m) {
    if constexpr (Push)
        return wrap<Move32Class>(m);
    else
        Py_RETURN_NONE;
}

template <bool Push>
PyObject* push_usi(Position& pos, PyObject* const* args) {
    Move32 m = 0;
    if (!usi_arg(args[0], pos, m) || !play(pos, m)) return nullptr;
    return result<Push>(m);
}

template <bool Push>
PyObject* push_move(Position& pos, PyObject* const* args) {
    Move32 m = 0;
    if (!move16_arg(args[0], pos, m) || !play(pos, m)) return nullptr;
    return result<Push>(m);
}

template <bool Push>
PyObject* push_move32(Position& pos, PyObject* const* args) {
    Move32 m = 0;
    if (!move32_arg(args[0], pos, m) || !play(pos, m)) return nullptr;
    return result<Push>(m);
}

PyObject* is_legal_move(const Position& pos, PyObject* const* args) {
    Move32 m = 0;
    if (!move16_arg(args[0], pos, m)) return nullptr;
    return PyBool_FromLong(m != 0 && position_is_legal(pos, m));
}

PyObject* is_legal_move32(const Position& pos, PyObject* const* args) {
    Move32 m = 0;
    if (!extract_arg<Move32Class>(args[0], MOVE_ARG, m)) return nullptr;
    if (is_normal_move(m) && moved_piece_after(m) == NO_PIECE) {
        const Move32 widened = position_move_to_move32(pos, m);
        if (widened) m = widened;
    }
    return PyBool_FromLong(position_is_legal(pos, m));
}

bool csa_arg(PyObject* obj, const Position& pos, Move32& out) {
    std::string_view text;
    if (!str_arg(obj, "csa", text)) return false;
    out = position_move_from_csa(pos, text);
    if (!is_normal_move(out)) return raise_value_error("invalid CSA move"), false;
    return true;
}

PyObject* apply_csa(Position& pos, PyObject* const* args) {
    Move32 m = 0;
    if (!csa_arg(args[0], pos, m) || !play(pos, m)) return nullptr;
    Py_RETURN_NONE;
}

PyObject* move_from_csa(const Position& pos, PyObject* const* args) {
    Move32 m = 0;
    if (!csa_arg(args[0], pos, m)) return nullptr;
    return wrap<Move32Class>(m);
}

PyObject* undo(Position& pos, Move32 m) {
    auto r = position_undo_move(pos, m);
    if (!r) return raise_value_error(state_stack_error_debug(r.error()));
    Py_RETURN_NONE;
}

PyObject* undo_move(Position& pos, PyObject* const* args) {
    Move m = 0;
    if (!extract_arg<MoveClass>(args[0], MOVE_ARG, m)) return nullptr;
    const Move32 last = pos.st().last_move;
    if (!is_normal_move(last) || move16(last) != m) return raise_value_error("can only undo the last move");
    return undo(pos, m);
}

PyObject* undo_move32(Position& pos, PyObject* const* args) {
    Move32 m = 0;
    if (!extract_arg<Move32Class>(args[0], MOVE_ARG, m)) return nullptr;
    const Move32 last = pos.st().last_move;
    if (!is_normal_move(last) || last != m) return raise_value_error("can only undo the last move");
    return undo(pos, m);
}

PyObject* pop(Position& pos) {
    const Move32 last = pos.st().last_move;
    if (!is_normal_move(last)) Py_RETURN_NONE;
    auto r = position_undo_move(pos, last);
    if (!r) return raise_value_error(state_stack_error_debug(r.error()));
    return wrap<Move32Class>(last);
}

PyObject* delta_dict(Move32 m, const MoveDelta& d) {
    Ref dict(PyDict_New());
    if (!dict) return nullptr;
    PyObject* out = dict.get();
    const bool drop = d.kind == MoveDelta::Kind::Drop;
    bool ok = put_member(out, "move", wrap<Move32Class>(m)) && put_member(out, "move_usi", message_str(move_display_usi(m))) &&
              put_member(out, "kind", PyUnicode_FromString(drop ? "DROP" : "BOARD")) &&
              put_member(out, "color", wrap<ColorClass>(d.color));
    if (ok && drop) {
        ok = put_member(out, "piece_type", wrap<PieceTypeClass>(d.piece_type)) &&
             put_member(out, "to", wrap<SquareClass>(d.to)) &&
             put_member(out, "hand_count_before", PyLong_FromUnsignedLong(d.hand_count_before));
    } else if (ok) {
        ok = put_member(out, "from", wrap<SquareClass>(d.from)) && put_member(out, "to", wrap<SquareClass>(d.to)) &&
             put_member(out, "moved_piece_before", wrap<PieceClass>(d.moved_piece_before)) &&
             put_member(out, "moved_piece_after", wrap<PieceClass>(d.moved_piece_after));
        if (ok && d.kind == MoveDelta::Kind::Capture) {
            Ref captured(PyDict_New());
            ok = captured && put_member(captured.get(), "piece", wrap<PieceClass>(d.captured)) &&
                 put_member(captured.get(), "hand_count_before", PyLong_FromUnsignedLong(d.hand_count_before)) &&
                 PyDict_SetItemString(out, "captured", captured.get()) == 0;
        } else if (ok) {
            ok = PyDict_SetItemString(out, "captured", Py_None) == 0;
        }
    }
    return ok ? dict.release() : nullptr;
}

PyObject* push_usi_with_delta(Position& pos, PyObject* const* args) {
    Move32 m = 0;
    if (!usi_arg(args[0], pos, m)) return nullptr;
    // Tested before anything is played, so a refused move leaves the board alone.
    if (!position_is_legal(pos, m)) return raise_value_error("illegal move");
    const MoveDelta d = position_do_move_with_delta(pos, m, position_gives_check(pos, m));
    return delta_dict(m, d);
}

constexpr Access X = Access::Exclusive;

}  // namespace

constexpr Methods BOARD_MOVE_METHODS = method_table<BoardClass,
    Method<"push_usi(usi)", push_usi<true>, X>,
    Method<"apply_usi(usi)", push_usi<false>, X>,
    Method<"push_move(move)", push_move<true>, X>,
    Method<"apply_move(move)", push_move<false>, X>,
    Method<"push_move32(move)", push_move32<true>, X>,
    Method<"apply_move32(move)", push_move32<false>, X>,
    Method<"is_legal_move(move)", is_legal_move>,
    Method<"is_legal_move32(move)", is_legal_move32>,
    Method<"apply_csa(csa)", apply_csa, X>,
    Method<"move_from_csa(csa)", move_from_csa>,
    Method<"undo_move(move)", undo_move, X>,
    Method<"undo_move32(move)", undo_move32, X>,
    Method<"pop()", pop, X>,
    Method<"push_usi_with_delta(usi)", push_usi_with_delta, X>>;

}  // namespace korvan::py
