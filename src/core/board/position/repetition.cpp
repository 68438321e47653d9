#include "core/board/position/repetition.h"

namespace korvan {

namespace {

// The search for record `index`, every record below it already searched; `them` is the
// side to move there and `us` the side that moved into it.
void search(const StateStack& states, std::uint64_t index, Color them) {
    const Color us = ~them;
    const StateInfo& st = states.at(index);
    DerivedState& out = st.cache;
    out.repetition_count = 0;
    out.repetition_state = RepetitionState::None;
    out.repetition_distance = 0;
    st.derived |= DERIVED_REPETITION;
    const Hand h = st.hand;
    for (int d = 4; d <= 16; d += 2) {
        if (d > st.plies_since_setup || static_cast<std::uint64_t>(d) > index) return;
        if (d >= 6 && states.at(index - (d - 2)).plies_since_setup == 0) return;
        const StateInfo& r = states.at(index - d);
        if (r.board_key != st.board_key) continue;
        if (r.hand == h) {
            out.repetition_count = r.cache.repetition_count + 1;
            RepetitionState state = d <= st.continuous_check[them] ? RepetitionState::Lose
                                    : d <= st.continuous_check[us] ? RepetitionState::Win
                                                                   : RepetitionState::Draw;
            if (r.cache.repetition_count > 0 && state != r.cache.repetition_state) state = RepetitionState::Draw;
            out.repetition_state = state;
            out.repetition_distance = out.repetition_count >= 3 ? -d : d;
            return;
        }
        if (hand_dominates(h, r.hand)) {
            out.repetition_state = RepetitionState::Superior;
            out.repetition_distance = d;
            return;
        }
        if (hand_dominates(r.hand, h)) {
            out.repetition_state = RepetitionState::Inferior;
            out.repetition_distance = d;
            return;
        }
    }
}

}  // namespace

Repetition position_repetition(const Position& pos) {
    const StateStack& states = pos.states;
    const std::uint64_t top = states.top();
    if (!(states.current().derived & DERIVED_REPETITION)) {
        // Records are searched bottom up, so every searched record has only searched
        // records below it: walk down to the first one and search upward from there.
        std::uint64_t first = top;
        while (first > 0 && !(states.at(first - 1).derived & DERIVED_REPETITION)) --first;
        for (std::uint64_t i = first; i <= top; ++i)
            search(states, i, (top - i) % 2 == 0 ? pos.side_to_move : ~pos.side_to_move);
    }
    const DerivedState& c = states.current().cache;
    return {c.repetition_state, c.repetition_count, c.repetition_distance};
}

}  // namespace korvan
