#pragma once
// The plain-dict forms (the record dict and its parts, metadata patches, engine
// information, time controls, the board's dict results): member look-ups that keep a
// member alive while it is converted, the strict-mode key scan, the members whose
// failures carry the form's own message instead of the conversion's, and the one way a
// dict is filled.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "support/integers.h"
#include "support/ref.h"

namespace korvan::py {

// The key as UTF-8 when it is a str (or subclass) that encodes; nothing otherwise,
// with no exception left behind. A str holding lone surrogates counts as no str.
inline std::optional<std::string_view> utf8_key(PyObject* key) {
    if (!PyUnicode_Check(key)) return std::nullopt;
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(key, &size);
    if (!text) {
        PyErr_Clear();
        return std::nullopt;
    }
    return std::string_view(text, static_cast<std::size_t>(size));
}

// The member under `key` as a new reference, so that a conversion running Python code
// cannot free it. Null when absent; when the look-up itself raised, `failed` is set
// and the dict's exception stands.
inline Ref dict_member(PyObject* dict, PyObject* key, bool& failed) {
    failed = false;
    PyObject* item = PyDict_GetItemWithError(dict, key);
    if (!item && PyErr_Occurred()) failed = true;
    return Ref::borrow(item);
}
inline Ref dict_member(PyObject* dict, std::string_view key, bool& failed) {
    Ref name(PyUnicode_FromStringAndSize(key.data(), static_cast<Py_ssize_t>(key.size())));
    if (!name) {
        failed = true;
        return Ref();
    }
    return dict_member(dict, name.get(), failed);
}

inline bool is_none(const Ref& member) { return !member || member.get() == Py_None; }

// Strict reading: every key, in the dict's order, must be a str (else TypeError
// `not_str`) and one of `known` (else ValueError `unknown_format`, whose one %U takes
// the key). Values are not looked at, so a key error always wins over a value error.
inline bool check_strict_keys(PyObject* dict, std::span<const std::string_view> known, const char* not_str,
                              const char* unknown_format) {
    Py_ssize_t pos = 0;
    PyObject* key = nullptr;
    PyObject* value = nullptr;
    while (PyDict_Next(dict, &pos, &key, &value)) {
        if (!PyUnicode_Check(key)) {
            PyErr_SetString(PyExc_TypeError, not_str);
            return false;
        }
        const auto text = utf8_key(key);
        bool listed = false;
        for (std::string_view k : known) listed = listed || (text && *text == k);
        if (!listed) {
            PyErr_Format(PyExc_ValueError, unknown_format, key);
            return false;
        }
    }
    return true;
}

// None (or absent) gives nothing, a str its text; anything else, a str that does not
// encode included, raises TypeError `message`.
inline bool optional_text_member(PyObject* value, const char* message, std::optional<std::string>& out) {
    out.reset();
    if (!value || value == Py_None) return true;
    const auto text = utf8_key(value);
    if (!text) {
        PyErr_SetString(PyExc_TypeError, message);
        return false;
    }
    out.emplace(*text);
    return true;
}

// None (or absent) gives nothing, an int 0..4294967295 through the index protocol its
// value; anything else raises TypeError `message` in place of the conversion's error.
inline bool optional_u32_member(PyObject* value, const char* message, std::optional<std::uint32_t>& out) {
    out.reset();
    if (!value || value == Py_None) return true;
    std::uint32_t v = 0;
    if (!extract_int(value, v)) {
        PyErr_SetString(PyExc_TypeError, message);
        return false;
    }
    out = v;
    return true;
}

// Sets `dict[key]` to a new reference, which it takes over (null: a failed build).
inline bool put_member(PyObject* dict, PyObject* key, PyObject* owned) {
    Ref item(owned);
    return item && key && PyDict_SetItem(dict, key, item.get()) == 0;
}
inline bool put_member(PyObject* dict, const char* key, PyObject* owned) {
    Ref item(owned);
    return item && PyDict_SetItemString(dict, key, item.get()) == 0;
}

}  // namespace korvan::py
