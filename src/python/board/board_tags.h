#pragma once
// The tags of the board classes: Board, PositionState, the validation findings and the
// SVG picture.

#include <string>
#include <vector>

#include "core/board/position/position.h"
#include "core/board/position/position_state.h"
#include "core/board/position/validation.h"
#include "support/class_definition.h"
#include "values/value_tags.h"

namespace korvan::py {

// Editable position descriptions, the findings of validation and board pictures:
// compared by value (the first three) or not at all (Svg), never hashed.
struct PositionStateClass : ValueClass<PositionStateClass, PositionState> {
    static constexpr const char* name = "PositionState";
    static const ClassDefinition definition;
};
struct ValidationIssueClass : ValueClass<ValidationIssueClass, ValidationIssue> {
    static constexpr const char* name = "ValidationIssue";
    static const ClassDefinition definition;
};
struct ValidationReportClass : ValueClass<ValidationReportClass, std::vector<ValidationIssue>> {
    static constexpr const char* name = "ValidationReport";
    static const ClassDefinition definition;
};
struct SvgClass : ValueClass<SvgClass, std::string> {
    static constexpr const char* name = "Svg";
    static const ClassDefinition definition;
};

// A Board owns one position with its history and belongs to the thread that made it.
struct BoardClass : ValueClass<BoardClass, Position> {
    using Binding = ThreadBound;
    static constexpr const char* name = "Board";
    static const ClassDefinition definition;
    static constexpr const char* thread_name = "korvan::PyBoard";
};

}  // namespace korvan::py
