#pragma once
// A value or an error, for the core's fallible operations (the standard one arrives
// only with C++23).

#include <optional>
#include <utility>
#include <variant>

namespace korvan {

template <class E>
struct Unexpected {
    E error;
};

template <class E>
Unexpected<std::decay_t<E>> unexpected(E&& e) {
    return {std::forward<E>(e)};
}

template <class T, class E>
class Expected {
public:
    Expected(T value) : v_(std::in_place_index<0>, std::move(value)) {}
    template <class G>
    Expected(Unexpected<G> e) : v_(std::in_place_index<1>, E(std::move(e.error))) {}

    bool has_value() const { return v_.index() == 0; }
    explicit operator bool() const { return has_value(); }
    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const E& error() const { return std::get<1>(v_); }
    E& error() { return std::get<1>(v_); }
    // The value, or nothing in place of the error.
    std::optional<T> ok() const& {
        if (!has_value()) return std::nullopt;
        return value();
    }

private:
    std::variant<T, E> v_;
};

// Success without a value.
struct Ok {};

}  // namespace korvan
