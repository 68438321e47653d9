#pragma once
// The mutable book: each key with its moves in insertion order, duplicates kept. Keys
// are found through an open-addressing table hashed with a key drawn at random for
// each book, so nothing may depend on the order keys happen to lie in; whatever hands
// keys out in order sorts them first.
//
// The moves of all keys share one growing array, each key's moves chained in the order
// they came, so an insertion allocates nothing beyond amortised growth.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/book/book_move.h"

namespace korvan {

class MemoryBook {
public:
    MemoryBook();

    void insert(std::uint64_t key, BookMove move);
    std::optional<BookEntry> get(std::uint64_t key) const;
    bool contains(std::uint64_t key) const { return find(key) != NONE; }
    // The number of keys.
    std::size_t size() const { return entries_.size(); }
    std::size_t move_count() const { return links_.size(); }

    // The keys by position 0..size()-1, in an order of the book's own choosing, and
    // the moves of one of them in insertion order.
    std::uint64_t key_at(std::size_t i) const { return entries_[i].key; }
    std::uint32_t move_count_at(std::size_t i) const { return entries_[i].count; }
    template <class F>
    void for_each_move(std::size_t i, F&& f) const {
        for (std::uint32_t at = entries_[i].first; at != NONE; at = links_[at].next) f(links_[at].move);
    }

private:
    static constexpr std::uint32_t NONE = 0xFFFFFFFF;

    struct Entry {
        std::uint64_t key;
        std::uint32_t first;
        std::uint32_t last;
        std::uint32_t count;
    };
    struct Link {
        BookMove move;
        std::uint32_t next;
    };
    struct Slot {
        std::uint64_t key;
        std::uint32_t entry;  // NONE when free
    };

    std::uint64_t slot_of(std::uint64_t key) const;
    std::uint32_t find(std::uint64_t key) const;
    void grow();

    std::uint64_t seed_;
    std::vector<Slot> slots_;  // a power of two long, at most three quarters used
    std::vector<Entry> entries_;
    std::vector<Link> links_;
};

}  // namespace korvan
