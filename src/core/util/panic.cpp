#include "core/util/panic.h"

namespace korvan {

void panic(const char* message) { throw Panic(message); }

void panic(std::string message) { throw Panic(std::move(message)); }

void index_failure(const char* source, std::size_t index, std::size_t length) {
    throw Panic(std::string(source) + ": index out of bounds: the len is " + std::to_string(length) +
                " but the index is " + std::to_string(index));
}

}  // namespace korvan
