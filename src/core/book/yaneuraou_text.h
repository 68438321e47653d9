#pragma once
// The YaneuraOu db book text ("#YANEURAOU-DB2016 1.00"): how the bytes of one line
// become text, how a line is classified and parsed, and how lines gather into entries.
// An entry is a position line and the move lines after it:
//
//   sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1
//   7g7f 3c3d 30 12 5 // a comment after the fifth field
//   # comment lines add to the last move's comment
//
// Positions are keyed by their normalised SFEN: board, side and hands with the ply 1,
// so that the same position written at two plies is one key. Books are ordered by it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/book/book_error.h"
#include "core/types/move.h"
#include "core/util/expected.h"

namespace korvan {

constexpr std::string_view YANEURAOU_HEADER = "#YANEURAOU-DB2016 1.00";
constexpr std::string_view YANEURAOU_HEADER_PREFIX = "#YANEURAOU-DB2016";
// Real lines are under a kilobyte; a longer line than this is refused, not read whole.
constexpr std::size_t YANEURAOU_LINE_CAP = 1048576;

struct YaneuraOuMove {
    Move mv = MOVE_NONE;
    Move ponder = MOVE_NONE;
    std::optional<std::int32_t> score;
    std::optional<std::uint32_t> depth;
    std::optional<std::uint64_t> count;
    std::string comment;

    bool operator==(const YaneuraOuMove&) const = default;
};

struct YaneuraOuEntry {
    std::string sfen;  // normalised
    std::string comment;
    std::vector<YaneuraOuMove> moves;  // in file order
    std::uint32_t min_ply = 0;

    bool operator==(const YaneuraOuEntry&) const = default;
};

struct YaneuraOuSfen {
    std::string sfen;  // normalised
    std::uint32_t min_ply = 0;
};

enum class YaneuraOuLineKind : std::uint8_t { Blank, Header, Comment, Position, Move };

// One parsed line. `text` is the comment of a comment line, or the comment part of a
// move line; it points into the parsed text. `move` has no comment of its own: the
// gathering gives it `text`.
struct YaneuraOuLine {
    YaneuraOuLineKind kind = YaneuraOuLineKind::Blank;
    std::string_view text;
    YaneuraOuSfen position;  // Position
    YaneuraOuMove move;      // Move
};

// "line {n}: {message}", or the message alone for line 0 (a caller's own text).
std::string yaneuraou_line_error(std::uint64_t line_number, std::string_view message);

// The text of a line's bytes (line feed included or not): strict UTF-8, trailing line
// ends and white space trimmed, and on line 1 the byte-order marks that open it. The
// text points into the bytes.
Expected<std::string_view, BookError> yaneuraou_decode_line(std::uint64_t line_number, std::string_view bytes);

Expected<YaneuraOuLine, BookError> yaneuraou_parse_line(std::uint64_t line_number, std::string_view text);

// The text after "sfen " of a position line, or a lookup's query (line 0).
Expected<YaneuraOuSfen, BookError> yaneuraou_parse_sfen_line(std::uint64_t line_number, std::string_view text);

// A move field: "None" reads as "none"; the field name goes into the error text.
Expected<Move, BookError> yaneuraou_parse_move_token(std::uint64_t line_number, std::string_view token,
                                                     std::string_view field);

// A comment line's text to the entry's last move, or to the entry while it has none;
// a second text goes on a line of its own.
void yaneuraou_append_comment(YaneuraOuEntry& entry, std::string_view text);

// Adds a move or comment line to an entry; other kinds change nothing.
void yaneuraou_gather(YaneuraOuEntry& entry, const YaneuraOuLine& line);

}  // namespace korvan
