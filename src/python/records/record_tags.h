#pragma once
// The tags of the record classes, so that every record binding file can make,
// recognise and read an object of another record class; and the module functions of
// the group.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/records/editor.h"
#include "core/records/entries.h"
#include "core/records/metadata.h"
#include "core/records/record.h"
#include "support/class_definition.h"

namespace korvan::py {

struct EngineInfoClass : ClassTag<"EngineInfo", EngineInfo> { static const ClassDefinition definition; };
struct MoveEntryClass : ClassTag<"MoveEntry", MoveEntry> { static const ClassDefinition definition; };
struct SpecialMoveEntryClass : ClassTag<"SpecialMoveEntry", SpecialMoveEntry> { static const ClassDefinition definition; };
struct TimeControlClass : ClassTag<"TimeControl", TimeControl> { static const ClassDefinition definition; };
struct RecordMetadataClass : ClassTag<"RecordMetadata", RecordMetadata> { static const ClassDefinition definition; };

// How a record's main line ends, copied out of the record.
struct GameResultSummary {
    GameResult result = INVALID;
    std::uint64_t ply_count = 0;
    std::optional<std::string> reason;
    std::optional<std::uint32_t> end_time_ms;
    std::optional<std::string> end_comment;
};
struct GameResultInfoClass : ClassTag<"GameResultInfo", GameResultSummary> { static const ClassDefinition definition; };

// The core id (from 1); Python sees id - 1.
struct RecordNodeIdClass : ClassTag<"RecordNodeId", std::uint32_t> { static const ClassDefinition definition; };
struct RecordEntryClass : ClassTag<"RecordEntry", std::variant<MoveEntry, SpecialMoveEntry>> { static const ClassDefinition definition; };
struct RecordClass : ClassTag<"Record", Record> { static const ClassDefinition definition; };
// Empty once the record has been moved out of the cursor.
struct RecordEditorClass : ClassTag<"RecordEditor", std::optional<RecordEditor>> { static const ClassDefinition definition; };

// A namespace of str constants: it has no instances.
struct RecordMetadataKeyClass : ClassTag<"RecordMetadataKey", RecordMetadataKey> { static const ClassDefinition definition; };

// What parse_usi_position_parts found: the start, the moves and the position reached.
struct UsiParts {
    std::string initial_sfen;
    std::vector<Move> moves;
    std::string final_sfen;
};
struct UsiPositionPartsClass : ClassTag<"UsiPositionParts", UsiParts> { static const ClassDefinition definition; };

// Module functions: parse_usi_position, parse_usi_position_parts, normalize_usi_position.
extern const Methods USI_POSITION_FUNCTIONS;

}  // namespace korvan::py
