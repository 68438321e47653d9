#include "core/book/memory_book.h"

#include <algorithm>
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

MemoryBook::MemoryBook(MemoryBook&& other) noexcept
    : seed_(other.seed_),
      slots_(std::move(other.slots_)),
      keys_(std::exchange(other.keys_, 0)),
      links_(std::move(other.links_)) {
    other.slots_.clear();
    other.links_.clear();
}

MemoryBook& MemoryBook::operator=(MemoryBook&& other) noexcept {
    if (this != &other) {
        seed_ = other.seed_;
        slots_ = std::move(other.slots_);
        keys_ = std::exchange(other.keys_, 0);
        links_ = std::move(other.links_);
        other.slots_.clear();
        other.links_.clear();
    }
    return *this;
}

std::uint64_t MemoryBook::slot_of(std::uint64_t key) const { return mix(key ^ seed_) & (slots_.size() - 1); }

const MemoryBook::Slot* MemoryBook::find(std::uint64_t key) const {
    if (slots_.empty()) return nullptr;
    const std::uint64_t mask = slots_.size() - 1;
    for (std::uint64_t at = slot_of(key);; at = (at + 1) & mask) {
        const Slot& s = slots_[at];
        if (s.count == 0) return nullptr;
        if (s.key == key) return &s;
    }
}

void MemoryBook::grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{0, NONE, 0});
    const std::uint64_t mask = slots_.size() - 1;
    for (const Slot& s : old) {
        if (s.count == 0) continue;
        std::uint64_t at = slot_of(s.key);
        while (slots_[at].count != 0) at = (at + 1) & mask;
        slots_[at] = s;
    }
}

void MemoryBook::insert(std::uint64_t key, BookMove move) {
    // Link indices are 32-bit, as are the static book's move counts.
    if (links_.size() >= NONE) panic("move count fits in u32");
    if ((keys_ + 1) * 4 > slots_.size() * 3) grow();
    const std::uint64_t mask = slots_.size() - 1;
    std::uint64_t at = slot_of(key);
    while (slots_[at].count != 0 && slots_[at].key != key) at = (at + 1) & mask;
    Slot& slot = slots_[at];
    const auto link = static_cast<std::uint32_t>(links_.size());
    if (slot.count == 0) {
        slot = {key, NONE, 0};
        ++keys_;
    }
    links_.push_back({move, slot.last});
    slot.last = link;
    ++slot.count;
}

void MemoryBook::copy_run(const Slot& slot, BookMove* out) const {
    std::uint32_t at = slot.last;
    for (std::uint32_t i = slot.count; i-- > 0; at = links_[at].previous) out[i] = links_[at].move;
}

std::optional<BookEntry> MemoryBook::get(std::uint64_t key) const {
    const Slot* slot = find(key);
    if (!slot) return std::nullopt;
    BookEntry out{BookKey{key}, std::vector<BookMove>(slot->count)};
    copy_run(*slot, out.moves.data());
    return out;
}

void MemoryBook::export_sorted(std::vector<std::uint64_t>& keys, std::vector<std::uint32_t>& offsets,
                               std::vector<BookMove>& moves) const {
    std::vector<Slot> used;
    used.reserve(keys_);
    for (const Slot& s : slots_)
        if (s.count != 0) used.push_back(s);
    std::sort(used.begin(), used.end(), [](const Slot& a, const Slot& b) { return a.key < b.key; });
    keys.resize(used.size());
    offsets.resize(used.size() + 1);
    offsets[0] = 0;
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < used.size(); ++i) {
        keys[i] = used[i].key;
        total += used[i].count;
        if (total > NONE) panic("move count fits in u32");
        offsets[i + 1] = static_cast<std::uint32_t>(total);
    }
    moves.resize(total);
    for (std::size_t i = 0; i < used.size(); ++i) copy_run(used[i], moves.data() + offsets[i]);
}

}  // namespace korvan
