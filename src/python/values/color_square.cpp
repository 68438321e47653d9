// Color and Square.

#include "class_tags.h"
#include "support/convert.h"
#include "support/value_shape.h"
#include "core/types/color.h"
#include "core/types/square.h"

namespace korvan::py {

namespace {

// --- Color -------------------------------------------------------------------------

constexpr const char* VALUE[] = {"value"};
constexpr const char* USI[] = {"usi"};

bool color_init(PyObject* const* args, std::uint8_t& out) {
    if (args[0] && args[0] != Py_None) {
        if (!extract_signed_byte(args[0], "value", out)) return false;
        if (out > WHITE) {
            PyErr_SetString(PyExc_ValueError, "invalid color value");
            return false;
        }
    }
    return true;
}

PyObject* color_from_usi(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    if (!extract_str(args[0], text)) {
        argument_error("usi");
        return nullptr;
    }
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
PyObject* byte_value(const std::uint8_t& v) { return PyLong_FromLong(v); }

PyObject* color_repr(const std::uint8_t& c) {
    const std::string_view name = color_display(Color(c));
    return PyUnicode_FromFormat("Color(%s)", std::string(name).c_str());
}

PyObject* color_str(const std::uint8_t& c) { return to_py_str(color_display(Color(c))); }

constexpr Signature COLOR_NEW{"__new__", VALUE, 0};
constexpr Signature COLOR_FROM_USI{"from_usi", USI};
constexpr Signature COLOR_FLIP{"flip"};
constexpr Signature COLOR_OPPONENT{"opponent"};
constexpr Signature COLOR_IS_BLACK{"is_black"};
constexpr Signature COLOR_IS_WHITE{"is_white"};

PyMethodDef color_methods[] = {
    class_method_def<class_method<ColorClass, COLOR_FROM_USI, color_from_usi>>("from_usi",
                                                                                "from_usi($cls, usi)\n--\n\n"),
    method_def<method<ColorClass, COLOR_FLIP, color_flip>>("flip", "flip($self)\n--\n\n"),
    method_def<method<ColorClass, COLOR_OPPONENT, color_flip>>("opponent", "opponent($self)\n--\n\n"),
    method_def<method<ColorClass, COLOR_IS_BLACK, color_is_black>>("is_black", "is_black($self)\n--\n\n"),
    method_def<method<ColorClass, COLOR_IS_WHITE, color_is_white>>("is_white", "is_white($self)\n--\n\n"),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef color_getset[] = {
    {"value", getter<ColorClass, byte_value>, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

// --- Square ------------------------------------------------------------------------

constexpr const char* IDX[] = {"idx"};
constexpr const char* FILE_RANK[] = {"file", "rank"};

bool square_init(PyObject* const* args, std::uint8_t& out) {
    out = SQ_NONE;
    if (args[0] && args[0] != Py_None) {
        if (!extract_signed_byte(args[0], "value", out)) return false;
        if (out > SQ_NONE) {
            PyErr_SetString(PyExc_ValueError, "invalid square value");
            return false;
        }
    }
    return true;
}

PyObject* square_from_usi_method(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    if (!extract_str(args[0], text)) {
        argument_error("usi");
        return nullptr;
    }
    auto square = square_from_usi(text);
    if (!square) {
        PyErr_SetString(PyExc_ValueError, square.error().c_str());
        return nullptr;
    }
    return wrap<SquareClass>(*square);
}

PyObject* square_from_index(PyTypeObject*, PyObject* const* args) {
    std::uint64_t index = 0;
    if (!extract_int(args[0], index)) {
        argument_error("idx");
        return nullptr;
    }
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

PyObject* square_to_usi(const std::uint8_t& s) { return to_py_str(square_display_usi(s)); }
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

PyObject* square_repr(const std::uint8_t& s) {
    return PyUnicode_FromFormat("Square(%s)", square_display_usi(s).c_str());
}

constexpr Signature SQUARE_NEW{"__new__", VALUE, 0};
constexpr Signature SQUARE_FROM_USI{"from_usi", USI};
constexpr Signature SQUARE_FROM_INDEX{"from_index", IDX};
constexpr Signature SQUARE_FROM_FILE_RANK{"from_file_rank", FILE_RANK};
constexpr Signature SQUARE_TO_USI{"to_usi"};
constexpr Signature SQUARE_IS_VALID{"is_valid"};
constexpr Signature SQUARE_IS_NONE{"is_none"};
constexpr Signature SQUARE_MIRROR_FILE{"mirror_file"};
constexpr Signature SQUARE_FLIP_SIDE{"flip_side"};

PyMethodDef square_methods[] = {
    class_method_def<class_method<SquareClass, SQUARE_FROM_USI, square_from_usi_method>>(
        "from_usi", "from_usi($cls, usi)\n--\n\n"),
    class_method_def<class_method<SquareClass, SQUARE_FROM_INDEX, square_from_index>>(
        "from_index", "from_index($cls, idx)\n--\n\n"),
    class_method_def<class_method<SquareClass, SQUARE_FROM_FILE_RANK, square_from_file_rank>>(
        "from_file_rank", "from_file_rank($cls, file, rank)\n--\n\n"),
    method_def<method<SquareClass, SQUARE_TO_USI, square_to_usi>>("to_usi", "to_usi($self)\n--\n\n"),
    method_def<method<SquareClass, SQUARE_IS_VALID, square_is_valid>>("is_valid", "is_valid($self)\n--\n\n"),
    method_def<method<SquareClass, SQUARE_IS_NONE, square_is_none>>("is_none", "is_none($self)\n--\n\n"),
    method_def<method<SquareClass, SQUARE_MIRROR_FILE, square_mirror_file>>("mirror_file",
                                                                            "mirror_file($self)\n--\n\n"),
    method_def<method<SquareClass, SQUARE_FLIP_SIDE, square_flip_side>>("flip_side", "flip_side($self)\n--\n\n"),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef square_getset[] = {
    {"value", getter<SquareClass, byte_value>, nullptr, nullptr, nullptr},
    {"file", getter<SquareClass, square_file>, nullptr, nullptr, nullptr},
    {"rank", getter<SquareClass, square_rank>, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

PyTypeObject* create_color_class() {
    ClassSpec spec = value_class_spec<ColorClass>("Color(value=None)\n--\n\n");
    spec.new_ = construct_new<ColorClass, COLOR_NEW, color_init>;
    spec.vectorcall = construct_vectorcall<ColorClass, COLOR_NEW, color_init>;
    spec.methods = color_methods;
    spec.getset = color_getset;
    spec.repr = slot<ColorClass, color_repr>;
    spec.str = slot<ColorClass, color_str>;
    PyTypeObject* type = build_class(spec);
    if (!type) return nullptr;
    ColorClass::type = type;
    if (!add_class_attribute(type, "BLACK", wrap<ColorClass>(BLACK)) ||
        !add_class_attribute(type, "WHITE", wrap<ColorClass>(WHITE)))
        return nullptr;
    return type;
}

PyTypeObject* create_square_class() {
    ClassSpec spec = value_class_spec<SquareClass>("Square(value=None)\n--\n\n");
    spec.new_ = construct_new<SquareClass, SQUARE_NEW, square_init>;
    spec.vectorcall = construct_vectorcall<SquareClass, SQUARE_NEW, square_init>;
    spec.methods = square_methods;
    spec.getset = square_getset;
    spec.repr = slot<SquareClass, square_repr>;
    spec.str = slot<SquareClass, square_to_usi>;
    PyTypeObject* type = build_class(spec);
    if (!type) return nullptr;
    SquareClass::type = type;
    if (!add_class_attribute(type, "NONE", wrap<SquareClass>(SQ_NONE))) return nullptr;
    return type;
}

}  // namespace korvan::py
