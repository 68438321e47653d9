#pragma once
// The sazpack container's error and its texts.

#include <cstdint>
#include <string>

#include "core/board/notation/packed.h"
#include "core/types/move.h"

namespace korvan {

struct SazpackError {
    enum class Kind : std::uint8_t {
        InvalidMagic,
        UnsupportedVersion,
        Truncated,
        TrailingBytes,
        PackedSfen,
        InvalidGameResult,
        MetadataTooLarge,
        ReservedTargetFlags,
        ReservedChunkFlags,
        CountOverflow,
        FlagMismatch,
        PolicyVisitsSumZero,
        IllegalMove,
        UnencodableLabel,
    };
    enum class Mismatch : std::uint8_t { HardAndSoft, Metadata, HardWithPolicy, SoftWithoutPolicy, ScoreQ };

    Kind kind = Kind::Truncated;
    std::uint64_t value = 0;   // version, flags, result byte, move; expected end; len
    std::uint64_t other = 0;   // actual len; max
    PackedSfenError packed = PackedSfenError::InvalidCursor;
    Mismatch mismatch = Mismatch::HardAndSoft;

    static SazpackError of(Kind k, std::uint64_t value = 0, std::uint64_t other = 0) {
        return {.kind = k, .value = value, .other = other};
    }
    static SazpackError flag_mismatch(Mismatch m) { return {.kind = Kind::FlagMismatch, .mismatch = m}; }
    bool operator==(const SazpackError&) const = default;
};

std::string sazpack_error_display(const SazpackError& e);

}  // namespace korvan
