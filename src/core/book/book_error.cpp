#include "core/book/book_error.h"

#include "core/util/utf8_repair.h"

namespace korvan {

std::string book_error_display(const BookError& e) {
    switch (e.kind) {
        case BookErrorKind::Io: return "io error: " + io_error_display(e.io);
        case BookErrorKind::InvalidFormat: return "invalid book format: " + utf8_replace_invalid(e.detail);
        case BookErrorKind::InvalidData: return "invalid data: " + utf8_replace_invalid(e.detail);
        case BookErrorKind::UnsupportedFeature: return "unsupported feature: " + utf8_replace_invalid(e.detail);
        case BookErrorKind::Cancelled: return "book operation cancelled";
    }
    return {};
}

}  // namespace korvan
