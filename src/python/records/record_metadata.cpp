// RecordMetadata: the header of a record (players, event, dates, time controls, the
// move limit, the impasse rule and free attributes), every field readable and
// writable from Python.

#include "support/convert.h"
#include "records/quoted_text.h"
#include "records/value_forms.h"
#include "support/simple_classes.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

using RM = RecordMetadataClass;
using Key = RecordMetadataKey;
using Attributes = decltype(RecordMetadata::attributes);
using TimeControlField = std::optional<TimeControl> RecordMetadata::*;

// --- Conversions of one field ------------------------------------------------------------

bool text_arg(PyObject* obj, const char* name, std::optional<std::string>& out) {
    return optional_str_arg(obj, name, out);
}

bool time_control_arg(PyObject* obj, const char* name, std::optional<TimeControl>& out) {
    out.reset();
    if (!obj || obj == Py_None) return true;
    TimeControl tc;
    if (!extract_arg<TimeControlClass>(obj, name, tc)) return false;
    out = tc;
    return true;
}

// A dict of str to str; its pairs go into the sorted map.
bool attributes_arg(PyObject* obj, const char* name, Attributes& out) {
    if (!PyDict_Check(obj)) {
        wrong_class(obj, "dict");
        argument_error(name);
        return false;
    }
    Attributes attributes;
    Py_ssize_t pos = 0;
    PyObject* key = nullptr;
    PyObject* value = nullptr;
    while (PyDict_Next(obj, &pos, &key, &value)) {
        std::string k;
        std::string v;
        if (!str_arg(key, name, k) || !str_arg(value, name, v)) return false;
        attributes.insert_or_assign(std::move(k), std::move(v));
    }
    out = std::move(attributes);
    return true;
}

// --- Construction -----------------------------------------------------------------------------

// The sixteen parameters in field order; the standard texts among them by key.
constexpr const char* PARAMS[] = {
    "event",        "site",          "black_player",       "white_player", "game_name",  "game_type",
    "time_control", "black_time_control", "white_time_control", "max_moves", "impasse_rule", "start_date",
    "end_date",     "updated_date",  "comment",            "attributes",
};
constexpr int TIME_CONTROL = 6, BLACK_TIME_CONTROL = 7, WHITE_TIME_CONTROL = 8, MAX_MOVES = 9, IMPASSE_RULE = 10,
              ATTRIBUTES = 15;
struct TextParam {
    int index;
    Key key;
};
constexpr TextParam TEXT_PARAMS_BEFORE[] = {{0, Key::Event},       {1, Key::Site},     {2, Key::BlackPlayer},
                                            {3, Key::WhitePlayer}, {4, Key::GameName}, {5, Key::GameType}};
constexpr TextParam TEXT_PARAMS_AFTER[] = {
    {11, Key::StartDate}, {12, Key::EndDate}, {13, Key::UpdatedDate}, {14, Key::Comment}};

bool texts_arg(PyObject* const* args, const auto& params, RecordMetadata& out) {
    for (const TextParam& p : params)
        if (!text_arg(args[p.index], PARAMS[p.index], out.texts[static_cast<int>(p.key)])) return false;
    return true;
}

// Converted one by one in field order; the first failure wins.
bool record_metadata_init(PyObject* const* args, RecordMetadata& out) {
    RecordMetadata m;
    if (!texts_arg(args, TEXT_PARAMS_BEFORE, m) ||
        !time_control_arg(args[TIME_CONTROL], PARAMS[TIME_CONTROL], m.time_control) ||
        !time_control_arg(args[BLACK_TIME_CONTROL], PARAMS[BLACK_TIME_CONTROL], m.black_time_control) ||
        !time_control_arg(args[WHITE_TIME_CONTROL], PARAMS[WHITE_TIME_CONTROL], m.white_time_control) ||
        !optional_int_from_object(args[MAX_MOVES], PARAMS[MAX_MOVES], m.max_moves) ||
        !text_arg(args[IMPASSE_RULE], PARAMS[IMPASSE_RULE], m.impasse_rule) || !texts_arg(args, TEXT_PARAMS_AFTER, m))
        return false;
    PyObject* attributes = args[ATTRIBUTES];
    if (attributes && attributes != Py_None && !attributes_arg(attributes, PARAMS[ATTRIBUTES], m.attributes))
        return false;
    out = std::move(m);
    return true;
}

// --- Attributes ---------------------------------------------------------------------------------

template <Key K>
PyObject* text_field(const RecordMetadata& m) {
    return optional_str_to_py(m.get(K));
}
template <Key K>
void store_text(RecordMetadata& m, std::optional<std::string>& value) {
    m.texts[static_cast<int>(K)] = std::move(value);
}

template <TimeControlField F>
PyObject* time_control_field(const RecordMetadata& m) {
    if (!(m.*F)) Py_RETURN_NONE;
    return time_control_to_object(*(m.*F));
}
template <TimeControlField F>
void store_time_control(RecordMetadata& m, std::optional<TimeControl>& value) {
    m.*F = value;
}

