#include "core/book/static_book.h"

#include <algorithm>
#include <cstring>
#include <bit>
#include <limits>
#include <numeric>

#include "core/book/source.h"
#include "core/util/panic.h"

namespace korvan {

namespace {

constexpr std::uint8_t MAGIC[8] = {'K', 'O', 'R', 'V', 'A', 'N', 'B', 'K'};
constexpr std::uint16_t VERSION = 1;
constexpr std::uint16_t FLAGS_WRITTEN = 3;  // score and depth
constexpr std::uint8_t KEY_WIDTH = 8;
constexpr std::uint8_t WIDE_KEY_WIDTH = 16;
constexpr std::size_t MOVE_RECORD_SIZE = 6;
constexpr std::uint64_t U32_MAX = std::numeric_limits<std::uint32_t>::max();

std::uint16_t load_u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t load_u32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}
std::uint64_t load_u64(const std::uint8_t* p) { return std::uint64_t{load_u32(p)} | std::uint64_t{load_u32(p + 4)} << 32; }

Unexpected<BookError> format_error(const char* detail) { return unexpected(BookError::invalid_format(detail)); }
Unexpected<BookError> unsupported(const char* detail) { return unexpected(BookError::unsupported_feature(detail)); }
Unexpected<BookError> eof() { return format_error("unexpected eof"); }

struct Counts {
    std::uint32_t keys;
    std::uint32_t moves;
};

// The first 22 bytes with their checks in the file's order; each length test comes
// just before the first field that needs it.
Expected<Counts, BookError> read_header(ByteReader& r) {
    ByteSpan magic;
    if (!r.bytes(sizeof MAGIC, magic)) return eof();
    if (!std::equal(magic.begin(), magic.end(), MAGIC)) return format_error("magic mismatch");
    std::uint16_t version = 0;
    if (!r.u16(version)) return eof();
    if (version != VERSION) return unsupported("version mismatch");
    std::uint16_t flags = 0;
    if (!r.u16(flags)) return eof();
    if ((flags & FLAGS_WRITTEN) != FLAGS_WRITTEN) return unsupported("score/depth is required");
    std::uint8_t width = 0;
    std::uint8_t reserved = 0;
    if (!r.u8(width) || !r.u8(reserved)) return eof();
    if (width == WIDE_KEY_WIDTH) return unsupported("static book key width does not match current hash feature");
    if (width != KEY_WIDTH) return unsupported("invalid key size");
    Counts counts{};
    if (!r.u32(counts.keys) || !r.u32(counts.moves)) return eof();
    return counts;
}

// The whole length the counts declare.
std::uint64_t declared_length(Counts c) {
    return STATIC_BOOK_EMPTY_SIZE + 12 * std::uint64_t{c.keys} + MOVE_RECORD_SIZE * std::uint64_t{c.moves};
}

}  // namespace

StaticBook::StaticBook() : offsets_{0}, bucket_start_{0, 0} {}

StaticBook::StaticBook(std::vector<std::uint64_t> keys, std::vector<std::uint32_t> offsets,
                       std::vector<BookMove> moves)
    : keys_(std::move(keys)), offsets_(std::move(offsets)), moves_(std::move(moves)) {
    if (offsets_.size() != keys_.size() + 1) panic("static book offsets must follow its keys");
    // About eight keys a bucket, at most 2^24 buckets.
    const unsigned width = static_cast<unsigned>(std::bit_width(keys_.size()));
    bucket_bits_ = width > 3 ? std::min(width - 3, 24u) : 0;
    bucket_start_.assign((std::size_t{1} << bucket_bits_) + 1, 0);
    for (std::uint64_t key : keys_) ++bucket_start_[(bucket_bits_ ? key >> (64 - bucket_bits_) : 0) + 1];
    std::partial_sum(bucket_start_.begin(), bucket_start_.end(), bucket_start_.begin());
}

std::size_t StaticBook::find(std::uint64_t key) const {
    const std::uint64_t bucket = bucket_bits_ ? key >> (64 - bucket_bits_) : 0;
    const auto first = keys_.begin() + bucket_start_[bucket];
    const auto last = keys_.begin() + bucket_start_[bucket + 1];
    const auto it = std::lower_bound(first, last, key);
    if (it == last || *it != key) return keys_.size();
    const auto i = static_cast<std::size_t>(it - keys_.begin());
    // A run the offsets do not bound counts as absent.
    if (offsets_[i + 1] < offsets_[i] || offsets_[i + 1] > moves_.size()) return keys_.size();
    return i;
}

std::optional<BookEntry> StaticBook::get(std::uint64_t key) const {
    const std::size_t i = find(key);
    if (i == keys_.size()) return std::nullopt;
    return BookEntry{BookKey{key},
                     std::vector<BookMove>(moves_.begin() + offsets_[i], moves_.begin() + offsets_[i + 1])};
}

StaticBook static_book_from_memory(const MemoryBook& book) {
    std::vector<std::uint64_t> keys;
    std::vector<std::uint32_t> offsets;
    std::vector<BookMove> moves;
    book.export_sorted(keys, offsets, moves);
    return StaticBook(std::move(keys), std::move(offsets), std::move(moves));
}

