#pragma once
// The frozen book: keys ascending, each with a run of moves, stored for lookup as three
// arrays and on disk as the "KORVANBK" file (little-endian, no padding):
//
//   0   8      magic "KORVANBK"
//   8   u16    version, 1
//   10  u16    flags: bits 0 and 1 (records carry score and depth) must be set; 3 written
//   12  u8     key width in bytes, 8
//   13  u8     reserved, 0 written, never examined
//   14  u32    key count N
//   18  u32    move count M
//   22  8N     keys (u64), strictly increasing
//   22+8N      N+1 offsets (u32): 0 first, never decreasing, M last
//   26+12N 6M  moves: u16 move, i16 score, u16 depth
//
// and nothing after the last move.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/book/book_error.h"
#include "core/book/book_move.h"
#include "core/book/memory_book.h"
#include "core/containers/byte_io.h"
#include "core/util/expected.h"

namespace korvan {

// The fixed part of the file: magic to move count, then the first offset.
constexpr std::size_t STATIC_BOOK_HEADER_SIZE = 22;
constexpr std::size_t STATIC_BOOK_EMPTY_SIZE = 26;

// Lookups find the key's bucket by its top bits, then search the bucket: a few probes in
// one or two cache lines for keys spread as position keys are, a plain binary search at
// worst.
class StaticBook {
public:
    StaticBook();
    // The lists must already be a book: keys strictly increasing, offsets one more than
    // the keys, from 0 to the move count and never decreasing.
    StaticBook(std::vector<std::uint64_t> keys, std::vector<std::uint32_t> offsets, std::vector<BookMove> moves);

    const std::vector<std::uint64_t>& keys() const { return keys_; }
    const std::vector<std::uint32_t>& offsets() const { return offsets_; }
    const std::vector<BookMove>& moves() const { return moves_; }
    std::size_t size() const { return keys_.size(); }

    // The key's moves in stored order, or nothing.
    std::optional<BookEntry> get(std::uint64_t key) const;
    bool contains(std::uint64_t key) const { return find(key) != keys_.size(); }

    bool operator==(const StaticBook& o) const {
        return keys_ == o.keys_ && offsets_ == o.offsets_ && moves_ == o.moves_;
    }

private:
    // The key's index, or the key count when it is absent.
    std::size_t find(std::uint64_t key) const;

    std::vector<std::uint64_t> keys_;
    std::vector<std::uint32_t> offsets_;
    std::vector<BookMove> moves_;
    unsigned bucket_bits_ = 0;
    std::vector<std::uint32_t> bucket_start_;  // 2^bucket_bits_ + 1 entries
};

// Keys ascending, each key's moves in the book's insertion order.
StaticBook static_book_from_memory(const MemoryBook& book);
Bytes static_book_to_bytes(const StaticBook& book);
// Every check of the format in its order, the first failure deciding; no storage is
// reserved before the bytes it would hold are known to be there.
Expected<StaticBook, BookError> static_book_from_bytes(ByteSpan data);
// Reads the header, then at most the length it declares and one byte more, so that a
// device or a pipe without end costs no more than the book it claims to be; the
// errors are those the whole file would give.
Expected<StaticBook, BookError> static_book_from_file(const std::string& path);
// The bytes are made before the file is touched; then created or truncated and
// written whole.
Expected<Ok, BookError> static_book_write_file(const StaticBook& book, const std::string& path);

}  // namespace korvan
