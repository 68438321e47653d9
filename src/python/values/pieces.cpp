// PieceType and Piece.

#include "values/byte_classes.h"
#include "values/value_tags.h"
#include "support/convert.h"
#include "core/types/piece.h"

namespace korvan::py {

namespace {

// --- PieceType ---------------------------------------------------------------------

constexpr bool is_piece_type_value(std::uint8_t v) { return v < PIECE_TYPE_NB; }

// The piece type that the str `text_obj` (whose UTF-8 is `text`) names; the error
// quotes it.
bool parse_piece_type(PyObject* text_obj, std::string_view text, PieceType& out) {
    auto pt = piece_type_from_usi(text);
    if (!pt) {
        PyErr_Format(PyExc_ValueError, "invalid piece type: %U", text_obj);
        return false;
    }
    out = *pt;
    return true;
}

PyObject* piece_type_from_usi_method(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    PieceType pt{};
    if (!str_arg(args[0], "usi", text) || !parse_piece_type(args[0], text, pt)) return nullptr;
    return wrap<PieceTypeClass>(pt);
}

PyObject* piece_type_to_usi(const std::uint8_t& pt) { return message_str(piece_type_display(pt)); }
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

// --- Piece -------------------------------------------------------------------------

constexpr bool is_piece_value(std::uint8_t v) { return v == NO_PIECE || (v < PIECE_NB && (v & 15) != 0); }

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
    if (!str_arg(args[0], "usi", text)) return nullptr;
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
    PieceType pt{};
    if (!extract_str(full.get(), full_text) || !parse_piece_type(full.get(), full_text, pt)) return nullptr;
    return wrap<PieceClass>(make_piece(white ? WHITE : BLACK, pt));
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

constexpr Methods piece_methods = method_table<PieceClass,
    ClassMethod<"from_color_type(color, piece_type)", piece_from_color_type>,
    ClassMethod<"from_usi(usi)", piece_from_usi_method>,
    Method<"is_promoted()", piece_is_promoted>,
    Method<"promote()", piece_promote>,
    Method<"unpromoted_piece()", piece_unpromoted>,
    Method<"base_piece_type()", piece_base_type>>;

constexpr Attributes piece_getset = attribute_table<PieceClass,
    Attribute<"color", piece_color>,
    Attribute<"piece_type", piece_piece_type>>;

constexpr const char* PIECE_TYPE_NAMES[PIECE_TYPE_NB] = {
    "NO_PIECE_TYPE", "PAWN",     "LANCE",      "KNIGHT",     "SILVER", "BISHOP", "ROOK",   "GOLD",
    "KING",          "PRO_PAWN", "PRO_LANCE",  "PRO_KNIGHT", "PRO_SILVER", "HORSE", "DRAGON", "GOLD_LIKE",
};

}  // namespace

const ClassDefinition PieceTypeClass::definition = define_displayed<PieceTypeClass, piece_type_display>({
    .constructor = constructor<PieceTypeClass, "(value)", byte_init<is_piece_type_value, "invalid piece type value">>,
    .methods = {piece_type_methods},
    .attributes = {value_attribute<PieceTypeClass>},
    .class_attributes = add_enumerators<PieceTypeClass, PIECE_TYPE_NAMES>,
});

const ClassDefinition PieceClass::definition = define_displayed<PieceClass, piece_display>({
    .constructor = constructor<PieceClass, "(value)", byte_init<is_piece_value, "invalid piece value">>,
    .methods = {piece_methods},
    .attributes = {piece_getset, value_attribute<PieceClass>},
});

}  // namespace korvan::py
