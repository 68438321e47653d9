// The static book reader on any bytes. An accepted book writes the bytes it came from,
// with the flags as 3 and the reserved byte as 0; those read back to the same book; and
// every key, and every key's neighbours, look up what a linear search finds.

#include <optional>
#include <vector>

#include "common.h"
#include "core/book/static_book.h"

using namespace korvan;

namespace {

std::optional<std::vector<BookMove>> linear_search(const StaticBook& book, std::uint64_t key) {
    for (std::size_t i = 0; i < book.size(); ++i)
        if (book.keys()[i] == key)
            return std::vector<BookMove>(book.moves().begin() + book.offsets()[i],
                                         book.moves().begin() + book.offsets()[i + 1]);
    return std::nullopt;
}

void require_lookup(const StaticBook& book, std::uint64_t key) {
    const auto want = linear_search(book, key);
    const auto got = book.get(key);
    FUZZ_REQUIRE(got.has_value() == want.has_value(), "get finds what a linear search finds");
    FUZZ_REQUIRE(book.contains(key) == want.has_value(), "contains agrees");
    if (got) FUZZ_REQUIRE(got->key.low == key && got->moves == *want, "entry");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto book = static_book_from_bytes(ByteSpan(data, size));
    if (!book) {
        fuzz::require_error_text(book_error_display(book.error()));
        return 0;
    }
    Bytes expected(data, data + size);
    expected[10] = 3;
    expected[11] = 0;
    expected[13] = 0;
    const Bytes written = static_book_to_bytes(*book);
    FUZZ_REQUIRE(written == expected, "written bytes");
    const auto back = static_book_from_bytes(written);
    FUZZ_REQUIRE(back && *back == *book, "round trip");
    for (std::uint64_t key : book->keys()) {
        require_lookup(*book, key);
        require_lookup(*book, key + 1);
        require_lookup(*book, key - 1);
    }
    return 0;
}
