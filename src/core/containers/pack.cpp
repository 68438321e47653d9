#include "core/containers/pack.h"

#include <algorithm>

#include "core/board/position/legality.h"
#include "core/board/position/updates.h"
#include "core/records/special_moves.h"

namespace korvan {

namespace {

using K = PackError::Kind;

constexpr std::uint16_t MARKER_STEP = 129;

// The outcome a terminal stands for; nothing for a result pack cannot carry.
std::optional<PackResult> pack_result_of(const SpecialMove& special) {
    const GameResult r = special.result;
    if (!is_game_result(r)) return std::nullopt;
    if (r == PAUSED) {  // an interrupted game counts as a draw, nothing else does
        if (special.kind == SpecialMoveKind::Interrupt) return PackResult::Draw;
        return std::nullopt;
    }
    if (game_result_is_black_win(r)) return PackResult::BlackWin;
    if (game_result_is_white_win(r)) return PackResult::WhiteWin;
    if (r == DRAW_BY_REPETITION || r == DRAW_BY_MAX_PLIES || r == DRAW_BY_IMPASSE) return PackResult::Draw;
    return std::nullopt;
}

PackEndReason reason_of(const SpecialMove& special, const RecordMetadata& metadata) {
    using R = PackEndReason;
    if (special.raw && special.raw->starts_with(PACK_END_REASON_PREFIX)) {
        if (auto named = pack_end_reason_from_text(std::string_view(*special.raw).substr(PACK_END_REASON_PREFIX.size())))
            return *named;
    }
    const bool try_kind = special.kind == SpecialMoveKind::Try;
    switch (special.result) {
        case DRAW_BY_REPETITION: return {R::RepetitionDraw};
        case BLACK_WIN_BY_DECLARATION:
        case WHITE_WIN_BY_DECLARATION: {
            if (try_kind) return {R::WinTryRule};
            const auto& rule = metadata.impasse_rule;
            if (rule && rule->size() >= 9 && rule->starts_with("CSARule24")) return {R::WinCsa24};
            if (rule && *rule == "TryRule") return {R::WinTryRule};
            return {R::WinCsa27};
        }
        case DRAW_BY_MAX_PLIES: return {R::MaxMoves};
        case DRAW_BY_IMPASSE: return {R::DrawCsa24};
        case PAUSED: return {try_kind ? R::WinTryRule : R::Interrupt};
        case BLACK_WIN_BY_ILLEGAL_MOVE:
        case WHITE_WIN_BY_ILLEGAL_MOVE: return {R::IllegalMove};
        case BLACK_WIN_BY_TIMEOUT:
        case WHITE_WIN_BY_TIMEOUT: return {R::TimeUp};
        case BLACK_WIN_BY_TRY_RULE:
        case WHITE_WIN_BY_TRY_RULE: return {R::WinTryRule};
        default: break;
    }
    // A result that names no manner: the kind's reason.
    return {special_move_row(special.kind).pack.reason};
}

// The terminal a reason and an outcome give back.
Expected<SpecialMoveEntry, PackError> terminal_of(PackEndReason reason, PackResult result) {
    SpecialMove special;
    special.raw = std::string(PACK_END_REASON_PREFIX) + pack_end_reason_name(reason);
    const bool draw = result == PackResult::Draw;
    const Color winner = result == PackResult::BlackWin ? BLACK : WHITE;
    if (const SpecialMoveRow* row = reason.reserved() ? nullptr : special_move_of_pack_reason(reason.code)) {
        if (row->pack.rule == ResultRule::Outcome && draw)
            return unexpected(PackError{.kind = K::InconsistentOutcome, .result = result, .reason = reason});
        special.kind = row->kind;
        special.result = special_move_result(row->pack.rule, row->pack.result, winner);
    } else {
        special.kind = SpecialMoveKind::Unknown;
        special.unknown_name = "PACK_RESERVED_" + std::to_string(reason.code);
        special.result = draw ? PAUSED : game_result_won_by(winner, BLACK_WIN);
    }
    return SpecialMoveEntry{std::move(special), {}};
}

PackError illegal_move(std::uint64_t ply, AperyMove word, const Position& pos) {
    return {.kind = K::IllegalMove, .number = ply, .word = word, .text = position_to_sfen(pos, pos.ply)};
}

// The move as the legality test takes it, or 0 when it names nothing playable.
Move32 playable(const Position& pos, Move m) {
    if (!is_normal_move(m)) return 0;
    const Move32 m32 = position_move_to_move32(pos, m);
    return m32 != 0 && position_is_legal(pos, m32) ? m32 : 0;
}

// One record as read from the buffer, before its moves are checked.
struct RawPackRecord {
    bool standard_start = true;
    Packed32 start{};
    std::uint16_t ply = 1;
    std::vector<PackMove> moves;
    PackResult result = PackResult::Draw;
    PackEndReason reason;
};

Expected<RawPackRecord, PackError> read_raw_record(ByteReader& in) {
    RawPackRecord raw;
    std::uint8_t state = 0;
    in.u8(state);
    if (state == 0) {
        if (!in.array(raw.start) || !in.u16(raw.ply)) return unexpected(PackError::of(K::Truncated));
        raw.standard_start = false;
    } else if (state != 1) {
        return unexpected(PackError::of(K::InvalidStartState, state));
    }
    for (;;) {
        std::uint16_t word = 0;
        if (!in.u16(word)) return unexpected(PackError::of(K::Truncated));
        if (word == 0 || word == MARKER_STEP || word == 2 * MARKER_STEP) {
            raw.result = static_cast<PackResult>(word / MARKER_STEP);
            break;
        }
        if ((word & 0x7F) == ((word >> 7) & 0x7F)) return unexpected(PackError::of(K::InvalidTerminalMarker, word));
        std::uint16_t eval = 0;
        if (!in.u16(eval)) return unexpected(PackError::of(K::Truncated));
        raw.moves.push_back({word, static_cast<std::int16_t>(eval)});
    }
    if (!in.u8(raw.reason.code)) return unexpected(PackError::of(K::Truncated));
    return raw;
}

Expected<Record, PackError> decode_record(RawPackRecord raw) {
    Position pos;
    if (raw.standard_start) {
        pos = position_startpos();
    } else {
        auto decoded = position_from_hcp(raw.start, raw.ply);
        if (!decoded) return unexpected(PackError{.kind = K::Hcp, .hcp = decoded.error()});
        pos = std::move(*decoded);
    }
    std::string init_sfen = position_to_sfen(pos, raw.ply);
    std::vector<MoveEntry> entries;
    entries.reserve(raw.moves.size());
    for (std::size_t i = 0; i < raw.moves.size(); ++i) {
        const PackMove& pm = raw.moves[i];
        const Move m = apery_to_move(pm.word);
        if (!is_normal_move(m)) return unexpected(PackError::of(K::InvalidMove, i, pm.word));
        const Move32 m32 = playable(pos, m);
        if (!m32) return unexpected(illegal_move(i, pm.word, pos));
        MoveEntry entry;
        entry.move = m;
        entry.annotations.engine_info.emplace(engine_info_with_eval(pm.eval));
        entries.push_back(std::move(entry));
        position_do_move(pos, m32);
    }
    auto terminal = terminal_of(raw.reason, raw.result);
    if (!terminal) return unexpected(std::move(terminal.error()));
    auto record = record_from_main_line(std::move(init_sfen), std::move(entries), std::move(*terminal));
    if (!record) return unexpected(PackError{.kind = K::Record, .record = record.error()});
    return std::move(*record);
}

}  // namespace

Expected<EncodedPackRecord, PackError> encode_pack_record(const Record& record) {
    const RecordNode& last = record_node(record, record_main_line_last(record));
    if (last.kind != NodeKind::Terminal || !last.special) return unexpected(PackError::of(K::MissingTerminal));
    const SpecialMove& special = *last.special;
    const auto result = pack_result_of(special);
    if (!result) return unexpected(PackError::of(K::MissingTerminal));

    EncodedPackRecord out;
    out.result = *result;
    auto parsed = record_start_position(record);
    if (!parsed) return unexpected(PackError{.kind = K::Sfen, .sfen = parsed.error()});
    Position pos = std::move(*parsed);
    out.standard_start = position_to_sfen(pos, pos.ply) == STARTPOS_SFEN;
    if (!out.standard_start) {
        auto hcp = position_to_hcp(pos);
        if (!hcp) return unexpected(PackError{.kind = K::UnencodablePosition, .text = std::move(hcp.error())});
        out.start_position = *hcp;
        out.start_ply = pos.ply;
    }

    const std::vector<RecordNodeId> line = record_main_line_ids(record);
    out.moves.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const RecordNode& node = record_node(record, line[i]);
        const EngineInfo* info = node.annotations.engine_info.get();
        if (!info || !info->eval) return unexpected(PackError::of(K::MissingEval, i));
        const Move32 m32 = playable(pos, node.move);
        if (!m32) return unexpected(illegal_move(i, move_to_apery16(node.move), pos));
        const auto eval = static_cast<std::int16_t>(std::clamp<int>(*info->eval, -32000, 32000));
        out.moves.push_back({move_to_apery16(node.move), eval});
        position_do_move(pos, m32);
    }
    out.end_reason = reason_of(special, record.metadata);
    return out;
}

