#pragma once
// An optional value kept on the heap: a node that rarely carries a large member pays
// one pointer for it instead of the member's full size. Copies are deep, so a type
// holding one stays a plain value.

#include <memory>
#include <utility>

namespace korvan {

template <class T>
class OptionalBox {
public:
    OptionalBox() = default;
    OptionalBox(T value) : p_(std::make_unique<T>(std::move(value))) {}
    OptionalBox(const OptionalBox& o) : p_(o.p_ ? std::make_unique<T>(*o.p_) : nullptr) {}
    OptionalBox(OptionalBox&&) noexcept = default;
    OptionalBox& operator=(const OptionalBox& o) {
        if (this != &o) p_ = o.p_ ? std::make_unique<T>(*o.p_) : nullptr;
        return *this;
    }
    OptionalBox& operator=(OptionalBox&&) noexcept = default;

    bool has_value() const { return p_ != nullptr; }
    explicit operator bool() const { return has_value(); }
    T& operator*() { return *p_; }
    const T& operator*() const { return *p_; }
    T* operator->() { return p_.get(); }
    const T* operator->() const { return p_.get(); }
    T* get() { return p_.get(); }
    const T* get() const { return p_.get(); }
    void reset() { p_.reset(); }
    T& emplace(T value) {
        p_ = std::make_unique<T>(std::move(value));
        return *p_;
    }

    friend bool operator==(const OptionalBox& a, const OptionalBox& b) {
        if (!a.p_ || !b.p_) return !a.p_ && !b.p_;
        return *a.p_ == *b.p_;
    }

private:
    std::unique_ptr<T> p_;
};

}  // namespace korvan
