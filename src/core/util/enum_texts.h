#pragma once
// The texts of an error enumeration in one table, a row per value in value order, in
// place of a switch per text function.

#include <array>
#include <cstddef>

namespace korvan {

struct EnumTexts {
    const char* display;  // what users read
    const char* debug;    // the value's name
};

template <class Enum, std::size_t N>
constexpr const EnumTexts& enum_texts(const std::array<EnumTexts, N>& rows, Enum e) {
    return rows[static_cast<std::size_t>(e)];
}

}  // namespace korvan