Bytes static_book_to_bytes(const StaticBook& book) {
    if (book.keys().size() > U32_MAX) panic("node count fits in u32");
    if (book.moves().size() > U32_MAX) panic("move count fits in u32");
    Bytes out;
    out.reserve(STATIC_BOOK_EMPTY_SIZE + 12 * book.keys().size() + MOVE_RECORD_SIZE * book.moves().size());
    for (std::uint8_t b : MAGIC) put_u8(out, b);
    put_u16(out, VERSION);
    put_u16(out, FLAGS_WRITTEN);
    put_u8(out, KEY_WIDTH);
    put_u8(out, 0);
    put_u32(out, static_cast<std::uint32_t>(book.keys().size()));
    put_u32(out, static_cast<std::uint32_t>(book.moves().size()));
    for (std::uint64_t key : book.keys()) {
        put_u32(out, static_cast<std::uint32_t>(key));
        put_u32(out, static_cast<std::uint32_t>(key >> 32));
    }
    for (std::uint32_t offset : book.offsets()) put_u32(out, offset);
    for (const BookMove& m : book.moves()) {
        put_u16(out, m.mv);
        put_u16(out, static_cast<std::uint16_t>(m.score));
        put_u16(out, m.depth);
    }
    return out;
}

Expected<StaticBook, BookError> static_book_from_bytes(ByteSpan data) {
    ByteReader r(data);
    const auto header = read_header(r);
    if (!header) return unexpected(header.error());
    // Counts are at most 2^32 - 1, so the sizes cannot wrap in 64 bits.
    const std::uint64_t key_count = header->keys;
    const std::uint64_t move_count = header->moves;
    ByteSpan keys;
    if (!r.bytes(8 * key_count, keys)) return eof();
    for (std::size_t i = 8; i < keys.size(); i += 8)
        if (load_u64(&keys[i - 8]) >= load_u64(&keys[i])) return format_error("keys must be strictly increasing");
    ByteSpan offsets;
    if (!r.bytes(4 * (key_count + 1), offsets)) return eof();
    if (load_u32(&offsets[0]) != 0) return format_error("first offset must be zero");
    for (std::size_t i = 4; i < offsets.size(); i += 4)
        if (load_u32(&offsets[i]) < load_u32(&offsets[i - 4])) return format_error("offsets must be non-decreasing");
    if (load_u32(&offsets[offsets.size() - 4]) != move_count) return format_error("last offset must match move count");
    ByteSpan moves;
    if (!r.bytes(MOVE_RECORD_SIZE * move_count, moves)) return eof();
    if (!r.at_end()) return format_error("trailing bytes");

    std::vector<std::uint64_t> key_list(key_count);
    for (std::size_t i = 0; i < key_count; ++i) key_list[i] = load_u64(&keys[8 * i]);
    std::vector<std::uint32_t> offset_list(key_count + 1);
    for (std::size_t i = 0; i <= key_count; ++i) offset_list[i] = load_u32(&offsets[4 * i]);
    std::vector<BookMove> move_list(move_count);
    for (std::size_t i = 0; i < move_count; ++i) {
        const std::uint8_t* p = &moves[MOVE_RECORD_SIZE * i];
        move_list[i] = BookMove{load_u16(p), static_cast<std::int16_t>(load_u16(p + 2)), load_u16(p + 4)};
    }
    return StaticBook(std::move(key_list), std::move(offset_list), std::move(move_list));
}

Expected<StaticBook, BookError> static_book_from_file(const std::string& path) {
    auto source = BookSource::open(path);
    if (!source) return unexpected(source.error());
    Bytes data(STATIC_BOOK_HEADER_SIZE);
    const auto got = source->read_at(0, data);
    if (!got) return unexpected(got.error());
    data.resize(*got);
    ByteReader header_reader(data);
    const auto header = read_header(header_reader);
    // A header that fails fails the same way in any longer file.
    if (!header) return unexpected(header.error());
    // One byte past the declared end tells a longer file from an exact one.
    const std::uint64_t limit = declared_length(*header) + 1;
    data.reserve(static_cast<std::size_t>(std::min(limit, source->size() + 1)));
    constexpr std::size_t CHUNK = std::size_t{1} << 20;
    while (data.size() < limit) {
        const std::size_t before = data.size();
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(CHUNK, limit - before));
        data.resize(before + want);
        const auto n = source->read_at(before, std::span(data).subspan(before));
        if (!n) return unexpected(n.error());
        data.resize(before + *n);
        if (*n < want) break;
    }
    return static_book_from_bytes(data);
}

Expected<Ok, BookError> static_book_write_file(const StaticBook& book, const std::string& path) {
    const Bytes bytes = static_book_to_bytes(book);
    auto written = write_whole_file(path, bytes);
    if (!written) return unexpected(BookError::of_io(written.error()));
    return Ok{};
}

}  // namespace korvan
