#pragma once
// The tags of the record classes, so that every record binding file can make,
// recognise and read an object of another record class.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "core/records/editor.h"
#include "core/records/entries.h"
#include "core/records/metadata.h"
#include "core/records/record.h"
#include "support/classes.h"

namespace korvan::py {

struct EngineInfoClass : ValueClass<EngineInfoClass, EngineInfo> {
    static constexpr const char* name = "EngineInfo";
};
struct MoveEntryClass : ValueClass<MoveEntryClass, MoveEntry> {
    static constexpr const char* name = "MoveEntry";
};
struct SpecialMoveEntryClass : ValueClass<SpecialMoveEntryClass, SpecialMoveEntry> {
    static constexpr const char* name = "SpecialMoveEntry";
};
struct TimeControlClass : ValueClass<TimeControlClass, TimeControl> {
    static constexpr const char* name = "TimeControl";
};
struct RecordMetadataClass : ValueClass<RecordMetadataClass, RecordMetadata> {
    static constexpr const char* name = "RecordMetadata";
};

// How a record's main line ends, copied out of the record.
struct GameResultSummary {
    GameResult result = INVALID;
    std::uint64_t ply_count = 0;
    std::optional<std::string> reason;
    std::optional<std::uint32_t> end_time_ms;
    std::optional<std::string> end_comment;
};
struct GameResultInfoClass : ValueClass<GameResultInfoClass, GameResultSummary> {
    static constexpr const char* name = "GameResultInfo";
};

// The core id (from 1); Python sees id - 1.
struct RecordNodeIdClass : ValueClass<RecordNodeIdClass, std::uint32_t> {
    static constexpr const char* name = "RecordNodeId";
};
struct RecordEntryClass : ValueClass<RecordEntryClass, std::variant<MoveEntry, SpecialMoveEntry>> {
    static constexpr const char* name = "RecordEntry";
};
struct RecordClass : ValueClass<RecordClass, Record> {
    static constexpr const char* name = "Record";
};
// Empty once the record has been moved out of the cursor.
struct RecordEditorClass : ValueClass<RecordEditorClass, std::optional<RecordEditor>> {
    static constexpr const char* name = "RecordEditor";
};

}  // namespace korvan::py
