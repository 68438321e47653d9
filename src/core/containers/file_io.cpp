#include "core/containers/file_io.h"

#include <cerrno>
#include <cstring>
#include <type_traits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvan {

std::string io_error_display(const IoError& e) {
    char buffer[256];
    // The GNU and the POSIX strerror_r differ in what they return; either fills or
    // points at the text.
    const auto describe = [&](auto result) -> const char* {
        if constexpr (std::is_same_v<decltype(result), char*>)
            return result;
        else
            return result == 0 ? buffer : "Unknown error";
    };
    const char* text = describe(strerror_r(e.code, buffer, sizeof buffer));
    return std::string(text) + " (os error " + std::to_string(e.code) + ")";
}

namespace {

IoError last_error(IoStep step) { return IoError{errno, step}; }

// The system reads a path up to its first NUL, which would name another file.
bool names_no_file(const std::string& path) { return path.find('\0') != std::string::npos; }

// Closes on every path out; the explicit close of the success path reports its error.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        // After EINTR the descriptor is already released on Linux; retrying could
        // close a descriptor another thread has just been given.
        return ::close(fd) == 0 || errno == EINTR;
    }

private:
    int fd_;
};

}  // namespace

Expected<Bytes, IoError> read_whole_file(const std::string& path) {
    if (names_no_file(path)) return unexpected(IoError{EINVAL, IoStep::Open});
    int fd = 0;
    do fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return unexpected(last_error(IoStep::Open));
    FileDescriptor file(fd);
    Bytes out;
    struct stat info {};
    // The size is only a hint: the file may change while it is read.
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        out.reserve(static_cast<std::size_t>(info.st_size));
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return unexpected(last_error(IoStep::Read));
        }
        if (n == 0) break;
        out.insert(out.end(), chunk, chunk + n);
    }
    if (!file.close()) return unexpected(last_error(IoStep::Close));
    return out;
}

Expected<Ok, IoError> write_whole_file(const std::string& path, ByteSpan bytes) {
    if (names_no_file(path)) return unexpected(IoError{EINVAL, IoStep::Open});
    int fd = 0;
    do fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return unexpected(last_error(IoStep::Open));
    FileDescriptor file(fd);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return unexpected(last_error(IoStep::Write));
        }
        // A write that takes nothing would loop for ever; the system reports no error
        // for it, so name the one it stands for.
        if (n == 0) return unexpected(IoError{EIO, IoStep::Write});
        done += static_cast<std::size_t>(n);
    }
    if (!file.close()) return unexpected(last_error(IoStep::Close));
    return Ok{};
}

}  // namespace korvan
