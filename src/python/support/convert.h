#pragma once
// The argument conversions that several classes and functions share; every argument
// of one kind goes through one of these, so it fails with one message everywhere.
// Each returns false with a Python exception set on failure and keeps no reference to
// its argument.

#include <cstdint>
#include <string>
#include <string_view>

#include "support/integers.h"
#include "core/types/game_result.h"
#include "core/types/move.h"

namespace korvan::py {

inline PyObject* to_py_str(std::string_view text) {
    return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
}

// A str argument as UTF-8 (valid while `obj` lives); anything else raises the
// wrong-class TypeError naming "str".
bool extract_str(PyObject* obj, std::string_view& out);

// The same for a parameter: a failure carries the argument's name.
bool str_arg(PyObject* obj, const char* name, std::string_view& out);

// A bool or numpy's boolean scalar; anything else raises the wrong-class TypeError
// naming `class_name`.
bool extract_bool(PyObject* obj, bool& out, const char* class_name = "PyBool");

// A move argument: a Move, a Move32 (its low 16 bits), an int (the raw 16-bit value,
// unchecked) or USI move text.
bool extract_move_arg(PyObject* obj, Move& out);

// A move argument given as USI text: `Parse(text)` reads it, and a text it refuses
// raises ValueError with `message`.
template <auto Parse, class T>
bool usi_move_text(PyObject* obj, const char* message, T& out) {
    std::string_view text;
    if (!extract_str(obj, text)) return false;
    const auto move = Parse(text);
    if (!move) return raise_value_error(message);
    out = *move;
    return true;
}

// A path-like argument, through the interpreter's os.fspath; a bytes path is refused.
bool extract_path_arg(PyObject* obj, std::string& out);

// A GameResult, a valid result value as an int 0..255, or a member name in any ASCII
// case.
bool game_result_from_object(PyObject* obj, GameResult& out);

}  // namespace korvan::py
