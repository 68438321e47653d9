#include "core/records/usi_reader.h"

#include "core/board/notation/usi_position.h"
#include "core/board/position/legality.h"
#include "core/board/position/updates.h"
#include "core/records/editor.h"
#include "core/types/apery.h"
#include "core/util/text.h"

namespace korvan {

namespace {

UsiPositionError usi_error(UsiPositionError::Kind kind, std::string text = {}, std::uint64_t index = 0) {
    UsiPositionError e;
    e.kind = kind;
    e.text = std::move(text);
    e.index = index;
    return e;
}

UsiPositionError construction_error(RecordError record) {
    UsiPositionError e = usi_error(UsiPositionError::Kind::RecordConstruction);
    e.record = std::move(record);
    return e;
}

std::string joined(const std::vector<std::string_view>& tokens, std::size_t from, std::size_t count) {
    std::string out;
    for (std::size_t i = from; i < from + count; ++i) {
        if (i > from) out += ' ';
        out += tokens[i];
    }
    return out;
}

}  // namespace

Expected<Record, UsiPositionError> record_from_usi_position(std::string_view command, bool allow_special_tokens) {
    using K = UsiPositionError::Kind;
    std::string_view text = trim_whitespace(command);
    if (text.empty()) return unexpected(usi_error(K::Empty));
    if (text.size() >= 9 && text.substr(0, 9) == "position ") text = trim_whitespace(text.substr(9));
    const std::vector<std::string_view> tokens = split_whitespace(text);
    if (tokens.empty()) return unexpected(usi_error(K::Empty));

    std::optional<std::string> sfen;
    std::size_t next = 0;
    if (tokens[0] == "startpos") {
        next = 1;
    } else {
        const std::size_t first = tokens[0] == "sfen" ? 1 : 0;
        if (tokens.size() < first + 4) return unexpected(usi_error(K::InvalidTokenSequence, std::string(text)));
        sfen = joined(tokens, first, 4);
        auto parsed = position_from_sfen(*sfen);
        if (!parsed) {
            UsiPositionError e = usi_error(K::InvalidSfen);
            e.sfen = parsed.error();
            return unexpected(std::move(e));
        }
        next = first + 4;
    }

    auto record = record_new(std::move(sfen));
    if (!record) return unexpected(construction_error(record.error()));
    auto editor = record_editor_new(std::move(*record));
    if (!editor) return unexpected(construction_error(editor.error()));
    if (next == tokens.size()) return std::move(editor->record);
    if (tokens[next] != "moves") return unexpected(usi_error(K::InvalidTokenSequence, std::string(text)));

    bool ended = false;
    for (std::size_t i = next + 1; i < tokens.size(); ++i) {
        const std::uint64_t index = i - next - 1;
        const std::string token(tokens[i]);
        if (ended) return unexpected(usi_error(K::MoveAfterTerminal, token, index));
        if (auto special = usi_special_token(token, editor->position.side_to_move)) {
            if (!allow_special_tokens) return unexpected(usi_error(K::SpecialTokenNotAllowed, token, index));
            auto id = record_append_terminal(editor->record, editor->current, std::move(*special), {});
            if (!id) return unexpected(construction_error(id.error()));
            editor->current = *id;
            ended = true;
            continue;
        }
        const auto move = move_from_usi(token);
        if (!move || !is_normal_move(*move)) return unexpected(usi_error(K::InvalidMoveToken, token, index));
        auto id = record_editor_append_move(*editor, *move);
        if (!id) return unexpected(construction_error(id.error()));
    }
    return std::move(editor->record);
}

Expected<UsiMainLine, std::string> usi_main_line_moves(std::string_view init_position,
                                                       const std::vector<std::string_view>& usi_moves) {
    auto parsed = parse_usi_position_command(init_position);
    if (!parsed) return unexpected(std::move(parsed.error()));
    if (!parsed->moves.empty())
        return unexpected(std::string("init_position_sfen must not include moves; pass moves via usi_moves"));
    UsiMainLine out;
    out.initial_sfen = std::move(parsed->final_sfen);
    out.moves.reserve(usi_moves.size());
    Position& pos = parsed->position;
    for (std::size_t i = 0; i < usi_moves.size(); ++i) {
        const std::string where = std::to_string(i) + ": " + std::string(usi_moves[i]);
        const auto move = move_from_usi(usi_moves[i]);
        if (!move) return unexpected("invalid USI move at index " + where);
        const Move32 m = position_move_to_move32(pos, *move);
        if (!is_normal_move(m)) return unexpected("invalid move value at index " + where);
        if (!position_is_legal(pos, m)) return unexpected("illegal move at index " + where);
        out.moves.push_back(*move);
        position_do_move(pos, m);
    }
    return out;
}

}  // namespace korvan
