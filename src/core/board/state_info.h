#pragma once
// The per-ply state record and the stack that holds one record per ply. The stack
// grows in chunks of 64 records that never move and are kept after undo, so a push
// allocates only when the history reaches a new depth of 64.

#include <array>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "core/types/bitboard.h"
#include "core/types/hand.h"
#include "core/types/move.h"

namespace korvan {

enum class RepetitionState : std::uint8_t { None = 0, Win = 1, Lose = 2, Draw = 3, Superior = 4, Inferior = 5 };

// Check-square slots: PAWN 0, LANCE 1, KNIGHT 2, SILVER 3, BISHOP 4, ROOK 5, GOLD and
// the promoted minor pieces 6, HORSE 7, DRAGON 8. -1 for types that never check.
inline constexpr std::array<std::int8_t, 16> CHECK_SLOT = {-1, 0, 1, 2, 3, 4, 5, 6, -1, 6, 6, 6, 6, 7, 8, -1};
constexpr int CHECK_SLOT_NB = 9;

// What a position derives from its board and history on first use rather than at
// every move: a replay or a search that never asks pays nothing for it. Values are
// kept per record, so after an undo the record below still holds what was asked of it.
struct DerivedState {
    // The pieces of either colour that stand alone between a king and an enemy slider.
    std::array<Bitboard, 2> blockers_for_king;  // by king colour
    // The squares from which a piece of the side to move would attack the enemy king.
    std::array<Bitboard, CHECK_SLOT_NB> check_squares;
    // How many earlier occurrences of this position lie on its chain of repetitions
    // (0 when the search found none), and the search's verdict.
    std::int32_t repetition_count;
    RepetitionState repetition_state;
    // Plies back to the earlier occurrence the search found, negated once the count
    // reaches 3; 0 when none.
    std::int32_t repetition_distance;
    // Set-up records only: whether the side not to move stands in check.
    bool setup_check;
};

// Bits of StateInfo::derived: which groups of its DerivedState hold their values.
inline constexpr std::uint8_t DERIVED_BLOCKERS_BLACK = 1;
inline constexpr std::uint8_t DERIVED_BLOCKERS_WHITE = 2;
inline constexpr std::uint8_t DERIVED_CHECK_SQUARES = 4;
inline constexpr std::uint8_t DERIVED_REPETITION = 8;
inline constexpr std::uint8_t DERIVED_SETUP_CHECK = 16;

// Plain data with no initialisers, so that a new chunk of records costs no zeroing:
// every push writes the fields a move owns and clears `derived`, and set-up starts
// from fresh_state(). A move writes only what undo, the check tests and a later
// repetition search read; the rest is derived on demand (position.h).
struct StateInfo {
    std::uint64_t board_key;
    std::uint64_t hand_key;
    Bitboard checkers;  // of the side to move's king
    Move32 last_move;
    Hand hand;  // of the side to move
    std::array<std::uint16_t, 2> continuous_check;
    std::uint16_t plies_since_setup;
    Piece captured_piece;
    // The cache below is filled through a const position by the queries that need it:
    // a position is read by one thread at a time.
    mutable std::uint8_t derived;
    mutable DerivedState cache;

    // The fields a move writes; the cache is a function of them and the board.
    bool operator==(const StateInfo& o) const {
        return board_key == o.board_key && hand_key == o.hand_key && checkers == o.checkers &&
               last_move == o.last_move && hand == o.hand && continuous_check == o.continuous_check &&
               plies_since_setup == o.plies_since_setup && captured_piece == o.captured_piece;
    }
};

constexpr StateInfo fresh_state() { return StateInfo{}; }

enum class StateStackError : std::uint8_t { NoStateInfo = 0, StackUnderflow = 1 };

const char* state_stack_error_debug(StateStackError e);

class StateStack {
public:
    static constexpr std::size_t CHUNK = 64;

    StateStack() {
        chunks_.push_back(new_chunk());
        chunks_[0].get()[0] = fresh_state();
        current_ = chunks_[0].get();
    }
    StateStack(const StateStack& other) { copy_from(other); }
    StateStack& operator=(const StateStack& other) {
        if (this != &other) copy_from(other);
        return *this;
    }
    StateStack(StateStack&&) noexcept = default;
    StateStack& operator=(StateStack&&) noexcept = default;

    std::uint64_t top() const { return top_; }
    std::size_t chunk_count() const { return chunks_.size(); }

    StateInfo& at(std::uint64_t index);
    const StateInfo& at(std::uint64_t index) const;
    // The top record, kept as a pointer: every query of the position reads it.
    StateInfo& current() { return *current_; }
    const StateInfo& current() const { return *current_; }

    // Moves the top up by one, appending a chunk of fresh records when needed, and
    // returns the new top record (its old contents are left for the caller to replace).
    StateInfo& push() {
        ++top_;
        // Within a chunk the next record is the next one in memory.
        if (top_ % CHUNK != 0) return *++current_;
        if (top_ / CHUNK >= chunks_.size()) chunks_.push_back(new_chunk());
        return *(current_ = locate(top_));
    }
    void pop() { current_ = top_-- % CHUNK != 0 ? current_ - 1 : locate(top_); }
    // Back to one chunk with record 0 fresh.
    void reset();

private:
    // A chunk is raw storage for 64 records: records are plain aggregates, created by
    // the allocation itself and written before they are read, so nothing is zeroed.
    struct ChunkDeleter {
        void operator()(StateInfo* p) const { ::operator delete(p, std::align_val_t(64)); }
    };
    using Chunk = std::unique_ptr<StateInfo, ChunkDeleter>;
    static Chunk new_chunk() {
        return Chunk(static_cast<StateInfo*>(::operator new(sizeof(StateInfo) * CHUNK, std::align_val_t(64))));
    }
    void copy_from(const StateStack& other);
    StateInfo* locate(std::uint64_t index) const { return chunks_[index / CHUNK].get() + index % CHUNK; }

    // Moving the vector moves the chunks' ownership, not the chunks: current_ stays valid.
    std::vector<Chunk> chunks_;
    std::uint64_t top_ = 0;
    StateInfo* current_ = nullptr;
};

}  // namespace korvan
