#pragma once
// The error of the CSA reader and writer: a kind, a factory for each, one display.

#include <cstdint>
#include <string>
#include <utility>

#include "core/records/formats/format_error.h"

namespace korvan {

enum class CsaErrorKind : std::uint8_t {
    Sfen,
    InvalidLine,
    InvalidBoardLine,
    InvalidMoveLine,
    IllegalMove,
};

struct CsaError : FormatError<CsaError, CsaErrorKind, CsaErrorKind::InvalidLine> {
    static CsaError invalid_line(std::string text) { return of_text(Kind::InvalidLine, std::move(text)); }
    static CsaError invalid_board_line(std::string text) { return of_text(Kind::InvalidBoardLine, std::move(text)); }
    static CsaError invalid_move_line(std::string text) { return of_text(Kind::InvalidMoveLine, std::move(text)); }
};

std::string csa_error_display(const CsaError& e);

}  // namespace korvan
