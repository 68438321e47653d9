#pragma once
// The borrow flag every binding object carries: one word, 0 when free, all bits set
// while a call holds it exclusively, otherwise the number of shared holders. The
// interpreter lock serialises every change, so relaxed loads and stores suffice; the
// word is atomic so that a reader on another thread never sees a torn value.

#include <atomic>
#include <cstdint>

#include "support/python.h"

namespace korvan::py {

class BorrowFlag {
public:
    static constexpr std::uintptr_t EXCLUSIVE = ~std::uintptr_t(0);

    bool try_shared() {
        const std::uintptr_t w = word_.load(std::memory_order_relaxed);
        if (w == EXCLUSIVE - 1 || w == EXCLUSIVE) return false;
        word_.store(w + 1, std::memory_order_relaxed);
        return true;
    }
    void release_shared() { word_.store(word_.load(std::memory_order_relaxed) - 1, std::memory_order_relaxed); }
    bool try_exclusive() {
        if (word_.load(std::memory_order_relaxed) != 0) return false;
        word_.store(EXCLUSIVE, std::memory_order_relaxed);
        return true;
    }
    void release_exclusive() { word_.store(0, std::memory_order_relaxed); }

private:
    std::atomic<std::uintptr_t> word_{0};
};

// Guards hold a borrow for their scope; a guard that could not borrow has raised
// RuntimeError and tests false.
template <bool Exclusive>
class BorrowGuard {
public:
    explicit BorrowGuard(BorrowFlag& flag) : flag_(take(flag) ? &flag : nullptr) {
        if (!flag_) PyErr_SetString(PyExc_RuntimeError, Exclusive ? "Already borrowed" : "Already mutably borrowed");
    }
    BorrowGuard(const BorrowGuard&) = delete;
    BorrowGuard& operator=(const BorrowGuard&) = delete;
    ~BorrowGuard() {
        if (!flag_) return;
        if constexpr (Exclusive)
            flag_->release_exclusive();
        else
            flag_->release_shared();
    }
    explicit operator bool() const { return flag_ != nullptr; }

private:
    static bool take(BorrowFlag& flag) {
        if constexpr (Exclusive)
            return flag.try_exclusive();
        else
            return flag.try_shared();
    }

    BorrowFlag* flag_;
};

using SharedBorrow = BorrowGuard<false>;
using ExclusiveBorrow = BorrowGuard<true>;

}  // namespace korvan::py
