// Any bytes as an SBK book. An opened book's lookups never fail on the bytes it was
// opened from; every state place and id, and every child of an entry, looks up; an entry
// is found again by place and id; and an entry looked up by its own SFEN is a state of
// the same position.

#include <string>

#include "common.h"
#include "core/book/sbk_book.h"

using namespace korvan;

namespace {

std::optional<SbkEntry> found(const SbkBook::Lookup& got, const char* what) {
    FUZZ_REQUIRE(got.has_value(), got ? std::string(what) : book_error_display(got.error()));
    return *got;
}

std::string placement(const std::string& sfen) { return sfen.substr(0, sfen.rfind(' ')); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint64_t calls = 0;
    const auto book = SbkBook::from_bytes(Bytes(data, data + size), [&](const SbkOpenProgress& p) {
        FUZZ_REQUIRE(p.indexed_states == ++calls, "one call per indexed state");
        return true;
    });
    if (!book) {
        fuzz::require_error_text(book_error_display(book.error()));
        return 0;
    }
    const std::uint64_t n = book->state_count();
    FUZZ_REQUIRE(book->size() >= 1 && book->size() + book->diagnostics().duplicate_positions == calls, "counts");
    FUZZ_REQUIRE(book->diagnostics().unresolved_next_states == n - calls, "unresolved count");
    for (std::uint64_t i = 0; i <= n; ++i) {
        const auto entry = found(book->lookup_state_index(i), "by place");
        FUZZ_REQUIRE(entry.has_value() == (book->record_of(i) != nullptr), "indexed states only");
        if (i < n && book->rows()[i].has_state_id) (void)found(book->lookup_state_id(static_cast<std::int32_t>(book->rows()[i].state_id)), "by id");
        if (!entry) continue;
        FUZZ_REQUIRE(entry->state_index == i, "place");
        const auto same = found(book->lookup_sfen(entry->sfen), "by SFEN");
        FUZZ_REQUIRE(same.has_value(), entry->sfen);
        FUZZ_REQUIRE(placement(same->sfen) == placement(entry->sfen), entry->sfen);
        if (entry->state_id && *entry->state_id >= 0) (void)found(book->lookup_state_id(*entry->state_id), "by id");
        for (std::uint64_t k = 0; k <= entry->moves.size(); ++k) {
            const auto child = found(book->child_entry(*entry, k), "child");
            if (child) FUZZ_REQUIRE(book->record_of(child->state_index) != nullptr, "child indexed");
        }
    }
    return 0;
}
