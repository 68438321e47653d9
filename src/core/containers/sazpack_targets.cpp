#include "core/containers/sazpack_targets.h"

#include "core/board/position/legality.h"
#include "core/board/position/updates.h"
#include "core/types/apery.h"

namespace korvan {

namespace {

using K = SazpackError::Kind;

std::optional<std::uint16_t> compact_label(Move m, Color turn) {
    const auto label = move_to_policy_label(m, turn);
    if (!label) return std::nullopt;
    return compact_of_label(*label);
}

// Replays the game, calling step(position, move) before each played move is made.
template <class Step>
Expected<Ok, SazpackError> replay(Position& pos, const SazGame& game, Step step) {
    for (const SazMove& m : game.moves) {
        const Move32 m32 = is_normal_move(m.played) ? position_move_to_move32(pos, m.played) : 0;
        if (m32 == 0 || !position_is_legal(pos, m32)) return unexpected(SazpackError::of(K::IllegalMove, m.played));
        if (auto done = step(pos, m); !done) return done;
        position_do_move(pos, m32);
    }
    return Ok{};
}

}  // namespace

Expected<Position, PackedSfenError> sazpack_stem_position(const SazGame& game) {
    return position_from_packed_sfen(game.stem, 0);
}

Expected<std::vector<std::uint16_t>, SazpackError> resolve_compact_labels(Position& pos, const SazGame& game) {
    std::vector<std::uint16_t> labels;
    labels.reserve(game.moves.size());
    auto done = replay(pos, game, [&](const Position& p, const SazMove& m) -> Expected<Ok, SazpackError> {
        const auto compact = compact_label(m.played, p.side_to_move);
        if (!compact) return unexpected(SazpackError::of(K::UnencodableLabel, m.played));
        labels.push_back(*compact);
        return Ok{};
    });
    if (!done) return unexpected(done.error());
    return labels;
}

Expected<std::vector<std::uint16_t>, SazpackError> resolve_compact_labels(const SazGame& game) {
    auto pos = sazpack_stem_position(game);
    if (!pos) return unexpected(SazpackError{.kind = K::PackedSfen, .packed = pos.error()});
    return resolve_compact_labels(*pos, game);
}

Expected<std::vector<PolicyRow>, SazpackError> expand_policies(Position& pos, const SazGame& game) {
    std::vector<PolicyRow> rows;
    rows.reserve(game.moves.size());
    auto done = replay(pos, game, [&](const Position& p, const SazMove& m) -> Expected<Ok, SazpackError> {
        PolicyRow& row = rows.emplace_back();
        row.fill(0.0f);
        if (m.policy.empty()) return Ok{};
        std::uint64_t sum = 0;
        for (const SazPolicyEntry& e : m.policy) sum += e.visits;
        if (sum == 0) return unexpected(SazpackError::of(K::PolicyVisitsSumZero));
        const float total = static_cast<float>(sum);
        for (const SazPolicyEntry& e : m.policy) {
            const auto compact = compact_label(e.mv, p.side_to_move);
            if (!compact) return unexpected(SazpackError::of(K::UnencodableLabel, e.mv));
            const float share = static_cast<float>(e.visits) / total;
            row[*compact] = share + row[*compact];
        }
        return Ok{};
    });
    if (!done) return unexpected(done.error());
    return rows;
}

}  // namespace korvan
