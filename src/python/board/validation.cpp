// ValidationIssue and ValidationReport, and the validation members of Board and
// PositionState.

#include "board/validation.h"

#include "support/convert.h"
#include "support/lists.h"
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

PyObject* issue_message(const ValidationIssue& issue) { return message_str(validation_issue_display(issue)); }

PyObject* issue_repr(const ValidationIssue& issue) {
    const std::string text = std::string("ValidationIssue(kind='") + kind_name(issue) +
                             "', message=" + debug_str(validation_issue_display(issue)) + ")";
    return to_py_str(text);
}

constexpr Attributes issue_getset = attribute_table<ValidationIssueClass,
    Attribute<"kind", issue_kind>,
    Attribute<"color", issue_color>,
    Attribute<"file_usi", issue_file_usi>,
    Attribute<"count", issue_count>,
    Attribute<"square", issue_square>,
    Attribute<"piece_type", issue_piece_type>,
    Attribute<"message", issue_message>>;

using Issues = std::vector<ValidationIssue>;

Py_ssize_t report_length(const Issues& issues) { return static_cast<Py_ssize_t>(issues.size()); }

PyObject* report_is_valid(const Issues& issues) { return PyBool_FromLong(issues.empty()); }

PyObject* report_issues(const Issues& issues) {
    return list_of<ValidationIssueClass>(issues);
}

PyObject* report_repr(const Issues& issues) {
    return PyUnicode_FromFormat("ValidationReport(is_valid=%s, issue_count=%zu)", issues.empty() ? "true" : "false",
                                issues.size());
}

constexpr Methods report_methods = method_table<ValidationReportClass,
    Method<"is_valid()", report_is_valid>>;

constexpr Attributes report_getset = attribute_table<ValidationReportClass,
    Attribute<"issues", report_issues>>;

}  // namespace

PyObject* validate_position(const Position& pos) {
    if (const auto issue = position_is_valid(pos)) {
        raise_value_error(validation_issue_display(*issue));
        return nullptr;
    }
    Py_RETURN_NONE;
}

PyObject* position_is_valid_bool(const Position& pos) { return PyBool_FromLong(!position_is_valid(pos)); }

PyObject* validate_all_position(const Position& pos) {
    return wrap<ValidationReportClass>(position_validate_all(pos));
}

const ClassDefinition ValidationIssueClass::definition = define<ValidationIssueClass>({
    .doc = "A finding of validation.",
    .attributes = {issue_getset},
    .richcompare = value_equality<ValidationIssueClass>,
    .repr = slot<ValidationIssueClass, issue_repr>,
    .str = slot<ValidationIssueClass, issue_message>,
});

const ClassDefinition ValidationReportClass::definition = define<ValidationReportClass>({
    .doc = "Every finding of validation, in check order.",
    .methods = {report_methods},
    .attributes = {report_getset},
    .richcompare = value_equality<ValidationReportClass>,
    .repr = slot<ValidationReportClass, report_repr>,
    .length = length<ValidationReportClass, report_length>,
});

}  // namespace korvan::py
