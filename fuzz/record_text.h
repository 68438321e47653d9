#pragma once
// What every record a KIF or KI2 reader returns must be: its start position parses,
// every move replays legally from its parent's position, and the only terminal ends
// the main line. Line ends written as CR LF read like LF.

#include <vector>

#include "common.h"
#include "core/records/editor.h"
#include "core/records/record.h"

namespace korvan::fuzz {

inline void require_sound_record(const Record& r, std::string_view text) {
    auto start = record_initial_position(r);
    FUZZ_REQUIRE(start, text);
    const RecordNodeId main_end = record_main_line_last(r);
    std::vector<std::pair<RecordNodeId, Position>> stack;
    stack.emplace_back(r.root, std::move(*start));
    while (!stack.empty()) {
        auto [id, pos] = std::move(stack.back());
        stack.pop_back();
        for (RecordNodeId c = record_node(r, id).first_child; c != 0; c = record_node(r, c).next_sibling) {
            const RecordNode& node = record_node(r, c);
            if (node.kind == NodeKind::Terminal) {
                FUZZ_REQUIRE(c == main_end && !node.has_children(), text);
                continue;
            }
            const auto m = record_checked_move(pos, node.move);
            FUZZ_REQUIRE(m, text);
            Position next = pos;
            position_do_move(next, *m);
            stack.emplace_back(c, std::move(next));
        }
    }
}

inline std::string with_crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

// Reads the text and its CR LF form; both give the same record or the same error.
template <class Parse, class Display>
void check_reader(std::string_view text, Parse parse, Display display) {
    const auto read = parse(text);
    if (read) require_sound_record(*read, text);
    else require_error_text(display(read.error()));
    if (text.find('\r') != std::string_view::npos) return;
    const auto again = parse(with_crlf(text));
    FUZZ_REQUIRE(read.has_value() == again.has_value(), text);
    if (read)
        FUZZ_REQUIRE(*read == *again, text);
    else
        FUZZ_REQUIRE(display(read.error()) == display(again.error()), text);
}

}  // namespace korvan::fuzz
