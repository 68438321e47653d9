// Color and Square.

#include "values/byte_classes.h"
#include "values/value_tags.h"
#include "support/convert.h"
#include "core/types/color.h"
#include "core/types/square.h"

namespace korvan::py {

namespace {

// --- Color -------------------------------------------------------------------------

constexpr bool is_color_value(std::uint8_t v) { return v <= WHITE; }

PyObject* color_from_usi(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    if (!str_arg(args[0], "usi", text)) return nullptr;
    if (PyUnicode_GET_LENGTH(args[0]) == 1) {
        const Py_UCS4 c = PyUnicode_READ_CHAR(args[0], 0);
        if (c == 'b' || c == 'B') return wrap<ColorClass>(BLACK);
        if (c == 'w' || c == 'W') return wrap<ColorClass>(WHITE);
    } else {
        // The interpreter's lower() is the full Unicode mapping (a Kelvin sign reads
        // as "k"), which the comparison below relies on.
        Ref lower(PyObject_CallMethod(args[0], "lower", nullptr));
        if (!lower) return nullptr;
        if (PyUnicode_CompareWithASCIIString(lower.get(), "black") == 0) return wrap<ColorClass>(BLACK);
        if (PyUnicode_CompareWithASCIIString(lower.get(), "white") == 0) return wrap<ColorClass>(WHITE);
    }
    PyErr_Format(PyExc_ValueError, "invalid color string: %U", args[0]);
    return nullptr;
}

PyObject* color_flip(const std::uint8_t& c) { return wrap<ColorClass>(c ^ 1); }
PyObject* color_is_black(const std::uint8_t& c) { return PyBool_FromLong(c == BLACK); }
PyObject* color_is_white(const std::uint8_t& c) { return PyBool_FromLong(c != BLACK); }
constexpr std::string_view color_text(std::uint8_t c) { return color_display(Color(c)); }

constexpr Methods color_methods = method_table<ColorClass,
    ClassMethod<"from_usi(usi)", color_from_usi>,
    Method<"flip()", color_flip>,
    Method<"opponent()", color_flip>,
    Method<"is_black()", color_is_black>,
    Method<"is_white()", color_is_white>>;

// --- Square ------------------------------------------------------------------------

constexpr bool is_square_value(std::uint8_t v) { return v <= SQ_NONE; }

PyObject* square_from_usi_method(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    if (!str_arg(args[0], "usi", text)) return nullptr;
    auto square = square_from_usi(text);
    if (!square) return raise_value_error(square.error());
    return wrap<SquareClass>(*square);
}

PyObject* square_from_index(PyTypeObject*, PyObject* const* args) {
    std::uint64_t index = 0;
    if (!int_arg(args[0], "idx", index)) return nullptr;
    if (index >= SQUARE_NB) {
        PyErr_SetString(PyExc_ValueError, "square index out of range");
        return nullptr;
    }
    return wrap<SquareClass>(static_cast<std::uint8_t>(index));
}

PyObject* square_from_file_rank(PyTypeObject*, PyObject* const* args) {
    std::uint8_t file = 0;
    std::uint8_t rank = 0;
    if (!extract_signed_byte(args[0], "file", file) || !extract_signed_byte(args[1], "rank", rank)) return nullptr;
    if (file >= 9 || rank >= 9) {
        PyErr_SetString(PyExc_ValueError, "file and rank must be in 0..8");
        return nullptr;
    }
    return wrap<SquareClass>(make_square(file, rank));
}

PyObject* square_to_usi(const std::uint8_t& s) { return message_str(square_display_usi(s)); }
PyObject* square_is_valid(const std::uint8_t& s) { return PyBool_FromLong(s <= SQ_NONE); }
PyObject* square_is_none(const std::uint8_t& s) { return PyBool_FromLong(s == SQ_NONE); }

// Off the board the mirror is the same formula on the byte, file and rank taken by
// division: NONE (file 9, rank 0) gives 247. The core's table-driven mirror is
// defined on board squares only.
PyObject* square_mirror_file(const std::uint8_t& s) {
    if (is_board_square(s)) return wrap<SquareClass>(mirror_file(s));
    return wrap<SquareClass>(static_cast<std::uint8_t>((8 - s / 9) * 9 + s % 9));
}

PyObject* square_flip_side(const std::uint8_t& s) { return wrap<SquareClass>(static_cast<std::uint8_t>(80 - s)); }

// The tables end at 81 (NONE, stored as 255); the bytes past them that a mirror or
// flip of NONE yields have no file or rank either.
PyObject* table_entry(const std::array<std::uint8_t, 82>& table, std::uint8_t s) {
    if (s > SQ_NONE || table[s] == 255) return PyLong_FromLong(-1);
    return PyLong_FromLong(table[s]);
}
PyObject* square_file(const std::uint8_t& s) { return table_entry(FILE_OF, s); }
PyObject* square_rank(const std::uint8_t& s) { return table_entry(RANK_OF, s); }

constexpr Methods square_methods = method_table<SquareClass,
    ClassMethod<"from_usi(usi)", square_from_usi_method>,
    ClassMethod<"from_index(idx)", square_from_index>,
    ClassMethod<"from_file_rank(file, rank)", square_from_file_rank>,
    Method<"to_usi()", square_to_usi>,
    Method<"is_valid()", square_is_valid>,
    Method<"is_none()", square_is_none>,
    Method<"mirror_file()", square_mirror_file>,
    Method<"flip_side()", square_flip_side>>;

constexpr Attributes square_getset = attribute_table<SquareClass,
    Attribute<"file", square_file>,
    Attribute<"rank", square_rank>>;

constexpr Constant<ColorClass> COLOR_CONSTANTS[] = {{"BLACK", BLACK}, {"WHITE", WHITE}};
constexpr Constant<SquareClass> SQUARE_CONSTANTS[] = {{"NONE", SQ_NONE}};

}  // namespace

const ClassDefinition ColorClass::definition = define_displayed<ColorClass, color_text>({
    .constructor = constructor<ColorClass, "(value=None)", byte_init<is_color_value, "invalid color value">>,
    .methods = {color_methods},
    .attributes = {value_attribute<ColorClass>},
    .class_attributes = add_constants<ColorClass, COLOR_CONSTANTS>,
});

const ClassDefinition SquareClass::definition = define_displayed<SquareClass, square_display_usi>({
    .constructor = constructor<SquareClass, "(value=None)", byte_init<is_square_value, "invalid square value", SQ_NONE>>,
    .methods = {square_methods},
    .attributes = {value_attribute<SquareClass>, square_getset},
    .class_attributes = add_constants<SquareClass, SQUARE_CONSTANTS>,
});

}  // namespace korvan::py
