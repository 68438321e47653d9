#include "support/convert.h"

#include <cstring>

#include "board/board_tags.h"

namespace korvan::py {

bool extract_str(PyObject* obj, std::string_view& out) {
    if (!PyUnicode_Check(obj)) {
        wrong_class(obj, "str");
        return false;
    }
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(obj, &size);
    if (!text) return false;
    out = std::string_view(text, static_cast<std::size_t>(size));
    return true;
}

bool str_arg(PyObject* obj, const char* name, std::string_view& out) {
    if (extract_str(obj, out)) return true;
    argument_error(name);
    return false;
}

bool extract_bool(PyObject* obj, bool& out, const char* class_name) {
    if (obj == Py_True || obj == Py_False) {
        out = obj == Py_True;
        return true;
    }
    // numpy's scalar is recognised by its type name so that numpy is never imported
    // here: "numpy.bool" since numpy 2, "numpy.bool_" before.
    const char* name = Py_TYPE(obj)->tp_name;
    if (std::strcmp(name, "numpy.bool") == 0 || std::strcmp(name, "numpy.bool_") == 0) {
        const int truth = PyObject_IsTrue(obj);
        if (truth < 0) return false;
        out = truth != 0;
        return true;
    }
    wrong_class(obj, class_name);
    return false;
}

bool extract_move_arg(PyObject* obj, Move& out) {
    bool raised = false;
    if (extract<MoveClass>(obj, out, raised)) return true;
    if (raised) return false;
    std::uint32_t wide = 0;
    if (extract<Move32Class>(obj, wide, raised)) {
        out = move16(wide);
        return true;
    }
    if (raised) return false;
    switch (extract_u16_int(obj, "move", out)) {
        case U16::Ok: return true;
        case U16::Failed: return false;
        case U16::NotInt: break;
    }
    if (PyUnicode_Check(obj))
        return usi_move_text<move_from_usi>(obj, "move must be valid USI move when passed as str", out);
    PyErr_SetString(PyExc_TypeError, "move must be Move, Move32, int, or USI str");
    return false;
}

bool extract_path_arg(PyObject* obj, std::string& out) {
    Ref os(PyImport_ImportModule("os"));
    if (!os) return false;
    Ref path(PyObject_CallMethod(os.get(), "fspath", "O", obj));
    if (!path) return false;
    std::string_view text;
    if (!extract_str(path.get(), text)) return false;
    out.assign(text);
    return true;
}

bool game_result_from_object(PyObject* obj, GameResult& out) {
    bool raised = false;
    if (std::uint8_t value = 0; extract<GameResultClass>(obj, value, raised)) {
        out = static_cast<GameResult>(value);
        return true;
    }
    if (raised) return false;
    if (PyLong_Check(obj)) {
        int overflow = 0;
        const long long v = PyLong_AsLongLongAndOverflow(obj, &overflow);
        if (v == -1 && PyErr_Occurred()) return false;
        if (!overflow && v >= 0 && v <= 255) {
            if (!is_game_result(static_cast<unsigned>(v))) {
                PyErr_SetString(PyExc_ValueError, "invalid GameResult value");
                return false;
            }
            out = static_cast<GameResult>(v);
            return true;
        }
    } else if (PyUnicode_Check(obj)) {
        std::string_view text;
        if (!extract_str(obj, text)) return false;
        const auto result = game_result_from_name(text);
        if (!result) {
            PyErr_Format(PyExc_ValueError, "invalid GameResult name: %U", obj);
            return false;
        }
        out = *result;
        return true;
    }
    PyErr_SetString(PyExc_TypeError, "result must be GameResult, int, or str");
    return false;
}

}  // namespace korvan::py
