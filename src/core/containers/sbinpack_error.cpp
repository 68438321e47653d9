#include "core/containers/sbinpack_error.h"

#include "core/util/text.h"

namespace korvan {

std::string sbinpack_error_debug(const SbinpackError& e) {
    using K = SbinpackError::Kind;
    switch (e.kind) {
        case K::InvalidMagic: return "InvalidMagic";
        case K::Truncated: return "Truncated";
        case K::Sfen: return tuple_debug("Sfen", sfen_error_debug(e.sfen));
        case K::PackedSfen: return tuple_debug("PackedSfen", packed_sfen_error_debug(e.packed));
        case K::InvalidMoveIndex: return tuple_debug("InvalidMoveIndex", e.value);
        case K::UnencodableMove: return tuple_debug("UnencodableMove", tuple_debug("Move32", e.value));
        case K::MissingEval: return tuple_debug("MissingEval", e.value);
        case K::MetadataTooLarge: return struct_debug("MetadataTooLarge", {{"len", e.value}, {"max", e.max}});
        case K::TooManyMoves: return struct_debug("TooManyMoves", {{"len", e.value}, {"max", e.max}});
        case K::UnencodablePosition: return tuple_debug("UnencodablePosition", debug_str(e.text));
    }
    return {};
}

}  // namespace korvan
