#include "core/records/formats/kif/japanese_reader.h"

namespace korvan {

std::size_t collect_variation_block(const std::vector<std::string_view>& lines, std::size_t header,
                                    RecordBuilder& builder) {
    VariationBlock block{variation_start_number(trim_line(lines[header])), header + 1, header + 1};
    std::size_t i = header + 1;
    for (; i < lines.size(); ++i) {
        const std::string_view line = trim_line(lines[i]);
        if (line.empty()) {
            block.last = i;
            builder.add_block(block);
            return i + 1;
        }
        if (line.starts_with("変化") || line.starts_with("まで")) break;
    }
    block.last = i;
    builder.add_block(block);
    return i;
}

}  // namespace korvan
