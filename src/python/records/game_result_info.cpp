// GameResultInfo: a read-only summary of how a record's main line ends, and its dict
// form.

#include "board/board_tags.h"
#include "support/dicts.h"
#include "support/convert.h"
#include "records/value_forms.h"
#include "support/simple_classes.h"

namespace korvan::py {

namespace {

using GRI = GameResultInfoClass;

PyObject* result(const GameResultSummary& s) { return wrap<GameResultClass>(s.result); }
PyObject* ply_count(const GameResultSummary& s) { return PyLong_FromUnsignedLongLong(s.ply_count); }
PyObject* reason(const GameResultSummary& s) { return optional_str_to_py(s.reason); }
PyObject* end_time_ms(const GameResultSummary& s) { return optional_int_to_object(s.end_time_ms); }
PyObject* end_comment(const GameResultSummary& s) { return optional_str_to_py(s.end_comment); }

PyObject* game_result_info_repr(const GameResultSummary& s) {
    check_index("GAME_RESULT_NAMES", s.result, GAME_RESULT_NB);
    const std::string text = "GameResultInfo(result=" + std::string(GAME_RESULT_NAMES[s.result]) +
                             ", ply_count=" + std::to_string(s.ply_count) +
                             ", end_time_ms=" + optional_number_text(s.end_time_ms) + ")";
    return to_py_str(text);
}

constexpr Attributes getset = attribute_table<GRI,
    Attribute<"result", result>,
    Attribute<"ply_count", ply_count>,
    Attribute<"reason", reason>,
    Attribute<"end_time_ms", end_time_ms>,
    Attribute<"end_comment", end_comment>>;

}  // namespace

PyObject* game_result_info_to_object(const GameResultSummary& summary) { return wrap<GRI>(summary); }

PyObject* result_info_to_dict(const GameResultSummary& summary) {
    Ref dict(PyDict_New());
    if (!dict) return nullptr;
    const auto put = [&](const char* key, PyObject* owned) { return put_member(dict.get(), key, owned); };
    if (!put("result", PyLong_FromLong(summary.result)) ||
        !put("ply_count", PyLong_FromUnsignedLongLong(summary.ply_count)) ||
        !put("reason", optional_str_to_py(summary.reason)) ||
        !put("end_time_ms", optional_int_to_object(summary.end_time_ms)) ||
        !put("end_comment", optional_str_to_py(summary.end_comment)))
        return nullptr;
    return dict.release();
}

const ClassDefinition GRI::definition = simple_class<GRI, game_result_info_repr>(
    "How a record's main line ends: its result, move count and terminal entry.",
    getset);

}  // namespace korvan::py
