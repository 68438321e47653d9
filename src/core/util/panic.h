#pragma once
// Broken invariants stop through one door. The binding layer catches Panic at its
// call boundary and raises the module's PanicException; nothing else catches it.

#include <cstddef>
#include <exception>
#include <string>

namespace korvan {

class Panic : public std::exception {
public:
    explicit Panic(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

[[noreturn]] void panic(const char* message);
[[noreturn]] void panic(std::string message);

// An index that lies outside a table: names the table's source so that a report
// points at the caller that broke the bound.
[[noreturn]] void index_failure(const char* source, std::size_t index, std::size_t length);

inline void check_index(const char* source, std::size_t index, std::size_t length) {
    if (index >= length) [[unlikely]]
        index_failure(source, index, length);
}

}  // namespace korvan
