#pragma once
// Whole files in and out through the operating system, for the container files: read
// whole into memory, written whole (created or truncated). A failure carries the
// system's error number and the step that met it, since callers word an open, a write
// and a final close differently.

#include <string>

#include "core/containers/byte_io.h"
#include "core/util/expected.h"

namespace korvan {

enum class IoStep : std::uint8_t { Open, Read, Write, Close };

struct IoError {
    int code = 0;  // errno
    IoStep step = IoStep::Open;
    bool operator==(const IoError&) const = default;
};

// The system's description, then " (os error N)".
std::string io_error_display(const IoError& e);

// A path holding a NUL byte fails both before any open, as EINVAL.
Expected<Bytes, IoError> read_whole_file(const std::string& path);
// Creates or truncates the file (mode 0666 less the umask) and writes every byte,
// however many calls that takes; a failed close is a failure too, since a delayed
// write error may only show there.
Expected<Ok, IoError> write_whole_file(const std::string& path, ByteSpan bytes);

}  // namespace korvan
