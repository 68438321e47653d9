#include "core/book/sbk_file.h"

#include <cstdio>
#include <limits>

#include "core/book/sbk_wire.h"

namespace korvan {

namespace {

template <class T>
Unexpected<BookError> fail(const Expected<T, BookError>& e) {
    return unexpected(e.error());
}

Unexpected<BookError> format_error(std::string_view text) { return unexpected(BookError::invalid_format(text)); }

// ---- the open scan

// Reads one state's length and its first id, seeking over everything else. Inside the
// payload every step is held to the payload's end, not the file's.
Expected<SbkStateRow, BookError> scan_state(WireStream& in) {
    auto length = in.varint();
    if (!length) return fail(length);
    auto end = wire_advance(in.position(), *length, in.size(), wire_text::TRUNCATED_FIELD);
    if (!end) return fail(end);
    SbkStateRow row{false, 0, in.position(), *length};
    const auto inside = [&]() -> Expected<Ok, BookError> {
        if (in.position() > *end) return format_error(SBK_FIELD_EXCEEDS_STATE);
        return Ok{};
    };
    const auto skip_inside = [&](std::uint64_t distance) -> Expected<Ok, BookError> {
        if (distance > std::numeric_limits<std::uint64_t>::max() - in.position())
            return format_error(wire_text::LENGTH_OVERFLOW);
        if (auto skipped = in.skip(distance); !skipped) return skipped;
        return inside();
    };
    while (in.position() != *end) {
        auto key = in.key();
        if (!key) return fail(key);
        if (auto ok = inside(); !ok) return fail(ok);
        if (key->type == static_cast<std::uint8_t>(WireType::Varint)) {
            auto value = in.varint();
            if (!value) return fail(value);
            if (auto ok = inside(); !ok) return fail(ok);
            if (key->field == 1) {
                row.has_state_id = true;
                row.state_id = static_cast<std::uint32_t>(*value);
                if (auto ok = skip_inside(*end - in.position()); !ok) return fail(ok);
                break;
            }
        } else if (key->type == static_cast<std::uint8_t>(WireType::Length)) {
            auto inner = in.varint();
            if (!inner) return fail(inner);
            if (auto ok = inside(); !ok) return fail(ok);
            if (auto ok = skip_inside(*inner); !ok) return fail(ok);
        } else {
            auto width = wire_fixed_width(key->type);
            if (!width) return fail(width);
            if (auto ok = skip_inside(*width); !ok) return fail(ok);
        }
    }
    return row;
}

Expected<Ok, BookError> skip_top_level(WireStream& in, std::uint8_t type) {
    std::uint64_t distance = 0;
    if (type == static_cast<std::uint8_t>(WireType::Varint)) {
        auto value = in.varint();
        if (!value) return fail(value);
        return Ok{};
    }
    if (type == static_cast<std::uint8_t>(WireType::Length)) {
        auto length = in.varint();
        if (!length) return fail(length);
        distance = *length;
    } else {
        auto width = wire_fixed_width(type);
        if (!width) return fail(width);
        distance = *width;
    }
    auto end = wire_advance(in.position(), distance, in.size(), wire_text::TRUNCATED_FIELD);
    if (!end) return fail(end);
    return in.skip(distance);
}

// ---- decoding from memory

template <class T>
Expected<T, BookError> read_int(WireReader& r, T (*convert)(std::uint64_t)) {
    auto v = r.varint();
    if (!v) return fail(v);
    return convert(*v);
}

std::int32_t as_int32(std::uint64_t v) { return wire_int32(v); }
std::int64_t as_int64(std::uint64_t v) { return wire_int64(v); }

// Sets `slot` from a varint field of `key` when the key is that field as a varint;
// the caller skips anything else.
template <class T>
Expected<bool, BookError> take_int(WireReader& r, const WireKey& key, std::uint32_t field, std::optional<T>& slot,
                                   T (*convert)(std::uint64_t)) {
    if (!key.is(field, WireType::Varint)) return false;
    auto v = read_int(r, convert);
    if (!v) return fail(v);
    slot = *v;
    return true;
}

Expected<bool, BookError> take_text(WireReader& r, const WireKey& key, std::uint32_t field,
                                    std::optional<std::string>* slot) {
    if (!key.is(field, WireType::Length)) return false;
    auto t = r.text();
    if (!t) return fail(t);
    if (slot) *slot = std::string(*t);
    return true;
}

// Reads a message's fields in order: `take(reader, key)` reads a field it knows and
// says so; any other field is skipped.
template <class Take>
Expected<Ok, BookError> read_fields(ByteSpan bytes, Take take) {
    WireReader r(bytes);
    while (!r.at_end()) {
        auto key = r.key();
        if (!key) return fail(key);
        const Expected<bool, BookError> took = take(r, *key);
        if (!took) return fail(took);
        if (*took) continue;
        if (auto s = r.skip(key->type); !s) return fail(s);
    }
    return Ok{};
}

Expected<SbkStateMove, BookError> decode_move(ByteSpan bytes) {
    SbkStateMove out;
    auto read = read_fields(bytes, [&](WireReader& r, const WireKey& key) -> Expected<bool, BookError> {
        std::optional<std::int32_t>* slot = nullptr;
        switch (key.field) {
            case 1: slot = &out.raw_move; break;
            case 2: slot = &out.evaluation; break;
            case 3: slot = &out.weight; break;
            case 4: slot = &out.next_state_id; break;
            default: return false;
        }
        return take_int(r, key, key.field, *slot, as_int32);
    });
    if (!read) return fail(read);
    return out;
}

// With `keep` false the texts are checked and dropped.
Expected<SbkEval, BookError> decode_eval(ByteSpan bytes, bool keep) {
    SbkEval out;
    auto read = read_fields(bytes, [&](WireReader& r, const WireKey& key) -> Expected<bool, BookError> {
        switch (key.field) {
            case 1: return take_int(r, key, 1, out.evaluation_value, as_int32);
            case 2: return take_int(r, key, 2, out.depth, as_int32);
            case 3: return take_int(r, key, 3, out.sel_depth, as_int32);
            case 4: return take_int(r, key, 4, out.nodes, as_int64);
            case 5: return take_text(r, key, 5, keep ? &out.variation : nullptr);
            case 6: return take_text(r, key, 6, keep ? &out.engine_name : nullptr);
            default: return false;
        }
    });
    if (!read) return fail(read);
    return out;
}

void append_hex32(std::string& out, std::uint32_t v) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", v);
    out += digits;
}

Unexpected<BookError> move_error(std::string_view lead, std::int32_t raw) {
    std::string text(lead);
    append_hex32(text, static_cast<std::uint32_t>(raw));
    return unexpected(BookError::invalid_data(std::move(text)));
}

}  // namespace

