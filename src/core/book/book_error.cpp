#include "core/book/book_error.h"

namespace korvan {

std::string book_error_display(const BookError& e) {
    switch (e.kind) {
        case BookErrorKind::Io: return "io error: " + io_error_display(e.io);
        case BookErrorKind::InvalidFormat: return "invalid book format: " + e.detail;
        case BookErrorKind::InvalidData: return "invalid data: " + e.detail;
        case BookErrorKind::UnsupportedFeature: return "unsupported feature: " + e.detail;
        case BookErrorKind::Cancelled: return "book operation cancelled";
    }
    return {};
}

}  // namespace korvan
