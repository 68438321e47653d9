#pragma once
// The USI texts of the repetition states.

#include <array>
#include <string_view>

#include "core/board/state_info.h"

namespace korvan {

inline constexpr std::array<std::string_view, 6> REPETITION_USI = {"rep_none", "rep_win", "rep_lose",
                                                                   "rep_draw", "rep_sup", "rep_inf"};

constexpr std::string_view repetition_usi(RepetitionState s) { return REPETITION_USI[static_cast<int>(s)]; }

}  // namespace korvan
