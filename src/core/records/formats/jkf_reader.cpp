#include "records/formats/jkf_reader.h"

#include "board/position/legality.h"
#include "board/position/updates.h"
#include "records/editor.h"
#include "records/formats/jkf_json.h"
#include "records/formats/jkf_tables.h"
#include "records/time_text.h"

namespace korvan {

namespace {

constexpr std::uint64_t U32_MAX = UINT32_MAX;

const Json* member(const Json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

// A JSON number without sign, fraction or exponent that fits in 64 bits.
std::optional<std::uint64_t> non_negative(const Json* value) {
    if (!value || !value->is_number_unsigned()) return std::nullopt;
    return value->get<std::uint64_t>();
}

std::uint64_t saturating_mul_add(std::uint64_t sum, std::uint64_t n, std::uint64_t unit) {
    if (n != 0 && unit > UINT64_MAX / n) return UINT64_MAX;
    const std::uint64_t v = n * unit;
    return sum > UINT64_MAX - v ? UINT64_MAX : sum + v;
}

std::string hands_to_sfen(const Json* hands) {
    if (!hands || !hands->is_array()) return "-";
    std::string out;
    static constexpr std::array<std::pair<const char*, char>, 7> KINDS = {{
        {"HI", 'R'}, {"KA", 'B'}, {"KI", 'G'}, {"GI", 'S'}, {"KE", 'N'}, {"KY", 'L'}, {"FU", 'P'},
    }};
    for (std::size_t side = 0; side < 2 && side < hands->size(); ++side) {
        const Json& hand = (*hands)[side];
        if (!hand.is_object()) continue;
        for (const auto& [code, letter] : KINDS) {
            const auto count = non_negative(member(hand, code));
            if (!count || *count == 0) continue;
            if (*count != 1) out += std::to_string(*count);
            out += side == 0 ? letter : static_cast<char>(letter - 'A' + 'a');
        }
    }
    return out.empty() ? "-" : out;
}

Expected<std::string, JkfError> sfen_of_data(const Json& data) {
    const Json* board = member(data, "board");
    if (!board || !board->is_array()) return unexpected(JkfError::structure("initial.data.board must be an array"));
    if (board->size() != 9) return unexpected(JkfError::structure("initial.data.board must have 9 files"));
    std::string sfen;
    for (int y = 1; y <= 9; ++y) {
        if (y > 1) sfen += '/';
        int empty = 0;
        for (int x = 9; x >= 1; --x) {
            const Json& file = (*board)[x - 1];
            if (!file.is_array()) return unexpected(JkfError::structure("initial.data.board file must be an array"));
            if (file.size() != 9) return unexpected(JkfError::structure("initial.data.board file must have 9 ranks"));
            const Json& cell = file[y - 1];
            const Json* kind = cell.is_object() ? member(cell, "kind") : nullptr;
            if (!kind || !kind->is_string()) {
                ++empty;
                continue;
            }
            Color color = BLACK;
            if (const auto c = non_negative(member(cell, "color"))) {
                if (*c > 1) return unexpected(JkfError::structure("invalid color: " + std::to_string(*c)));
                color = *c == 0 ? BLACK : WHITE;
            }
            const std::string& code = kind->get_ref<const std::string&>();
            const auto pt = jkf_kind_to_piece_type(code);
            if (!pt) return unexpected(JkfError::structure("invalid piece kind: " + code));
            if (empty) sfen += static_cast<char>('0' + empty);
            empty = 0;
            static constexpr std::string_view LETTERS = "?PLNSBRGK";
            const PieceType base = demote(*pt);
            if (base < PAWN || base > KING) return unexpected(JkfError::structure("invalid piece kind for SFEN: " + code));
            if (is_promoted(*pt)) sfen += '+';
            const char letter = LETTERS[base];
            sfen += color == BLACK ? letter : static_cast<char>(letter - 'A' + 'a');
        }
        if (empty) sfen += static_cast<char>('0' + empty);
    }
    char side = 'b';
    if (const auto c = non_negative(member(data, "color"))) {
        if (*c > 1) return unexpected(JkfError::structure("invalid initial.data.color: " + std::to_string(*c)));
        side = *c == 0 ? 'b' : 'w';
    }
    sfen += ' ';
    sfen += side;
    sfen += ' ';
    sfen += hands_to_sfen(member(data, "hands"));
    sfen += " 1";
    return sfen;
}

// The initial SFEN, or nothing for the standard start.
Expected<std::optional<std::string>, JkfError> initial_sfen(const Json& root) {
    const Json* initial = member(root, "initial");
    if (!initial) return std::optional<std::string>{};
    if (!initial->is_object()) return unexpected(JkfError::structure("initial must be an object"));
    if (const Json* preset = member(*initial, "preset"); preset && preset->is_string()) {
        const std::string& name = preset->get_ref<const std::string&>();
        if (name == "HIRATE") return std::optional<std::string>{};
        if (const auto sfen = jkf_preset_sfen(name)) return std::optional<std::string>{std::string(*sfen)};
        if (name != "OTHER") return unexpected(JkfError::of_text(JkfError::Kind::UnsupportedPreset, name));
    }
    const Json* data = member(*initial, "data");
    if (!data) return std::optional<std::string>{};
    if (!data->is_object()) return unexpected(JkfError::structure("initial.data must be an object"));
    auto sfen = sfen_of_data(*data);
    if (!sfen) return unexpected(sfen.error());
    return std::optional<std::string>{std::move(*sfen)};
}

// An unsigned 32-bit decimal, one leading "+" allowed.
std::optional<std::uint32_t> parse_u32(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > U32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

void read_header(const Json& header, RecordMetadata& md) {
    using MK = RecordMetadataKey;
    static constexpr std::array<std::pair<std::string_view, MK>, 7> TEXTS = {{
        {"先手", MK::BlackPlayer}, {"後手", MK::WhitePlayer}, {"棋戦", MK::Event},     {"場所", MK::Site},
        {"備考", MK::Comment},     {"開始日時", MK::StartDate}, {"終了日時", MK::EndDate},
    }};
    for (const auto& [key, value] : header.items()) {
        const std::string* text = value.is_string() ? &value.get_ref<const std::string&>() : nullptr;
        bool standard = false;
        for (const auto& [name, field] : TEXTS) {
            if (name != key) continue;
            standard = true;
            md.texts[static_cast<int>(field)] = text ? std::optional<std::string>(*text) : std::nullopt;
        }
        if (standard) continue;
        if (key == "持将棋") {
            md.impasse_rule = text ? std::optional<std::string>(*text) : std::nullopt;
        } else if (key == "持ち時間") {
            md.time_control = text ? parse_japanese_time(*text) : std::nullopt;
        } else if (key == "先手持ち時間") {
            md.black_time_control = text ? time_control_parse_spec(*text) : std::nullopt;
        } else if (key == "後手持ち時間") {
            md.white_time_control = text ? time_control_parse_spec(*text) : std::nullopt;
        } else if (key == "最大手数") {
            md.max_moves = std::nullopt;
            if (const auto n = non_negative(&value); n && *n <= U32_MAX) md.max_moves = static_cast<std::uint32_t>(*n);
            if (text) md.max_moves = parse_u32(*text);
        } else if (text) {
            md.attributes.insert_or_assign(key, *text);
        } else if (!value.is_null()) {
            md.attributes.insert_or_assign(key, dump_json(value));
        }
    }
}

Expected<Square, JkfError> jkf_parse_place(const Json& value) {
    if (!value.is_object()) return unexpected(JkfError::structure("place must be an object"));
    const auto x = non_negative(member(value, "x"));
    if (!x) return unexpected(JkfError::structure("place.x must be an integer"));
    const auto y = non_negative(member(value, "y"));
    if (!y) return unexpected(JkfError::structure("place.y must be an integer"));
    if (*x < 1 || *x > 9 || *y < 1 || *y > 9)
        return unexpected(JkfError::structure("place out of board: " + std::to_string(*x) + "," + std::to_string(*y)));
    return make_square(static_cast<int>(*x) - 1, static_cast<int>(*y) - 1);
}

Expected<std::optional<std::string>, JkfError> entry_comment(const Json& entry) {
    const Json* comments = member(entry, "comments");
    if (!comments) return std::optional<std::string>{};
    if (!comments->is_array()) return unexpected(JkfError::structure("comments must be an array"));
    std::optional<std::string> out;
    for (const Json& item : *comments) {
        if (!item.is_string()) return unexpected(JkfError::structure("comments item must be a string"));
        const std::string& text = item.get_ref<const std::string&>();
        if (!text.empty()) append_comment_line(out, text);
    }
    return out;
}

Expected<std::optional<Duration>, JkfError> entry_time(const Json& entry) {
    const Json* time = member(entry, "time");
    if (!time) return std::optional<Duration>{};
    if (!time->is_object()) return unexpected(JkfError::structure("time must be an object"));
    const Json* now = member(*time, "now");
    if (!now) return std::optional<Duration>{};
    if (!now->is_object()) return unexpected(JkfError::structure("time.now must be an object"));
    std::uint64_t ms = 0;
    ms = saturating_mul_add(ms, non_negative(member(*now, "h")).value_or(0), 3'600'000);
    ms = saturating_mul_add(ms, non_negative(member(*now, "m")).value_or(0), 60'000);
    ms = saturating_mul_add(ms, non_negative(member(*now, "s")).value_or(0), 1'000);
    if (ms > U32_MAX) return unexpected(JkfError::structure("time.now exceeds u32 milliseconds"));
    return std::optional<Duration>{Duration::from_ms(ms)};
}

// The USI text of an entry's "move" object.
Expected<std::string, JkfError> move_usi(const Json& move, std::optional<Square> previous_to, Square& to) {
    if (const Json* place = member(move, "to")) {
        auto sq = jkf_parse_place(*place);
        if (!sq) return unexpected(sq.error());
        to = *sq;
    } else if (const Json* same = member(move, "same"); same && same->is_boolean() && same->get<bool>()) {
        if (!previous_to) return unexpected(JkfError::invalid_move("same move without previous square"));
        to = *previous_to;
    } else {
        return unexpected(JkfError::structure("move.to is required"));
    }
    if (const Json* from_place = member(move, "from")) {
        auto from = jkf_parse_place(*from_place);
        if (!from) return unexpected(from.error());
        const Json* promote = member(move, "promote");
        const bool promotes = promote && promote->is_boolean() && promote->get<bool>();
        return square_display_usi(*from) + square_display_usi(to) + (promotes ? "+" : "");
    }
    const Json* piece = member(move, "piece");
    if (!piece || !piece->is_string()) return unexpected(JkfError::structure("drop move requires piece"));
    const std::string& code = piece->get_ref<const std::string&>();
    const auto pt = jkf_kind_to_piece_type(code);
    const PieceType base = pt ? demote(*pt) : NO_PIECE_TYPE;
    if (base < PAWN || base > GOLD) return unexpected(JkfError::invalid_move("invalid drop piece: " + code));
    static constexpr std::string_view LETTERS = "?PLNSBRG";
    return std::string(1, LETTERS[base]) + "*" + square_display_usi(to);
}

// A position with the same board, hands, side and ply and a one-record history, which
// a fork starts from: legality needs no history, and copying it would cost the whole
// line's length at every fork.
Position without_history(const Position& pos) {
    Position out;
    position_set(out, position_state_of(pos));
    return out;
}

class Reader {
public:
    explicit Reader(Record& record) : record_(record) {}

    // One array of entries (the main "moves" or a fork) appended under `parent`, played
    // on `pos`, which the line owns. Forks recurse at most JKF_MAX_FORK_DEPTH deep.
    Expected<Ok, JkfError> jkf_parse_move_entry(RecordNodeId parent, Position pos, std::optional<Square> previous_to,
                                                const Json& entries, std::size_t depth) {
        RecordNodeId current = parent;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const Json& entry = entries[i];
            if (!entry.is_object()) return unexpected(JkfError::structure("move entry must be an object"));
            auto comment = entry_comment(entry);
            if (!comment) return unexpected(comment.error());
            auto time = entry_time(entry);
            if (!time) return unexpected(time.error());
            const Json* forks = member(entry, "forks");

            if (const Json* move = member(entry, "move")) {
                if (!move->is_object()) return unexpected(JkfError::structure("move must be an object"));
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
            if (const Json* special = member(entry, "special")) {
                if (!special->is_string()) return unexpected(JkfError::structure("special must be a string"));
                SpecialMove s = jkf_special_of_name(special->get_ref<const std::string&>(), pos.side_to_move);
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
                                           const Json& value, std::size_t depth) {
        if (!value.is_array()) return unexpected(JkfError::structure("forks must be an array"));
        for (const Json& fork : value) {
            if (!fork.is_array()) return unexpected(JkfError::structure("fork must be an array"));
            if (fork.empty()) continue;
            if (depth >= JKF_MAX_FORK_DEPTH) return unexpected(JkfError::structure(jkf_fork_depth_text()));
            if (auto ok = jkf_parse_move_entry(parent, without_history(pos), previous_to, fork, depth + 1); !ok) return ok;
        }
        return Ok{};
    }

private:
    Record& record_;
};

}  // namespace

Expected<Record, JkfError> parse_jkf(std::string_view text) {
    auto parsed = parse_json(text, JKF_MAX_JSON_DEPTH);
    if (!parsed) {
        if (parsed.error().too_deep) return unexpected(JkfError::structure(jkf_json_depth_text()));
        return unexpected(JkfError::of_text(JkfError::Kind::JsonSerialization, parsed.error().message));
    }
    const Json& root = *parsed;
    if (!root.is_object()) return unexpected(JkfError::structure("JKF root must be an object"));

    auto sfen = initial_sfen(root);
    if (!sfen) return unexpected(sfen.error());
    auto made = record_new(*sfen);
    if (!made) return unexpected(JkfError::of_record(made.error()));
    Record& record = *made;

    if (const Json* header = member(root, "header")) {
        if (!header->is_object()) return unexpected(JkfError::structure("header must be an object"));
        read_header(*header, record.metadata);
    }
    auto start = position_from_sfen(*sfen ? std::string_view(**sfen) : STARTPOS_SFEN);
    if (!start) return unexpected(JkfError::of_sfen(start.error()));

    const Json* moves = member(root, "moves");
    if (!moves) return std::move(record);
    if (!moves->is_array()) return unexpected(JkfError::structure("moves must be an array"));
    Reader reader(record);
    if (auto ok = reader.jkf_parse_move_entry(record.root, std::move(*start), std::nullopt, *moves, 0); !ok)
        return unexpected(ok.error());
    return std::move(record);
}

}  // namespace korvan
