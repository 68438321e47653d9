#pragma once
// The mutable book: each key with its moves in insertion order, duplicates kept. Keys
// are found through an open-addressing table hashed with a key drawn at random for
// each book, so nothing may depend on the order keys happen to lie in; whatever hands
// keys out in order sorts them first.
//
// The moves of all keys share one growing array, each key's moves chained through it, so
// an insertion allocates nothing beyond amortised growth and touches one slot.

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/book/book_move.h"

namespace korvan {

class MemoryBook {
public:
    MemoryBook();
    MemoryBook(const MemoryBook&) = default;
    MemoryBook& operator=(const MemoryBook&) = default;
    // The book moved from is left empty.
    MemoryBook(MemoryBook&& other) noexcept;
    MemoryBook& operator=(MemoryBook&& other) noexcept;

    void insert(std::uint64_t key, BookMove move);
    std::optional<BookEntry> get(std::uint64_t key) const;
    bool contains(std::uint64_t key) const { return find(key) != nullptr; }
    // The number of keys.
    std::size_t size() const { return keys_; }
    std::size_t move_count() const { return links_.size(); }

    // Every key in ascending order with its run of moves in insertion order, as the
    // three lists of a static book: keys, running totals from 0, moves. A total past
    // 2^32 - 1 stops ("move count fits in u32").
    void export_sorted(std::vector<std::uint64_t>& keys, std::vector<std::uint32_t>& offsets,
                       std::vector<BookMove>& moves) const;

private:
    static constexpr std::uint32_t NONE = 0xFFFFFFFF;

    // A key's moves are chained from the newest back, so an insertion writes only its
    // own slot and the new link; readers restore the order.
    struct Slot {
        std::uint64_t key;
        std::uint32_t last;   // the newest link
        std::uint32_t count;  // 0 for a free slot
    };
    struct Link {
        BookMove move;
        std::uint32_t previous;
    };

    std::uint64_t slot_of(std::uint64_t key) const;
    const Slot* find(std::uint64_t key) const;
    void grow();
    // The run of a slot, oldest first, into out[0 .. count).
    void copy_run(const Slot& slot, BookMove* out) const;

    std::uint64_t seed_;
    std::vector<Slot> slots_;  // a power of two long, at most three quarters used
    std::size_t keys_ = 0;
    std::vector<Link> links_;
};

}  // namespace korvan
