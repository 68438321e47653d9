#include "core/containers/sbinpack_record.h"

#include "core/board/position/legality.h"
#include "core/board/position/updates.h"
#include "core/types/apery.h"

namespace korvan {

namespace {

using K = SbinpackError::Kind;

// The moves of the line that starts at `first` and follows first children.
std::vector<SbinpackMoveInput> line_from(const Record& record, RecordNodeId first) {
    std::vector<SbinpackMoveInput> moves;
    for (RecordNodeId id = first; id != 0;) {
        const RecordNode& node = record_node(record, id);
        if (node.kind != NodeKind::Move) break;
        SbinpackMoveInput m;
        m.move = node.move;
        if (const EngineInfo* info = node.annotations.engine_info.get(); info && info->eval) m.eval = *info->eval;
        moves.push_back(m);
        id = node.first_child;
    }
    return moves;
}

// A move as the errors name it: widened when it fits the position, else its 16 bits.
Move32 named_move(const Position& pos, Move m) {
    const Move32 m32 = position_move_to_move32(pos, m);
    return m32 != 0 ? m32 : m;
}

struct ChainBuilder {
    const Record& record;
    std::int16_t stem_score;
    ByteSpan metadata;
    GameResult result;
    std::vector<SbinpackChain> chains;

    Expected<Ok, SbinpackError> add(const Position& stem, RecordNodeId first) {
        const std::vector<SbinpackMoveInput> moves = line_from(record, first);
        auto chain = sbinpack_encode_chain(stem, moves, stem_score, metadata, result);
        if (!chain) return unexpected(std::move(chain.error()));
        chains.push_back(std::move(*chain));
        return Ok{};
    }
};

// One node on the walk's path: its children still to enter (the last first), the move
// made to reach it, and whether the path to it holds a move that is not legal.
struct Frame {
    std::vector<RecordNodeId> children;
    std::size_t remaining = 0;
    Move32 played = 0;
    bool blocked = false;
    Move32 blocking_move = 0;
};

// Emits the chains of the node's later children from the position at the node.
Expected<Ok, SbinpackError> visit(ChainBuilder& builder, const Position& pos, const Frame& frame) {
    if (frame.children.size() < 2) return Ok{};
    if (frame.blocked) return unexpected(SbinpackError::of(K::UnencodableMove, frame.blocking_move));
    for (std::size_t i = 1; i < frame.children.size(); ++i) {
        auto added = builder.add(pos, frame.children[i]);
        if (!added) return added;
    }
    return Ok{};
}

// The walk keeps one position, making each move on the way down and taking it back on
// the way up, so every stem costs one move, not a replay from the root; the path lives
// in an explicit stack, so a line of any length needs no recursion.
Expected<Ok, SbinpackError> add_variations(ChainBuilder& builder, Position& pos) {
    std::vector<Frame> path;
    Frame root;
    root.children = record_children(builder.record, builder.record.root);
    root.remaining = root.children.size();
    if (auto done = visit(builder, pos, root); !done) return done;
    path.push_back(std::move(root));
    while (!path.empty()) {
        Frame& top = path.back();
        if (top.remaining == 0) {
            if (top.played) (void)position_undo_move(pos, top.played);
            path.pop_back();
            continue;
        }
        const RecordNodeId id = top.children[--top.remaining];
        Frame next;
        next.blocked = top.blocked;
        next.blocking_move = top.blocking_move;
        const RecordNode& node = record_node(builder.record, id);
        if (node.kind == NodeKind::Move && !next.blocked) {
            const Move32 m32 = position_move_to_move32(pos, node.move);
            if (m32 != 0 && !is_special_move(m32) && position_is_legal(pos, m32)) {
                position_do_move(pos, m32);
                next.played = m32;
            } else {
                next.blocked = true;
                next.blocking_move = named_move(pos, node.move);
            }
        }
        next.children = record_children(builder.record, id);
        next.remaining = next.children.size();
        if (auto done = visit(builder, pos, next); !done) return done;
        path.push_back(std::move(next));
    }
    return Ok{};
}

}  // namespace

Expected<std::vector<SbinpackChain>, SbinpackError> record_to_sbinpack_chains(const Record& record,
                                                                            std::int16_t stem_score,
                                                                            ByteSpan metadata, bool include_main,
                                                                            bool include_variations) {
    ChainBuilder builder{record, stem_score, metadata, record_result(record), {}};
    if (!include_main && !include_variations) return std::move(builder.chains);
    auto initial = record_start_position(record);
    if (!initial) return unexpected(SbinpackError{.kind = K::Sfen, .sfen = initial.error()});
    if (include_main) {
        if (auto added = builder.add(*initial, record_node(record, record.root).first_child); !added)
            return unexpected(std::move(added.error()));
    }
    if (include_variations) {
        if (auto added = add_variations(builder, *initial); !added) return unexpected(std::move(added.error()));
    }
    return std::move(builder.chains);
}

namespace {

// The result a chain's ply-and-result field carries: codes 0..13, 16 and 17 stand for
// themselves, anything else is INVALID.
GameResult sbinpack_chain_result(std::uint16_t ply_result) {
    const unsigned code = ply_result >> 10;
    if (code <= 13 || code == 16 || code == 17) return is_game_result(code) ? static_cast<GameResult>(code) : INVALID;
    return INVALID;
}

}  // namespace

Expected<Record, std::string> record_from_sbinpack_chain(const SbinpackChain& chain) {
    const GameResult result = sbinpack_chain_result(chain.ply_result);
    const std::uint16_t ply = chain.ply_result & SBINPACK_PLY_MAX;
    auto decoded = position_from_packed_sfen(chain.stem, ply);
    if (!decoded) return unexpected(std::string(packed_sfen_error_debug(decoded.error())));
    Position& pos = *decoded;
    auto created = record_new(position_to_sfen(pos, ply));
    if (!created) return unexpected(record_error_display(created.error()));
    Record& record = *created;
    RecordNodeId parent = record.root;
    record.nodes.reserve(chain.moves.size() + 2);
    for (const SbinpackMove& m : chain.moves) {
        if (!is_normal_move(m.move) || !position_is_legal(pos, m.move))
            return unexpected("illegal sbinpack move: " + move_display_usi(m.move));
        Annotations annotations;
        annotations.engine_info.emplace(engine_info_with_eval(m.score));
        auto id = record_append_move(record, parent, move16(m.move), std::move(annotations));
        if (!id) return unexpected(record_error_display(id.error()));
        parent = *id;
        // A move given without its piece is completed from the board before it is made.
        position_do_move(pos, position_move_to_move32(pos, m.move));
    }
    SpecialMove special;
    special.kind = special_move_kind_from_result(result);
    special.result = result;
    if (auto set = record_set_main_terminal(record, std::move(special), {}); !set)
        return unexpected(record_error_display(set.error()));
    return std::move(record);
}

Expected<SbinpackChain, std::string> record_from_single_sbinpack(ByteSpan bytes) {
    auto chains = decode_sbinpack_chains(bytes);
    if (!chains) return unexpected("sbinpack: " + sbinpack_error_debug(chains.error()));
    if (chains->empty()) return unexpected(std::string("sbinpack: no chains found"));
    if (chains->size() > 1) return unexpected(std::string("sbinpack: multiple chains not supported"));
    return std::move(chains->front());
}

}  // namespace korvan
