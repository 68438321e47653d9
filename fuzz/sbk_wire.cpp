// The SBK wire readers on any bytes. The buffered stream over the bytes (repeated, so
// that fields cross the 8192-byte buffer's edge and skips pass it) and the in-memory
// reader see the same top-level fields, or stop with the same error; and when the open
// scan accepts the bytes, the id it keeps for each state is the first field-1 varint
// that reading the state's payload in memory meets.

#include <vector>

#include "common.h"
#include "core/book/sbk_file.h"
#include "core/book/sbk_wire.h"

using namespace korvan;

namespace {

struct Field {
    WireKey key;
    std::uint64_t value;  // a varint's value, a length-delimited field's length
    std::string text;     // fields 1 and 2 of type 2
    bool operator==(const Field& o) const {
        return key.field == o.key.field && key.type == o.key.type && value == o.value && text == o.text;
    }
};

struct Reading {
    std::vector<Field> fields;
    std::optional<BookError> error;
};

bool is_text(const WireKey& k) { return k.is(1, WireType::Length) || k.is(2, WireType::Length); }

Reading read_memory(ByteSpan bytes) {
    Reading out;
    WireReader r(bytes);
    const auto stop = [&](const BookError& e) {
        out.error = e;
        return out;
    };
    while (!r.at_end()) {
        auto key = r.key();
        if (!key) return stop(key.error());
        Field f{*key, 0, {}};
        if (key->type == static_cast<std::uint8_t>(WireType::Varint)) {
            auto v = r.varint();
            if (!v) return stop(v.error());
            f.value = *v;
        } else if (is_text(*key)) {
            auto t = r.text();
            if (!t) return stop(t.error());
            f.value = t->size();
            f.text = std::string(*t);
        } else if (key->type == static_cast<std::uint8_t>(WireType::Length)) {
            auto b = r.bytes();
            if (!b) return stop(b.error());
            f.value = b->size();
        } else if (auto s = r.skip(key->type); !s) {
            return stop(s.error());
        }
        out.fields.push_back(std::move(f));
    }
    return out;
}

Reading read_stream(BookSource& source) {
    Reading out;
    WireStream in(source);
    const auto stop = [&](const BookError& e) {
        out.error = e;
        return out;
    };
    while (in.position() < in.size()) {
        auto key = in.key();
        if (!key) return stop(key.error());
        Field f{*key, 0, {}};
        std::uint64_t distance = 0;
        if (key->type == static_cast<std::uint8_t>(WireType::Varint)) {
            auto v = in.varint();
            if (!v) return stop(v.error());
            f.value = *v;
        } else {
            if (key->type == static_cast<std::uint8_t>(WireType::Length)) {
                auto length = in.varint();
                if (!length) return stop(length.error());
                f.value = distance = *length;
            } else {
                auto width = wire_fixed_width(key->type);
                if (!width) return stop(width.error());
                distance = *width;
            }
            auto end = wire_advance(in.position(), distance, in.size(), wire_text::TRUNCATED_FIELD);
            if (!end) return stop(end.error());
            if (is_text(*key)) {
                auto t = in.text(distance);
                if (!t) return stop(t.error());
                f.text = std::move(*t);
            } else if (auto s = in.skip(distance); !s) {
                return stop(s.error());
            }
        }
        out.fields.push_back(std::move(f));
    }
    return out;
}

// The first field-1 varint of a payload read in memory; the scan has already seen
// every field before it (or all of them) end inside the payload.
std::optional<std::uint32_t> first_id(ByteSpan payload) {
    WireReader r(payload);
    while (!r.at_end()) {
        auto key = r.key();
        FUZZ_REQUIRE(key, "a key the scan read");
        if (key->is(1, WireType::Varint)) {
            auto v = r.varint();
            FUZZ_REQUIRE(v, "the id the scan read");
            return static_cast<std::uint32_t>(*v);
        }
        FUZZ_REQUIRE(r.skip(key->type), "a field the scan skipped");
    }
    return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t repeats = 1 + data[0] % 32;
    Bytes bytes;
    for (std::size_t i = 0; i < repeats; ++i) bytes.insert(bytes.end(), data + 1, data + size);

    const Reading memory = read_memory(bytes);
    BookSource source = BookSource::from_bytes(bytes);
    const Reading stream = read_stream(source);
    FUZZ_REQUIRE(memory.fields == stream.fields, "the same fields");
    FUZZ_REQUIRE(memory.error == stream.error, "the same error");
    if (memory.error) fuzz::require_error_text(book_error_display(*memory.error));

    BookSource again = BookSource::from_bytes(bytes);
    const auto scan = sbk_scan(again);
    if (!scan) return 0;
    for (const SbkStateRow& row : scan->rows) {
        FUZZ_REQUIRE(row.offset + row.length <= bytes.size(), "payload inside the file");
        const auto id = first_id(ByteSpan(bytes).subspan(row.offset, row.length));
        FUZZ_REQUIRE(id.has_value() == row.has_state_id, "an id where the payload has one");
        if (id) FUZZ_REQUIRE(*id == row.state_id, "the first id");
    }
    return 0;
}
