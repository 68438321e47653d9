#pragma once
// The error of the CSA reader and writer: a kind, a factory for each, one display.

#include <cstdint>
#include <string>

#include "core/board/position/parser.h"

namespace korvan {

struct CsaError {
    enum class Kind : std::uint8_t {
        Sfen,
        InvalidLine,
        InvalidBoardLine,
        InvalidMoveLine,
        IllegalMove,
    };
    Kind kind = Kind::InvalidLine;
    SfenError sfen;          // Sfen
    std::string text;        // the three line kinds
    std::uint64_t index = 0;  // IllegalMove: the move's index on the main line

    static CsaError of_sfen(SfenError e) {
        CsaError out;
        out.kind = Kind::Sfen;
        out.sfen = std::move(e);
        return out;
    }
    static CsaError invalid_line(std::string text) { return of_text(Kind::InvalidLine, std::move(text)); }
    static CsaError invalid_board_line(std::string text) { return of_text(Kind::InvalidBoardLine, std::move(text)); }
    static CsaError invalid_move_line(std::string text) { return of_text(Kind::InvalidMoveLine, std::move(text)); }
    static CsaError illegal_move(std::uint64_t index) {
        CsaError out;
        out.kind = Kind::IllegalMove;
        out.index = index;
        return out;
    }
    bool operator==(const CsaError&) const = default;

private:
    static CsaError of_text(Kind k, std::string text) {
        CsaError out;
        out.kind = k;
        out.text = std::move(text);
        return out;
    }
};

std::string csa_error_display(const CsaError& e);

}  // namespace korvan
