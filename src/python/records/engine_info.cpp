// EngineInfo: the search figures of a move and its extras, with the engine-information
// and extras dict forms.

#include <cmath>
#include <string_view>

#include "support/dicts.h"
#include "support/convert.h"
#include "records/value_forms.h"
#include "support/simple_classes.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

using EI = EngineInfoClass;

void set_eval(EngineInfo& info, std::optional<std::int32_t> eval) {
    if (eval) {
        engine_info_set_eval(info, *eval);
    } else {
        info.eval.reset();
        info.eval_is_mate_kind = false;
    }
}

// One optional integer of the engine_info dict: absent or None is nothing; any
// conversion failure is replaced by the member's TypeError.
template <class T>
bool dict_int(PyObject* dict, const char* key, const char* message, std::optional<T>& out) {
    bool failed = false;
    Ref item = dict_member(dict, key, failed);
    if (failed) return false;
    out.reset();
    if (!item || item.get() == Py_None) return true;
    T value{};
    if (!extract_int(item.get(), value)) {
        PyErr_SetString(PyExc_TypeError, message);
        return false;
    }
    out = value;
    return true;
}

constexpr std::string_view DICT_KEYS[] = {"eval", "depth", "nodes", "seldepth", "extras"};

bool engine_info_from_dict(PyObject* dict, bool permissive, EngineInfo& out) {
    if (!permissive && !check_strict_keys(dict, DICT_KEYS, "engine_info dict keys must be str",
                                          "engine_info dict: unknown key '%U' in strict mode"))
        return false;
    std::optional<std::int32_t> eval;
    std::optional<std::uint16_t> depth;
    std::optional<std::uint64_t> nodes;
    std::optional<std::uint16_t> seldepth;
    if (!dict_int(dict, "eval", "engine_info dict: 'eval' must be int or None", eval) ||
        !dict_int(dict, "depth", "engine_info dict: 'depth' must be int or None", depth) ||
        !dict_int(dict, "nodes", "engine_info dict: 'nodes' must be int or None", nodes) ||
        !dict_int(dict, "seldepth", "engine_info dict: 'seldepth' must be int or None", seldepth))
        return false;
    EngineInfo info;
    bool failed = false;
    Ref extras = dict_member(dict, "extras", failed);
    if (failed) return false;
    if (extras && extras.get() != Py_None && !extras_from_dict(extras.get(), info.extras)) return false;
    set_eval(info, eval);
    info.depth = depth;
    info.nodes = nodes;
    info.seldepth = seldepth;
    out = std::move(info);
    return true;
}

// --- The class ---------------------------------------------------------------------------

// EngineInfo(eval=None, depth=None, nodes=None, seldepth=None, wall_time_ms=None,
//            latency_delta_ms=None, extras=None)
bool engine_info_init(PyObject* const* args, EngineInfo& out) {
    std::optional<std::int32_t> eval;
    std::optional<std::uint16_t> depth;
    std::optional<std::uint64_t> nodes;
    std::optional<std::uint16_t> seldepth;
    std::optional<std::int64_t> wall_time;
    std::optional<std::int64_t> latency;
    if (!optional_int_from_object(args[0], "eval", eval) || !optional_int_from_object(args[1], "depth", depth) ||
        !optional_int_from_object(args[2], "nodes", nodes) ||
        !optional_int_from_object(args[3], "seldepth", seldepth) ||
        !optional_int_from_object(args[4], "wall_time_ms", wall_time) ||
        !optional_int_from_object(args[5], "latency_delta_ms", latency))
        return false;
    EngineInfo info;
    set_eval(info, eval);
    info.depth = depth;
    info.nodes = nodes;
    info.seldepth = seldepth;
    engine_info_set_wall_time_ms(info, wall_time);
    engine_info_set_latency_delta_ms(info, latency);
    if (args[6] && args[6] != Py_None) {
        // Its entries win over the keyword arguments of the same names.
        Extras extras;
        if (!extras_from_dict(args[6], extras)) return false;
        for (auto& [key, value] : extras) info.extras.insert_or_assign(key, std::move(value));
    }
    out = std::move(info);
    return true;
}

