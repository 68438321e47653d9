// The Board class: construction, set-up, copies and the SFEN snapshot; and the class
// body that joins every method group.

#include <vector>

#include "board/board.h"
#include "support/joined.h"
#include "core/board/position/parser.h"
#include "core/board/notation/usi_position.h"
#include "support/convert.h"
#include "support/descriptors.h"

namespace korvan::py {

namespace {

constexpr const char* SFEN[] = {"sfen"};
constexpr const char* POSITION[] = {"position"};

bool raise_sfen_error(const SfenError& e) {
    PyErr_SetString(PyExc_ValueError, sfen_error_display(e).c_str());
    return false;
}

// The constructor: the start position, or the position of an SFEN text.
bool board_init(PyObject* const* args, Position& out) {
    PyObject* sfen = args[0];
    if (!sfen || sfen == Py_None) {
        out = position_startpos();
        return true;
    }
    std::string_view text;
    if (!extract_str(sfen, text)) {
        argument_error("sfen");
        return false;
    }
    auto fields = parse_sfen_fields(text);
    if (!fields) return raise_sfen_error(fields.error());
    position_set(out, *fields);
    return true;
}

PyObject* reset(Position& pos) {
    pos = position_startpos();
    Py_RETURN_NONE;
}

PyObject* set_sfen(Position& pos, PyObject* const* args) {
    std::string_view text;
    if (!extract_str(args[0], text)) {
        argument_error("sfen");
        return nullptr;
    }
    // Parsed apart from the board, so a bad text leaves board and history alone.
    auto fields = parse_sfen_fields(text);
    if (!fields) return raise_sfen_error(fields.error()), nullptr;
    position_set(pos, *fields);
    Py_RETURN_NONE;
}

PyObject* set_usi_position(Position& pos, PyObject* const* args) {
    std::string_view text;
    if (!extract_str(args[0], text)) {
        argument_error("position");
        return nullptr;
    }
    auto result = parse_usi_position_command(text);
    if (!result) {
        PyErr_SetString(PyExc_ValueError, result.error().c_str());
        return nullptr;
    }
    pos = std::move(result->position);
    Py_RETURN_NONE;
}

// Always of the class Board itself, with the whole history.
PyObject* copy(const Position& pos) { return wrap<BoardClass>(pos); }

PyObject* to_sfen(const Position& pos) { return to_py_str(position_to_sfen(pos, pos.ply)); }

PyObject* turn(const Position& pos) { return wrap<ColorClass>(pos.side_to_move); }
PyObject* game_ply(const Position& pos) { return PyLong_FromLong(pos.ply); }

constexpr Signature NEW{"__new__", SFEN, 0};
constexpr Signature RESET{"reset"};
constexpr Signature SET_SFEN{"set_sfen", SFEN};
constexpr Signature SET_USI_POSITION{"set_usi_position", POSITION};
constexpr Signature COPY{"copy"};
constexpr Signature DUNDER_COPY{"__copy__"};
constexpr Signature TO_SFEN{"to_sfen"};

const PyMethodDef SETUP_METHODS[] = {
    method_def<method<BoardClass, RESET, reset, Access::Exclusive>>("reset", "reset($self)\n--\n\n"),
    method_def<method<BoardClass, SET_SFEN, set_sfen, Access::Exclusive>>("set_sfen", "set_sfen($self, sfen)\n--\n\n"),
    method_def<method<BoardClass, SET_USI_POSITION, set_usi_position, Access::Exclusive>>(
        "set_usi_position", "set_usi_position($self, position)\n--\n\n"),
    method_def<method<BoardClass, COPY, copy>>("copy", "copy($self)\n--\n\n"),
    method_def<method<BoardClass, DUNDER_COPY, copy>>("__copy__", "__copy__($self)\n--\n\n"),
    method_def<method<BoardClass, TO_SFEN, to_sfen>>("to_sfen", "to_sfen($self)\n--\n\n"),
};

const PyGetSetDef SETUP_GETSET[] = {
    {"turn", getter<BoardClass, turn>, nullptr, nullptr, nullptr},
    {"game_ply", getter<BoardClass, game_ply>, nullptr, nullptr, nullptr},
};

}  // namespace

std::span<const PyMethodDef> board_setup_methods() { return SETUP_METHODS; }
std::span<const PyGetSetDef> board_setup_getset() { return SETUP_GETSET; }

bool BoardArg::bind(PyObject* obj, const char* name) {
    if (!is_instance<BoardClass>(obj)) {
        wrong_class(obj, "Board");
        argument_error(name);
        return false;
    }
    Object<BoardClass>* board = object_of<BoardClass>(obj);
    if (!check_thread(board)) return false;
    guard_.emplace(board->borrow);
    if (!*guard_) {
        guard_.reset();
        return false;
    }
    obj_ = obj;
    return true;
}

PyTypeObject* create_board_class() {
    ClassSpec spec = class_spec<BoardClass>("Board(sfen=None)\n--\n\n");
    spec.new_ = construct_new<BoardClass, NEW, board_init>;
    spec.vectorcall = construct_vectorcall<BoardClass, NEW, board_init>;
    spec.getset = joined<PyGetSetDef>(board_setup_getset());
    PyTypeObject* type = build_class(spec);
    if (!type) return nullptr;
    BoardClass::type = type;
    // A call with a receiver that is no Board is refused by the method, in the same
    // words as any other argument of the wrong class.
    const PyMethodDef* methods = joined<PyMethodDef>(board_setup_methods(), board_move_methods(),
                                                     board_query_methods(), board_analysis_methods(),
                                                     board_packed_methods(), board_row_methods(),
                                                     board_position_state_methods(), board_picture_methods());
    if (!install_methods(type, methods)) return nullptr;
    return type;
}

}  // namespace korvan::py
