// The KIF reader on any text: a record it returns is sound (every move legal from its
// parent, the start position parses, the only terminal ends the main line); CR LF
// line ends read like LF; the move and special line readers take every line.

#include "core/records/formats/kif/kif_reader.h"
#include "record_text.h"

using namespace korvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    fuzz::check_reader(text, parse_kif, kif_error_display);
    (void)parse_kif_move_line(text, true, 40);
    (void)parse_kif_special_line(text, WHITE);
    return 0;
}
