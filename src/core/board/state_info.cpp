#include "core/board/state_info.h"

#include <algorithm>

#include "core/util/panic.h"

namespace korvan {

const char* state_stack_error_debug(StateStackError e) {
    return e == StateStackError::NoStateInfo ? "NoStateInfo" : "StackUnderflow";
}

StateInfo& StateStack::at(std::uint64_t index) {
    check_index("board/state_info", index / CHUNK, chunks_.size());
    return chunks_[index / CHUNK].get()[index % CHUNK];
}

const StateInfo& StateStack::at(std::uint64_t index) const {
    check_index("board/state_info", index / CHUNK, chunks_.size());
    return chunks_[index / CHUNK].get()[index % CHUNK];
}

void StateStack::reset() {
    chunks_.resize(1);
    chunks_[0].get()[0] = fresh_state();
    top_ = 0;
    current_ = chunks_[0].get();
}

void StateStack::copy_from(const StateStack& other) {
    std::vector<Chunk> chunks;
    chunks.reserve(other.chunks_.size());
    // Records above the top are dead until a push overwrites them: copy only what lives.
    for (std::size_t i = 0; i < other.chunks_.size(); ++i) {
        chunks.push_back(new_chunk());
        const std::size_t live = i < other.top_ / CHUNK ? CHUNK : i == other.top_ / CHUNK ? other.top_ % CHUNK + 1 : 0;
        std::copy_n(other.chunks_[i].get(), live, chunks.back().get());
    }
    chunks_ = std::move(chunks);
    top_ = other.top_;
    current_ = locate(top_);
}

}  // namespace korvan
