#include "board/state_info.h"

#include "util/panic.h"

namespace korvan {

const char* state_stack_error_debug(StateStackError e) {
    return e == StateStackError::NoStateInfo ? "NoStateInfo" : "StackUnderflow";
}

StateInfo& StateStack::at(std::uint64_t index) {
    check_index("board/state_info", index / CHUNK, chunks_.size());
    return chunks_[index / CHUNK]->records[index % CHUNK];
}

const StateInfo& StateStack::at(std::uint64_t index) const {
    check_index("board/state_info", index / CHUNK, chunks_.size());
    return chunks_[index / CHUNK]->records[index % CHUNK];
}

void StateStack::reset() {
    chunks_.resize(1);
    chunks_[0]->records[0] = StateInfo{};
    top_ = 0;
}

void StateStack::copy_from(const StateStack& other) {
    std::vector<std::unique_ptr<Chunk>> chunks;
    chunks.reserve(other.chunks_.size());
    for (const auto& c : other.chunks_) chunks.push_back(std::make_unique<Chunk>(*c));
    chunks_ = std::move(chunks);
    top_ = other.top_;
}

}  // namespace korvan
