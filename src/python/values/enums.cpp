// MoveType, RepetitionState and GameResult.

#include "core/board/repetition_text.h"
#include "class_tags.h"
#include "support/convert.h"
#include "support/value_shape.h"

namespace korvan::py {

namespace {

constexpr const char* VALUE[] = {"value"};
constexpr const char* NAME[] = {"name"};

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

constexpr Signature MOVE_TYPE_NEW{"__new__"};
constexpr Signature MOVE_TYPE_IS_NORMAL{"is_normal"};
constexpr Signature MOVE_TYPE_IS_PROMOTION{"is_promotion"};
constexpr Signature MOVE_TYPE_IS_DROP{"is_drop"};

PyMethodDef move_type_methods[] = {
    method_def<method<MoveTypeClass, MOVE_TYPE_IS_NORMAL, equals<MoveTypeClass, 0>>>("is_normal",
                                                                                     "is_normal($self)\n--\n\n"),
    method_def<method<MoveTypeClass, MOVE_TYPE_IS_PROMOTION, equals<MoveTypeClass, 1>>>(
        "is_promotion", "is_promotion($self)\n--\n\n"),
    method_def<method<MoveTypeClass, MOVE_TYPE_IS_DROP, equals<MoveTypeClass, 2>>>("is_drop",
                                                                                   "is_drop($self)\n--\n\n"),
    {nullptr, nullptr, 0, nullptr},
};

// --- RepetitionState ---------------------------------------------------------------

constexpr const char* REPETITION_NAMES[] = {"NONE", "WIN", "LOSE", "DRAW", "SUPERIOR", "INFERIOR"};

PyObject* repetition_to_usi(const std::uint8_t& v) { return to_py_str(repetition_usi(RepetitionState(v))); }
PyObject* repetition_repr(const std::uint8_t& v) {
    const std::string_view text = repetition_usi(RepetitionState(v));
    return PyUnicode_FromFormat("RepetitionState(%s)", std::string(text).c_str());
}

constexpr Signature REPETITION_NEW{"__new__"};
constexpr Signature REPETITION_TO_USI{"to_usi"};

PyMethodDef repetition_methods[] = {
    method_def<method<RepetitionStateClass, REPETITION_TO_USI, repetition_to_usi>>("to_usi",
                                                                                   "to_usi($self)\n--\n\n"),
    {nullptr, nullptr, 0, nullptr},
};

// --- GameResult --------------------------------------------------------------------

bool game_result_init(PyObject* const* args, std::uint8_t& out) {
    if (!extract_int(args[0], out)) {
        argument_error("value");
        return false;
    }
    if (!is_game_result(out)) {
        PyErr_SetString(PyExc_ValueError, "invalid GameResult value");
        return false;
    }
    return true;
}

PyObject* game_result_from_str(PyTypeObject*, PyObject* const* args) {
    std::string_view text;
    if (!extract_str(args[0], text)) {
        argument_error("name");
        return nullptr;
    }
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

constexpr Signature GAME_RESULT_NEW{"__new__", VALUE};
constexpr Signature GAME_RESULT_FROM_STR{"from_str", NAME};
constexpr Signature IS_BLACK_WIN{"is_black_win"};
constexpr Signature IS_WHITE_WIN{"is_white_win"};
constexpr Signature IS_WIN{"is_win"};
constexpr Signature IS_DRAW{"is_draw"};
constexpr Signature IS_WIN_BY_DECLARATION{"is_win_by_declaration"};
constexpr Signature IS_WIN_BY_TRY_RULE{"is_win_by_try_rule"};

PyMethodDef game_result_methods[] = {
    class_method_def<class_method<GameResultClass, GAME_RESULT_FROM_STR, game_result_from_str>>(
        "from_str", "from_str($cls, name)\n--\n\n"),
    method_def<method<GameResultClass, IS_BLACK_WIN, predicate<game_result_is_black_win>>>(
        "is_black_win", "is_black_win($self)\n--\n\n"),
    method_def<method<GameResultClass, IS_WHITE_WIN, predicate<game_result_is_white_win>>>(
        "is_white_win", "is_white_win($self)\n--\n\n"),
    method_def<method<GameResultClass, IS_WIN, predicate<game_result_is_win>>>("is_win", "is_win($self)\n--\n\n"),
    method_def<method<GameResultClass, IS_DRAW, predicate<game_result_is_draw>>>("is_draw",
                                                                                 "is_draw($self)\n--\n\n"),
    method_def<method<GameResultClass, IS_WIN_BY_DECLARATION, predicate<game_result_is_win_by_declaration>>>(
        "is_win_by_declaration", "is_win_by_declaration($self)\n--\n\n"),
    method_def<method<GameResultClass, IS_WIN_BY_TRY_RULE, predicate<game_result_is_win_by_try_rule>>>(
        "is_win_by_try_rule", "is_win_by_try_rule($self)\n--\n\n"),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef game_result_getset[] = {
    {"name", getter<GameResultClass, game_result_name>, nullptr, nullptr, nullptr},
    {"value", getter<GameResultClass, game_result_value>, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

PyTypeObject* create_move_type_class() {
    ClassSpec spec = value_class_spec<MoveTypeClass>("MoveType()\n--\n\n", false);
    spec.new_ = construct_new<MoveTypeClass, MOVE_TYPE_NEW, zero>;
    spec.vectorcall = construct_vectorcall<MoveTypeClass, MOVE_TYPE_NEW, zero>;
    spec.methods = move_type_methods;
    spec.repr = slot<MoveTypeClass, move_type_repr>;
    spec.str = slot<MoveTypeClass, move_type_str>;
    PyTypeObject* type = build_class(spec);
    if (!type) return nullptr;
    MoveTypeClass::type = type;
    for (std::uint8_t v = 0; v < 3; ++v)
        if (!add_class_attribute(type, MOVE_TYPE_NAMES[v], wrap<MoveTypeClass>(v))) return nullptr;
    return type;
}

PyTypeObject* create_repetition_state_class() {
    ClassSpec spec = value_class_spec<RepetitionStateClass>("RepetitionState()\n--\n\n", false);
    spec.new_ = construct_new<RepetitionStateClass, REPETITION_NEW, zero>;
    spec.vectorcall = construct_vectorcall<RepetitionStateClass, REPETITION_NEW, zero>;
    spec.methods = repetition_methods;
    spec.repr = slot<RepetitionStateClass, repetition_repr>;
    spec.str = slot<RepetitionStateClass, repetition_to_usi>;
    PyTypeObject* type = build_class(spec);
    if (!type) return nullptr;
    RepetitionStateClass::type = type;
    for (std::uint8_t v = 0; v < 6; ++v)
        if (!add_class_attribute(type, REPETITION_NAMES[v], wrap<RepetitionStateClass>(v))) return nullptr;
    return type;
}

PyTypeObject* create_game_result_class() {
    ClassSpec spec = value_class_spec<GameResultClass>("GameResult(value)\n--\n\n");
    spec.new_ = construct_new<GameResultClass, GAME_RESULT_NEW, game_result_init>;
    spec.vectorcall = construct_vectorcall<GameResultClass, GAME_RESULT_NEW, game_result_init>;
    spec.methods = game_result_methods;
    spec.getset = game_result_getset;
    spec.repr = slot<GameResultClass, game_result_repr>;
    spec.str = slot<GameResultClass, game_result_name>;
    PyTypeObject* type = build_class(spec);
    if (!type) return nullptr;
    GameResultClass::type = type;
    for (std::uint8_t v = 0; v < GAME_RESULT_NB; ++v)
        if (is_game_result(v)) {
            const std::string name(GAME_RESULT_NAMES[v]);
            if (!add_class_attribute(type, name.c_str(), wrap<GameResultClass>(v))) return nullptr;
        }
    // __members__ maps each name to the class attribute itself, in listing order.
    Ref members(PyDict_New());
    if (!members) return nullptr;
    for (GameResult v : GAME_RESULT_MEMBER_ORDER) {
        const std::string name(GAME_RESULT_NAMES[v]);
        PyObject* member = PyDict_GetItemString(type->tp_dict, name.c_str());  // borrowed
        if (!member) panic("GAME_RESULT_MEMBER_NAMES must contain valid GameResult names");
        if (PyDict_SetItemString(members.get(), name.c_str(), member) < 0) return nullptr;
    }
    if (!add_class_attribute(type, "__members__", members.release())) return nullptr;
    return type;
}

}  // namespace korvan::py
