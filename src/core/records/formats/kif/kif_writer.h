#pragma once
// The KIF writer: header, start position, the numbered move table with the time of
// each move and each side's running total, evaluations, comments, the variation
// blocks, and the terminal line with the closing line. Every move is replayed and
// checked; a failure gives no text at all.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/board/position/position.h"
#include "core/records/formats/kif/kif_errors.h"
#include "core/records/record.h"

namespace korvan {

Expected<std::string, KifError> write_kif(const Record& record);

struct KifMoveText {
    std::string text;  // padded to 12 columns
    Square to;
};

// "７六歩(77)", "同　歩(23)", "２二角成(88)", "５五角打" for a move on the position
// before it; "同" when a move was written before on the line and ended on the same
// square.
KifMoveText write_kif_move_text(const Position& pos, Move32 move, bool has_previous, Square previous);

// Spaces appended up to 12 columns, an ASCII character taking one and any other two.
std::string pad_kif_move_text(std::string_view text);

// "   1 ７六歩(77)   ( 0:01/00:00:01)" with "+" after it when marked.
std::string write_kif_move_time(std::uint64_t number, std::string_view padded_text, std::uint32_t move_ms,
                                std::uint32_t total_ms, bool marked);

}  // namespace korvan
