#include "core/records/formats/kif/kif_errors.h"

namespace korvan {

std::string kif_error_display(const KifError& e) { return format_error_display(e, KifFormat::leads); }
std::string ki2_error_display(const Ki2Error& e) { return format_error_display(e, Ki2Format::leads); }

}  // namespace korvan
