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
