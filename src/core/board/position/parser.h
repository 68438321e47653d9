#pragma once
// SFEN reading and writing, and recognition of the preset start positions.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/board/position/position.h"
#include "core/board/position/position_state.h"
#include "core/util/decimal.h"
#include "core/util/expected.h"

namespace korvan {

enum class SfenField : std::uint8_t { Placement = 0, Turn = 1, Hand = 2, Ply = 3 };

struct SfenError {
    enum class Kind : std::uint8_t {
        MissingField,
        InvalidPiece,
        InvalidSquare,
        InvalidHandCount,
        InvalidTurn,
        InvalidPly,
        TrailingToken,
        InvalidMove,
    };
    SfenError() = default;
    explicit SfenError(Kind k) : kind(k) {}

    Kind kind = Kind::MissingField;
    SfenField field = SfenField::Placement;   // MissingField
    char32_t ch = 0;                           // InvalidPiece, InvalidTurn
    PieceType piece = NO_PIECE_TYPE;           // InvalidHandCount
    std::uint32_t count = 0;                   // InvalidHandCount
    IntErrorKind int_error = IntErrorKind::Empty;  // InvalidPly
    std::string text;                          // TrailingToken, InvalidMove

    bool operator==(const SfenError&) const = default;
};

std::string sfen_error_display(const SfenError& e);
std::string sfen_error_debug(const SfenError& e);

// The four fields an SFEN text gives; the ply is 0 when the text has none.
struct SfenFields : PositionState {
    SfenFields() { ply = 0; }
};

Expected<SfenFields, SfenError> parse_sfen_fields(std::string_view text);
Expected<Position, SfenError> position_from_sfen(std::string_view text);
// Fills an existing position from the four fields (parsed or edited): the three set-up
// steps.
void position_set(Position& pos, const PositionState& fields);

std::string position_to_sfen(const Position& pos, std::uint32_t ply);
std::string position_state_to_sfen(const PositionState& state, bool include_ply);
// Board, turn and hands fields with no ply.
std::string sfen_fields_text(const std::array<Piece, 81>& board, Color side, const std::array<Hand, 2>& hands);

constexpr std::string_view STARTPOS_SFEN = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";
// 0..14 for the preset start positions, 15 for any other text.
int handicap_kind_from_sfen(std::string_view text);
std::string_view handicap_sfen(int kind);

}  // namespace korvan
