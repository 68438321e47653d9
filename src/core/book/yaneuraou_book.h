#pragma once
// An opened YaneuraOu db book: the path, what the last ordering check found, and the
// size and modification time of the file it read. Nothing else is kept; every lookup
// reads the file again.
//
// When the position lines strictly increase in normalised SFEN, a lookup bisects the
// file by byte offsets: each probe starts at the first line start after the middle
// and reads up to the next position line. Open checks the order of the first 10,000
// position lines only, so a large book needs `validate_full` before it can be bisected;
// the scan reads from the start and needs no order at all.
//
// The bisection trusts only the bytes whose order was checked: a file whose size or
// modification time differs from what the last check read is refused.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/board/position/position.h"
#include "core/book/book_error.h"
#include "core/book/source.h"
#include "core/book/yaneuraou_text.h"
#include "core/util/expected.h"

namespace korvan {

constexpr std::uint64_t YANEURAOU_QUICK_CHECK_ROWS = 10000;

struct YaneuraOuOrdering {
    enum class Kind : std::uint8_t { Sorted, Unsorted, InvalidHeader };
    Kind kind = Kind::Sorted;
    std::uint64_t checked_rows = 0;  // Sorted, Unsorted
    bool complete = true;            // Sorted
    std::uint64_t line_number = 0;   // Unsorted: the out-of-order position line
    std::string previous_sfen;       // Unsorted
    std::string current_sfen;        // Unsorted

    bool operator==(const YaneuraOuOrdering&) const = default;
};

// "sorted", "unsorted", "invalid_header".
const char* yaneuraou_ordering_name(YaneuraOuOrdering::Kind kind);

// The order of the position lines from the start of the source; with `limited`, up to
// the 10,000th of them.
Expected<YaneuraOuOrdering, BookError> yaneuraou_check_ordering(BookSource& source, bool limited);

class YaneuraOuBook {
public:
    static Expected<YaneuraOuBook, BookError> open(const std::string& path);
    // The same over bytes in memory (tests, fuzzing); its lookups read those bytes.
    static Expected<YaneuraOuBook, BookError> from_bytes(Bytes bytes);

    const std::string& path() const { return path_; }
    const YaneuraOuOrdering& diagnostics() const { return ordering_; }
    // The size of the file the last ordering check read: the end of the bisection.
    std::uint64_t file_size() const { return identity_.size; }

    // Checks the whole file; the ordering and the size it read replace the old ones only
    // when the check succeeds.
    Expected<YaneuraOuOrdering, BookError> validate_full();

    using Lookup = Expected<std::optional<YaneuraOuEntry>, BookError>;
    // By bisection, when the ordering allows it.
    Lookup lookup_sfen(std::string_view sfen) const;
    Lookup lookup_position(const Position& pos) const;
    // The first entry of the position, reading from the start whatever the ordering.
    Lookup lookup_sfen_by_scan(std::string_view sfen) const;

private:
    YaneuraOuBook() = default;
    static Expected<YaneuraOuBook, BookError> build(std::string path, std::shared_ptr<BookSource> held,
                                                    BookSource& source);
    // The held bytes, or the file opened again into `opened`.
    Expected<BookSource*, BookError> source(std::optional<BookSource>& opened) const;

    std::string path_;
    std::shared_ptr<BookSource> held_;  // a book made from bytes
    YaneuraOuOrdering ordering_;
    SourceIdentity identity_;  // of what the ordering check read
};

}  // namespace korvan
