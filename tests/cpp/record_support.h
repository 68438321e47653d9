#pragma once
// Helpers of the record tests: terminals, and a position's full state stack as a list.

#include <vector>

#include "core/records/record.h"
#include "support.h"

namespace korvan::test {

inline SpecialMove special(SpecialMoveKind kind, int result, std::string name = {},
                           std::optional<std::string> raw = std::nullopt) {
    SpecialMove s;
    s.kind = kind;
    s.result = static_cast<GameResult>(result);
    s.unknown_name = std::move(name);
    s.raw = std::move(raw);
    return s;
}

inline std::vector<StateInfo> state_records(const Position& pos) {
    std::vector<StateInfo> out;
    for (std::uint64_t i = 0; i <= pos.states.top(); ++i) out.push_back(pos.states.at(i));
    return out;
}

inline Move move16_of(const Position& pos, const std::string& text) { return move16(usi(pos, text)); }

}  // namespace korvan::test
