#pragma once
// The record header: ten keyed texts, three time controls, the move limit, the
// impasse rule and free attributes in key order.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace korvan {

struct TimeControl {
    std::uint32_t base_seconds = 0;
    std::uint32_t byoyomi_seconds = 0;
    std::uint32_t increment_seconds = 0;

    bool operator==(const TimeControl&) const = default;
};

// "base+byoyomi+increment" in decimal.
std::string time_control_to_spec(const TimeControl& tc);

enum class RecordMetadataKey : std::uint8_t {
    Event,
    Site,
    BlackPlayer,
    WhitePlayer,
    GameName,
    GameType,
    StartDate,
    EndDate,
    UpdatedDate,
    Comment,
};
constexpr int RECORD_METADATA_KEY_NB = 10;

inline constexpr std::array<std::string_view, RECORD_METADATA_KEY_NB> RECORD_METADATA_KEY_NAMES = {
    "event", "site", "black_player", "white_player", "game_name",
    "game_type", "start_date", "end_date", "updated_date", "comment",
};

struct RecordMetadata {
    // Indexed by RecordMetadataKey; an empty text is a present value.
    std::array<std::optional<std::string>, RECORD_METADATA_KEY_NB> texts;
    std::optional<TimeControl> time_control;
    std::optional<TimeControl> black_time_control;
    std::optional<TimeControl> white_time_control;
    std::optional<std::uint32_t> max_moves;
    std::optional<std::string> impasse_rule;
    // Byte order of the keys.
    std::map<std::string, std::string, std::less<>> attributes;

    const std::optional<std::string>& get(RecordMetadataKey k) const { return texts[static_cast<int>(k)]; }
    void set(RecordMetadataKey k, std::string value) { texts[static_cast<int>(k)] = std::move(value); }

    bool operator==(const RecordMetadata&) const = default;
};

// Appends one line to the comment: an empty line does nothing, an absent or empty
// comment takes the line as it is, otherwise "\n" joins them.
void metadata_append_line(RecordMetadata& metadata, std::string_view line);

}  // namespace korvan
