#include "core/records/metadata.h"

namespace korvan {

std::string time_control_to_spec(const TimeControl& tc) {
    std::string out = std::to_string(tc.base_seconds);
    out += '+';
    out += std::to_string(tc.byoyomi_seconds);
    out += '+';
    out += std::to_string(tc.increment_seconds);
    return out;
}

void metadata_append_line(RecordMetadata& metadata, std::string_view line) {
    if (line.empty()) return;
    auto& comment = metadata.texts[static_cast<int>(RecordMetadataKey::Comment)];
    if (!comment) {
        comment.emplace(line);
        return;
    }
    if (!comment->empty()) comment->push_back('\n');
    comment->append(line);
}

}  // namespace korvan
