#pragma once
// The shape of every record format's error: a kind, what the kind carries (an SFEN
// error, a text or a move index), a factory for each and one display, the kind's lead
// from the format's table followed by what it carries. CsaError, JkfError, KifError
// and Ki2Error are this shape with their own kinds, factory names and leads.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "core/board/position/parser.h"
#include "core/util/utf8_repair.h"

namespace korvan {

// Every format's Kind has Sfen and IllegalMove; the others carry a text.
template <class Self, class KindType, KindType DEFAULT_KIND>
struct FormatError {
    using Kind = KindType;
    Kind kind = DEFAULT_KIND;
    SfenError sfen;           // Sfen
    std::string text;         // the kinds that quote the input or give a message
    std::uint64_t index = 0;  // IllegalMove: the move's 0-based index on the main line

    static Self of(Kind k, SfenError sfen = {}, std::string text = {}, std::uint64_t index = 0) {
        Self out;
        out.kind = k;
        out.sfen = std::move(sfen);
        out.text = std::move(text);
        out.index = index;
        return out;
    }
    static Self of_sfen(SfenError e) { return of(Kind::Sfen, std::move(e)); }
    static Self of_text(Kind k, std::string text) { return of(k, {}, std::move(text)); }
    static Self illegal_move(std::uint64_t index) { return of(Kind::IllegalMove, {}, {}, index); }
    bool operator==(const FormatError&) const = default;
};

// The leads are indexed by kind.
template <class Self, class Kind, Kind D, std::size_t N>
std::string format_error_display(const FormatError<Self, Kind, D>& e, const std::array<std::string_view, N>& leads) {
    std::string out(leads[static_cast<std::size_t>(e.kind)]);
    if (e.kind == Kind::Sfen) return out + sfen_error_display(e.sfen);
    if (e.kind == Kind::IllegalMove) return out + std::to_string(e.index);
    return out + utf8_replace_invalid(e.text);
}

}  // namespace korvan