Expected<SbkFileScan, BookError> sbk_scan(BookSource& source) {
    WireStream in(source);
    SbkFileScan out;
    while (in.position() < in.size()) {
        auto key = in.key();
        if (!key) return fail(key);
        if (key->is(1, WireType::Length) || key->is(2, WireType::Length)) {
            auto length = in.varint();
            if (!length) return fail(length);
            auto end = wire_advance(in.position(), *length, in.size(), wire_text::TRUNCATED_FIELD);
            if (!end) return fail(end);
            auto text = in.text(*length);
            if (!text) return fail(text);
            (key->field == 1 ? out.author : out.description) = std::move(*text);
        } else if (key->is(3, WireType::Length)) {
            auto row = scan_state(in);
            if (!row) return fail(row);
            out.rows.push_back(*row);
        } else if (auto skipped = skip_top_level(in, key->type); !skipped) {
            return fail(skipped);
        }
    }
    return out;
}

Expected<SbkState, BookError> sbk_decode_state(ByteSpan payload, SbkDetail detail) {
    const bool keep = detail == SbkDetail::All;
    SbkState out;
    // Moves (9) and evaluations (10) are messages of their own.
    const auto take_message = [&](WireReader& r, const WireKey& key) -> Expected<bool, BookError> {
        if (key.type != static_cast<std::uint8_t>(WireType::Length)) return false;
        auto bytes = r.bytes();
        if (!bytes) return fail(bytes);
        if (key.field == 9) {
            auto move = decode_move(*bytes);
            if (!move) return fail(move);
            out.moves.push_back(*move);
        } else {
            auto eval = decode_eval(*bytes, keep);
            if (!eval) return fail(eval);
            if (keep) out.evals.push_back(std::move(*eval));
        }
        return true;
    };
    auto read = read_fields(payload, [&](WireReader& r, const WireKey& key) -> Expected<bool, BookError> {
        switch (key.field) {
            case 1: return take_int(r, key, 1, out.state_id, as_int32);
            case 4: return take_int(r, key, 4, out.games, as_int32);
            case 5: return take_int(r, key, 5, out.won_black, as_int32);
            case 6: return take_int(r, key, 6, out.won_white, as_int32);
            case 7: return take_text(r, key, 7, &out.sfen);
            case 8: return take_text(r, key, 8, keep ? &out.comment : nullptr);
            case 9:
            case 10: return take_message(r, key);
            default: return false;
        }
    });
    if (!read) return fail(read);
    return out;
}

Expected<SbkState, BookError> sbk_read_state(BookSource& source, const std::vector<SbkStateRow>& rows,
                                             std::uint64_t index, Bytes& buffer, SbkDetail detail) {
    if (index >= rows.size()) return unexpected(BookError::invalid_data("missing sbk state " + std::to_string(index)));
    const SbkStateRow& row = rows[index];
    // The scan held the length to the file's size at open; a lookup checks that the
    // file is still that file before it comes here.
    if (row.length > source.size()) return unexpected(wire_short_read());
    buffer.resize(static_cast<std::size_t>(row.length));
    auto got = source.read_at(row.offset, buffer);
    if (!got) return fail(got);
    if (*got < buffer.size()) return unexpected(wire_short_read());
    return sbk_decode_state(buffer, detail);
}

Expected<Move, BookError> sbk_move_to_move(std::int32_t raw) {
    const auto code = static_cast<std::uint32_t>(raw);
    const unsigned to_rank = (code >> 8) & 15, to_file = (code >> 12) & 15;
    if (to_rank < 1 || to_rank > 9 || to_file < 1 || to_file > 9)
        return move_error("invalid SBK move destination: 0x", raw);
    std::string usi;
    if ((code & 0xFF) == 0) {
        const unsigned piece = (code >> 24) & 15;
        if (piece < 1 || piece > 7) return move_error("invalid SBK drop piece: 0x", raw);
        usi += "PLNSGBR"[piece - 1];
        usi += '*';
    } else {
        const unsigned from_rank = code & 15, from_file = (code >> 4) & 15;
        if (from_rank < 1 || from_rank > 9 || from_file < 1 || from_file > 9)
            return move_error("invalid SBK move source: 0x", raw);
        usi += static_cast<char>('0' + from_file);
        usi += static_cast<char>('a' + from_rank - 1);
    }
    usi += static_cast<char>('0' + to_file);
    usi += static_cast<char>('a' + to_rank - 1);
    if ((code & 0xFF) != 0 && (code >> 19 & 1)) usi += '+';
    const std::optional<Move> move = move_from_usi(usi);
    if (!move) return unexpected(BookError::invalid_data("invalid SBK move USI: " + usi));
    return *move;
}

}  // namespace korvan
