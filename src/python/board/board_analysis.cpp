// Mate, declaration and move conversions on a Board.

#include "board/board.h"
#include "core/board/position/declaration.h"
#include "core/mate/mate_in_one.h"
#include "core/mate/mated.h"
#include "core/types/apery.h"
#include "support/dicts.h"
#include "support/convert.h"

namespace korvan::py {

namespace {

PyObject* is_mated(const Position& pos) { return PyBool_FromLong(position_is_mated(pos)); }

PyObject* solve_mate_in_one(const Position& pos) {
    const auto m = position_solve_mate_in_one(pos);
    if (!m) Py_RETURN_NONE;
    return wrap<Move32Class>(*m);
}

PyObject* bool_of(bool b) { return PyBool_FromLong(b); }

PyObject* evaluate_declaration(const Position& pos) {
    const Declaration d = position_evaluate_declaration(pos);
    Ref dict(PyDict_New());
    if (!dict) return nullptr;
    PyObject* out = dict.get();
    static constexpr const char* DETAIL[] = {"NO_RULE", "POINT_RULE", "TRY_RULE"};
    bool ok = put_member(out, "rule", PyUnicode_FromString(entering_king_rule_name(d.rule))) &&
              put_member(out, "can_declare", bool_of(d.can_declare)) &&
              put_member(out, "detail_type", PyUnicode_FromString(DETAIL[static_cast<int>(d.detail)]));
    if (ok && d.detail == Declaration::Detail::TryRule) {
        PyObject* king = d.king_square ? wrap<SquareClass>(*d.king_square) : Py_NewRef(Py_None);
        ok = put_member(out, "king_square", king) && put_member(out, "try_square", wrap<SquareClass>(d.try_square)) &&
             put_member(out, "can_reach", bool_of(d.can_reach)) && put_member(out, "can_occupy", bool_of(d.can_occupy)) &&
             put_member(out, "is_safe", bool_of(d.is_safe));
    } else if (ok && d.detail == Declaration::Detail::PointRule) {
        ok = put_member(out, "not_in_check", bool_of(d.not_in_check)) &&
             put_member(out, "king_in_enemy_camp", bool_of(d.king_in_enemy_camp)) &&
             put_member(out, "pieces_in_camp", PyLong_FromLong(d.pieces_in_camp)) &&
             put_member(out, "enough_pieces", bool_of(d.enough_pieces)) && put_member(out, "points", PyLong_FromLong(d.points)) &&
             put_member(out, "required_points", PyLong_FromLong(d.required_points));
    }
    return ok ? dict.release() : nullptr;
}

PyObject* can_declare_win(const Position& pos) { return bool_of(position_evaluate_declaration(pos).can_declare); }

PyObject* move32_from_move(const Position& pos, PyObject* const* args) {
    Move m = 0;
    if (!extract_arg<MoveClass>(args[0], "mv", m)) return nullptr;
    const Move32 wide = position_move_to_move32(pos, m);
    if (!is_normal_move(wide)) {
        PyErr_SetString(PyExc_ValueError, "invalid move value");
        return nullptr;
    }
    return wrap<Move32Class>(wide);
}

PyObject* apery_move32_from_move(const Position& pos, PyObject* const* args) {
    Move m = 0;
    if (!extract_arg<MoveClass>(args[0], "mv", m)) return nullptr;
    return wrap<AperyMove32Class>(move_to_apery(pos.board, m));
}

PyObject* apery_move32_from_move32(const Position& pos, PyObject* const* args) {
    Move32 m = 0;
    if (!extract_arg<Move32Class>(args[0], "mv", m)) return nullptr;
    return wrap<AperyMove32Class>(move_to_apery(pos.board, move16(m)));
}

}  // namespace

constexpr Methods BOARD_ANALYSIS_METHODS = method_table<BoardClass,
    Method<"is_mated()", is_mated>,
    Method<"solve_mate_in_one()", solve_mate_in_one>,
    Method<"evaluate_declaration()", evaluate_declaration>,
    Method<"can_declare_win()", can_declare_win>,
    Method<"move32_from_move(mv)", move32_from_move>,
    Method<"apery_move32_from_move(mv)", apery_move32_from_move>,
    Method<"apery_move32_from_move32(mv)", apery_move32_from_move32>>;

}  // namespace korvan::py
