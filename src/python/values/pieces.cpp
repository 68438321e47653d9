// PieceType and Piece.

#include "values/value_tags.h"
#include "support/convert.h"
#include "support/value_shape.h"
#include "core/types/piece.h"

namespace korvan::py {

namespace {

PyObject* byte_value(const std::uint8_t& v) { return PyLong_FromLong(v); }

// --- PieceType ---------------------------------------------------------------------

bool piece_type_init(PyObject* const* args, std::uint8_t& out) {
    if (args[0] == Py_None) return true;
    if (!extract_signed_byte(args[0], "value", out)) return false;
    if (out >= PIECE_TYPE_NB) {
        PyErr_SetString(PyExc_ValueError, "invalid piece type value");
        return false;
    }
    return true;
}

PyObject* parse_piece_type(PyObject* text_obj, std::string_view text) {
    auto pt = piece_type_from_usi(text);
    if (!pt) {
        PyErr_Format(PyExc_ValueError, "invalid piece type: %U", text_obj);
        return nullptr;
    }
    return wrap<PieceTypeClass>(*pt);
}

PyObject* piece_type_from_usi_method(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    if (!extract_str(args[0], text)) {
        argument_error("usi");
        return nullptr;
    }
    return parse_piece_type(args[0], text);
}

PyObject* piece_type_to_usi(const std::uint8_t& pt) { return message_str(piece_type_display(pt)); }
PyObject* piece_type_repr(const std::uint8_t& pt) {
    const std::string_view text = piece_type_display(pt);
    return PyUnicode_FromFormat("PieceType(%s)", std::string(text).c_str());
}
PyObject* piece_type_is_promotable(const std::uint8_t& pt) { return PyBool_FromLong(is_promotable(PieceType(pt))); }
PyObject* piece_type_is_promoted(const std::uint8_t& pt) { return PyBool_FromLong(pt >= PRO_PAWN); }
PyObject* piece_type_promote(const std::uint8_t& pt) {
    return wrap<PieceTypeClass>(is_promotable(PieceType(pt)) ? static_cast<std::uint8_t>(pt + 8) : pt);
}
PyObject* piece_type_demote(const std::uint8_t& pt) { return wrap<PieceTypeClass>(demote(PieceType(pt))); }

constexpr Methods piece_type_methods = method_table<PieceTypeClass,
    ClassMethod<"from_usi(usi)", piece_type_from_usi_method>,
    Method<"to_usi()", piece_type_to_usi>,
    Method<"is_promotable()", piece_type_is_promotable>,
    Method<"is_promoted()", piece_type_is_promoted>,
    Method<"promote()", piece_type_promote>,
    Method<"demote()", piece_type_demote>>;

constexpr Attributes piece_type_getset = attribute_table<PieceTypeClass,
    Attribute<"value", byte_value>>;

// --- Piece -------------------------------------------------------------------------

bool piece_init(PyObject* const* args, std::uint8_t& out) {
    if (args[0] == Py_None) return true;
    if (!extract_signed_byte(args[0], "value", out)) return false;
    if (out != NO_PIECE && (out >= PIECE_NB || (out & 15) == 0)) {
        PyErr_SetString(PyExc_ValueError, "invalid piece value");
        return false;
    }
    return true;
}

PyObject* piece_from_color_type(PyTypeObject*, PyObject* const* args) {
    std::uint8_t color = 0;
    std::uint8_t piece_type = 0;
    if (!extract_arg<ColorClass>(args[0], "color", color) ||
        !extract_arg<PieceTypeClass>(args[1], "piece_type", piece_type))
        return nullptr;
    return wrap<PieceClass>(static_cast<std::uint8_t>(color * 16 + piece_type));
}

// " " is the empty square; otherwise an optional "+", then a letter whose case gives
// the colour. The rest is upper-cased with the full Unicode mapping before it is
// read as a piece type, so the error quotes the upper-cased text.
PyObject* piece_from_usi_method(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    if (!extract_str(args[0], text)) {
        argument_error("usi");
        return nullptr;
    }
    if (text == " ") return wrap<PieceClass>(NO_PIECE);
    const bool promoted = !text.empty() && text[0] == '+';
    Ref rest(PyUnicode_Substring(args[0], promoted ? 1 : 0, PY_SSIZE_T_MAX));
    if (!rest) return nullptr;
    const bool white = PyUnicode_GET_LENGTH(rest.get()) > 0 && Py_UNICODE_ISLOWER(PyUnicode_READ_CHAR(rest.get(), 0));
    Ref upper(PyObject_CallMethod(rest.get(), "upper", nullptr));
    if (!upper) return nullptr;
    Ref full(promoted ? PyUnicode_FromFormat("+%U", upper.get()) : upper.release());
    if (!full) return nullptr;
    std::string_view full_text;
    if (!extract_str(full.get(), full_text)) return nullptr;
    auto pt = piece_type_from_usi(full_text);
    if (!pt) {
        PyErr_Format(PyExc_ValueError, "invalid piece type: %U", full.get());
        return nullptr;
    }
    return wrap<PieceClass>(make_piece(white ? WHITE : BLACK, *pt));
}

PyObject* piece_color(const std::uint8_t& p) { return wrap<ColorClass>(color_of(Piece(p))); }
PyObject* piece_piece_type(const std::uint8_t& p) { return wrap<PieceTypeClass>(type_of(Piece(p))); }
PyObject* piece_is_promoted(const std::uint8_t& p) { return PyBool_FromLong((p & 15) >= PRO_PAWN); }
PyObject* piece_promote(const std::uint8_t& p) {
    return wrap<PieceClass>(is_promotable(type_of(Piece(p))) ? static_cast<std::uint8_t>(p + 8) : p);
}
// GOLD_LIKE (15) counts as promoted here, so it loses 8 like the promoted types.
PyObject* piece_unpromoted(const std::uint8_t& p) {
    return wrap<PieceClass>((p & 15) >= PRO_PAWN ? static_cast<std::uint8_t>(p - 8) : p);
}
PyObject* piece_base_type(const std::uint8_t& p) {
    const unsigned pt = p & 15;
    return wrap<PieceTypeClass>(static_cast<std::uint8_t>(pt >= PRO_PAWN ? pt - 8 : pt));
}
PyObject* piece_str(const std::uint8_t& p) { return message_str(piece_display(p)); }
PyObject* piece_repr(const std::uint8_t& p) { return PyUnicode_FromFormat("Piece(%s)", piece_display(p).c_str()); }

constexpr Methods piece_methods = method_table<PieceClass,
    ClassMethod<"from_color_type(color, piece_type)", piece_from_color_type>,
    ClassMethod<"from_usi(usi)", piece_from_usi_method>,
    Method<"is_promoted()", piece_is_promoted>,
    Method<"promote()", piece_promote>,
    Method<"unpromoted_piece()", piece_unpromoted>,
    Method<"base_piece_type()", piece_base_type>>;

constexpr Attributes piece_getset = attribute_table<PieceClass,
    Attribute<"color", piece_color>,
    Attribute<"piece_type", piece_piece_type>,
    Attribute<"value", byte_value>>;

constexpr const char* PIECE_TYPE_NAMES[PIECE_TYPE_NB] = {
    "NO_PIECE_TYPE", "PAWN",     "LANCE",      "KNIGHT",     "SILVER", "BISHOP", "ROOK",   "GOLD",
    "KING",          "PRO_PAWN", "PRO_LANCE",  "PRO_KNIGHT", "PRO_SILVER", "HORSE", "DRAGON", "GOLD_LIKE",
};

bool add_piece_type_attributes(PyTypeObject* type) {
    for (std::uint8_t pt = 0; pt < PIECE_TYPE_NB; ++pt)
        if (!add_class_attribute(type, PIECE_TYPE_NAMES[pt], wrap<PieceTypeClass>(pt))) return false;
    return true;
}

}  // namespace

const ClassDefinition PieceTypeClass::definition = define<PieceTypeClass>({
    .constructor = constructor<PieceTypeClass, "(value)", piece_type_init>,
    .methods = {piece_type_methods},
    .attributes = {piece_type_getset},
    .richcompare = richcompare<PieceTypeClass>,
    .hash = hash_value<PieceTypeClass>,
    .repr = slot<PieceTypeClass, piece_type_repr>,
    .str = slot<PieceTypeClass, piece_type_to_usi>,
    .to_int = slot<PieceTypeClass, raw_int<PieceTypeClass::Value>>,
    .class_attributes = add_piece_type_attributes,
});

const ClassDefinition PieceClass::definition = define<PieceClass>({
    .constructor = constructor<PieceClass, "(value)", piece_init>,
    .methods = {piece_methods},
    .attributes = {piece_getset},
    .richcompare = richcompare<PieceClass>,
    .hash = hash_value<PieceClass>,
    .repr = slot<PieceClass, piece_repr>,
    .str = slot<PieceClass, piece_str>,
    .to_int = slot<PieceClass, raw_int<PieceClass::Value>>,
});

}  // namespace korvan::py
