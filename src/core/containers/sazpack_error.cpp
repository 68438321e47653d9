#include "core/containers/sazpack_error.h"

#include <cstdio>

namespace korvan {

namespace {

std::string hex2(std::uint64_t v) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned>(v & 0xFF));
    return buffer;
}

const char* mismatch_text(SazpackError::Mismatch m) {
    using M = SazpackError::Mismatch;
    switch (m) {
        case M::HardAndSoft: return "all-hard and all-soft both set";
        case M::Metadata: return "no-metadata flag set but move has metadata";
        case M::HardWithPolicy: return "all-hard flag set but move has policy";
        case M::SoftWithoutPolicy: return "all-soft flag set but move lacks policy";
        case M::ScoreQ: return "all-has-score-q flag set but move lacks score_q";
    }
    return "";
}

}  // namespace

std::string sazpack_error_display(const SazpackError& e) {
    using K = SazpackError::Kind;
    switch (e.kind) {
        case K::InvalidMagic: return "invalid sazpack magic";
        case K::UnsupportedVersion: return "unsupported sazpack version: " + std::to_string(e.value);
        case K::Truncated: return "truncated sazpack data";
        case K::TrailingBytes:
            return "trailing bytes after sazpack chunk: expected end " + std::to_string(e.value) + ", actual len " +
                   std::to_string(e.other);
        case K::PackedSfen: return std::string("packed sfen decode failed: ") + packed_sfen_error_debug(e.packed);
        case K::InvalidGameResult: return "invalid game result byte: " + std::to_string(e.value);
        case K::MetadataTooLarge:
            return "metadata too large: " + std::to_string(e.value) + " bytes (max " + std::to_string(e.other) + ")";
        case K::ReservedTargetFlags: return "reserved sazpack target flags: 0x" + hex2(e.value);
        case K::ReservedChunkFlags: return "reserved sazpack chunk flags: 0x" + hex2(e.value);
        case K::CountOverflow: return "sazpack count exceeds u32";
        case K::FlagMismatch: return std::string("sazpack flag mismatch: ") + mismatch_text(e.mismatch);
        case K::PolicyVisitsSumZero: return "sazpack policy visits sum to zero";
        case K::IllegalMove: return "illegal sazpack move: " + move_display_usi(static_cast<std::uint32_t>(e.value));
        case K::UnencodableLabel:
            return "cannot convert sazpack move to compact policy label: " +
                   move_display_usi(static_cast<std::uint32_t>(e.value));
    }
    return {};
}

}  // namespace korvan
