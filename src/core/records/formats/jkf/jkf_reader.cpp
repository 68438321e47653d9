#include "core/records/formats/jkf/jkf_reader.h"

#include <algorithm>
#include <array>

#include "core/board/position/legality.h"
#include "core/board/position/updates.h"
#include "core/records/editor.h"
#include "core/records/formats/jkf/jkf_json.h"
#include "core/records/formats/jkf/jkf_tables.h"
#include "core/records/setup.h"
#include "core/records/time_text.h"
#include "core/util/decimal.h"

namespace korvan {

namespace {

constexpr std::uint64_t U32_MAX = UINT32_MAX;

using Value = JsonTree::Value;
using T = JsonTree;

// A JSON number without sign, fraction or exponent that fits in 64 bits.
std::optional<std::uint64_t> non_negative(const Value* value) {
    if (!T::is_unsigned(value)) return std::nullopt;
    return value->unsigned_;
}

std::uint64_t saturating_mul_add(std::uint64_t sum, std::uint64_t n, std::uint64_t unit) {
    if (n != 0 && unit > UINT64_MAX / n) return UINT64_MAX;
    const std::uint64_t v = n * unit;
    return sum > UINT64_MAX - v ? UINT64_MAX : sum + v;
}

class Reader {
public:
    Reader(const JsonTree& doc, Record& record) : doc_(doc), record_(record) {}

    const Value* member(const Value& object, std::string_view key) const { return doc_.find(object, key); }
    std::string_view text(const Value& v) const { return doc_.text(v); }

    // The hands of "hands": black's object, then white's; counts that are no
    // non-negative integer are passed over.
    void read_hands(const Value* hands, RecordSetup& setup) const {
        if (!T::is_array(hands)) return;
        static constexpr std::array<std::pair<std::string_view, PieceType>, HAND_PIECE_NB> KINDS = {{
            {"HI", ROOK}, {"KA", BISHOP}, {"KI", GOLD}, {"GI", SILVER}, {"KE", KNIGHT}, {"KY", LANCE}, {"FU", PAWN},
        }};
        for (std::size_t side = 0; side < 2 && side < hands->count; ++side) {
            const Value& hand = doc_.element(*hands, side);
            if (!T::is_object(&hand)) continue;
            for (const auto& [code, pt] : KINDS) {
                // A count past 32 bits is refused all the same, as the largest.
                if (const auto count = non_negative(member(hand, code)))
                    setup.hands[side][hand_piece_of(pt)] = static_cast<std::uint32_t>(std::min<std::uint64_t>(*count, U32_MAX));
            }
        }
    }

    Expected<RecordSetup, JkfError> setup_of_data(const Value& data) const {
        const Value* board = member(data, "board");
        if (!T::is_array(board)) return unexpected(JkfError::invalid_structure("initial.data.board must be an array"));
        if (board->count != 9) return unexpected(JkfError::invalid_structure("initial.data.board must have 9 files"));
        RecordSetup setup;
        for (int y = 1; y <= 9; ++y) {
            for (int x = 9; x >= 1; --x) {
                const Value& file = doc_.element(*board, x - 1);
                if (!T::is_array(&file))
                    return unexpected(JkfError::invalid_structure("initial.data.board file must be an array"));
                if (file.count != 9)
                    return unexpected(JkfError::invalid_structure("initial.data.board file must have 9 ranks"));
                const Value& cell = doc_.element(file, y - 1);
                const Value* kind = T::is_object(&cell) ? member(cell, "kind") : nullptr;
                if (!T::is_string(kind)) continue;
                Color color = BLACK;
                if (const auto c = non_negative(member(cell, "color"))) {
                    if (*c > 1) return unexpected(JkfError::invalid_structure("invalid color: " + std::to_string(*c)));
                    color = *c == 0 ? BLACK : WHITE;
                }
                const std::string code(text(*kind));
                const auto pt = jkf_kind_to_piece_type(code);
                if (!pt) return unexpected(JkfError::invalid_structure("invalid piece kind: " + code));
                const PieceType base = demote(*pt);
                if (base < PAWN || base > KING)
                    return unexpected(JkfError::invalid_structure("invalid piece kind for SFEN: " + code));
                setup.state.board[make_square(x - 1, y - 1)] = make_piece(color, *pt);
            }
        }
        if (const auto c = non_negative(member(data, "color"))) {
            if (*c > 1)
                return unexpected(JkfError::invalid_structure("invalid initial.data.color: " + std::to_string(*c)));
            setup.state.side_to_move = *c == 0 ? BLACK : WHITE;
        }
        read_hands(member(data, "hands"), setup);
        return setup;
    }

