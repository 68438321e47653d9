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

SpecialMoveKind special_move_kind_from_result(GameResult result) {
    using K = SpecialMoveKind;
    switch (result) {
        case 0:
        case 1: return K::Resign;
        case 2: return K::RepetitionDraw;
        case 4:
        case 5: return K::WinByDeclaration;
        case 6: return K::MaxMoves;
        case 8:
        case 9: return K::WinByDefault;
        case 10: return K::Impasse;
        case 12:
        case 13: return K::WinByIllegalMove;
        case 16:
        case 17: return K::Timeout;
        case 20:
        case 21: return K::Try;
        default: return K::Interrupt;  // ERROR, INVALID, PAUSED
    }
}

}  // namespace korvan