PyObject* eval(const EngineInfo& info) { return optional_int_to_object(info.eval); }
PyObject* depth(const EngineInfo& info) { return optional_int_to_object(info.depth); }
PyObject* nodes(const EngineInfo& info) { return optional_int_to_object(info.nodes); }
PyObject* seldepth(const EngineInfo& info) { return optional_int_to_object(info.seldepth); }
PyObject* extras(const EngineInfo& info) { return extras_map_to_dict(info.extras); }
PyObject* wall_time_ms(const EngineInfo& info) {
    return optional_int_to_object(engine_info_wall_time_ms(info));
}
PyObject* latency_delta_ms(const EngineInfo& info) {
    return optional_int_to_object(engine_info_latency_delta_ms(info));
}

template <class T>
bool setter_value(PyObject* obj, std::optional<T>& out) {
    return optional_int_from_object(obj, "value", out);
}

void store_eval(EngineInfo& info, std::optional<std::int32_t>& value) { set_eval(info, value); }
void store_depth(EngineInfo& info, std::optional<std::uint16_t>& value) { info.depth = value; }
void store_nodes(EngineInfo& info, std::optional<std::uint64_t>& value) { info.nodes = value; }
void store_seldepth(EngineInfo& info, std::optional<std::uint16_t>& value) { info.seldepth = value; }
void store_wall_time(EngineInfo& info, std::optional<std::int64_t>& value) {
    engine_info_set_wall_time_ms(info, value);
}
void store_latency(EngineInfo& info, std::optional<std::int64_t>& value) {
    engine_info_set_latency_delta_ms(info, value);
}

// Converted under the borrow (a dict that reads this object back meets it), into a
// new map that replaces the old one only when the whole dict has converted: a failed
// write leaves the extras as they were.
bool set_extras(EngineInfo& info, PyObject* value) {
    Extras extras;
    if (value != Py_None && !extras_from_dict(value, extras)) return false;
    info.extras = std::move(extras);
    return true;
}

bool key_arg(PyObject* obj, std::string_view& out) {
    return str_arg(obj, "key", out);
}

PyObject* set_extra(EngineInfo& info, PyObject* const* args) {
    std::string_view key;
    ExtraValue value;
    if (!key_arg(args[0], key) || !extra_value_from_object(args[1], value)) return nullptr;
    info.extras.insert_or_assign(std::string(key), std::move(value));
    Py_RETURN_NONE;
}

PyObject* remove_extra(EngineInfo& info, PyObject* const* args) {
    std::string_view key;
    if (!key_arg(args[0], key)) return nullptr;
    return pop_entry(info.extras, key, extra_value_to_object);
}

PyObject* clear_extras(EngineInfo& info) {
    info.extras.clear();
    Py_RETURN_NONE;
}

PyObject* engine_info_repr(const EngineInfo& info) {
    const std::string text = "EngineInfo(eval=" + optional_number_text(info.eval) +
                             ", depth=" + optional_number_text(info.depth) +
                             ", nodes=" + optional_number_text(info.nodes) +
                             ", seldepth=" + optional_number_text(info.seldepth) + ")";
    return to_py_str(text);
}

constexpr Methods methods = method_table<EI,
    Method<"set_extra(key, value)", set_extra, Access::Exclusive>,
    Method<"remove_extra(key)", remove_extra, Access::Exclusive>,
    Method<"clear_extras()", clear_extras, Access::Exclusive>>;

constexpr Attributes getset = attribute_table<EI,
    Attribute<"eval", eval, Converted<setter_value<std::int32_t>, store_eval>>,
    Attribute<"depth", depth, Converted<setter_value<std::uint16_t>, store_depth>>,
    Attribute<"nodes", nodes, Converted<setter_value<std::uint64_t>, store_nodes>>,
    Attribute<"seldepth", seldepth, Converted<setter_value<std::uint16_t>, store_seldepth>>,
    Attribute<"extras", extras, Writable<set_extras>>,
    Attribute<"wall_time_ms", wall_time_ms, Converted<setter_value<std::int64_t>, store_wall_time>>,
    Attribute<"latency_delta_ms", latency_delta_ms, Converted<setter_value<std::int64_t>, store_latency>>>;

}  // namespace

// --- Extras -----------------------------------------------------------------------------------

