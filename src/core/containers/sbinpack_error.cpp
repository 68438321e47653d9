#include "core/containers/sbinpack_error.h"

#include "core/util/text.h"

namespace korvan {

std::string sbinpack_error_debug(const SbinpackError& e) {
    using K = SbinpackError::Kind;
    switch (e.kind) {
        case K::InvalidMagic: return "InvalidMagic";
        case K::Truncated: return "Truncated";
        case K::Sfen: return "Sfen(" + sfen_error_debug(e.sfen) + ")";
        case K::PackedSfen: return std::string("PackedSfen(") + packed_sfen_error_debug(e.packed) + ")";
        case K::InvalidMoveIndex: return "InvalidMoveIndex(" + std::to_string(e.value) + ")";
        case K::UnencodableMove: return "UnencodableMove(Move32(" + std::to_string(e.value) + "))";
        case K::MissingEval: return "MissingEval(" + std::to_string(e.value) + ")";
        case K::MetadataTooLarge:
            return "MetadataTooLarge { len: " + std::to_string(e.value) + ", max: " + std::to_string(e.max) + " }";
        case K::TooManyMoves:
            return "TooManyMoves { len: " + std::to_string(e.value) + ", max: " + std::to_string(e.max) + " }";
        case K::UnencodablePosition: return "UnencodablePosition(" + debug_str(e.text) + ")";
    }
    return {};
}

}  // namespace korvan