    // The start: nothing for the standard start, a preset's text, or the data's set-up.
    struct Start {
        std::optional<std::string> sfen;
        std::optional<RecordSetup> setup;
    };
    Expected<Start, JkfError> initial(const Value& root) const {
        const Value* initial = member(root, "initial");
        if (!initial) return Start{};
        if (!T::is_object(initial)) return unexpected(JkfError::invalid_structure("initial must be an object"));
        if (const Value* preset = member(*initial, "preset"); T::is_string(preset)) {
            const std::string name(text(*preset));
            if (name == "HIRATE") return Start{};
            if (const auto sfen = jkf_preset_sfen(name)) return Start{std::string(*sfen), std::nullopt};
            if (name != "OTHER") return unexpected(JkfError::unsupported_preset(name));
        }
        const Value* data = member(*initial, "data");
        if (!data) return Start{};
        if (!T::is_object(data)) return unexpected(JkfError::invalid_structure("initial.data must be an object"));
        auto setup = setup_of_data(*data);
        if (!setup) return unexpected(setup.error());
        return Start{setup_sfen(*setup, HandOrder::RookFirst), std::move(*setup)};
    }

    // Each member in document order: a repeated key ends with its last value.
    void read_header(const Value& header, RecordMetadata& md) const {
        using MK = RecordMetadataKey;
        static constexpr std::array<std::pair<std::string_view, MK>, 7> TEXTS = {{
            {"先手", MK::BlackPlayer}, {"後手", MK::WhitePlayer}, {"棋戦", MK::Event},     {"場所", MK::Site},
            {"備考", MK::Comment},     {"開始日時", MK::StartDate}, {"終了日時", MK::EndDate},
        }};
        for (std::uint32_t i = 0; i < header.count; ++i) {
            const std::string_view key = doc_.key_at(header, i);
            const Value& value = doc_.value_at(header, i);
            const std::optional<std::string_view> str =
                T::is_string(&value) ? std::optional(text(value)) : std::nullopt;
            bool standard = false;
            for (const auto& [name, field] : TEXTS) {
                if (name != key) continue;
                standard = true;
                md.texts[static_cast<int>(field)] = str ? std::optional<std::string>(*str) : std::nullopt;
            }
            if (standard) continue;
            if (key == "持将棋") {
                md.impasse_rule = str ? std::optional<std::string>(*str) : std::nullopt;
            } else if (key == "持ち時間") {
                md.time_control = str ? parse_japanese_time(*str) : std::nullopt;
            } else if (key == "先手持ち時間") {
                md.black_time_control = str ? time_control_parse_spec(*str) : std::nullopt;
            } else if (key == "後手持ち時間") {
                md.white_time_control = str ? time_control_parse_spec(*str) : std::nullopt;
            } else if (key == "最大手数") {
                md.max_moves = std::nullopt;
                if (const auto n = non_negative(&value); n && *n <= U32_MAX) md.max_moves = static_cast<std::uint32_t>(*n);
                // At most ten digits, as in CSA.
                if (str) md.max_moves = parse_decimal<std::uint32_t>(*str, 10).ok();
            } else if (str) {
                md.attributes.insert_or_assign(std::string(key), std::string(*str));
            } else if (value.type != JsonTree::Type::Null) {
                md.attributes.insert_or_assign(std::string(key), value.type == JsonTree::Type::Boolean ? (value.boolean ? "true" : "false")
                                                                                            : doc_.dump(value));
            }
        }
    }

    Expected<Square, JkfError> jkf_parse_place(const Value& value) const {
        if (!T::is_object(&value)) return unexpected(JkfError::invalid_structure("place must be an object"));
        const auto x = non_negative(member(value, "x"));
        if (!x) return unexpected(JkfError::invalid_structure("place.x must be an integer"));
        const auto y = non_negative(member(value, "y"));
        if (!y) return unexpected(JkfError::invalid_structure("place.y must be an integer"));
        if (*x < 1 || *x > 9 || *y < 1 || *y > 9)
            return unexpected(JkfError::invalid_structure("place out of board: " + std::to_string(*x) + "," + std::to_string(*y)));
        return make_square(static_cast<int>(*x) - 1, static_cast<int>(*y) - 1);
    }

