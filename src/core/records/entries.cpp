#include "core/records/entries.h"

#include <algorithm>

namespace korvan {

void engine_info_set_eval(EngineInfo& info, std::int64_t value) {
    const auto clamped = static_cast<std::int16_t>(std::clamp<std::int64_t>(value, INT16_MIN, INT16_MAX));
    info.eval = clamped;
    info.eval_is_mate_kind = clamped >= 32001 || clamped <= -32001;
}

EngineInfo engine_info_with_eval(std::int64_t value) {
    EngineInfo info;
    engine_info_set_eval(info, value);
    return info;
}

void set_move_evaluation(Annotations& annotations, std::int64_t value) {
    if (!annotations.engine_info) annotations.engine_info.emplace(EngineInfo{});
    engine_info_set_eval(*annotations.engine_info, value);
}

namespace {

constexpr std::string_view WALL_TIME = "wall_time_ms";
constexpr std::string_view WALL_TIME_ARENA = "arena.wall_time_ms";
constexpr std::string_view LATENCY = "latency_delta_ms";
constexpr std::string_view LATENCY_ARENA = "arena.latency_delta_ms";

std::optional<std::int64_t> integer_extra(const EngineInfo& info, std::string_view key, std::string_view arena) {
    auto it = info.extras.find(key);
    if (it == info.extras.end()) it = info.extras.find(arena);
    if (it == info.extras.end()) return std::nullopt;
    if (const auto* value = std::get_if<std::int64_t>(&it->second)) return *value;
    return std::nullopt;
}

void set_integer_extra(EngineInfo& info, std::string_view key, std::string_view arena,
                       std::optional<std::int64_t> value) {
    if (auto it = info.extras.find(key); it != info.extras.end()) info.extras.erase(it);
    if (auto it = info.extras.find(arena); it != info.extras.end()) info.extras.erase(it);
    if (value) info.extras.insert_or_assign(std::string(key), *value);
}

}  // namespace

std::optional<std::int64_t> engine_info_wall_time_ms(const EngineInfo& info) {
    return integer_extra(info, WALL_TIME, WALL_TIME_ARENA);
}
std::optional<std::int64_t> engine_info_latency_delta_ms(const EngineInfo& info) {
    return integer_extra(info, LATENCY, LATENCY_ARENA);
}
void engine_info_set_wall_time_ms(EngineInfo& info, std::optional<std::int64_t> ms) {
    set_integer_extra(info, WALL_TIME, WALL_TIME_ARENA, ms);
}
void engine_info_set_latency_delta_ms(EngineInfo& info, std::optional<std::int64_t> ms) {
    set_integer_extra(info, LATENCY, LATENCY_ARENA, ms);
}

SpecialMoveKind special_move_kind_from_result(GameResult result) {
    using K = SpecialMoveKind;
    switch (result) {
        case BLACK_WIN:
        case WHITE_WIN: return K::Resign;
        case DRAW_BY_REPETITION: return K::RepetitionDraw;
        case BLACK_WIN_BY_DECLARATION:
        case WHITE_WIN_BY_DECLARATION: return K::WinByDeclaration;
        case DRAW_BY_MAX_PLIES: return K::MaxMoves;
        case BLACK_WIN_BY_FORFEIT:
        case WHITE_WIN_BY_FORFEIT: return K::WinByDefault;
        case DRAW_BY_IMPASSE: return K::Impasse;
        case BLACK_WIN_BY_ILLEGAL_MOVE:
        case WHITE_WIN_BY_ILLEGAL_MOVE: return K::WinByIllegalMove;
        case BLACK_WIN_BY_TIMEOUT:
        case WHITE_WIN_BY_TIMEOUT: return K::Timeout;
        case BLACK_WIN_BY_TRY_RULE:
        case WHITE_WIN_BY_TRY_RULE: return K::Try;
        default: return K::Interrupt;  // ERROR, INVALID, PAUSED
    }
}

}  // namespace korvan
