// TimeControl: base time, byoyomi and increment in whole seconds, with the text form
// "base+byoyomi+increment" and the time-control dict form.

#include "support/dicts.h"
#include "support/convert.h"
#include "core/records/time_text.h"
#include "records/value_forms.h"
#include "support/simple_classes.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

using TC = TimeControlClass;

constexpr const char* INVALID_SPEC = "invalid time control spec";

// TimeControl(base_seconds, byoyomi_seconds, increment_seconds)
bool time_control_init(PyObject* const* args, TimeControl& out) {
    return int_arg(args[0], "base_seconds", out.base_seconds) &&
           int_arg(args[1], "byoyomi_seconds", out.byoyomi_seconds) &&
           int_arg(args[2], "increment_seconds", out.increment_seconds);
}

bool spec_from_text(std::string_view text, TimeControl& out) {
    const auto tc = time_control_parse_spec(text);
    if (!tc) {
        PyErr_SetString(PyExc_ValueError, INVALID_SPEC);
        return false;
    }
    out = *tc;
    return true;
}

bool spec_arg(PyObject* obj, TimeControl& out) {
    std::string_view text;
    return str_arg(obj, "spec", text) && spec_from_text(text, out);
}

// Always a plain TimeControl, also when called on a subclass.
PyObject* from_spec(PyTypeObject*, PyObject* const* args) {
    TimeControl tc;
    if (!spec_arg(args[0], tc)) return nullptr;
    return time_control_to_object(tc);
}

PyObject* normalize_spec(PyTypeObject*, PyObject* const* args) {
    TimeControl tc;
    if (!spec_arg(args[0], tc)) return nullptr;
    return message_str(time_control_to_spec(tc));
}

PyObject* to_spec(const TimeControl& tc) { return message_str(time_control_to_spec(tc)); }
PyObject* base_seconds(const TimeControl& tc) { return PyLong_FromUnsignedLong(tc.base_seconds); }
PyObject* byoyomi_seconds(const TimeControl& tc) { return PyLong_FromUnsignedLong(tc.byoyomi_seconds); }
PyObject* increment_seconds(const TimeControl& tc) { return PyLong_FromUnsignedLong(tc.increment_seconds); }

PyObject* time_control_repr(const TimeControl& tc) {
    return PyUnicode_FromFormat("TimeControl(base_seconds=%lu, byoyomi_seconds=%lu, increment_seconds=%lu)",
                                static_cast<unsigned long>(tc.base_seconds),
                                static_cast<unsigned long>(tc.byoyomi_seconds),
                                static_cast<unsigned long>(tc.increment_seconds));
}

// A dict count: missing is 0; anything but an int 0..4294967295 is the key's TypeError.
bool dict_seconds(PyObject* dict, const char* key, const char* message, std::uint32_t& out) {
    bool failed = false;
    Ref item = dict_member(dict, key, failed);
    if (!item) return !failed;
    if (!extract_int(item.get(), out)) {
        PyErr_SetString(PyExc_TypeError, message);
        return false;
    }
    return true;
}

constexpr const char* PARAMS[] = {"base_seconds", "byoyomi_seconds", "increment_seconds"};

constexpr Methods methods = method_table<TC,
    Method<"to_spec()", to_spec>,
    ClassMethod<"from_spec(spec)", from_spec>,
    ClassMethod<"normalize_spec(spec)", normalize_spec>>;

constexpr Attributes getset = attribute_table<TC,
    Attribute<"base_seconds", base_seconds>,
    Attribute<"byoyomi_seconds", byoyomi_seconds>,
    Attribute<"increment_seconds", increment_seconds>>;

}  // namespace

PyObject* time_control_to_object(const TimeControl& tc) { return wrap<TC>(tc); }

bool time_control_from_object(PyObject* obj, std::optional<TimeControl>& out) {
    out.reset();
    if (obj == Py_None) return true;
    TimeControl tc;
    bool raised = false;
    if (extract<TC>(obj, tc, raised)) {
        out = tc;
        return true;
    }
    if (raised) return false;
    if (PyUnicode_Check(obj)) {
        std::string_view text;
        if (!extract_str(obj, text) || !spec_from_text(text, tc)) return false;
        out = tc;
        return true;
    }
    if (PyDict_Check(obj)) {
        if (!dict_seconds(obj, "base_seconds", "'base_seconds' must be int", tc.base_seconds) ||
            !dict_seconds(obj, "byoyomi_seconds", "'byoyomi_seconds' must be int", tc.byoyomi_seconds) ||
            !dict_seconds(obj, "increment_seconds", "'increment_seconds' must be int", tc.increment_seconds))
            return false;
        out = tc;
        return true;
    }
    PyErr_SetString(PyExc_TypeError, "time control must be TimeControl, str, dict, or None");
    return false;
}

PyObject* time_control_to_dict(const TimeControl& tc) {
    Ref dict(PyDict_New());
    if (!dict) return nullptr;
    const std::uint32_t values[] = {tc.base_seconds, tc.byoyomi_seconds, tc.increment_seconds};
    for (int i = 0; i < 3; ++i) {
        Ref value(PyLong_FromUnsignedLong(values[i]));
        if (!value || PyDict_SetItemString(dict.get(), PARAMS[i], value.get()) < 0) return nullptr;
    }
    return dict.release();
}

const ClassDefinition TC::definition = simple_class<TC, time_control_repr>(
    constructor<TC, "(base_seconds, byoyomi_seconds, increment_seconds)", time_control_init>,
    getset,
    methods);

}  // namespace korvan::py
