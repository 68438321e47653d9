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
struct PositionStateClass : ClassTag<"PositionState", PositionState> { static const ClassDefinition definition; };
struct ValidationIssueClass : ClassTag<"ValidationIssue", ValidationIssue> { static const ClassDefinition definition; };
struct ValidationReportClass : ClassTag<"ValidationReport", std::vector<ValidationIssue>> { static const ClassDefinition definition; };
struct SvgClass : ClassTag<"Svg", std::string> { static const ClassDefinition definition; };

// A Board owns one position with its history and belongs to the thread that made it.
struct BoardClass : ClassTag<"Board", Position> {
    using Binding = ThreadBound;
    static const ClassDefinition definition;
    static constexpr const char* thread_name = "korvan::PyBoard";
};

}  // namespace korvan::py
