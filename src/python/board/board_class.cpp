// The Board class: construction, set-up, copies and the SFEN snapshot; and the class
// body that joins every method group.

#include "board/board.h"
#include "core/board/position/parser.h"
#include "core/board/notation/usi_position.h"
#include "support/convert.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

bool raise_sfen_error(const SfenError& e) {
    raise_value_error(sfen_error_display(e));
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
    if (!str_arg(sfen, "sfen", text)) return false;
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
    if (!str_arg(args[0], "sfen", text)) return nullptr;
    // Parsed apart from the board, so a bad text leaves board and history alone.
    auto fields = parse_sfen_fields(text);
    if (!fields) return raise_sfen_error(fields.error()), nullptr;
    position_set(pos, *fields);
    Py_RETURN_NONE;
}

PyObject* set_usi_position(Position& pos, PyObject* const* args) {
    std::string_view text;
    if (!str_arg(args[0], "position", text)) return nullptr;
    auto result = parse_usi_position_command(text);
    if (!result) {
        raise_value_error(result.error());
        return nullptr;
    }
    pos = std::move(result->position);
    Py_RETURN_NONE;
}

// Always of the class Board itself, with the whole history.
PyObject* copy(const Position& pos) { return wrap<BoardClass>(pos); }

PyObject* to_sfen(const Position& pos) { return message_str(position_to_sfen(pos, pos.ply)); }

PyObject* turn(const Position& pos) { return wrap<ColorClass>(pos.side_to_move); }
PyObject* game_ply(const Position& pos) { return PyLong_FromLong(pos.ply); }

constexpr Methods SETUP_METHODS = method_table<BoardClass,
    Method<"reset()", reset, Access::Exclusive>,
    Method<"set_sfen(sfen)", set_sfen, Access::Exclusive>,
    Method<"set_usi_position(position)", set_usi_position, Access::Exclusive>,
    Method<"copy()", copy>,
    Method<"__copy__()", copy>,
    Method<"to_sfen()", to_sfen>>;

constexpr Attributes SETUP_GETSET = attribute_table<BoardClass,
    Attribute<"turn", turn>,
    Attribute<"game_ply", game_ply>>;

}  // namespace

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

// A call with a receiver that is no Board is refused by the method, in the same words
// as any other argument of the wrong class.
const ClassDefinition BoardClass::definition = define<BoardClass>({
    .constructor = constructor<BoardClass, "(sfen=None)", board_init>,
    .methods = {SETUP_METHODS, BOARD_MOVE_METHODS, BOARD_QUERY_METHODS, BOARD_ANALYSIS_METHODS,
                BOARD_PACKED_METHODS, BOARD_ROW_METHODS, BOARD_POSITION_STATE_METHODS, BOARD_PICTURE_METHODS},
    .attributes = {SETUP_GETSET},
    .checked_receivers = true,
});

}  // namespace korvan::py
