#pragma once
// KI2 move tokens ("▲７六歩", "△同　銀", "▲５八金右", "▲５五角打") turned into moves:
// the destination and the piece name, then only as many words as tell the candidate
// pieces apart, resolved against the position before each move.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/board/position/position.h"
#include "core/records/formats/kif/kif_errors.h"
#include "core/util/expected.h"

namespace korvan {

struct Ki2Move {
    Move move;
    Square to;
};

// The moves of a line's tokens, each read in the position after the ones before it.
// Moves are tested for legality as they are read: at the first illegal one the list
// ends with it (unplayed), for the caller to report. Any token that does not resolve
// fails the call with InvalidMove holding the line. The position is not changed.
Expected<std::vector<Ki2Move>, Ki2Error> parse_ki2_move(const Position& pos, std::string_view line, bool has_previous,
                                                       Square previous);

// The tokens of a line: spaces (U+0020, U+3000) removed, cut in front of every side
// mark ("▲", "△", "▼", "▽", "☗", "☖"); text before the first mark is a token too.
class Ki2Tokens {
public:
    explicit Ki2Tokens(std::string_view line) : Ki2Tokens(line, own_) {}
    // A token with a space inside is put together in the caller's buffer, which a
    // reader reuses line after line; other tokens are views of the line.
    Ki2Tokens(std::string_view line, std::string& buffer) : line_(line), buffer_(buffer) {}
    Ki2Tokens(const Ki2Tokens&) = delete;
    Ki2Tokens& operator=(const Ki2Tokens&) = delete;

    // The next token, or nothing after the last; valid until the next call.
    std::optional<std::string_view> next();

private:
    std::string own_;
    std::string_view line_;
    std::string& buffer_;
    std::size_t pos_ = 0;
};

// One token's move in this position, or nothing when it does not resolve. The move is
// not tested for legality.
std::optional<Ki2Move> resolve_ki2_token(const Position& pos, std::string_view token, bool has_previous,
                                         Square previous);

// The token read again among the legal moves only, for a token that resolve_ki2_token
// reads as no move or as an illegal one: a piece that cannot legally make the move
// (pinned, a king stepping into check) is no candidate, and without "打" a legal drop
// is the reading when no board piece fits. The one legal move that fits the token's
// words, or nothing (a token with "打" or a written source has no other reading).
std::optional<Ki2Move> resolve_ki2_token_legally(const Position& pos, std::string_view token, bool has_previous,
                                                 Square previous);

}  // namespace korvan
