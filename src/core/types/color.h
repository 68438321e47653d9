#pragma once

#include <cstdint>
#include <string_view>

namespace korvan {

// The board value types are plain (unscoped) enums: they index the per-colour and
// per-type tables everywhere, and the implicit conversion keeps that terse.
enum Color : std::uint8_t { BLACK = 0, WHITE = 1 };

constexpr int COLOR_NB = 2;

constexpr Color operator~(Color c) { return Color(c ^ 1); }

constexpr std::string_view color_display(Color c) { return c == BLACK ? "Black" : "White"; }

}  // namespace korvan