PyObject* max_moves(const RecordMetadata& m) { return optional_int_to_object(m.max_moves); }
void store_max_moves(RecordMetadata& m, std::optional<std::uint32_t>& value) { m.max_moves = value; }
PyObject* impasse_rule(const RecordMetadata& m) { return optional_str_to_py(m.impasse_rule); }
void store_impasse_rule(RecordMetadata& m, std::optional<std::string>& value) { m.impasse_rule = std::move(value); }

PyObject* attributes(const RecordMetadata& m) {
    Ref dict(PyDict_New());
    if (!dict) return nullptr;
    for (const auto& [key, value] : m.attributes) {
        Ref k(to_py_str(key));
        Ref v(to_py_str(value));
        if (!k || !v || PyDict_SetItem(dict.get(), k.get(), v.get()) < 0) return nullptr;
    }
    return dict.release();
}
void store_attributes(RecordMetadata& m, Attributes& value) { m.attributes = std::move(value); }

bool text_value(PyObject* obj, std::optional<std::string>& out) { return text_arg(obj, "value", out); }
bool time_control_value(PyObject* obj, std::optional<TimeControl>& out) {
    return time_control_arg(obj, "value", out);
}
bool max_moves_value(PyObject* obj, std::optional<std::uint32_t>& out) {
    return optional_int_from_object(obj, "value", out);
}
// None is refused here: the whole map is replaced, and clear_attributes empties it.
bool attributes_value(PyObject* obj, Attributes& out) { return attributes_arg(obj, "attributes", out); }

// --- Methods --------------------------------------------------------------------------------------

PyObject* set_attribute(RecordMetadata& m, PyObject* const* args) {
    std::string key;
    std::string value;
    if (!str_arg(args[0], "key", key) || !str_arg(args[1], "value", value)) return nullptr;
    m.attributes.insert_or_assign(std::move(key), std::move(value));
    Py_RETURN_NONE;
}

PyObject* remove_attribute(RecordMetadata& m, PyObject* const* args) {
    std::string key;
    if (!str_arg(args[0], "key", key)) return nullptr;
    return pop_entry(m.attributes, key, to_py_str);
}

PyObject* clear_attributes(RecordMetadata& m) {
    m.attributes.clear();
    Py_RETURN_NONE;
}

std::string debug_text(const std::optional<std::string>& text) {
    return text ? "Some(" + quoted_text(*text) + ")" : std::string("None");
}

PyObject* record_metadata_repr(const RecordMetadata& m) {
    const std::string text = "RecordMetadata(event=" + debug_text(m.get(Key::Event)) +
                             ", site=" + debug_text(m.get(Key::Site)) +
                             ", players=" + debug_text(m.get(Key::BlackPlayer)) + "/" +
                             debug_text(m.get(Key::WhitePlayer)) + ")";
    return to_py_str(text);
}

constexpr Methods methods = method_table<RM,
    Method<"set_attribute(key, value)", set_attribute, Access::Exclusive>,
    Method<"remove_attribute(key)", remove_attribute, Access::Exclusive>,
    Method<"clear_attributes()", clear_attributes, Access::Exclusive>>;

// The text and time-control attributes, one row per metadata field.
template <Text Name, Key K>
using TextAttribute = Attribute<Name, text_field<K>, Converted<text_value, store_text<K>>>;
template <Text Name, TimeControlField F>
using TimeControlAttribute =
    Attribute<Name, time_control_field<F>, Converted<time_control_value, store_time_control<F>>>;

constexpr korvan::py::Attributes getset = attribute_table<RM,
    TextAttribute<"event", Key::Event>,
    TextAttribute<"site", Key::Site>,
    TextAttribute<"black_player", Key::BlackPlayer>,
    TextAttribute<"white_player", Key::WhitePlayer>,
    TextAttribute<"game_name", Key::GameName>,
    TextAttribute<"game_type", Key::GameType>,
    TimeControlAttribute<"time_control", &RecordMetadata::time_control>,
    TimeControlAttribute<"black_time_control", &RecordMetadata::black_time_control>,
    TimeControlAttribute<"white_time_control", &RecordMetadata::white_time_control>,
    Attribute<"max_moves", max_moves, Converted<max_moves_value, store_max_moves>>,
    Attribute<"impasse_rule", impasse_rule, Converted<text_value, store_impasse_rule>>,
    TextAttribute<"start_date", Key::StartDate>,
    TextAttribute<"end_date", Key::EndDate>,
    TextAttribute<"updated_date", Key::UpdatedDate>,
    TextAttribute<"comment", Key::Comment>,
    Attribute<"attributes", attributes, Converted<attributes_value, store_attributes>>>;

}  // namespace

PyObject* record_metadata_to_object(const RecordMetadata& metadata) { return wrap<RM>(metadata); }

const ClassDefinition RM::definition = simple_class<RM, record_metadata_repr>(
    constructor<RM, "(event=None, site=None, black_player=None, white_player=None, game_name=None, "
        "game_type=None, time_control=None, black_time_control=None, white_time_control=None, max_moves=None, "
        "impasse_rule=None, start_date=None, end_date=None, updated_date=None, comment=None, attributes=None)", record_metadata_init>,
    getset,
    methods);

}  // namespace korvan::py
