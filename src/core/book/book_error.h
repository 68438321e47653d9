#pragma once
// The one error of every opening-book operation: the static book file, the builder's
// record walk and the SBK and YaneuraOu readers. The kind says who is at fault (the
// file interface, the format, the content, a feature this library lacks, or a caller
// that asked to stop); the detail says where.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/containers/file_io.h"

namespace korvan {

enum class BookErrorKind : std::uint8_t { Io, InvalidFormat, InvalidData, UnsupportedFeature, Cancelled };

struct BookError {
    BookErrorKind kind = BookErrorKind::InvalidFormat;
    IoError io;          // Io
    std::string detail;  // InvalidFormat, InvalidData, UnsupportedFeature

    static BookError of_io(IoError e) {
        BookError out;
        out.kind = BookErrorKind::Io;
        out.io = e;
        return out;
    }
    static BookError invalid_format(std::string_view detail) {
        return BookError{BookErrorKind::InvalidFormat, {}, std::string(detail)};
    }
    static BookError invalid_data(std::string detail) {
        return BookError{BookErrorKind::InvalidData, {}, std::move(detail)};
    }
    static BookError unsupported_feature(std::string_view detail) {
        return BookError{BookErrorKind::UnsupportedFeature, {}, std::string(detail)};
    }
    static BookError cancelled() { return BookError{BookErrorKind::Cancelled, {}, {}}; }

    bool operator==(const BookError&) const = default;
};

// "io error: <system text>", "invalid book format: ..", "invalid data: ..",
// "unsupported feature: ..", "book operation cancelled".
std::string book_error_display(const BookError& e);

}  // namespace korvan
