// CSA records. The input is a CSA text. A record the reader accepts must write, and the
// writer's text must read back to the same initial position, main line, whole-second
// times, comments and terminal; from the second writing on the text is a fixed point.

#include <map>

#include "common.h"
#include "core/records/formats/csa/csa_reader.h"
#include "core/records/formats/csa/csa_writer.h"

using namespace korvan;

namespace {

std::vector<RecordNodeId> line_of(const Record& r) { return record_main_line_ids(r); }

void require_same_annotations(const Annotations& a, const Annotations& b, bool move, std::string_view text) {
    std::optional<Duration> time;
    if (a.time) time = Duration::from_ms(a.time->total_ms() / 1000 * 1000);
    else if (move) time = Duration{};
    FUZZ_REQUIRE(b.time == time, text);
    FUZZ_REQUIRE(b.comment == a.comment, text);
}

// A read text holds no line feed, but may hold a carriage return inside a line; the
// writer writes it as a blank so that it cannot end the line.
std::string one_line(std::string text) {
    for (char& c : text)
        if (c == '\r') c = ' ';
    return text;
}

// The header as the writer's text gives it back.
RecordMetadata as_written(RecordMetadata md) {
    for (auto k : {RecordMetadataKey::BlackPlayer, RecordMetadataKey::WhitePlayer, RecordMetadataKey::Event,
                   RecordMetadataKey::Site, RecordMetadataKey::StartDate, RecordMetadataKey::EndDate}) {
        if (md.get(k)) md.set(k, one_line(*md.get(k)));
    }
    if (md.impasse_rule) md.impasse_rule = one_line(*md.impasse_rule);
    std::map<std::string, std::string, std::less<>> attributes;
    for (const auto& [key, value] : md.attributes) attributes.insert_or_assign(one_line(key), one_line(value));
    md.attributes = std::move(attributes);
    return md;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    auto first = parse_csa(input);
    if (!first) {
        fuzz::require_error_text(csa_error_display(first.error()));
        return 0;
    }
    const Record& r1 = *first;
    auto text1 = write_csa(r1);
    FUZZ_REQUIRE(text1, csa_error_display(text1.error()));
    auto second = parse_csa(*text1);
    FUZZ_REQUIRE(second, *text1);
    const Record& r2 = *second;

    FUZZ_REQUIRE(r2.init_position_sfen == r1.init_position_sfen, *text1);
    const auto ids1 = line_of(r1), ids2 = line_of(r2);
    FUZZ_REQUIRE(ids1.size() == ids2.size(), *text1);
    for (std::size_t i = 0; i < ids1.size(); ++i) {
        const RecordNode& a = record_node(r1, ids1[i]);
        const RecordNode& b = record_node(r2, ids2[i]);
        FUZZ_REQUIRE(a.move == b.move, *text1);
        require_same_annotations(a.annotations, b.annotations, true, *text1);
    }
    FUZZ_REQUIRE(record_node(r2, r2.root).annotations.comment == record_node(r1, r1.root).annotations.comment, *text1);

    const RecordNode& end1 = record_node(r1, record_main_line_last(r1));
    const RecordNode& end2 = record_node(r2, record_main_line_last(r2));
    FUZZ_REQUIRE((end1.kind == NodeKind::Terminal) == (end2.kind == NodeKind::Terminal), *text1);
    if (end1.kind == NodeKind::Terminal) {
        require_same_annotations(end1.annotations, end2.annotations, false, *text1);
        // An unknown special may be named like a known one ("%%TORYO" reads as "TORYO").
        if (end1.special->kind == SpecialMoveKind::Unknown && end2.special->kind == SpecialMoveKind::Unknown) {
            FUZZ_REQUIRE(end2.special->unknown_name == one_line(end1.special->unknown_name), *text1);
        }
        if (end1.special->kind != SpecialMoveKind::Unknown) {
            FUZZ_REQUIRE(end2.special->kind == end1.special->kind, *text1);
            FUZZ_REQUIRE(end2.special->result == end1.special->result, *text1);
        }
    }
    // The header but the time control, whose seconds "$TIME_LIMIT" drops, and the
    // attributes, of which those named like a written line ("N+") are skipped.
    RecordMetadata m1 = as_written(r1.metadata), m2 = r2.metadata;
    for (const auto& [key, value] : m2.attributes) FUZZ_REQUIRE(m1.attributes.contains(key) && m1.attributes.at(key) == value, *text1);
    m1.time_control = m2.time_control = std::nullopt;
    m1.attributes.clear();
    m2.attributes.clear();
    FUZZ_REQUIRE(m1 == m2, *text1);

    auto text2 = write_csa(r2);
    FUZZ_REQUIRE(text2, *text1);
    auto third = parse_csa(*text2);
    FUZZ_REQUIRE(third, *text2);
    auto text3 = write_csa(*third);
    FUZZ_REQUIRE(text3 && *text3 == *text2, *text2);
    return 0;
}