    Expected<std::optional<std::string>, JkfError> entry_comment(const Value& entry) const {
        const Value* comments = member(entry, "comments");
        if (!comments) return std::optional<std::string>{};
        if (!T::is_array(comments)) return unexpected(JkfError::invalid_structure("comments must be an array"));
        std::optional<std::string> out;
        for (std::uint32_t i = 0; i < comments->count; ++i) {
            const Value& item = doc_.element(*comments, i);
            if (!T::is_string(&item)) return unexpected(JkfError::invalid_structure("comments item must be a string"));
            if (!text(item).empty()) append_comment_line(out, text(item));
        }
        return out;
    }

    Expected<std::optional<Duration>, JkfError> entry_time(const Value& entry) const {
        const Value* time = member(entry, "time");
        if (!time) return std::optional<Duration>{};
        if (!T::is_object(time)) return unexpected(JkfError::invalid_structure("time must be an object"));
        const Value* now = member(*time, "now");
        if (!now) return std::optional<Duration>{};
        if (!T::is_object(now)) return unexpected(JkfError::invalid_structure("time.now must be an object"));
        std::uint64_t ms = 0;
        ms = saturating_mul_add(ms, non_negative(member(*now, "h")).value_or(0), 3'600'000);
        ms = saturating_mul_add(ms, non_negative(member(*now, "m")).value_or(0), 60'000);
        ms = saturating_mul_add(ms, non_negative(member(*now, "s")).value_or(0), 1'000);
        if (ms > U32_MAX) return unexpected(JkfError::invalid_structure("time.now exceeds u32 milliseconds"));
        return std::optional<Duration>{Duration::from_ms(ms)};
    }

    // The USI text of an entry's "move" object, and its destination.
    Expected<std::string, JkfError> move_usi(const Value& move, std::optional<Square> previous_to, Square& to) const {
        if (const Value* place = member(move, "to")) {
            auto sq = jkf_parse_place(*place);
            if (!sq) return unexpected(sq.error());
            to = *sq;
        } else if (const Value* same = member(move, "same"); T::is_boolean(same) && same->boolean) {
            if (!previous_to) return unexpected(JkfError::invalid_move("same move without previous square"));
            to = *previous_to;
        } else {
            return unexpected(JkfError::invalid_structure("move.to is required"));
        }
        // "from": null is a drop's absent origin, as some writers put it.
        if (const Value* from_place = member(move, "from"); from_place && from_place->type != JsonTree::Type::Null) {
            auto from = jkf_parse_place(*from_place);
            if (!from) return unexpected(from.error());
            const Value* promote = member(move, "promote");
            const bool promotes = T::is_boolean(promote) && promote->boolean;
            return square_display_usi(*from) + square_display_usi(to) + (promotes ? "+" : "");
        }
        const Value* piece = member(move, "piece");
        if (!T::is_string(piece)) return unexpected(JkfError::invalid_structure("drop move requires piece"));
        const std::string code(text(*piece));
        const auto pt = jkf_kind_to_piece_type(code);
        const PieceType base = pt ? demote(*pt) : NO_PIECE_TYPE;
        if (base < PAWN || base > GOLD) return unexpected(JkfError::invalid_move("invalid drop piece: " + code));
        static constexpr std::string_view LETTERS = "?PLNSBRG";
        return std::string(1, LETTERS[base]) + "*" + square_display_usi(to);
    }

    // One array of entries (the main "moves" or a fork) appended under `parent`, played
    // on `pos`, which the line owns. Forks recurse at most JKF_MAX_FORK_DEPTH deep.
    Expected<Ok, JkfError> jkf_parse_move_entry(RecordNodeId parent, Position pos, std::optional<Square> previous_to,
                                                const Value& entries, std::size_t depth) {
        RecordNodeId current = parent;
        for (std::uint32_t i = 0; i < entries.count; ++i) {
            const Value& entry = doc_.element(entries, i);
            if (!T::is_object(&entry)) return unexpected(JkfError::invalid_structure("move entry must be an object"));
            auto comment = entry_comment(entry);
            if (!comment) return unexpected(comment.error());
            auto time = entry_time(entry);
            if (!time) return unexpected(time.error());
            const Value* forks = member(entry, "forks");

            if (const Value* move = member(entry, "move")) {
                if (!T::is_object(move)) return unexpected(JkfError::invalid_structure("move must be an object"));
                Square to = SQ_NONE;
                auto usi = move_usi(*move, previous_to, to);
                if (!usi) return unexpected(usi.error());
                const auto parsed = move_from_usi(*usi);
                if (!parsed) return unexpected(JkfError::invalid_move("invalid USI move: " + *usi));
                const auto m = record_checked_move(pos, *parsed);
                if (!m) return unexpected(JkfError::illegal_move(i));
                auto id = record_append_move(record_, current, move16(*m), Annotations{std::move(*comment), *time, {}});
                if (!id) return unexpected(JkfError::of_record(id.error()));
                if (forks) {
                    if (auto ok = jkf_parse_forks(current, pos, previous_to, *forks, depth); !ok) return ok;
                }
                position_do_move(pos, *m);
                current = *id;
                previous_to = move_to(*m);
                continue;
            }
            if (const Value* special = member(entry, "special")) {
                if (!T::is_string(special)) return unexpected(JkfError::invalid_structure("special must be a string"));
                SpecialMove s = jkf_special_of_name(text(*special), pos.side_to_move);
                auto id = record_append_terminal(record_, current, std::move(s), Annotations{std::move(*comment), *time, {}});
                if (!id) return unexpected(JkfError::of_record(id.error()));
                if (forks) return jkf_parse_forks(current, pos, previous_to, *forks, depth);
                return Ok{};
            }
            if (*comment) {
                auto& existing = record_node(record_, current).annotations.comment;
                if (existing)
                    append_comment_line(existing, **comment);
                else
                    existing = std::move(*comment);
            }
            if (forks) {
                if (auto ok = jkf_parse_forks(current, pos, previous_to, *forks, depth); !ok) return ok;
            }
        }
        return Ok{};
    }

    Expected<Ok, JkfError> jkf_parse_forks(RecordNodeId parent, const Position& pos, std::optional<Square> previous_to,
                                           const Value& value, std::size_t depth) {
        if (!T::is_array(&value)) return unexpected(JkfError::invalid_structure("forks must be an array"));
        for (std::uint32_t i = 0; i < value.count; ++i) {
            const Value& fork = doc_.element(value, i);
            if (!T::is_array(&fork)) return unexpected(JkfError::invalid_structure("fork must be an array"));
            if (fork.count == 0) continue;
            // Legality needs no history, and copying it would cost the whole line's
            // length at every fork.
            if (depth >= JKF_MAX_FORK_DEPTH) return unexpected(JkfError::invalid_structure(jkf_fork_depth_text()));
            if (auto ok = jkf_parse_move_entry(parent, position_without_history(pos), previous_to, fork, depth + 1); !ok) return ok;
        }
        return Ok{};
    }

private:
    const JsonTree& doc_;
    Record& record_;
};

}  // namespace

Expected<Record, JkfError> parse_jkf(std::string_view text) {
    auto parsed = parse_json(text, JKF_MAX_JSON_DEPTH);
    if (!parsed) {
        if (parsed.error().too_deep) return unexpected(JkfError::invalid_structure(jkf_json_depth_text()));
        return unexpected(JkfError::json_serialization(parsed.error().message));
    }
    const JsonTree& doc = *parsed;
    const Value& root = doc.root();
    if (!T::is_object(&root)) return unexpected(JkfError::invalid_structure("JKF root must be an object"));

    Record record = record_new_startpos();
    Reader reader(doc, record);
    auto start = reader.initial(root);
    if (!start) return unexpected(start.error());
    auto made = record_new(start->sfen);
    if (!made) return unexpected(JkfError::of_record(made.error()));
    record = std::move(*made);

    if (const Value* header = doc.find(root, "header")) {
        if (!T::is_object(header)) return unexpected(JkfError::invalid_structure("header must be an object"));
        reader.read_header(*header, record.metadata);
    }
    Position position;
    if (start->setup) {
        auto state = setup_state(*start->setup, HandOrder::RookFirst);
        if (!state) return unexpected(JkfError::of_sfen(std::move(state.error())));
        position = position_from_state(*state);
    } else {
        auto parsed = position_from_sfen(start->sfen ? std::string_view(*start->sfen) : STARTPOS_SFEN);
        if (!parsed) return unexpected(JkfError::of_sfen(parsed.error()));
        position = std::move(*parsed);
    }

    const Value* moves = doc.find(root, "moves");
    if (!moves) return record;
    if (!T::is_array(moves)) return unexpected(JkfError::invalid_structure("moves must be an array"));
    if (auto ok = reader.jkf_parse_move_entry(record.root, std::move(position), std::nullopt, *moves, 0); !ok)
        return unexpected(ok.error());
    return record;
}

}  // namespace korvan
