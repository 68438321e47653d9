// Board pictures: the BOD text diagram, the SVG picture and the CSA board lines.

#include "board/board.h"
#include "core/board/pictures/svg.h"
#include "core/board/notation/bod.h"
#include "core/records/formats/csa/csa_board.h"
#include "core/types/apery.h"
#include "support/convert.h"

namespace korvan::py {

namespace {

PyObject* to_bod(const Position& pos) {
    const auto text = position_to_bod_with_last_move(pos);
    if (!text) {
        raise_value_error(text.error());
        return nullptr;
    }
    return to_py_str(*text);
}

// The twelve lines without a line feed after the last.
PyObject* to_csa(const Position& pos) {
    std::string text;
    position_to_csa_board(text, pos);
    text.pop_back();
    return to_py_str(text);
}

// to_svg(last_move, scale): the scale is converted first, then the move.
PyObject* to_svg(const Position& pos, PyObject* const* args) {
    double scale = 1.0;
    if (args[1]) {
        scale = PyFloat_AsDouble(args[1]);
        if (scale == -1.0 && PyErr_Occurred()) {
            argument_error("scale");
            return nullptr;
        }
    }
    std::optional<Move> last;
    if (PyObject* obj = args[0]; obj && obj != Py_None) {
        bool raised = false;
        Move m = 0;
        Move32 wide = 0;
        if (extract<MoveClass>(obj, m, raised)) {
            wide = position_move_to_move32(pos, m);
        } else if (raised) {
            return nullptr;
        } else if (!extract<Move32Class>(obj, wide, raised)) {
            if (!raised) PyErr_SetString(PyExc_TypeError, "move must be Move32 or Move");
            return nullptr;
        }
        if (!is_normal_move(wide)) {
            PyErr_SetString(PyExc_ValueError, "invalid move value");
            return nullptr;
        }
        last = move16(wide);
    }
    return wrap<SvgClass>(board_to_svg(pos.board, pos.hands, last, static_cast<float>(scale)));
}

}  // namespace

constexpr Methods BOARD_PICTURE_METHODS = method_table<BoardClass,
    Method<"to_bod()", to_bod>,
    Method<"to_svg(last_move=None, scale=1.0)", to_svg>,
    Method<"to_csa()", to_csa>>;

}  // namespace korvan::py
