#include "core/records/usi_text.h"

#include <array>

#include "core/board/position/updates.h"
#include "core/records/editor.h"
#include "core/records/special_moves.h"
#include "core/util/panic.h"
#include "core/util/text.h"
#include "core/util/utf8_repair.h"

namespace korvan {

std::string usi_position_error_display(const UsiPositionError& e) {
    using K = UsiPositionError::Kind;
    const auto indexed = [&](const char* head) { return head + std::to_string(e.index) + ": " + utf8_replace_invalid(e.text); };
    switch (e.kind) {
        case K::Empty: return "USI position command must not be empty";
        case K::InvalidTokenSequence: return "invalid USI position token sequence: " + utf8_replace_invalid(e.text);
        case K::InvalidSfen: return "invalid USI position SFEN: " + sfen_error_display(e.sfen);
        case K::InvalidMoveToken: return indexed("invalid move token at index ");
        case K::SpecialTokenNotAllowed: return indexed("special token is not allowed in strict USI position mode at index ");
        case K::MoveAfterTerminal: return indexed("move appears after terminal special token at index ");
        case K::RecordConstruction: return "record construction failed: " + record_error_display(e.record);
    }
    return {};
}

namespace {

std::string ascii_lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool is_usi_token_text(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') return false;
    return true;
}

}  // namespace

std::optional<SpecialMove> usi_special_token(std::string_view token, Color side_to_move) {
    auto s = special_move_from_word(SpecialFormat::Usi, ascii_lower(token), side_to_move);
    if (s) s->raw = std::string(token);
    return s;
}

namespace {

// The token a kind writes, or nothing for the kinds that have none.
std::optional<std::string> usi_special_kind_token(const SpecialMove& special) {
    if (special.kind == SpecialMoveKind::Unknown) {
        // A name that is empty or holds white space would not make one token.
        if (!is_usi_token_text(special.unknown_name)) return std::nullopt;
        return ascii_lower(special.unknown_name);
    }
    const std::string_view token = special_move_word(SpecialFormat::Usi, special.kind);
    if (token.empty()) return std::nullopt;
    return std::string(token);
}

}  // namespace

Expected<std::string, UsiPositionError> record_to_usi_position(const Record& record, bool include_special_tokens) {
    std::string out = "position";
    Position pos;
    if (record.init_position_sfen) {
        auto parsed = position_from_sfen(*record.init_position_sfen);
        if (!parsed) {
            UsiPositionError e;
            e.kind = UsiPositionError::Kind::InvalidSfen;
            e.sfen = parsed.error();
            return unexpected(std::move(e));
        }
        pos = std::move(*parsed);
        out += " sfen";
        for (std::string_view field : split_whitespace(*record.init_position_sfen)) {
            out += ' ';
            out += field;
        }
    } else {
        pos = position_startpos();
        out += " startpos";
    }

    std::string moves;
    moves.reserve(6 * record.nodes.size() + 16);
    RecordNodeId last = record.root;
    for (RecordNodeId id = record_node(record, record.root).first_child; id != 0;) {
        const RecordNode* n = record_find_node(record, id);
        if (!n) [[unlikely]]
            panic("record node id must be valid");
        last = id;
        if (n->kind != NodeKind::Move) break;
        const auto m = record_checked_move(pos, n->move);
        if (!m) {
            UsiPositionError e;
            e.kind = UsiPositionError::Kind::RecordConstruction;
            e.record = RecordError::of(RecordError::Kind::IllegalMove);
            return unexpected(std::move(e));
        }
        moves += ' ';
        move_append_usi(moves, n->move);
        position_do_move(pos, *m);
        id = n->first_child;
    }

    if (include_special_tokens) {
        const RecordNode& end = record_node(record, last);
        if (end.kind == NodeKind::Terminal) {
            const SpecialMove& s = *end.special;
            std::optional<std::string> token;
            if (s.raw && usi_special_token(*s.raw, pos.side_to_move)) token = ascii_lower(*s.raw);
            else token = usi_special_kind_token(s);
            if (token) {
                moves += ' ';
                moves += *token;
            }
        }
    }
    if (!moves.empty()) {
        out += " moves";
        out += moves;
    }
    return out;
}

}  // namespace korvan
