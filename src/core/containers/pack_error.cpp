#include "core/containers/pack_error.h"

#include <array>
#include <cstdio>

#include "core/util/decimal.h"
#include "core/util/text.h"

namespace korvan {

namespace {

struct ReasonNames {
    const char* name;
    const char* debug;
};

// Indexed by code, 0..13; the reserved codes 7..9 have no names.
constexpr std::array<ReasonNames, 14> REASONS = {{
    {"resign", "Resign"},
    {"draw", "RepetitionDraw"},
    {"max_moves", "MaxMoves"},
    {"interrupt", "Interrupt"},
    {"time_up", "TimeUp"},
    {"illegal_move", "IllegalMove"},
    {"repetition_check", "RepetitionCheck"},
    {nullptr, nullptr},
    {nullptr, nullptr},
    {nullptr, nullptr},
    {"win_csa24", "WinCsa24"},
    {"draw_csa24", "DrawCsa24"},
    {"win_csa27", "WinCsa27"},
    {"win_try_rule", "WinTryRule"},
}};

std::string hex4(std::uint16_t v) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04x", v);
    return buffer;
}

// Indexed by PackResult.
constexpr std::array<const char*, 3> PACK_RESULT_NAMES = {"Draw", "BlackWin", "WhiteWin"};

}  // namespace

std::string pack_end_reason_name(PackEndReason r) {
    if (r.reserved()) return std::to_string(r.code);
    return REASONS[r.code].name;
}

namespace {

// "Resign", ..., "Reserved(n)".
std::string pack_end_reason_debug(PackEndReason r) {
    if (r.reserved()) return tuple_debug("Reserved", r.code);
    return REASONS[r.code].debug;
}

}  // namespace

std::optional<PackEndReason> pack_end_reason_from_text(std::string_view rest) {
    for (std::size_t code = 0; code < REASONS.size(); ++code)
        if (REASONS[code].name && rest == REASONS[code].name)
            return PackEndReason{static_cast<std::uint8_t>(code)};
    const auto code = parse_decimal<std::uint8_t>(rest);
    if (!code) return std::nullopt;
    return PackEndReason{*code};
}

std::string pack_error_display(const PackError& e) {
    using K = PackError::Kind;
    switch (e.kind) {
        case K::Truncated: return "truncated pack data";
        case K::InvalidStartState: return "invalid pack start state: " + std::to_string(e.number);
        case K::InvalidTerminalMarker:
            return "invalid pack terminal marker: 0x" + hex4(static_cast<std::uint16_t>(e.number));
        case K::InvalidMove: return "invalid pack move at ply " + std::to_string(e.number) + ": 0x" + hex4(e.word);
        case K::IllegalMove:
            return "illegal pack move at ply " + std::to_string(e.number) + ": 0x" + hex4(e.word) + " on " + e.text;
        case K::MissingEval: return "missing eval for record move " + std::to_string(e.number);
        case K::MissingTerminal: return "pack export requires a terminal result";
        case K::Hcp: return hcp_error_display(e.hcp);
        case K::Sfen: return sfen_error_display(e.sfen);
        case K::Record: return record_error_display(e.record);
        case K::InconsistentOutcome:
            return std::string("inconsistent pack outcome: result=") + PACK_RESULT_NAMES[static_cast<std::size_t>(e.result)] +
                   ", reason=" + pack_end_reason_debug(e.reason);
        case K::Io: return io_error_display(e.io);
        case K::UnencodablePosition: return e.text;
    }
    return {};
}

}  // namespace korvan
