#include "core/records/replay.h"

namespace korvan {

Expected<Ok, SfenError> replay_rebuild_position(Position& pos, std::uint64_t& counter) {
    auto fields = parse_sfen_fields(position_to_sfen(pos, pos.ply));
    if (!fields) return unexpected(fields.error());
    position_set(pos, *fields);
    counter = 0;
    return Ok{};
}

}  // namespace korvan
