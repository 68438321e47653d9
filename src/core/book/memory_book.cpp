#include "core/book/memory_book.h"

#include <random>

#include "core/util/panic.h"

namespace korvan {

namespace {

// The finaliser of MurmurHash3: every input bit reaches every output bit.
constexpr std::uint64_t mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    return x ^ (x >> 33);
}

std::uint64_t random_seed() {
    std::random_device device;
    return std::uint64_t{device()} << 32 | device();
}

}  // namespace

MemoryBook::MemoryBook() : seed_(random_seed()) {}

std::uint64_t MemoryBook::slot_of(std::uint64_t key) const { return mix(key ^ seed_) & (slots_.size() - 1); }

std::uint32_t MemoryBook::find(std::uint64_t key) const {
    if (slots_.empty()) return NONE;
    const std::uint64_t mask = slots_.size() - 1;
    for (std::uint64_t at = slot_of(key);; at = (at + 1) & mask) {
        const Slot& s = slots_[at];
        if (s.entry == NONE || s.key == key) return s.entry;
    }
}

void MemoryBook::grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{0, NONE});
    const std::uint64_t mask = slots_.size() - 1;
    for (const Slot& s : old) {
        if (s.entry == NONE) continue;
        std::uint64_t at = slot_of(s.key);
        while (slots_[at].entry != NONE) at = (at + 1) & mask;
        slots_[at] = s;
    }
}

void MemoryBook::insert(std::uint64_t key, BookMove move) {
    // Link indices are 32-bit, as are the static book's move counts.
    if (links_.size() >= NONE) panic("move count fits in u32");
    const auto link = static_cast<std::uint32_t>(links_.size());
    links_.push_back({move, NONE});
    if ((entries_.size() + 1) * 4 > slots_.size() * 3) grow();
    const std::uint64_t mask = slots_.size() - 1;
    std::uint64_t at = slot_of(key);
    while (slots_[at].entry != NONE && slots_[at].key != key) at = (at + 1) & mask;
    Slot& slot = slots_[at];
    if (slot.entry == NONE) {
        slot = {key, static_cast<std::uint32_t>(entries_.size())};
        entries_.push_back({key, link, link, 1});
        return;
    }
    Entry& e = entries_[slot.entry];
    links_[e.last].next = link;
    e.last = link;
    ++e.count;
}

std::optional<BookEntry> MemoryBook::get(std::uint64_t key) const {
    const std::uint32_t i = find(key);
    if (i == NONE) return std::nullopt;
    BookEntry out{BookKey{key}, {}};
    out.moves.reserve(entries_[i].count);
    for_each_move(i, [&](const BookMove& m) { out.moves.push_back(m); });
    return out;
}

}  // namespace korvan
