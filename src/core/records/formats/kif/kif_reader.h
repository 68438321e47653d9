#pragma once
// The KIF reader: header, start position, numbered move lines with their times,
// comments and evaluations, the terminal, and the variation blocks, every move checked
// for legality on a replayed position.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/records/entries.h"
#include "core/records/formats/kif/kif_errors.h"
#include "core/records/record.h"

namespace korvan {

Expected<Record, KifError> parse_kif(std::string_view text);

struct KifMoveLine {
    Move move;
    Square to;
    std::optional<std::uint32_t> time_ms;
};

// "   1 ７六歩(77)   ( 0:01/00:00:01)": the move (not checked against any position),
// its destination and the time of its time column.
Expected<KifMoveLine, KifError> parse_kif_move_line(std::string_view line, bool has_previous, Square previous_square);

struct KifSpecialLine {
    SpecialMove special;
    std::optional<std::uint32_t> time_ms;
};

// "  65 投了  ( 0:10/00:56:12)": a numbered line whose move column is a word.
std::optional<KifSpecialLine> parse_kif_special_line(std::string_view line, Color side_to_move);

// "王" -> "玉", "竜" -> "龍", "成銀" -> "全", "成桂" -> "圭", "成香" -> "杏", "成歩" -> "と".
std::string normalize_kif_piece_name(std::string_view text);

}  // namespace korvan
