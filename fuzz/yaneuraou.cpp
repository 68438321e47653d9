// Any bytes as a YaneuraOu db book. Open, the full check and both lookups never crash and
// every error text is UTF-8. When the full check finds the book sorted and a scan for an
// absent position reads the whole file without an error, bisection and scan give the
// same entry for every position line's SFEN, and nothing for the absent one.

#include <string>

#include "common.h"
#include "core/book/yaneuraou_book.h"
#include "core/util/utf8_check.h"

using namespace korvan;

namespace {

template <class T>
bool succeeded(const Expected<T, BookError>& got) {
    if (got) return true;
    const std::string text = book_error_display(got.error());
    FUZZ_REQUIRE(!text.empty() && is_valid_utf8(text), text);
    return false;
}

// A position few inputs hold.
constexpr std::string_view ABSENT = "9/9/9/9/9/9/9/9/9 b - 1";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto book = YaneuraOuBook::from_bytes(Bytes(data, data + size));
    if (!succeeded(book)) return 0;
    const auto quick = book->diagnostics();
    (void)succeeded(book->lookup_sfen(STARTPOS_SFEN));
    const auto ordering = book->validate_full();
    if (!succeeded(ordering)) {
        FUZZ_REQUIRE(book->diagnostics() == quick, "a failed check keeps the ordering");
        return 0;
    }
    if (quick.kind == YaneuraOuOrdering::Kind::Sorted && quick.complete)
        FUZZ_REQUIRE(*ordering == quick, "a complete quick check is the full one");
    const auto absent_scan = book->lookup_sfen_by_scan(ABSENT);
    const auto absent_bisect = book->lookup_sfen(ABSENT);
    if (!succeeded(absent_scan) || ordering->kind != YaneuraOuOrdering::Kind::Sorted) {
        (void)succeeded(absent_bisect);
        return 0;
    }
    // Only a scan that found nothing has read every line; a scan that stopped at the
    // position may not have met a line the bisection fails on.
    if (absent_scan->has_value()) return 0;
    FUZZ_REQUIRE(absent_bisect && !absent_bisect->has_value(), "absent");
    // Every position line's SFEN, as the ordering check reads it.
    std::uint64_t line_number = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        end = end == std::string_view::npos ? text.size() : end + 1;
        const auto line = yaneuraou_decode_line(++line_number, text.substr(at, end - at));
        at = end;
        FUZZ_REQUIRE(line.has_value(), "the scan read every line");
        if (!line->starts_with("sfen ")) continue;
        const auto position = yaneuraou_parse_sfen_line(line_number, line->substr(5));
        FUZZ_REQUIRE(position.has_value(), "the check read every position line");
        const auto scanned = book->lookup_sfen_by_scan(position->sfen);
        const auto bisected = book->lookup_sfen(position->sfen);
        FUZZ_REQUIRE(scanned && bisected, succeeded(scanned) ? book_error_display(bisected.error()) : "scan");
        FUZZ_REQUIRE(scanned->has_value() && *scanned == *bisected, position->sfen);
    }
    return 0;
}
