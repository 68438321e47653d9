#pragma once
// The sbinpack container's error. Callers show it by its debug text: the variant name
// with its value in parentheses or its fields in braces.

#include <cstdint>
#include <string>

#include "core/board/notation/packed.h"
#include "core/board/position/parser.h"
#include "core/types/move.h"

namespace korvan {

struct SbinpackError {
    enum class Kind : std::uint8_t {
        InvalidMagic,
        Truncated,
        Sfen,
        PackedSfen,
        InvalidMoveIndex,
        UnencodableMove,
        MissingEval,
        MetadataTooLarge,
        // A chain of more moves than its 16-bit count can say: refused rather than cut.
        TooManyMoves,
        // A stem the 32-byte PackedSfen cannot hold (no king, two kings of a side, more
        // than a full set of a kind): refused rather than written as bytes no reader
        // accepts.
        UnencodablePosition,
    };
    Kind kind = Kind::Truncated;
    std::uint64_t value = 0;  // InvalidMoveIndex, UnencodableMove (the Move32), MissingEval, len
    std::uint64_t max = 0;    // MetadataTooLarge, TooManyMoves
    SfenError sfen{};
    PackedSfenError packed = PackedSfenError::InvalidCursor;
    std::string text{};  // UnencodablePosition

    static SbinpackError of(Kind k, std::uint64_t value = 0, std::uint64_t max = 0) {
        return {.kind = k, .value = value, .max = max};
    }
    bool operator==(const SbinpackError&) const = default;
};

std::string sbinpack_error_debug(const SbinpackError& e);

}  // namespace korvan
