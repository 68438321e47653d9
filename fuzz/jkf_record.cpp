// JKF records. The input is a JSON text. A record the reader accepts must write, and the
// writer's text must read back to the same tree of moves and terminals, with times to
// the second and the comments' non-empty lines; from the second writing on the text is a
// fixed point (running totals add milliseconds the first writing still had).

#include "common.h"
#include "core/records/formats/jkf/jkf_reader.h"
#include "core/records/formats/jkf/jkf_writer.h"
#include "core/util/text.h"

using namespace korvan;

namespace {

// The non-empty lines of a comment (a carriage return before a line feed dropped),
// trimmed for the root, joined again.
std::optional<std::string> kept_comment(const std::optional<std::string>& comment, bool trim) {
    if (!comment) return std::nullopt;
    std::optional<std::string> out;
    std::size_t start = 0;
    while (start < comment->size()) {
        std::size_t end = comment->find('\n', start);
        const bool feed = end != std::string::npos;
        if (!feed) end = comment->size();
        std::string_view line = std::string_view(*comment).substr(start, end - start);
        if (feed && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (trim) line = trim_whitespace(line);
        if (!line.empty()) append_comment_line(out, line);
        start = end + 1;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    auto first = parse_jkf(input);
    if (!first) {
        fuzz::require_error_text(jkf_error_display(first.error()));
        return 0;
    }
    const Record& r1 = *first;
    auto text1 = write_jkf(r1);
    FUZZ_REQUIRE(text1, jkf_error_display(text1.error()));
    auto second = parse_jkf(*text1);
    FUZZ_REQUIRE(second, *text1);
    const Record& r2 = *second;

    // The header but the time control, whose seconds the Japanese text drops.
    RecordMetadata m1 = r1.metadata, m2 = r2.metadata;
    m1.time_control = m2.time_control = std::nullopt;
    FUZZ_REQUIRE(m1 == m2, *text1);
    FUZZ_REQUIRE(record_node(r2, r2.root).annotations.comment ==
                     kept_comment(record_node(r1, r1.root).annotations.comment, true),
                 *text1);
    // The two trees side by side, walked with an explicit stack.
    std::vector<std::pair<RecordNodeId, RecordNodeId>> stack = {{r1.root, r2.root}};
    while (!stack.empty()) {
        const auto [a, b] = stack.back();
        stack.pop_back();
        const RecordNode& na = record_node(r1, a);
        const RecordNode& nb = record_node(r2, b);
        FUZZ_REQUIRE(na.kind == nb.kind, *text1);
        if (na.kind == NodeKind::Move) {
            FUZZ_REQUIRE(na.move == nb.move, *text1);
            const std::uint64_t ms = na.annotations.time ? na.annotations.time->total_ms() / 1000 * 1000 : 0;
            FUZZ_REQUIRE(nb.annotations.time == Duration::from_ms(ms), *text1);
        }
        if (na.kind == NodeKind::Terminal) {
            std::optional<Duration> time;
            if (na.annotations.time) time = Duration::from_ms(na.annotations.time->total_ms() / 1000 * 1000);
            FUZZ_REQUIRE(nb.annotations.time == time, *text1);
            if (na.special->kind != SpecialMoveKind::Unknown) {
                FUZZ_REQUIRE(nb.special->kind == na.special->kind, *text1);
                FUZZ_REQUIRE(nb.special->result == na.special->result, *text1);
            }
        }
        if (na.kind != NodeKind::Root)
            FUZZ_REQUIRE(nb.annotations.comment == kept_comment(na.annotations.comment, false), *text1);
        RecordNodeId ca = na.first_child, cb = nb.first_child;
        for (; ca != 0 && cb != 0; ca = record_node(r1, ca).next_sibling, cb = record_node(r2, cb).next_sibling)
            stack.emplace_back(ca, cb);
        FUZZ_REQUIRE(ca == 0 && cb == 0, *text1);
    }

    auto text2 = write_jkf(r2);
    FUZZ_REQUIRE(text2, *text1);
    auto third = parse_jkf(*text2);
    FUZZ_REQUIRE(third, *text2);
    auto text3 = write_jkf(*third);
    FUZZ_REQUIRE(text3 && *text3 == *text2, *text2);
    return 0;
}
