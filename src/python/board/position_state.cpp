// PositionState: an editable position description with SFEN in and out, piece and
// hand edits, and validation.

#include "core/board/position/parser.h"
#include "board/board_tags.h"
#include "support/convert.h"
#include "support/lists.h"
#include "support/typed_args.h"
#include "support/value_shape.h"
#include "core/util/text.h"
#include "board/validation.h"

namespace korvan::py {

namespace {

using PS = PositionStateClass;

bool from_sfen(std::optional<std::string_view> text, PositionState& out) {
    auto state = position_state_from_sfen(text);
    if (!state) {
        raise_value_error(sfen_error_display(state.error()));
        return false;
    }
    out = *state;
    return true;
}

bool sfen_arg(PyObject* obj, std::string_view& text) {
    return str_arg(obj, "sfen", text);
}

// PositionState(sfen=None)
bool state_init(PyObject* const* args, PositionState& out) {
    if (!args[0] || args[0] == Py_None) return from_sfen(std::nullopt, out);
    std::string_view text;
    return sfen_arg(args[0], text) && from_sfen(text, out);
}

// Always a plain PositionState, also when called on a subclass.
PyObject* state_from_sfen(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    PositionState state;
    if (!sfen_arg(args[0], text) || !from_sfen(text, state)) return nullptr;
    return wrap<PS>(state);
}

PyObject* to_sfen(const PositionState& state, PyObject* const* args) {
    bool include_ply = true;
    if (args[0] && !named_arg(extract_bool(args[0], include_ply), "include_ply")) return nullptr;
    return message_str(position_state_to_sfen(state, include_ply));
}

bool on_board(Square s) {
    if (s < SQUARE_NB) return true;
    PyErr_SetString(PyExc_ValueError, "square must be on board");
    return false;
}

bool color_arg(PyObject* obj, Color& out) {
    std::uint8_t c = 0;
    if (!extract_arg<ColorClass>(obj, "color", c)) return false;
    out = Color(c & 1);
    return true;
}

PyObject* piece_on(const PositionState& state, PyObject* const* args) {
    Square s = 0;
    if (!extract_arg<SquareClass>(args[0], "square", s) || !on_board(s)) return nullptr;
    return wrap<PieceClass>(state.board[s]);
}

PyObject* set_piece(PositionState& state, PyObject* const* args) {
    Square s = 0;
    std::uint8_t piece = 0;
    if (!extract_arg<SquareClass>(args[0], "square", s) || !extract_arg<PieceClass>(args[1], "piece", piece) || !on_board(s))
        return nullptr;
    state.board[s] = Piece(piece);
    Py_RETURN_NONE;
}

PyObject* hand(const PositionState& state, PyObject* const* args) {
    Color c{};
    if (!color_arg(args[0], c)) return nullptr;
    return wrap<HandClass>(state.hands[c]);
}

PyObject* set_hand(PositionState& state, PyObject* const* args) {
    Color c{};
    Hand h = 0;
    if (!color_arg(args[0], c) || !extract_arg<HandClass>(args[1], "hand", h)) return nullptr;
    state.hands[c] = h;
    Py_RETURN_NONE;
}

PyObject* board(const PositionState& state) {
    return list_of<PieceClass>(state.board);
}

PyObject* hands(const PositionState& state) {
    Ref black(wrap<HandClass>(state.hands[BLACK]));
    Ref white(wrap<HandClass>(state.hands[WHITE]));
    if (!black || !white) return nullptr;
    return PyTuple_Pack(2, black.get(), white.get());
}

PyObject* side_to_move(const PositionState& state) { return wrap<ColorClass>(state.side_to_move); }

bool set_side_to_move(PositionState& state, PyObject* value) { return color_arg(value, state.side_to_move); }

PyObject* ply(const PositionState& state) { return PyLong_FromUnsignedLong(state.ply); }

bool set_ply(PositionState& state, PyObject* value) {
    std::uint32_t v = 0;
    if (!int_arg(value, "ply", v)) return false;
    if (v > 0xFFFF) {
        PyErr_SetString(PyExc_ValueError, "ply must fit in uint16 range (0..65535)");
        return false;
    }
    state.ply = static_cast<std::uint16_t>(v);
    return true;
}

PyObject* copy(const PositionState& state) { return wrap<PS>(state); }

PyObject* validate(const PositionState& state) { return validate_position(position_from_state(state)); }
PyObject* is_valid(const PositionState& state) { return position_is_valid_bool(position_from_state(state)); }
PyObject* validate_all(const PositionState& state) { return validate_all_position(position_from_state(state)); }

PyObject* state_repr(const PositionState& state) {
    const std::string text = std::string("PositionState(side_to_move=") +
                             std::string(color_display(state.side_to_move)) + ", ply=" + std::to_string(state.ply) +
                             ", sfen=" + debug_str(position_state_to_sfen(state, true)) + ")";
    return to_py_str(text);
}

constexpr Methods methods = method_table<PS,
    ClassMethod<"from_sfen(sfen)", state_from_sfen>,
    Method<"to_sfen(include_ply=True)", to_sfen>,
    Method<"piece_on(square)", piece_on>,
    Method<"set_piece(square, piece)", set_piece, Access::Exclusive>,
    Method<"hand(color)", hand>,
    Method<"set_hand(color, hand)", set_hand, Access::Exclusive>,
    Method<"copy()", copy>,
    Method<"__copy__()", copy>,
    Method<"validate()", validate>,
    Method<"is_valid()", is_valid>,
    Method<"validate_all()", validate_all>>;

constexpr Attributes getset = attribute_table<PS,
    Attribute<"board", board>,
    Attribute<"hands", hands>,
    Attribute<"side_to_move", side_to_move, Writable<set_side_to_move>>,
    Attribute<"ply", ply, Writable<set_ply>>>;

}  // namespace

const ClassDefinition PS::definition = define<PS>({
    .constructor = constructor<PS, "(sfen=None)", state_init>,
    .methods = {methods},
    .attributes = {getset},
    .richcompare = value_equality<PS>,
    .repr = slot<PS, state_repr>,
});

}  // namespace korvan::py
