#pragma once
// The per-ply state record and the stack that holds one record per ply. The stack
// grows in chunks of 64 records that never move and are kept after undo, so a push
// allocates only when the history reaches a new depth of 64.

#include <array>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "core/board/zobrist.h"
#include "core/types/bitboard.h"
#include "core/types/hand.h"
#include "core/types/move.h"

namespace korvan {

enum class RepetitionState : std::uint8_t { None = 0, Win = 1, Lose = 2, Draw = 3, Superior = 4, Inferior = 5 };

// Check-square slots: PAWN 0, LANCE 1, KNIGHT 2, SILVER 3, BISHOP 4, ROOK 5, GOLD and
// the promoted minor pieces 6, HORSE 7, DRAGON 8. -1 for types that never check.
inline constexpr std::array<std::int8_t, 16> CHECK_SLOT = {-1, 0, 1, 2, 3, 4, 5, 6, -1, 6, 6, 6, 6, 7, 8, -1};
constexpr int CHECK_SLOT_NB = 9;

// Plain data with no initialisers, so that a new chunk of records costs no zeroing:
// every push overwrites its record completely, and set-up starts from fresh_state().
struct StateInfo {
    std::array<std::uint64_t, 2> nonpawn_key;
    std::array<Bitboard, 2> pinners;            // by king colour
    std::array<Bitboard, 2> blockers_for_king;  // by king colour, pieces of either colour
    Bitboard checkers;
    std::array<Bitboard, CHECK_SLOT_NB> check_squares;
    std::uint64_t board_key;
    std::uint64_t hand_key;
    std::uint64_t pawn_key;
    std::uint64_t minor_key;
    std::uint64_t board_piece_key;
    std::int32_t material;  // Black positive
    // Written by a move; zero in a set-up record.
    std::int32_t repetition_count;
    std::array<std::uint16_t, 2> continuous_check;
    Hand hand;  // of the side to move
    std::uint16_t plies_since_setup;
    RepetitionState repetition_state;
    Move32 last_move;
    Piece captured_piece;
    // Plies back to the earlier occurrence found by the repetition search, negated once
    // the count reaches 3; 0 when none.
    std::int32_t repetition_distance;

    bool operator==(const StateInfo&) const = default;
};

// All zero but the pawn key, which starts from its seed.
constexpr StateInfo fresh_state() {
    StateInfo st{};
    st.pawn_key = ZOBRIST_PAWN_KEY_SEED;
    return st;
}

enum class StateStackError : std::uint8_t { NoStateInfo = 0, StackUnderflow = 1 };

const char* state_stack_error_debug(StateStackError e);

class StateStack {
public:
    static constexpr std::size_t CHUNK = 64;

    StateStack() {
        chunks_.push_back(new_chunk());
        chunks_[0].get()[0] = fresh_state();
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
    StateInfo& current() { return chunks_[top_ / CHUNK].get()[top_ % CHUNK]; }
    const StateInfo& current() const { return chunks_[top_ / CHUNK].get()[top_ % CHUNK]; }

    // Moves the top up by one, appending a chunk of fresh records when needed, and
    // returns the new top record (its old contents are left for the caller to replace).
    StateInfo& push() {
        ++top_;
        if (top_ / CHUNK >= chunks_.size()) chunks_.push_back(new_chunk());
        return current();
    }
    void pop() { --top_; }
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

    std::vector<Chunk> chunks_;
    std::uint64_t top_ = 0;
};

}  // namespace korvan
