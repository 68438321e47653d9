#include "records/entries.h"

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

}  // namespace korvan
