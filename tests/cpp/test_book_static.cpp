// The memory book and the static book: insertion order and duplicates, the frozen
// bytes against a writer written here, round trips of random books, every reader check
// in its order, counts near 2^32 in short buffers (with the largest allocation
// measured), lookups against a linear search, and the file forms (the same errors as
// the bytes, devices, pipes, NUL paths, a full device).

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <new>
#include <thread>

#include "book_support.h"
#include "core/book/source.h"
#include "core/containers/file_io.h"

// Every single-object allocation of this test program goes through here (the array
// and aligned forms keep their own pairs), so a test can see the largest one a call
// made.
namespace {
std::atomic<std::size_t> largest_allocation{0};

void* allocate(std::size_t n) noexcept {
    std::size_t seen = largest_allocation.load(std::memory_order_relaxed);
    while (n > seen && !largest_allocation.compare_exchange_weak(seen, n)) {
    }
    return std::malloc(n ? n : 1);
}
}  // namespace

// The compiler takes the malloc inside for the allocation operator new stands for and
// warns of the free that matches it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
    if (void* p = allocate(n)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace korvan::test {
namespace {

std::string error_text(const Expected<StaticBook, BookError>& r) {
    return r ? "(book)" : book_error_display(r.error());
}

TEST(MemoryBook, KeepsInsertionOrderAndDuplicatesAgainstAnOrderedMap) {
    std::mt19937_64 rng(11);
    for (std::size_t inserts : {0u, 1u, 2u, 50u, 5000u, 60000u}) {
        MemoryBook book;
        const BookMap reference = fill_random(book, inserts, rng);
        ASSERT_EQ(book.size(), reference.size());
        EXPECT_EQ(book.move_count(), inserts);
        for (const auto& [key, moves] : reference) {
            ASSERT_TRUE(book.contains(key));
            const auto entry = book.get(key);
            ASSERT_TRUE(entry);
            EXPECT_EQ(entry->key.low, key);
            EXPECT_EQ(entry->moves, moves);
        }
        for (int i = 0; i < 1000; ++i) {
            const std::uint64_t absent = rng();
            if (reference.count(absent)) continue;
            EXPECT_FALSE(book.contains(absent));
            EXPECT_FALSE(book.get(absent));
        }
    }
    MemoryBook twice;
    const BookMove m{*move_from_usi("7g7f"), 3, 4};
    twice.insert(1, m);
    twice.insert(1, m);
    EXPECT_EQ(twice.size(), 1u);
    EXPECT_EQ(twice.get(1)->moves, (std::vector<BookMove>{m, m}));
    // A book moved from is empty and usable.
    const MemoryBook moved = std::move(twice);
    EXPECT_EQ(moved.get(1)->moves.size(), 2u);
    EXPECT_EQ(twice.size(), 0u);
    EXPECT_EQ(twice.move_count(), 0u);
    EXPECT_FALSE(twice.contains(1));
    twice.insert(2, m);
    EXPECT_EQ(twice.size(), 1u);
    EXPECT_EQ(twice.get(2)->moves, (std::vector<BookMove>{m}));
}

TEST(StaticBook, FrozenBytesEqualTheIndependentWriterAndRoundTrip) {
    std::mt19937_64 rng(12);
    for (std::size_t inserts : {0u, 1u, 7u, 300u, 20000u}) {
        MemoryBook memory;
        const BookMap reference = fill_random(memory, inserts, rng);
        const StaticBook book = static_book_from_memory(memory);
        const Bytes bytes = static_book_to_bytes(book);
        ASSERT_EQ(bytes, book_file(reference)) << inserts;
        EXPECT_EQ(bytes.size(), 26 + 12 * reference.size() + 6 * inserts);
        const auto back = static_book_from_bytes(bytes);
        ASSERT_TRUE(back) << error_text(back);
        EXPECT_EQ(*back, book);
        EXPECT_EQ(static_book_to_bytes(*back), bytes);
        EXPECT_EQ(back->size(), reference.size());
    }
}

// Keys crowded into one bucket of the lookup and keys spread over all of them; runs of
// zero to three moves (empty runs can only come from a file).
TEST(StaticBook, LookupAgreesWithALinearSearch) {
    std::mt19937_64 rng(13);
    for (const bool spread : {false, true}) {
        std::vector<std::uint64_t> keys;
        std::uint64_t key = 0;
        for (int i = 0; i < 3000; ++i) keys.push_back(spread ? rng() : (key += 1 + rng() % 1000));
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        std::vector<std::uint32_t> offsets{0};
        std::vector<BookMove> moves;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const int run = static_cast<int>(rng() % 4);
            for (int j = 0; j < run; ++j) moves.push_back(random_book_move(rng));
            offsets.push_back(static_cast<std::uint32_t>(moves.size()));
        }
        const auto book = static_book_from_bytes(book_file(keys, offsets, moves, keys.size(), moves.size()));
        ASSERT_TRUE(book) << error_text(book);
        const auto linear = [&](std::uint64_t k) -> std::optional<std::vector<BookMove>> {
            for (std::size_t i = 0; i < keys.size(); ++i)
                if (keys[i] == k)
                    return std::vector<BookMove>(moves.begin() + offsets[i], moves.begin() + offsets[i + 1]);
            return std::nullopt;
        };
        std::vector<std::uint64_t> probes = {0, 1, ~std::uint64_t{0}};
        for (std::uint64_t k : keys) probes.insert(probes.end(), {k - 1, k, k + 1, rng()});
        for (std::uint64_t probe : probes) {
            const auto want = linear(probe);
            const auto got = book->get(probe);
            ASSERT_EQ(got.has_value(), want.has_value()) << probe;
            EXPECT_EQ(book->contains(probe), want.has_value());
            if (got) {
                EXPECT_EQ(got->key.low, probe);
                EXPECT_EQ(got->moves, *want);
            }
        }
    }
}

// A valid book of keys 5 and 9 holding one and two moves: keys at 22, offsets at 38,
// moves at 50, 68 bytes in all.
Bytes small_file() {
    const std::vector<BookMove> moves = {{1, -2, 3}, {4, 5, 6}, {7, 8, 9}};
    return book_file({5, 9}, {0, 1, 3}, moves, 2, 3);
}

Bytes cut(Bytes b, std::size_t n) {
    b.resize(n);
    return b;
}
Bytes set(Bytes b, std::size_t at, std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    return b;
}

struct ReaderCase {
    const char* name;
    std::function<Bytes()> bytes;
    const char* text;  // nullptr: the book reads
};

std::ostream& operator<<(std::ostream& os, const ReaderCase& c) { return os << c.name; }

class StaticBookReader : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(StaticBookReader, FirstFailingCheckDecides) {
    const ReaderCase& c = GetParam();
    const auto book = static_book_from_bytes(c.bytes());
    if (!c.text) {
        EXPECT_TRUE(book) << error_text(book);
        return;
    }
    EXPECT_EQ(error_text(book), c.text);
}

constexpr const char* EOF_TEXT = "invalid book format: unexpected eof";
constexpr const char* ORDER = "invalid book format: keys must be strictly increasing";

const Bytes EMPTY = book_file(BookMap{});

const std::vector<ReaderCase> READER_CASES = {
        ReaderCase{"empty_buffer", [] { return Bytes{}; }, EOF_TEXT},
        ReaderCase{"seven_bytes_of_magic", [] { return cut(EMPTY, 7); }, EOF_TEXT},
        ReaderCase{"wrong_magic_alone", [] { return Bytes{'K', 'O', 'R', 'V', 'A', 'N', 'B', 'X'}; },
                   "invalid book format: magic mismatch"},
        ReaderCase{"magic_alone", [] { return cut(EMPTY, 8); }, EOF_TEXT},
        ReaderCase{"version_two_without_flags", [] { return cut(set(EMPTY, 8, 2, 2), 10); },
                   "unsupported feature: version mismatch"},
        ReaderCase{"version_zero", [] { return set(EMPTY, 8, 0, 2); }, "unsupported feature: version mismatch"},
        ReaderCase{"flags_cut", [] { return cut(EMPTY, 11); }, EOF_TEXT},
        ReaderCase{"flags_one", [] { return set(EMPTY, 10, 1, 2); }, "unsupported feature: score/depth is required"},
        ReaderCase{"flags_two", [] { return set(EMPTY, 10, 2, 2); }, "unsupported feature: score/depth is required"},
        ReaderCase{"flags_seven", [] { return set(EMPTY, 10, 7, 2); }, nullptr},
        ReaderCase{"flags_all", [] { return set(EMPTY, 10, 0xFFFF, 2); }, nullptr},
        ReaderCase{"reserved_byte_cut", [] { return cut(EMPTY, 13); }, EOF_TEXT},
        ReaderCase{"wide_keys_with_reserved_byte_cut", [] { return cut(set(EMPTY, 12, 16, 1), 13); }, EOF_TEXT},
        ReaderCase{"wide_keys", [] { return set(EMPTY, 12, 16, 1); },
                   "unsupported feature: static book key width does not match current hash feature"},
        ReaderCase{"four_byte_keys", [] { return set(EMPTY, 12, 4, 1); }, "unsupported feature: invalid key size"},
        ReaderCase{"zero_byte_keys", [] { return set(EMPTY, 12, 0, 1); }, "unsupported feature: invalid key size"},
        ReaderCase{"reserved_byte_any", [] { return set(small_file(), 13, 0xA5, 1); }, nullptr},
        ReaderCase{"counts_cut", [] { return cut(EMPTY, 21); }, EOF_TEXT},
        ReaderCase{"empty_book", [] { return EMPTY; }, nullptr},
        ReaderCase{"empty_book_cut", [] { return cut(EMPTY, 25); }, EOF_TEXT},
        ReaderCase{"empty_book_and_a_byte", [] { Bytes b = EMPTY; b.push_back(0); return b; },
                   "invalid book format: trailing bytes"},
        ReaderCase{"small_book", [] { return small_file(); }, nullptr},
        ReaderCase{"second_key_cut", [] { return cut(small_file(), 37); }, EOF_TEXT},
        ReaderCase{"unordered_keys_cut", [] { return cut(set(small_file(), 30, 5, 8), 37); }, EOF_TEXT},
        ReaderCase{"equal_keys", [] { return set(small_file(), 30, 5, 8); }, ORDER},
        ReaderCase{"equal_keys_bad_offsets", [] { return set(set(small_file(), 30, 5, 8), 38, 9, 4); }, ORDER},
        ReaderCase{"equal_keys_offsets_cut", [] { return cut(set(small_file(), 30, 5, 8), 40); }, ORDER},
        ReaderCase{"decreasing_keys", [] { return set(small_file(), 30, 4, 8); }, ORDER},
        ReaderCase{"offsets_cut", [] { return cut(small_file(), 49); }, EOF_TEXT},
        ReaderCase{"bad_offsets_cut", [] { return cut(set(small_file(), 38, 9, 4), 45); }, EOF_TEXT},
        ReaderCase{"first_offset_one", [] { return set(small_file(), 38, 1, 4); },
                   "invalid book format: first offset must be zero"},
        ReaderCase{"offsets_falling", [] { return set(small_file(), 42, 4, 4); },
                   "invalid book format: offsets must be non-decreasing"},
        ReaderCase{"last_offset_short_of_count", [] { return set(small_file(), 46, 2, 4); },
                   "invalid book format: last offset must match move count"},
        ReaderCase{"count_past_last_offset", [] { return set(small_file(), 18, 4, 4); },
                   "invalid book format: last offset must match move count"},
        ReaderCase{"key_without_moves", [] { return set(small_file(), 42, 0, 4); }, nullptr},
        ReaderCase{"moves_cut", [] { return cut(small_file(), 67); }, EOF_TEXT},
        ReaderCase{"moves_and_a_byte", [] { Bytes b = small_file(); b.push_back(0); return b; },
                   "invalid book format: trailing bytes"},
};

INSTANTIATE_TEST_SUITE_P(Checks, StaticBookReader, ::testing::ValuesIn(READER_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

// Declared counts near 2^32 in short buffers end in "unexpected eof" and reserve
// nothing for what they declare.
TEST(StaticBook, HugeCountsInShortBuffersAllocateNothingLarge) {
    struct Case {
        std::uint32_t keys, moves;
        std::size_t length;
    };
    for (const Case c : {Case{0xFFFFFFFF, 0, 30}, Case{0xFFFFFFF0, 0xFFFFFFFF, 30}, Case{1, 0xFFFFFFFF, 30},
                         Case{0x80000000, 7, 30}, Case{1, 0xFFFFFFFF, 64}}) {
        Bytes bytes = set(set(EMPTY, 14, c.keys, 4), 18, c.moves, 4);
        bytes.resize(c.length);
        // One key and offsets 0 and M: the move records are the first thing missing.
        if (c.keys == 1 && c.length >= 38) bytes = set(set(set(bytes, 22, 77, 8), 30, 0, 4), 34, c.moves, 4);
        const ByteSpan span(bytes);
        largest_allocation = 0;
        const auto book = static_book_from_bytes(span);
        const std::size_t largest = largest_allocation;
        EXPECT_EQ(error_text(book), EOF_TEXT) << c.keys << " " << c.moves;
        EXPECT_LT(largest, 4096u) << c.keys << " " << c.moves;
    }
}

void write_bytes(const std::string& path, const Bytes& bytes) {
    ASSERT_TRUE(write_whole_file(path, bytes));
}

// Whatever the file holds, the file reader gives what the bytes reader gives.
TEST(StaticBookFile, ReadsAsItsBytesRead) {
    ScratchDir dir;
    const std::string path = dir.file("book.bin");
    std::vector<Bytes> inputs;
    for (const ReaderCase& c : READER_CASES) inputs.push_back(c.bytes());
    const Bytes whole = small_file();
    for (std::size_t n = 0; n <= whole.size(); ++n) inputs.push_back(cut(whole, n));
    for (std::size_t extra = 1; extra < 4; ++extra) {
        Bytes longer = whole;
        longer.resize(whole.size() + extra, 0xEE);
        inputs.push_back(longer);
    }
    inputs.push_back(set(whole, 30, 5, 8));
    inputs.push_back(set(whole, 12, 16, 1));
    std::mt19937_64 rng(14);
    MemoryBook memory;
    fill_random(memory, 40000, rng);
    inputs.push_back(static_book_to_bytes(static_book_from_memory(memory)));
    for (const Bytes& bytes : inputs) {
        write_bytes(path, bytes);
        const auto from_file = static_book_from_file(path);
        const auto from_bytes = static_book_from_bytes(bytes);
        ASSERT_EQ(from_file.has_value(), from_bytes.has_value()) << bytes.size();
        if (from_file) {
            EXPECT_EQ(*from_file, *from_bytes);
        } else {
            EXPECT_EQ(from_file.error(), from_bytes.error()) << bytes.size();
        }
    }
}

TEST(StaticBookFile, WritesTheBytesAndReadsThemBack) {
    ScratchDir dir;
    std::mt19937_64 rng(15);
    MemoryBook memory;
    fill_random(memory, 3000, rng);
    const StaticBook book = static_book_from_memory(memory);
    const std::string path = dir.file("b.korvanbk");
    write_bytes(path, Bytes(100000, 1));  // truncated by the write
    ASSERT_TRUE(static_book_write_file(book, path));
    EXPECT_EQ(*read_whole_file(path), static_book_to_bytes(book));
    const auto back = static_book_from_file(path);
    ASSERT_TRUE(back) << error_text(back);
    EXPECT_EQ(*back, book);
}

TEST(StaticBookFile, SystemFailuresAreIoErrors) {
    ScratchDir dir;
    const auto missing = static_book_from_file(dir.file("missing"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().kind, BookErrorKind::Io);
    EXPECT_EQ(missing.error().io.code, ENOENT);
    EXPECT_EQ(error_text(missing), "io error: " + io_error_display(IoError{ENOENT, IoStep::Open}));

    const auto full = static_book_write_file(StaticBook{}, "/dev/full");
    ASSERT_FALSE(full);
    EXPECT_EQ(full.error().kind, BookErrorKind::Io);
    EXPECT_EQ(full.error().io.code, ENOSPC);
    EXPECT_EQ(book_error_display(full.error()).rfind("io error: No space left on device", 0), 0u)
        << book_error_display(full.error());

    // A device without end: the header is all that is read.
    EXPECT_EQ(error_text(static_book_from_file("/dev/zero")), "invalid book format: magic mismatch");

    // A directory opens but does not read.
    const auto directory = static_book_from_file(dir.file(""));
    ASSERT_FALSE(directory);
    EXPECT_EQ(directory.error().io.code, EISDIR);
}

TEST(StaticBookFile, PathsWithNulNameNoFile) {
    ScratchDir dir;
    const std::string stem = dir.file("a.bin");
    write_bytes(stem, static_book_to_bytes(StaticBook{}));
    const std::string with_nul = stem + std::string("\0x", 2);
    const auto read = static_book_from_file(with_nul);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error(), BookError::of_io(IoError{EINVAL, IoStep::Open}));
    std::filesystem::remove(stem);
    const auto written = static_book_write_file(StaticBook{}, with_nul);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error(), BookError::of_io(IoError{EINVAL, IoStep::Open}));
    EXPECT_FALSE(std::filesystem::exists(stem));
}

// A pipe is read in order, and never past one byte beyond the length its header
// declares, however much the writer has to give.
TEST(StaticBookFile, PipesAreReadNoFurtherThanTheDeclaredLength) {
    ::signal(SIGPIPE, SIG_IGN);
    ScratchDir dir;
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::mt19937_64 rng(16);
    MemoryBook memory;
    fill_random(memory, 30000, rng);
    const StaticBook book = static_book_from_memory(memory);
    const Bytes bytes = static_book_to_bytes(book);
    for (const bool endless : {false, true}) {
        std::atomic<std::uint64_t> written{0};
        std::thread writer([&] {
            int fd = -1;
            // Without a reader, a non-blocking open fails; stop trying once the reader
            // is plainly gone.
            for (int tries = 0; fd < 0 && tries < 20000; ++tries) {
                fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd < 0) ::usleep(500);
            }
            if (fd < 0) return;
            ::fcntl(fd, F_SETFL, 0);
            std::size_t done = 0;
            const Bytes filler(65536, 0);
            while (true) {
                const bool in_book = done < bytes.size();
                if (!in_book && !endless) break;
                const std::uint8_t* from = in_book ? bytes.data() + done : filler.data();
                const std::size_t n = in_book ? bytes.size() - done : filler.size();
                const ssize_t w = ::write(fd, from, n);
                if (w <= 0) break;
                done += static_cast<std::size_t>(w);
                written += static_cast<std::uint64_t>(w);
            }
            ::close(fd);
        });
        const auto read = static_book_from_file(fifo);
        writer.join();
        if (endless) {
            EXPECT_EQ(error_text(read), "invalid book format: trailing bytes");
            // What the pipe holds beyond the read is bounded by its buffer.
            EXPECT_LT(written.load(), bytes.size() + (std::uint64_t{1} << 21));
        } else {
            ASSERT_TRUE(read) << error_text(read);
            EXPECT_EQ(*read, book);
        }
    }
}

}  // namespace
}  // namespace korvan::test