void append_pack_record_bytes(const EncodedPackRecord& encoded, Bytes& out) {
    out.reserve(out.size() + 38 + 4 * encoded.moves.size());
    put_u8(out, encoded.standard_start ? 1 : 0);
    if (!encoded.standard_start) {
        put_bytes(out, encoded.start_position);
        put_u16(out, encoded.start_ply);
    }
    for (const PackMove& m : encoded.moves) {
        put_u16(out, m.word);
        put_u16(out, static_cast<std::uint16_t>(m.eval));
    }
    put_u16(out, static_cast<std::uint16_t>(static_cast<unsigned>(encoded.result) * MARKER_STEP));
    put_u8(out, encoded.end_reason.code);
}

Bytes pack_record_to_bytes(const EncodedPackRecord& encoded) {
    Bytes out;
    append_pack_record_bytes(encoded, out);
    return out;
}

Expected<std::vector<EncodedPackRecord>, PackError> encode_pack_records(std::span<const Record> records) {
    std::vector<EncodedPackRecord> out;
    out.reserve(records.size());
    for (const Record& r : records) {
        auto encoded = encode_pack_record(r);
        if (!encoded) return unexpected(std::move(encoded.error()));
        out.push_back(std::move(*encoded));
    }
    return out;
}

Expected<std::vector<Record>, PackError> decode_pack_records(ByteSpan bytes) {
    std::vector<Record> out;
    ByteReader in(bytes);
    while (!in.at_end()) {
        auto raw = read_raw_record(in);
        if (!raw) return unexpected(std::move(raw.error()));
        auto record = decode_record(std::move(*raw));
        if (!record) return unexpected(std::move(record.error()));
        out.push_back(std::move(*record));
    }
    return out;
}

}  // namespace korvan
