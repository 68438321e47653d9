#pragma once
// The pack container's outcome, end reason and error, with their texts.

#include <cstdint>
#include <string>

#include "core/board/notation/packed.h"
#include "core/board/position/parser.h"
#include "core/containers/file_io.h"
#include "core/records/record.h"

namespace korvan {

enum class PackResult : std::uint8_t { Draw = 0, BlackWin = 1, WhiteWin = 2 };

// The end reason as a code byte. Codes 7, 8, 9 and 14..255 name no reason: they are
// reserved and travel unchanged.
struct PackEndReason {
    enum Code : std::uint8_t {
        Resign = 0,
        RepetitionDraw = 1,
        MaxMoves = 2,
        Interrupt = 3,
        TimeUp = 4,
        IllegalMove = 5,
        RepetitionCheck = 6,
        WinCsa24 = 10,
        DrawCsa24 = 11,
        WinCsa27 = 12,
        WinTryRule = 13,
    };
    std::uint8_t code = Resign;

    bool reserved() const { return (code >= 7 && code <= 9) || code > 13; }
    bool operator==(const PackEndReason&) const = default;
};

// The name after "pack:end_reason=" ("resign", ...; the byte in decimal when reserved).
std::string pack_end_reason_name(PackEndReason r);
// The reason a "pack:end_reason=" text names: a name of the table, or a decimal byte
// with an optional "+" (a reserved reason carrying it); nothing otherwise.
std::optional<PackEndReason> pack_end_reason_from_text(std::string_view rest);

struct PackError {
    enum class Kind : std::uint8_t {
        Truncated,
        InvalidStartState,
        InvalidTerminalMarker,
        InvalidMove,
        IllegalMove,
        MissingEval,
        MissingTerminal,
        Hcp,
        Sfen,
        Record,
        InconsistentOutcome,
        Io,
        // A start position the 32-byte HuffmanCodedPos cannot hold (no king, two kings
        // of a side, more than a full set of a kind): refused rather than written as
        // bytes that no reader accepts.
        UnencodablePosition,
    };
    Kind kind = Kind::Truncated;
    std::uint64_t number = 0;  // InvalidStartState byte, InvalidTerminalMarker word, ply, MissingEval index
    std::uint16_t word = 0;    // InvalidMove, IllegalMove
    std::string text{};        // IllegalMove SFEN, UnencodablePosition message
    HuffmanCodedPosError hcp{HuffmanCodedPosError::Kind::InvalidCursor};
    SfenError sfen{};
    RecordError record{};
    PackResult result = PackResult::Draw;  // InconsistentOutcome
    PackEndReason reason{};                // InconsistentOutcome
    IoError io{};

    static PackError of(Kind k, std::uint64_t number = 0, std::uint16_t word = 0) {
        return {.kind = k, .number = number, .word = word};
    }
    bool operator==(const PackError&) const = default;
};

std::string pack_error_display(const PackError& e);

}  // namespace korvan
