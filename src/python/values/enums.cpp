// MoveType, RepetitionState and GameResult.

#include "core/board/repetition_text.h"
#include "values/value_tags.h"
#include "support/convert.h"

namespace korvan::py {

namespace {

bool zero(PyObject* const*, std::uint8_t& out) {
    out = 0;
    return true;
}

template <class C, std::uint8_t V>
PyObject* equals(const std::uint8_t& v) {
    return PyBool_FromLong(v == V);
}

// --- MoveType ----------------------------------------------------------------------

constexpr const char* MOVE_TYPE_TEXT[] = {"normal", "promotion", "drop"};
constexpr const char* MOVE_TYPE_NAMES[] = {"NORMAL", "PROMOTION", "DROP"};

// Values come only from the class attributes and move getters, so they index safely.
PyObject* move_type_str(const std::uint8_t& v) { return PyUnicode_FromString(MOVE_TYPE_TEXT[v]); }
PyObject* move_type_repr(const std::uint8_t& v) { return PyUnicode_FromFormat("MoveType.%s", MOVE_TYPE_NAMES[v]); }

constexpr Methods move_type_methods = method_table<MoveTypeClass,
    Method<"is_normal()", equals<MoveTypeClass, 0>>,
    Method<"is_promotion()", equals<MoveTypeClass, 1>>,
    Method<"is_drop()", equals<MoveTypeClass, 2>>>;

// --- RepetitionState ---------------------------------------------------------------

constexpr const char* REPETITION_NAMES[] = {"NONE", "WIN", "LOSE", "DRAW", "SUPERIOR", "INFERIOR"};

constexpr std::string_view repetition_text(std::uint8_t v) { return repetition_usi(RepetitionState(v)); }

constexpr Methods repetition_methods = method_table<RepetitionStateClass,
    Method<"to_usi()", display_str<repetition_text, std::uint8_t>>>;

// --- GameResult --------------------------------------------------------------------

bool game_result_init(PyObject* const* args, std::uint8_t& out) {
    if (!int_arg(args[0], "value", out)) return false;
    if (!is_game_result(out)) {
        PyErr_SetString(PyExc_ValueError, "invalid GameResult value");
        return false;
    }
    return true;
}

PyObject* game_result_from_str(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    if (!str_arg(args[0], "name", text)) return nullptr;
    const auto result = game_result_from_name(text);
    if (!result) {
        PyErr_Format(PyExc_ValueError, "invalid GameResult name: %U", args[0]);
        return nullptr;
    }
    return wrap<GameResultClass>(*result);
}

PyObject* game_result_name(const std::uint8_t& v) { return to_py_str(GAME_RESULT_NAMES[v]); }
PyObject* game_result_value(const std::uint8_t& v) { return PyLong_FromLong(v); }
PyObject* game_result_repr(const std::uint8_t& v) {
    const std::string_view name = GAME_RESULT_NAMES[v];
    return PyUnicode_FromFormat("GameResult.%s", std::string(name).c_str());
}

template <bool (*Test)(GameResult)>
PyObject* predicate(const std::uint8_t& v) {
    return PyBool_FromLong(Test(static_cast<GameResult>(v)));
}

constexpr Methods game_result_methods = method_table<GameResultClass,
    ClassMethod<"from_str(name)", game_result_from_str>,
    Method<"is_black_win()", predicate<game_result_is_black_win>>,
    Method<"is_white_win()", predicate<game_result_is_white_win>>,
    Method<"is_win()", predicate<game_result_is_win>>,
    Method<"is_draw()", predicate<game_result_is_draw>>,
    Method<"is_win_by_declaration()", predicate<game_result_is_win_by_declaration>>,
    Method<"is_win_by_try_rule()", predicate<game_result_is_win_by_try_rule>>>;

constexpr Attributes game_result_getset = attribute_table<GameResultClass,
    Attribute<"name", game_result_name>,
    Attribute<"value", game_result_value>>;

bool add_game_result_attributes(PyTypeObject* type) {
    for (std::uint8_t v = 0; v < GAME_RESULT_NB; ++v)
        if (is_game_result(v)) {
            const std::string name(GAME_RESULT_NAMES[v]);
            if (!add_class_attribute(type, name.c_str(), wrap<GameResultClass>(v))) return false;
        }
    // __members__ maps each name to the class attribute itself, in listing order.
    Ref members(PyDict_New());
    if (!members) return false;
    for (GameResult v : GAME_RESULT_MEMBER_ORDER) {
        const std::string name(GAME_RESULT_NAMES[v]);
        PyObject* member = PyDict_GetItemString(type->tp_dict, name.c_str());  // borrowed
        if (!member) panic("GAME_RESULT_MEMBER_NAMES must contain valid GameResult names");
        if (PyDict_SetItemString(members.get(), name.c_str(), member) < 0) return false;
    }
    if (!add_class_attribute(type, "__members__", members.release())) return false;
    return true;
}

}  // namespace

const ClassDefinition MoveTypeClass::definition = define_compared<MoveTypeClass, move_type_repr, move_type_str>({
    .constructor = constructor<MoveTypeClass, "()", zero>,
    .methods = {move_type_methods},
    .class_attributes = add_enumerators<MoveTypeClass, MOVE_TYPE_NAMES>,
});

const ClassDefinition RepetitionStateClass::definition = define_displayed<RepetitionStateClass, repetition_text>({
    .constructor = constructor<RepetitionStateClass, "()", zero>,
    .methods = {repetition_methods},
    .class_attributes = add_enumerators<RepetitionStateClass, REPETITION_NAMES>,
});

const ClassDefinition GameResultClass::definition = define_compared<GameResultClass, game_result_repr, game_result_name>({
    .constructor = constructor<GameResultClass, "(value)", game_result_init>,
    .methods = {game_result_methods},
    .attributes = {game_result_getset},
    .class_attributes = add_game_result_attributes,
});

}  // namespace korvan::py
