// Book sources: a file read at offsets and held bytes answer alike; the identity of a
// file changes when it is rewritten; NUL paths and missing files are I/O errors before
// any open, here and in the whole-file functions of the containers.

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "book_support.h"
#include "core/book/source.h"
#include "core/containers/file_io.h"

namespace korvan::test {
namespace {

TEST(BookSource, FileAndHeldBytesReadAlike) {
    ScratchDir dir;
    std::mt19937_64 rng(31);
    Bytes bytes(70000);
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(rng());
    const std::string path = dir.file("data");
    ASSERT_TRUE(write_whole_file(path, bytes));
    auto file = BookSource::open(path);
    ASSERT_TRUE(file);
    BookSource held = BookSource::from_bytes(bytes);
    EXPECT_EQ(file->size(), bytes.size());
    EXPECT_EQ(held.size(), bytes.size());
    EXPECT_EQ(held.identity(), (SourceIdentity{bytes.size(), 0, 0}));
    for (int i = 0; i < 300; ++i) {
        const std::uint64_t offset = rng() % (bytes.size() + 100);
        const std::size_t length = rng() % 5000;
        Bytes a(length, 0xAA), b(length, 0xBB);
        const auto got_a = file->read_at(offset, a);
        const auto got_b = held.read_at(offset, b);
        ASSERT_TRUE(got_a && got_b);
        const std::size_t want = offset >= bytes.size() ? 0 : std::min<std::size_t>(length, bytes.size() - offset);
        ASSERT_EQ(*got_a, want);
        ASSERT_EQ(*got_b, want);
        EXPECT_TRUE(std::equal(a.begin(), a.begin() + want, bytes.begin() + offset));
        EXPECT_TRUE(std::equal(b.begin(), b.begin() + want, bytes.begin() + offset));
    }
}

TEST(BookSource, IdentityChangesWhenTheFileIsRewritten) {
    ScratchDir dir;
    const std::string path = dir.file("book");
    ASSERT_TRUE(write_whole_file(path, Bytes(10, 1)));
    const SourceIdentity first = BookSource::open(path)->identity();
    EXPECT_EQ(first.size, 10u);
    EXPECT_EQ(BookSource::open(path)->identity(), first);

    // Same size, later time.
    ASSERT_TRUE(write_whole_file(path, Bytes(10, 2)));
    const timespec later[2] = {{first.modified_seconds + 5, 0}, {first.modified_seconds + 5, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    const SourceIdentity second = BookSource::open(path)->identity();
    EXPECT_NE(second, first);
    EXPECT_EQ(second.size, 10u);
    EXPECT_EQ(second.modified_seconds, first.modified_seconds + 5);

    // Same time, another size.
    ASSERT_TRUE(write_whole_file(path, Bytes(11, 2)));
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    const SourceIdentity third = BookSource::open(path)->identity();
    EXPECT_NE(third, second);
    EXPECT_EQ(third.size, 11u);
}

TEST(BookSource, NulPathsAndMissingFilesAreIoErrors) {
    ScratchDir dir;
    const std::string stem = dir.file("a.bin");
    ASSERT_TRUE(write_whole_file(stem, Bytes(3, 1)));
    const auto nul = BookSource::open(stem + std::string("\0x", 2));
    ASSERT_FALSE(nul);
    EXPECT_EQ(nul.error(), BookError::of_io(IoError{EINVAL, IoStep::Open}));
    EXPECT_EQ(book_error_display(nul.error()), "io error: " + io_error_display(IoError{EINVAL, IoStep::Open}));
    const auto missing = BookSource::open(dir.file("missing"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error(), BookError::of_io(IoError{ENOENT, IoStep::Open}));
}

// The system would take the path up to the NUL: a different file.
TEST(FileIo, PathsWithNulNameNoFile) {
    ScratchDir dir;
    const std::string stem = dir.file("a.saz");
    const std::string with_nul = stem + std::string("\0x", 2);
    const auto written = write_whole_file(with_nul, Bytes(4, 7));
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error(), (IoError{EINVAL, IoStep::Open}));
    EXPECT_FALSE(std::filesystem::exists(stem));
    ASSERT_TRUE(write_whole_file(stem, Bytes(4, 7)));
    const auto read = read_whole_file(with_nul);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error(), (IoError{EINVAL, IoStep::Open}));
    EXPECT_EQ(*read_whole_file(stem), Bytes(4, 7));
}

TEST(BookError, Texts) {
    EXPECT_EQ(book_error_display(BookError::of_io(IoError{ENOENT, IoStep::Open})),
              "io error: No such file or directory (os error 2)");
    EXPECT_EQ(book_error_display(BookError::invalid_format("magic mismatch")), "invalid book format: magic mismatch");
    EXPECT_EQ(book_error_display(BookError::invalid_data("x 1")), "invalid data: x 1");
    EXPECT_EQ(book_error_display(BookError::unsupported_feature("version mismatch")),
              "unsupported feature: version mismatch");
    EXPECT_EQ(book_error_display(BookError::cancelled()), "book operation cancelled");
}

// A zero-length read (an empty SBK state) may come with no buffer at all.
TEST(BookSource, EmptyReadsTouchNothing) {
    BookSource held = BookSource::from_bytes(Bytes{1, 2, 3});
    const auto got = held.read_at(1, std::span<std::uint8_t>());
    ASSERT_TRUE(got);
    EXPECT_EQ(*got, 0u);
}

}  // namespace
}  // namespace korvan::test
