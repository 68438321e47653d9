#include "core/records/formats/csa/csa_error.h"

#include "core/util/utf8_repair.h"

namespace korvan {

std::string csa_error_display(const CsaError& e) {
    using K = CsaError::Kind;
    switch (e.kind) {
        case K::Sfen: return "failed to parse SFEN: " + sfen_error_display(e.sfen);
        case K::InvalidLine: return "invalid CSA line: " + utf8_replace_invalid(e.text);
        case K::InvalidBoardLine: return "invalid CSA board line: " + utf8_replace_invalid(e.text);
        case K::InvalidMoveLine: return "invalid CSA move line: " + utf8_replace_invalid(e.text);
        case K::IllegalMove: return "illegal move at index " + std::to_string(e.index);
    }
    return {};
}

}  // namespace korvan
