#pragma once
// The values a record node carries: the annotations shared by moves and terminals,
// the engine information of a move, and the special moves that end a line of play.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/types/apery.h"
#include "core/types/game_result.h"
#include "core/types/move.h"
#include "core/util/optional_box.h"

namespace korvan {

// A spent time. The formats read and write whole milliseconds; the pair keeps the
// finer value a caller may have stored.
struct Duration {
    std::uint64_t seconds = 0;
    std::uint32_t nanos = 0;

    static constexpr Duration from_ms(std::uint64_t ms) {
        return {ms / 1000, static_cast<std::uint32_t>(ms % 1000) * 1'000'000u};
    }
    // Whole milliseconds, rounded down; saturates instead of wrapping.
    constexpr std::uint64_t total_ms() const {
        constexpr std::uint64_t limit = UINT64_MAX / 1000;
        if (seconds > limit) return UINT64_MAX;
        const std::uint64_t ms = seconds * 1000;
        const std::uint64_t extra = nanos / 1'000'000u;
        return ms > UINT64_MAX - extra ? UINT64_MAX : ms + extra;
    }
    bool operator==(const Duration&) const = default;
};

// One extra engine value: a text, a signed integer, a finite float or a boolean.
using ExtraValue = std::variant<std::string, std::int64_t, double, bool>;

struct EngineInfo {
    std::optional<std::int16_t> eval;
    // Set when the stored eval lies beyond ±32000, the range of mate scores.
    bool eval_is_mate_kind = false;
    std::optional<std::uint16_t> depth;
    std::optional<std::uint64_t> nodes;
    std::optional<std::uint16_t> seldepth;
    // Key order, so that everything that writes the extras writes them alike.
    std::map<std::string, ExtraValue, std::less<>> extras;

    bool empty() const { return !eval && !depth && !nodes && !seldepth && extras.empty(); }
    bool operator==(const EngineInfo&) const = default;
};

// Clamps to the signed 16-bit range and sets the kind bit.
void engine_info_set_eval(EngineInfo& info, std::int64_t value);
EngineInfo engine_info_with_eval(std::int64_t value);

// The wall time and latency delta of a report live in the extras, as integers under
// "wall_time_ms" and "latency_delta_ms"; reports of arena tools name them
// "arena.wall_time_ms" and "arena.latency_delta_ms", read when the plain key is absent.
// A value of another kind under the key that is read reads as none.
std::optional<std::int64_t> engine_info_wall_time_ms(const EngineInfo& info);
std::optional<std::int64_t> engine_info_latency_delta_ms(const EngineInfo& info);
// Stores the value under the plain key (none removes it); the arena key goes either way.
void engine_info_set_wall_time_ms(EngineInfo& info, std::optional<std::int64_t> ms);
void engine_info_set_latency_delta_ms(EngineInfo& info, std::optional<std::int64_t> ms);

struct Annotations {
    std::optional<std::string> comment;
    std::optional<Duration> time;
    OptionalBox<EngineInfo> engine_info;

    bool operator==(const Annotations&) const = default;
};

// Sets the evaluation of the engine information, creating it when absent.
void set_move_evaluation(Annotations& annotations, std::int64_t value);

struct MoveEntry {
    Move move = MOVE_NONE;
    Annotations annotations;

    bool operator==(const MoveEntry&) const = default;
};

enum class SpecialMoveKind : std::uint8_t {
    Interrupt,
    Resign,
    MaxMoves,
    Impasse,
    Draw,
    RepetitionDraw,
    Mate,
    NoMate,
    Timeout,
    WinByIllegalMove,
    LoseByIllegalMove,
    WinByDeclaration,
    WinByDefault,
    LoseByDefault,
    Try,
    Unknown,
};
constexpr int SPECIAL_MOVE_KIND_NB = 16;

inline constexpr std::array<std::string_view, SPECIAL_MOVE_KIND_NB> SPECIAL_MOVE_KIND_NAMES = {
    "INTERRUPT",       "RESIGN",         "MAX_MOVES",           "IMPASSE",
    "DRAW",            "REPETITION_DRAW", "MATE",               "NO_MATE",
    "TIMEOUT",         "WIN_BY_ILLEGAL_MOVE", "LOSE_BY_ILLEGAL_MOVE", "WIN_BY_DECLARATION",
    "WIN_BY_DEFAULT",  "LOSE_BY_DEFAULT", "TRY",                "UNKNOWN",
};

// The kind a result implies when nothing else names it (a result-only terminal).
SpecialMoveKind special_move_kind_from_result(GameResult result);

// The terminal payload of a record node.
struct SpecialMove {
    SpecialMoveKind kind = SpecialMoveKind::Unknown;
    GameResult result = INVALID;
    std::string unknown_name;  // the kind's word, for UNKNOWN only
    std::optional<std::string> raw;  // as written in the source record

    bool operator==(const SpecialMove&) const = default;
};

struct SpecialMoveEntry {
    SpecialMove special;
    Annotations annotations;

    bool operator==(const SpecialMoveEntry&) const = default;
};

}  // namespace korvan
