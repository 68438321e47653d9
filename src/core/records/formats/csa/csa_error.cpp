#include "core/records/formats/csa/csa_error.h"

namespace korvan {

namespace {

constexpr std::array<std::string_view, 5> LEADS = {
    "failed to parse SFEN: ", "invalid CSA line: ", "invalid CSA board line: ", "invalid CSA move line: ",
    "illegal move at index ",
};

}  // namespace

std::string csa_error_display(const CsaError& e) { return format_error_display(e, LEADS); }

}  // namespace korvan
