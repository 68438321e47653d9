#pragma once
// Names the JKF reader and writer share: piece kinds, preset positions and specials.

#include <optional>
#include <string>
#include <string_view>

#include "core/records/entries.h"
#include "core/types/color.h"
#include "core/types/piece.h"

namespace korvan {

// "FU" .. "RY" by piece type 1..14 (a king is "OU"); empty for other types.
std::string_view jkf_kind_code(unsigned piece_type);
// The kind codes a reader accepts, "GY" also for a king.
std::optional<PieceType> jkf_kind_to_piece_type(std::string_view code);

// The preset name of an initial SFEN text, compared byte for byte ("HIRATE" for the
// standard start).
std::optional<std::string_view> jkf_preset_of_sfen(std::string_view sfen);
// The SFEN of a handicap preset; nothing for "HIRATE", "OTHER" and unknown names.
std::optional<std::string_view> jkf_preset_sfen(std::string_view name);

// The terminal a "special" text makes with `side_to_move` to move (compared after ASCII
// upper-casing; raw keeps the text).
SpecialMove jkf_special_of_name(std::string_view name, Color side_to_move);
// The "special" a terminal writes. The illegal-move kinds depend on who is to move:
// "+ILLEGAL_ACTION" / "-ILLEGAL_ACTION" must name the same winner when read back.
std::string jkf_special_name(const SpecialMove& special, Color side_to_move);

}  // namespace korvan
