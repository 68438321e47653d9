// The metadata dict: sixteen keys, each read by its own rule, and the unlisted keys
// that permissive reading and patching turn into attributes.

#include "records/metadata_dict.h"

#include <array>

#include "support/convert.h"
#include "support/dicts.h"
#include "records/value_forms.h"

namespace korvan::py {

namespace {

using Key = RecordMetadataKey;
using Attributes = decltype(RecordMetadata::attributes);
using TimeControlField = std::optional<TimeControl> RecordMetadata::*;

enum class FieldKind : std::uint8_t { Text, MaxMoves, ImpasseRule, TimeControl, Attributes };

struct Field {
    std::string_view key;
    FieldKind kind;
    Key text = Key::Event;                  // Text
    TimeControlField time_control = nullptr;  // TimeControl
};

// Written in this order, and read in it: the first failing key of this order wins.
constexpr std::array<Field, 16> FIELDS = {{
    {"event", FieldKind::Text, Key::Event},
    {"site", FieldKind::Text, Key::Site},
    {"black_player", FieldKind::Text, Key::BlackPlayer},
    {"white_player", FieldKind::Text, Key::WhitePlayer},
    {"game_name", FieldKind::Text, Key::GameName},
    {"game_type", FieldKind::Text, Key::GameType},
    {"max_moves", FieldKind::MaxMoves},
    {"impasse_rule", FieldKind::ImpasseRule},
    {"start_date", FieldKind::Text, Key::StartDate},
    {"end_date", FieldKind::Text, Key::EndDate},
    {"updated_date", FieldKind::Text, Key::UpdatedDate},
    {"comment", FieldKind::Text, Key::Comment},
    {"time_control", FieldKind::TimeControl, Key::Event, &RecordMetadata::time_control},
    {"black_time_control", FieldKind::TimeControl, Key::Event, &RecordMetadata::black_time_control},
    {"white_time_control", FieldKind::TimeControl, Key::Event, &RecordMetadata::white_time_control},
    {"attributes", FieldKind::Attributes},
}};

constexpr std::array<std::string_view, FIELDS.size()> field_keys() {
    std::array<std::string_view, FIELDS.size()> keys{};
    for (std::size_t i = 0; i < FIELDS.size(); ++i) keys[i] = FIELDS[i].key;
    return keys;
}
constexpr auto FIELD_KEYS = field_keys();

constexpr std::string_view REMOVED_KEYS[] = {"time_control_black", "time_control_white", "black_player_name",
                                             "white_player_name", "time_specs"};

const Field* find_field(std::string_view key) {
    for (const Field& f : FIELDS)
        if (f.key == key) return &f;
    return nullptr;
}

// What tells the metadata dict from a patch: the message lead, and whether None
// empties the attributes or is refused.
struct Form {
    const char* lead;
    bool attributes_take_none;
    const char* attributes_message;
};
constexpr Form DICT_FORM{"metadata dict: ", false, "metadata dict: 'attributes' must be dict[str, str]"};
constexpr Form PATCH_FORM{"update_metadata: ", true, "update_metadata: 'attributes' must be dict[str, str] or None"};

// The field's TypeError, in place of whatever the conversion raised.
bool refuse(const Form& form, std::string_view key, const char* expected) {
    std::string text(form.lead);
    text += '\'';
    text += key;
    text += "' must be ";
    text += expected;
    return raise_error(PyExc_TypeError, text);
}

// A dict of str keys and str values, every text encodable; the whole map or nothing.
bool attributes_from_dict(PyObject* obj, Attributes& out) {
    if (!PyDict_Check(obj)) return false;
    Attributes attributes;
    Py_ssize_t pos = 0;
    PyObject* key = nullptr;
    PyObject* value = nullptr;
    while (PyDict_Next(obj, &pos, &key, &value)) {
        const auto k = utf8_key(key);
        const auto v = utf8_key(value);
        if (!k || !v) return false;
        attributes.insert_or_assign(std::string(*k), std::string(*v));
    }
    out = std::move(attributes);
    return true;
}

// Applies one of the sixteen keys: None clears the field (an empty metadata stays
// empty), an accepted value sets it.
bool apply_field(const Field& f, PyObject* value, const Form& form, RecordMetadata& m) {
    switch (f.kind) {
        case FieldKind::Text:
        case FieldKind::ImpasseRule: {
            std::optional<std::string>& field =
                f.kind == FieldKind::Text ? m.texts[static_cast<int>(f.text)] : m.impasse_rule;
            if (value == Py_None) {
                field.reset();
                return true;
            }
            const auto text = utf8_key(value);
            if (!text) return refuse(form, f.key, "str or None");
            field.emplace(*text);
            return true;
        }
        case FieldKind::MaxMoves: {
            if (value == Py_None) {
                m.max_moves.reset();
                return true;
            }
            std::uint32_t v = 0;
            if (!extract_int(value, v)) return refuse(form, f.key, "int or None");
            m.max_moves = v;
            return true;
        }
        case FieldKind::TimeControl: {
            std::optional<TimeControl> tc;
            if (!time_control_from_object(value, tc)) return false;
            m.*f.time_control = tc;
            return true;
        }
        case FieldKind::Attributes: {
            if (value == Py_None && form.attributes_take_none) {
                m.attributes.clear();
                return true;
            }
            Attributes attributes;
            if (value == Py_None || !attributes_from_dict(value, attributes)) {
                PyErr_SetString(PyExc_TypeError, form.attributes_message);
                return false;
            }
            m.attributes = std::move(attributes);
            return true;
        }
    }
    return true;
}

// An unlisted key in permissive mode: None removes the attribute, a str sets it.
bool apply_unlisted(std::string_view key, PyObject* key_obj, PyObject* value, const char* refused_format,
                    RecordMetadata& m) {
    if (value == Py_None) {
        if (const auto it = m.attributes.find(key); it != m.attributes.end()) m.attributes.erase(it);
        return true;
    }
    const auto text = utf8_key(value);
    if (!text) {
        PyErr_Format(PyExc_TypeError, refused_format, key_obj);
        return false;
    }
    m.attributes.insert_or_assign(std::string(key), std::string(*text));
    return true;
}

constexpr const char* REMOVED_FORMAT_DICT =
    "metadata dict: key '%U' was removed; use black_time_control/white_time_control/time_control";
constexpr const char* REMOVED_FORMAT_PATCH =
    "update_metadata: key '%U' was removed; use black_time_control/white_time_control/time_control";

}  // namespace

bool is_removed_metadata_key(std::string_view key) {
    for (std::string_view removed : REMOVED_KEYS)
        if (key == removed) return true;
    return false;
}

PyObject* metadata_to_dict(const RecordMetadata& m) {
    Ref dict(PyDict_New());
    if (!dict) return nullptr;
    for (const Field& f : FIELDS) {
        PyObject* value = nullptr;
        switch (f.kind) {
            case FieldKind::Text: value = optional_str_to_py(m.get(f.text)); break;
            case FieldKind::ImpasseRule: value = optional_str_to_py(m.impasse_rule); break;
            case FieldKind::MaxMoves: value = optional_int_to_object(m.max_moves); break;
            case FieldKind::TimeControl:
                if (const auto& tc = m.*f.time_control)
                    value = time_control_to_dict(*tc);
                else
                    value = Py_NewRef(Py_None);
                break;
            case FieldKind::Attributes: {
                Ref attributes(PyDict_New());
                if (!attributes) return nullptr;
                for (const auto& [key, text] : m.attributes) {
                    Ref k(to_py_str(key));
                    if (!k || !put_member(attributes.get(), k.get(), to_py_str(text))) return nullptr;
                }
                value = attributes.release();
                break;
            }
        }
        const std::string key(f.key);
        if (!put_member(dict.get(), key.c_str(), value)) return nullptr;
    }
    return dict.release();
}

namespace {

bool metadata_of_dict(PyObject* value, bool strict, RecordMetadata& out) {
    if (strict && !check_strict_keys(value, FIELD_KEYS, "metadata dict keys must be str",
                                     "metadata dict: unknown key '%U' in strict mode"))
        return false;
    RecordMetadata m;
    for (const Field& f : FIELDS) {
        bool failed = false;
        Ref member = dict_member(value, f.key, failed);
        if (failed) return false;
        if (member && !apply_field(f, member.get(), DICT_FORM, m)) return false;
    }
    if (!strict) {
        // After the sixteen, so that an unlisted key overrides or removes what the
        // "attributes" member gave, wherever the two stand in the dict. Nothing here
        // runs Python code, so the dict cannot change under the walk.
        Py_ssize_t pos = 0;
        PyObject* key = nullptr;
        PyObject* item = nullptr;
        while (PyDict_Next(value, &pos, &key, &item)) {
            const auto name = utf8_key(key);
            if (!name) {
                PyErr_SetString(PyExc_TypeError, "metadata dict keys must be str");
                return false;
            }
            if (find_field(*name)) continue;
            if (is_removed_metadata_key(*name)) {
                PyErr_Format(PyExc_ValueError, REMOVED_FORMAT_DICT, key);
                return false;
            }
            if (!apply_unlisted(*name, key, item,
                                "metadata dict: unknown key '%U' must be str or None in permissive mode", m))
                return false;
        }
    }
    out = std::move(m);
    return true;
}

}  // namespace

bool metadata_from_dict(PyObject* value, bool strict, RecordMetadata& out) {
    return object_or_dict<RecordMetadataClass>(value, "metadata must be RecordMetadata or dict", out,
                                               [&] { return metadata_of_dict(value, strict, out); });
}

bool apply_metadata_patch(const RecordMetadata& current, PyObject* patch, bool strict, RecordMetadata& out) {
    // A time control's conversion may run Python code that changes the patch: walk a
    // snapshot of its entries, in its order.
    Ref items(PyDict_Items(patch));
    if (!items) return false;
    RecordMetadata m = current;
    const Py_ssize_t n = PyList_GET_SIZE(items.get());
    for (Py_ssize_t i = 0; i < n; ++i) {
        PyObject* pair = PyList_GET_ITEM(items.get(), i);
        PyObject* key = PyTuple_GET_ITEM(pair, 0);
        PyObject* value = PyTuple_GET_ITEM(pair, 1);
        const auto name = utf8_key(key);
        if (!name) {
            PyErr_SetString(PyExc_TypeError, "update_metadata: patch keys must be str");
            return false;
        }
        if (const Field* f = find_field(*name)) {
            if (!apply_field(*f, value, PATCH_FORM, m)) return false;
            continue;
        }
        if (is_removed_metadata_key(*name)) {
            PyErr_Format(PyExc_ValueError, REMOVED_FORMAT_PATCH, key);
            return false;
        }
        if (strict) {
            PyErr_Format(PyExc_ValueError, "update_metadata: unknown key '%U'", key);
            return false;
        }
        if (!apply_unlisted(*name, key, value, "update_metadata: unknown key '%U' must be str or None in permissive mode",
                            m))
            return false;
    }
    out = std::move(m);
    return true;
}

}  // namespace korvan::py
