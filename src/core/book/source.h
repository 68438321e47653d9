#pragma once
// Where a book's bytes come from: a file opened read-only by path, read at given
// offsets, or bytes held in memory behind the same face (for tests and fuzzers). The
// readers of book files ask for the stretches they need and never load a file they do
// not have to.
//
// A file that cannot seek (a pipe, a terminal) is read in order only: a read that
// starts anywhere but where the last one ended is the system's "illegal seek".

#include <cstdint>
#include <span>
#include <string>

#include "core/book/book_error.h"
#include "core/containers/byte_io.h"
#include "core/util/expected.h"

namespace korvan {

// What tells one state of a file from another: its size and its modification time,
// as the system reported them at open. Held bytes have no time.
struct SourceIdentity {
    std::uint64_t size = 0;
    std::int64_t modified_seconds = 0;
    std::int64_t modified_nanoseconds = 0;

    bool operator==(const SourceIdentity&) const = default;
};

class BookSource {
public:
    // A path holding a NUL byte names no file: Io (EINVAL), and nothing is opened.
    static Expected<BookSource, BookError> open(const std::string& path);
    static BookSource from_bytes(Bytes bytes);

    BookSource(BookSource&& other) noexcept;
    BookSource& operator=(BookSource&& other) noexcept;
    BookSource(const BookSource&) = delete;
    BookSource& operator=(const BookSource&) = delete;
    ~BookSource();

    // The size at open (0 for a pipe or a device, whatever they deliver).
    std::uint64_t size() const { return identity_.size; }
    SourceIdentity identity() const { return identity_; }

    // Fills `out` from `offset` on and gives the count read: less than asked only
    // where the source ends.
    Expected<std::size_t, BookError> read_at(std::uint64_t offset, std::span<std::uint8_t> out);

private:
    BookSource() = default;

    int fd_ = -1;  // -1 for held bytes
    bool seekable_ = true;
    std::uint64_t stream_position_ = 0;  // of a file that cannot seek
    Bytes bytes_;
    SourceIdentity identity_;
};

}  // namespace korvan
