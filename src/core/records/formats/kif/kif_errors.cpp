#include "core/records/formats/kif/kif_errors.h"

#include "core/util/utf8_repair.h"

namespace korvan {

namespace {

template <class Format>
std::string display(const JapaneseRecordError<Format>& e) {
    switch (e.kind) {
        case KifErrorKind::Sfen: return "failed to parse SFEN: " + sfen_error_display(e.sfen);
        case KifErrorKind::InvalidLine: return "invalid " + std::string(Format::name) + " line: " + utf8_replace_invalid(e.text);
        case KifErrorKind::InvalidMove: return "invalid " + std::string(Format::name) + " move: " + utf8_replace_invalid(e.text);
        case KifErrorKind::IllegalMove: return "illegal move at index " + std::to_string(e.index);
    }
    return {};
}

}  // namespace

std::string kif_error_display(const KifError& e) { return display(e); }
std::string ki2_error_display(const Ki2Error& e) { return display(e); }

}  // namespace korvan
