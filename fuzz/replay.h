#pragma once
// The harnesses the corpus replay knows: each one's name and renamed entry point.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvan::fuzz {

struct Harness {
    const char* name;
    int (*run)(const std::uint8_t* data, std::size_t size);
};

extern const std::vector<Harness> HARNESSES;

}  // namespace korvan::fuzz
