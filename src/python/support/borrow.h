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
class SharedBorrow {
public:
    explicit SharedBorrow(BorrowFlag& flag) : flag_(flag.try_shared() ? &flag : nullptr) {
        if (!flag_) PyErr_SetString(PyExc_RuntimeError, "Already mutably borrowed");
    }
    SharedBorrow(const SharedBorrow&) = delete;
    SharedBorrow& operator=(const SharedBorrow&) = delete;
    ~SharedBorrow() {
        if (flag_) flag_->release_shared();
    }
    explicit operator bool() const { return flag_ != nullptr; }

private:
    BorrowFlag* flag_;
};

class ExclusiveBorrow {
public:
    explicit ExclusiveBorrow(BorrowFlag& flag) : flag_(flag.try_exclusive() ? &flag : nullptr) {
        if (!flag_) PyErr_SetString(PyExc_RuntimeError, "Already borrowed");
    }
    ExclusiveBorrow(const ExclusiveBorrow&) = delete;
    ExclusiveBorrow& operator=(const ExclusiveBorrow&) = delete;
    ~ExclusiveBorrow() {
        if (flag_) flag_->release_exclusive();
    }
    explicit operator bool() const { return flag_ != nullptr; }

private:
    BorrowFlag* flag_;
};

}  // namespace korvan::py
