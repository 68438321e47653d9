#pragma once
// The words that end a game in KIF and KI2 records: the move column of a numbered
// terminal line ("投了") and the closing line ("まで64手で先手の勝ち").

#include <optional>
#include <string_view>

#include "core/records/entries.h"
#include "core/types/color.h"

namespace korvan {

// The kind and result a move-column word gives with that side to move; an unknown word
// is UNKNOWN (carrying the word) with PAUSED. "詰み" is a resignation, never MATE.
SpecialMove kif_special_word(std::string_view word, Color side_to_move);

// The ending a "まで" line states, or nothing when it states none this reader knows.
// It also reads every closing line the KIF and KI2 writers write.
std::optional<SpecialMove> parse_kif_result_line(std::string_view line, Color side_to_move);

// The word of a closing line "まで{N}手で{word}" (N in ASCII digits) read as a
// move-column word, so that a word no result line knows ("封じ手") ends the game as an
// UNKNOWN terminal with PAUSED; nothing for a line of another shape.
std::optional<SpecialMove> parse_kif_closing_word(std::string_view line, Color side_to_move);

// The terminal entry of a recognised result line: the line as its raw text, no
// comment, no time.
SpecialMoveEntry special_entry_from_result_line(std::string_view line, SpecialMove special);

}  // namespace korvan