bool extra_value_from_object(PyObject* obj, ExtraValue& out) {
    if (Py_IS_TYPE(obj, &PyBool_Type)) {
        out = obj == Py_True;
        return true;
    }
    {
        Ref holder;
        PyObject* number = as_index(obj, holder);
        if (number) {
            const long long v = PyLong_AsLongLong(number);
            if (!(v == -1 && PyErr_Occurred())) {
                out = static_cast<std::int64_t>(v);
                return true;
            }
        }
        PyErr_Clear();
    }
    double v = 0;
    if (PyFloat_CheckExact(obj)) {
        v = PyFloat_AS_DOUBLE(obj);
    } else {
        v = PyFloat_AsDouble(obj);
        if (v == -1.0 && PyErr_Occurred()) {
            PyErr_Clear();
            if (PyUnicode_Check(obj)) {
                std::string_view text;
                if (!extract_str(obj, text)) return false;
                out = std::string(text);
                return true;
            }
            PyErr_SetString(PyExc_TypeError, "extras values must be str, int, float, or bool");
            return false;
        }
    }
    if (!std::isfinite(v)) {
        PyErr_SetString(PyExc_ValueError, "extras float values must be finite");
        return false;
    }
    out = v;
    return true;
}

PyObject* extra_value_to_object(const ExtraValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) return to_py_str(*text);
    if (const auto* integer = std::get_if<std::int64_t>(&value)) return PyLong_FromLongLong(*integer);
    if (const auto* real = std::get_if<double>(&value)) return PyFloat_FromDouble(*real);
    return PyBool_FromLong(std::get<bool>(value));
}

bool extras_from_dict(PyObject* obj, Extras& out) {
    if (!PyDict_Check(obj)) {
        PyErr_SetString(PyExc_TypeError, "extras must be dict[str, str|int|float|bool]");
        return false;
    }
    Extras extras;
    Py_ssize_t pos = 0;
    PyObject* key = nullptr;
    PyObject* value = nullptr;
    while (PyDict_Next(obj, &pos, &key, &value)) {
        // A value's conversion may run Python code that changes the dict.
        Ref key_ref = Ref::borrow(key);
        Ref value_ref = Ref::borrow(value);
        if (!PyUnicode_Check(key)) {
            PyErr_SetString(PyExc_TypeError, "extras keys must be str");
            return false;
        }
        std::string_view text;
        ExtraValue converted;
        if (!extract_str(key, text)) return false;
        std::string name(text);
        if (!extra_value_from_object(value, converted)) return false;
        extras.insert_or_assign(std::move(name), std::move(converted));
    }
    out = std::move(extras);
    return true;
}

PyObject* extras_map_to_dict(const Extras& extras) {
    Ref dict(PyDict_New());
    if (!dict) return nullptr;
    for (const auto& [key, value] : extras) {
        Ref name(to_py_str(key));
        Ref item(extra_value_to_object(value));
        if (!name || !item || PyDict_SetItem(dict.get(), name.get(), item.get()) < 0) return nullptr;
    }
    return dict.release();
}

// --- Engine information -----------------------------------------------------------------------

PyObject* engine_info_to_object(const EngineInfo& info) { return wrap<EI>(info); }

bool engine_info_from_object(PyObject* obj, bool permissive, EngineInfo& out) {
    return object_or_dict<EI>(obj, "engine_info must be EngineInfo or dict", out,
                              [&] { return engine_info_from_dict(obj, permissive, out); });
}

PyObject* engine_info_to_dict(const EngineInfo& info) {
    Ref dict(PyDict_New());
    if (!dict) return nullptr;
    const auto put = [&](const char* key, PyObject* owned) { return put_member(dict.get(), key, owned); };
    if (!put("eval", optional_int_to_object(info.eval)) || !put("depth", optional_int_to_object(info.depth)) ||
        !put("nodes", optional_int_to_object(info.nodes)) ||
        !put("seldepth", optional_int_to_object(info.seldepth)) || !put("extras", extras_map_to_dict(info.extras)))
        return nullptr;
    return dict.release();
}

const ClassDefinition EI::definition = simple_class<EI, engine_info_repr>(
    constructor<EI, "(eval=None, depth=None, nodes=None, seldepth=None, wall_time_ms=None, "
        "latency_delta_ms=None, extras=None)", engine_info_init>,
    getset,
    methods);

}  // namespace korvan::py
