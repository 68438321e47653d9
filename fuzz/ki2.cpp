// The KI2 reader on any text: a record it returns is sound (every move legal from its
// parent, the start position parses, the only terminal ends the main line); CR LF
// line ends read like LF. The token resolver, on the start position and on each
// position of the main line read, returns moves whose last alone may be illegal.

#include "core/records/formats/kif/ki2_reader.h"
#include "core/records/formats/kif/ki2_resolver.h"
#include "record_text.h"

using namespace korvan;

namespace {

void check_resolver(const Position& pos, std::string_view line, bool has_previous, Square previous) {
    const auto moves = parse_ki2_move(pos, line, has_previous, previous);
    if (!moves) return;
    Position copy = pos;
    for (std::size_t i = 0; i < moves->size(); ++i) {
        const auto m = record_checked_move(copy, (*moves)[i].move);
        if (!m) {
            FUZZ_REQUIRE(i + 1 == moves->size(), line);
            return;
        }
        position_do_move(copy, *m);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    fuzz::check_reader(text, parse_ki2, ki2_error_display);
    check_resolver(position_startpos(), text, true, 40);
    if (const auto read = parse_ki2(text)) {
        Position pos = *record_initial_position(*read);
        for (RecordNodeId id : record_main_line_ids(*read)) {
            check_resolver(pos, text, true, move_to(record_node(*read, id).move));
            position_do_move(pos, *record_checked_move(pos, record_node(*read, id).move));
        }
    }
    return 0;
}
