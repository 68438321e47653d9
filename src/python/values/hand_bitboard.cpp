// Hand and Bitboard: the two value classes that change in place and compare by
// identity.

#include <cstdio>

#include "values/value_tags.h"
#include "support/convert.h"
#include "core/types/hand.h"

namespace korvan::py {

namespace {

// Both constructors take no argument and start from the empty value.
template <class V>
bool empty_value(PyObject* const*, V&) {
    return true;
}

// --- Hand --------------------------------------------------------------------------

// Only PAWN..GOLD name a hand kind.
bool hand_kind(std::uint8_t pt, HandPiece& out) {
    if (pt < PAWN || pt > GOLD) {
        return raise_value_error("piece type " + std::string(piece_type_display(pt)) +
                                 " cannot be converted to a hand piece");
    }
    out = hand_piece_of(PieceType(pt));
    return true;
}

PyObject* hand_count_method(const std::uint32_t& hand, PyObject* const* args) {
    std::uint8_t pt = 0;
    HandPiece hp = 0;
    if (!extract_arg<PieceTypeClass>(args[0], "piece_type", pt) || !hand_kind(pt, hp)) return nullptr;
    return PyLong_FromUnsignedLong(hand_count(hand, hp));
}

// Adds `sign` * amount pieces of one kind. A count that would leave its field (fewer
// than none, more than the field holds) is refused, since the packed arithmetic would
// carry into the neighbouring kind.
PyObject* hand_change(std::uint32_t& hand, PyObject* const* args, int sign) {
    std::uint8_t pt = 0;
    if (!extract_arg<PieceTypeClass>(args[0], "piece_type", pt)) return nullptr;
    std::uint32_t amount = 1;
    if (args[1] != Py_None && !int_arg(args[1], "amount", amount)) return nullptr;
    HandPiece hp = 0;
    if (!hand_kind(pt, hp)) return nullptr;
    const long long count = static_cast<long long>(hand_count(hand, hp)) + sign * static_cast<long long>(amount);
    if (count < 0 || count > HAND_MASK[hp]) {
        return raise_value_error("hand count of " + std::string(piece_type_display(piece_type_of(hp))) +
                                 " out of range: " + std::to_string(count) + " (the field holds 0.." +
                                 std::to_string(HAND_MASK[hp]) + ")");
    }
    hand = (hand & ~(HAND_MASK[hp] << HAND_SHIFT[hp])) | static_cast<std::uint32_t>(count) << HAND_SHIFT[hp];
    Py_RETURN_NONE;
}

PyObject* hand_add(std::uint32_t& hand, PyObject* const* args) { return hand_change(hand, args, 1); }
PyObject* hand_sub(std::uint32_t& hand, PyObject* const* args) { return hand_change(hand, args, -1); }
PyObject* hand_is_empty(const std::uint32_t& hand) { return PyBool_FromLong(hand == 0); }
PyObject* hand_value(const std::uint32_t& hand) { return PyLong_FromUnsignedLong(hand); }
PyObject* hand_str(const std::uint32_t& hand) { return PyUnicode_FromFormat("0x%x", hand); }
PyObject* hand_repr(const std::uint32_t& hand) { return PyUnicode_FromFormat("Hand(0x%x)", hand); }

constexpr Methods hand_methods = method_table<HandClass,
    Method<"count(piece_type)", hand_count_method>,
    Method<"add(piece_type, amount)", hand_add, Access::Exclusive>,
    Method<"sub(piece_type, amount)", hand_sub, Access::Exclusive>,
    Method<"is_empty()", hand_is_empty>>;

constexpr Attributes hand_getset = attribute_table<HandClass,
    Attribute<"value", hand_value>>;

// --- Bitboard ----------------------------------------------------------------------

// A Square argument that must lie on the board: NONE and the bytes above it would
// address bits outside the 81-square set.
bool board_square_arg(PyObject* obj, Square& out) {
    if (!extract_arg<SquareClass>(obj, "square", out)) return false;
    if (!is_board_square(out)) {
        return raise_value_error("square " + square_display_usi(out) + " is not on the board");
    }
    return true;
}

unsigned __int128 packed(const Bitboard& b) {
    return static_cast<unsigned __int128>(b.w[1]) << 63 | b.w[0];
}

PyObject* packed_int(const Bitboard& b) {
    const unsigned __int128 v = packed(b);
    const auto high = static_cast<std::uint64_t>(v >> 64);
    Ref low(PyLong_FromUnsignedLongLong(static_cast<std::uint64_t>(v)));
    if (!high || !low) return low.release();
    Ref upper(PyLong_FromUnsignedLongLong(high));
    Ref shift(PyLong_FromLong(64));
    if (!upper || !shift) return nullptr;
    Ref shifted(PyNumber_Lshift(upper.get(), shift.get()));
    if (!shifted) return nullptr;
    return PyNumber_Or(shifted.get(), low.get());
}

PyObject* bitboard_from_parts(PyTypeObject*, PyObject* const* args) {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    if (!int_arg(args[0], "low", low) || !int_arg(args[1], "high", high)) return nullptr;
    return wrap<BitboardClass>(Bitboard(low, high) & BB_ALL);
}

PyObject* bitboard_from_square(PyTypeObject*, PyObject* const* args) {
    Square sq = 0;
    if (!board_square_arg(args[0], sq)) return nullptr;
    return wrap<BitboardClass>(square_bb(sq));
}

PyObject* bitboard_parts(const Bitboard& b) { return Py_BuildValue("(KK)", b.w[0], b.w[1]); }
PyObject* bitboard_is_empty(const Bitboard& b) { return PyBool_FromLong(b.empty()); }
PyObject* bitboard_count(const Bitboard& b) { return PyLong_FromLong(b.count()); }

PyObject* bitboard_test(const Bitboard& b, PyObject* const* args) {
    Square sq = 0;
    if (!board_square_arg(args[0], sq)) return nullptr;
    return PyBool_FromLong(b.test(sq));
}

template <void (Bitboard::*Change)(Square)>
PyObject* bitboard_change(Bitboard& b, PyObject* const* args) {
    Square sq = 0;
    if (!board_square_arg(args[0], sq)) return nullptr;
    (b.*Change)(sq);
    Py_RETURN_NONE;
}

PyObject* bitboard_pop_lsb(Bitboard& b) {
    if (b.empty()) Py_RETURN_NONE;
    return wrap<SquareClass>(b.pop_lsb());
}

template <Square (*Map)(Square)>
PyObject* bitboard_map(const Bitboard& b) {
    Bitboard out;
    (b & BB_ALL).for_each([&](Square sq) { out.set(Map(sq)); });
    return wrap<BitboardClass>(out);
}

PyObject* bitboard_str(const Bitboard& b) { return message_str(bitboard_display(b)); }

PyObject* bitboard_repr(const Bitboard& b) {
    unsigned __int128 v = packed(b);
    char digits[40];
    int n = 0;
    do {
        digits[n++] = "0123456789abcdef"[static_cast<unsigned>(v & 15)];
        v >>= 4;
    } while (v);
    std::string text = "Bitboard(0x";
    while (n) text.push_back(digits[--n]);
    text.push_back(')');
    return to_py_str(text);
}

constexpr Methods bitboard_methods = method_table<BitboardClass,
    ClassMethod<"from_parts(low, high)", bitboard_from_parts>,
    ClassMethod<"from_square(square)", bitboard_from_square>,
    Method<"is_empty()", bitboard_is_empty>,
    Method<"count()", bitboard_count>,
    Method<"test(square)", bitboard_test>,
    Method<"set(square)", bitboard_change<&Bitboard::set>, Access::Exclusive>,
    Method<"clear(square)", bitboard_change<&Bitboard::clear>, Access::Exclusive>,
    Method<"pop_lsb()", bitboard_pop_lsb, Access::Exclusive>,
    Method<"mirror_file()", bitboard_map<mirror_file>>,
    Method<"flip_side()", bitboard_map<flip_side>>>;

constexpr Attributes bitboard_getset = attribute_table<BitboardClass,
    Attribute<"parts", bitboard_parts>,
    Attribute<"packed", packed_int>>;

constexpr Constant<HandClass> HAND_CONSTANTS[] = {{"ZERO", 0}};
constexpr Constant<BitboardClass> BITBOARD_CONSTANTS[] = {{"EMPTY", BB_EMPTY}, {"ALL", BB_ALL}};

// Both classes start empty and show their value in repr, str and int().
template <class C, auto Repr, auto Str, auto Int, const auto& Constants>
constexpr ClassDefinition define_in_place(Methods methods, Attributes attributes) {
    return define<C>({
        .constructor = constructor<C, "()", empty_value<typename C::Value>>,
        .methods = {methods},
        .attributes = {attributes},
        .repr = slot<C, Repr>,
        .str = slot<C, Str>,
        .to_int = slot<C, Int>,
        .class_attributes = add_constants<C, Constants>,
    });
}

}  // namespace

const ClassDefinition HandClass::definition =
    define_in_place<HandClass, hand_repr, hand_str, hand_value, HAND_CONSTANTS>(hand_methods, hand_getset);
const ClassDefinition BitboardClass::definition =
    define_in_place<BitboardClass, bitboard_repr, bitboard_str, packed_int, BITBOARD_CONSTANTS>(bitboard_methods,
                                                                                                bitboard_getset);

}  // namespace korvan::py
