#pragma once
// Shared helpers of the libFuzzer harnesses: reading the input, stopping loudly on a
// broken property, checking error texts, and comparing positions by what they are made
// of.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/board/movegen/movegen.h"
#include "core/board/position/legality.h"
#include "core/board/position/parser.h"
#include "core/board/position/position_state.h"
#include "core/board/position/position.h"
#include "core/board/position/updates.h"
#include "core/util/utf8_check.h"
#include "core/util/panic.h"

namespace korvan::fuzz {

// A broken property is a crash, so that libFuzzer keeps the input that found it.
[[noreturn]] inline void fail(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "property broken: %s\n%.*s\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

#define FUZZ_REQUIRE(cond, detail)                        \
    do {                                                  \
        if (!(cond)) ::korvan::fuzz::fail(#cond, detail); \
    } while (0)

// An error text says something and is valid UTF-8 whatever the input held: the binding
// shows it to users, and a text cut inside a character or quoting raw bytes is not.
inline void require_error_text(std::string_view text) {
    FUZZ_REQUIRE(!text.empty(), "an error text");
    FUZZ_REQUIRE(is_valid_utf8(text), text);
}

// Consumes the input from the front: fixed-width integers (zero once it runs out) and
// the text up to a separator.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t remaining() const { return size_ - pos_; }
    bool empty() const { return pos_ >= size_; }

    template <typename T>
    T take() {
        T v{};
        const std::size_t n = remaining() < sizeof(T) ? remaining() : sizeof(T);
        std::memcpy(&v, data_ + pos_, n);
        pos_ += n;
        return v;
    }
    // The text up to the first `sep` (consumed) or to the end.
    std::string_view line(char sep = '\n') {
        const char* begin = reinterpret_cast<const char*>(data_ + pos_);
        const void* hit = std::memchr(begin, sep, remaining());
        const std::size_t n = hit ? static_cast<const char*>(hit) - begin : remaining();
        pos_ += hit ? n + 1 : n;
        return {begin, n};
    }
    std::string_view rest() {
        std::string_view r(reinterpret_cast<const char*>(data_ + pos_), remaining());
        pos_ = size_;
        return r;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Board, hands and side to move: what an SFEN text and the packed forms carry.
inline bool same_placement(const Position& a, const Position& b) {
    return a.board == b.board && a.hands == b.hands && a.side_to_move == b.side_to_move;
}

// Everything a move keeps incrementally equals its recomputation from the board.
inline void require_consistent(const Position& pos, std::string_view context) {
    const Position fresh = position_from_state(position_state_of(pos));
    FUZZ_REQUIRE(pos.by_type == fresh.by_type && pos.by_color == fresh.by_color && pos.occupied == fresh.occupied,
                 context);
    FUZZ_REQUIRE(pos.board_key == fresh.board_key && pos.hand_key == fresh.hand_key && pos.key == fresh.key,
                 context);
    const StateInfo& a = pos.st();
    const StateInfo& b = fresh.st();
    FUZZ_REQUIRE(a.hand == b.hand, context);
    // A side with two or more kings has no single king square: its checks, pins and
    // king square follow whichever king the last update saw.
    if (pos.pieces(BLACK, KING).more_than_one() || pos.pieces(WHITE, KING).more_than_one()) return;
    FUZZ_REQUIRE(pos.king_square == fresh.king_square, context);
    FUZZ_REQUIRE(a.checkers == b.checkers, context);
    for (const Color c : {BLACK, WHITE}) FUZZ_REQUIRE(position_blockers(pos, c) == position_blockers(fresh, c), context);
    FUZZ_REQUIRE(position_check_squares(pos) == position_check_squares(fresh), context);
}

inline bool list_contains(const MoveList& list, Move m) {
    for (Move x : list)
        if (x == m) return true;
    return false;
}

}  // namespace korvan::fuzz
