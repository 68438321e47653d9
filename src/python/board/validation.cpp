// ValidationIssue and ValidationReport, and the validation members of Board and
// PositionState.

#include "board/validation.h"

#include "support/convert.h"
#include "support/value_shape.h"
#include "core/util/text.h"

namespace korvan::py {

namespace {

using K = ValidationIssue::Kind;

constexpr const char* KIND_NAMES[] = {"NO_KING", "TWO_KINGS", "DOUBLE_PAWN", "INVALID_HAND_COUNT",
                                      "INVALID_PLACEMENT"};

const char* kind_name(const ValidationIssue& issue) { return KIND_NAMES[static_cast<int>(issue.kind)]; }

PyObject* issue_kind(const ValidationIssue& issue) { return PyUnicode_FromString(kind_name(issue)); }

PyObject* issue_color(const ValidationIssue& issue) {
    if (issue.kind != K::NoKing && issue.kind != K::TwoKings && issue.kind != K::DoublePawn) Py_RETURN_NONE;
    return wrap<ColorClass>(issue.color);
}

PyObject* issue_file_usi(const ValidationIssue& issue) {
    if (issue.kind != K::DoublePawn) Py_RETURN_NONE;
    const char digit = static_cast<char>('1' + issue.file);
    return PyUnicode_FromStringAndSize(&digit, 1);
}

PyObject* issue_count(const ValidationIssue& issue) {
    if (issue.kind != K::InvalidHandCount) Py_RETURN_NONE;
    return PyLong_FromUnsignedLong(issue.count);
}

PyObject* issue_square(const ValidationIssue& issue) {
    if (issue.kind != K::InvalidPlacement) Py_RETURN_NONE;
    return wrap<SquareClass>(issue.square);
}

PyObject* issue_piece_type(const ValidationIssue& issue) {
    if (issue.kind == K::InvalidHandCount) return wrap<PieceTypeClass>(piece_type_of(issue.hand_piece));
    if (issue.kind == K::InvalidPlacement) return wrap<PieceTypeClass>(issue.piece_type);
    Py_RETURN_NONE;
}

PyObject* issue_message(const ValidationIssue& issue) { return to_py_str(validation_issue_display(issue)); }

PyObject* issue_repr(const ValidationIssue& issue) {
    const std::string text = std::string("ValidationIssue(kind='") + kind_name(issue) +
                             "', message=" + debug_str(validation_issue_display(issue)) + ")";
    return to_py_str(text);
}

PyGetSetDef issue_getset[] = {
    {"kind", getter<ValidationIssueClass, issue_kind>, nullptr, nullptr, nullptr},
    {"color", getter<ValidationIssueClass, issue_color>, nullptr, nullptr, nullptr},
    {"file_usi", getter<ValidationIssueClass, issue_file_usi>, nullptr, nullptr, nullptr},
    {"count", getter<ValidationIssueClass, issue_count>, nullptr, nullptr, nullptr},
    {"square", getter<ValidationIssueClass, issue_square>, nullptr, nullptr, nullptr},
    {"piece_type", getter<ValidationIssueClass, issue_piece_type>, nullptr, nullptr, nullptr},
    {"message", getter<ValidationIssueClass, issue_message>, nullptr, nullptr, nullptr},
    GETSET_END,
};

using Issues = std::vector<ValidationIssue>;

Py_ssize_t report_length(const Issues& issues) { return static_cast<Py_ssize_t>(issues.size()); }

PyObject* report_is_valid(const Issues& issues) { return PyBool_FromLong(issues.empty()); }

PyObject* report_issues(const Issues& issues) {
    Ref list(PyList_New(static_cast<Py_ssize_t>(issues.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < issues.size(); ++i) {
        PyObject* item = wrap<ValidationIssueClass>(issues[i]);
        if (!item) return nullptr;
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), item);
    }
    return list.release();
}

PyObject* report_repr(const Issues& issues) {
    return PyUnicode_FromFormat("ValidationReport(is_valid=%s, issue_count=%zu)", issues.empty() ? "true" : "false",
                                issues.size());
}

constexpr Signature IS_VALID{"is_valid"};

PyMethodDef report_methods[] = {
    method_def<method<ValidationReportClass, IS_VALID, report_is_valid>>("is_valid", "is_valid($self)\n--\n\n"),
    METHODS_END,
};

PyGetSetDef report_getset[] = {
    {"issues", getter<ValidationReportClass, report_issues>, nullptr, nullptr, nullptr},
    GETSET_END,
};

template <class C>
PyTypeObject* finish_class(ClassSpec spec) {
    spec.richcompare = value_equality<C>;
    PyTypeObject* type = build_class(spec);
    if (type) C::type = type;
    return type;
}

}  // namespace

PyObject* validate_position(const Position& pos) {
    if (const auto issue = position_is_valid(pos)) {
        PyErr_SetString(PyExc_ValueError, validation_issue_display(*issue).c_str());
        return nullptr;
    }
    Py_RETURN_NONE;
}

PyObject* position_is_valid_bool(const Position& pos) { return PyBool_FromLong(!position_is_valid(pos)); }

PyObject* validate_all_position(const Position& pos) {
    return wrap<ValidationReportClass>(position_validate_all(pos));
}

PyTypeObject* create_validation_issue_class() {
    ClassSpec spec = class_spec<ValidationIssueClass>("A finding of validation.");
    spec.getset = issue_getset;
    spec.repr = slot<ValidationIssueClass, issue_repr>;
    spec.str = slot<ValidationIssueClass, issue_message>;
    return finish_class<ValidationIssueClass>(spec);
}

PyTypeObject* create_validation_report_class() {
    ClassSpec spec = class_spec<ValidationReportClass>("Every finding of validation, in check order.");
    spec.methods = report_methods;
    spec.getset = report_getset;
    spec.repr = slot<ValidationReportClass, report_repr>;
    spec.length = length<ValidationReportClass, report_length>;
    return finish_class<ValidationReportClass>(spec);
}

}  // namespace korvan::py
