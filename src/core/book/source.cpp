#include "core/book/source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvan {

namespace {

BookError system_error(IoStep step) { return BookError::of_io(IoError{errno, step}); }

}  // namespace

Expected<BookSource, BookError> BookSource::open(const std::string& path) {
    // The system would take the text up to the NUL as the path: a different file.
    if (path.find('\0') != std::string::npos) return unexpected(BookError::of_io(IoError{EINVAL, IoStep::Open}));
    BookSource source;
    do source.fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    while (source.fd_ < 0 && errno == EINTR);
    if (source.fd_ < 0) return unexpected(system_error(IoStep::Open));
    struct stat info {};
    if (::fstat(source.fd_, &info) != 0) return unexpected(system_error(IoStep::Read));
    source.identity_ = SourceIdentity{static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0)),
                                      static_cast<std::int64_t>(info.st_mtim.tv_sec),
                                      static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
    source.seekable_ = ::lseek(source.fd_, 0, SEEK_CUR) != -1;
    return source;
}

BookSource BookSource::from_bytes(Bytes bytes) {
    BookSource source;
    source.identity_.size = bytes.size();
    source.bytes_ = std::move(bytes);
    return source;
}

BookSource::BookSource(BookSource&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      seekable_(other.seekable_),
      stream_position_(other.stream_position_),
      bytes_(std::move(other.bytes_)),
      identity_(other.identity_) {}

BookSource& BookSource::operator=(BookSource&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        seekable_ = other.seekable_;
        stream_position_ = other.stream_position_;
        bytes_ = std::move(other.bytes_);
        identity_ = other.identity_;
    }
    return *this;
}

BookSource::~BookSource() {
    // Nothing was written, so a failed close loses nothing.
    if (fd_ >= 0) ::close(fd_);
}

Expected<std::size_t, BookError> BookSource::read_at(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (fd_ < 0) {
        // An empty span may hold no pointer at all, which memcpy must not see.
        if (offset >= bytes_.size() || out.empty()) return std::size_t{0};
        const std::size_t n = std::min<std::size_t>(out.size(), bytes_.size() - offset);
        std::memcpy(out.data(), bytes_.data() + offset, n);
        return n;
    }
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
        return unexpected(BookError::of_io(IoError{EINVAL, IoStep::Read}));
    if (!seekable_ && offset != stream_position_) return unexpected(BookError::of_io(IoError{ESPIPE, IoStep::Read}));
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = seekable_ ? ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done))
                                    : ::read(fd_, out.data() + done, out.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return unexpected(system_error(IoStep::Read));
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
        if (!seekable_) stream_position_ += static_cast<std::size_t>(n);
    }
    return done;
}

}  // namespace korvan
