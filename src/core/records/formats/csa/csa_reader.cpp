#include "core/records/formats/csa/csa_reader.h"

#include "core/board/notation/move_text.h"
#include "core/board/position/legality.h"
#include "core/board/position/updates.h"
#include "core/records/formats/csa/csa_setup.h"
#include "core/records/formats/csa/csa_special.h"
#include "core/records/record_builder.h"
#include "core/records/time_text.h"
#include "core/util/decimal.h"
#include "core/util/lines.h"
#include "core/util/text.h"

namespace korvan {

namespace {

constexpr std::string_view EVAL_PREFIX = "'**評価値=";

bool starts_with(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

std::string_view strip_repeated(std::string_view text, std::string_view prefix) {
    while (starts_with(text, prefix)) text.remove_prefix(prefix.size());
    return text;
}

// CSA numbers have at most ten digits after their sign, leading zeros included.
constexpr std::size_t CSA_MAX_DIGITS = 10;

// "\\" gives a backslash and "\n" a line feed; any other backslash stays as it is.
std::string unescape_note(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size() && (value[i + 1] == '\\' || value[i + 1] == 'n')) {
            out += value[i + 1] == 'n' ? '\n' : '\\';
            ++i;
            continue;
        }
        out += value[i];
    }
    return out;
}

// Code points up to the limit, so that a long line is never counted in full.
bool has_at_most_chars(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return true;
    // A move ("+7776FU") is ASCII: one code point a byte.
    bool ascii = true;
    for (std::size_t i = 0; i <= limit; ++i) ascii &= static_cast<unsigned char>(text[i]) < 0x80;
    if (ascii) return false;
    std::size_t pos = 0;
    for (std::size_t n = 0; pos < text.size(); ++n) {
        if (n == limit) return false;
        utf8_next(text, pos);
    }
    return true;
}

enum class Phase : std::uint8_t { Moves, AfterTerminal, Done };

// The lines before the moves: metadata, the initial comment and the set-up.
struct CsaHeader {
    RecordMetadata metadata;
    std::vector<std::string_view> comment_lines;
    char side = 0;
    std::vector<std::string_view> position_lines;

    void header(std::string_view body) {
        const std::size_t colon = body.find(':');
        if (colon == std::string_view::npos) return;
        const std::string_view key = trim_line(body.substr(0, colon));
        const std::string_view value = trim_line(body.substr(colon + 1));
        using MK = RecordMetadataKey;
        if (key == "EVENT") metadata.set(MK::Event, std::string(value));
        else if (key == "SITE") metadata.set(MK::Site, std::string(value));
        else if (key == "START_TIME") metadata.set(MK::StartDate, std::string(value));
        else if (key == "END_TIME") metadata.set(MK::EndDate, std::string(value));
        else if (key == "NOTE") metadata_append_line(metadata, unescape_note(value));
        else if (key == "TIME_LIMIT" || key == "TIME") metadata.time_control = csa_time_control_parse(value);
        else if (key == "TIME+") metadata.black_time_control = csa_time_control_parse(value);
        else if (key == "TIME-") metadata.white_time_control = csa_time_control_parse(value);
        else if (key == "MAX_MOVES") metadata.max_moves = parse_decimal<std::uint32_t>(value, CSA_MAX_DIGITS).ok();
        else if (key == "JISHOGI") metadata.impasse_rule = std::string(value);
        else metadata.attributes.insert_or_assign(std::string(key), std::string(value));
    }

    // One line before the moves; true when it is the first line of the moves. Only
    // "+" and "-" set the side: a "%" line, however short, is the special move, so a
    // game with no moves keeps its terminal.
    bool before_moves(std::string_view line) {
        if (starts_with(line, "'CSA encoding=")) return false;
        switch (line.front()) {
            case '$': header(line.substr(1)); return false;
            case '\'':
                if (auto text = csa_move_comment_text(line); text && !text->empty()) comment_lines.push_back(*text);
                return false;
            case 'N':
                if (line.size() >= 2 && line[1] == '+')
                    metadata.set(RecordMetadataKey::BlackPlayer, std::string(trim_line(line.substr(2))));
                if (line.size() >= 2 && line[1] == '-')
                    metadata.set(RecordMetadataKey::WhitePlayer, std::string(trim_line(line.substr(2))));
                return false;
            case 'P': position_lines.push_back(line); return false;
            case '%': return true;
            case '+':
            case '-':
                if (!has_at_most_chars(line, 6)) return true;
                side = line.front();
                return false;
            default: return false;
        }
    }
};

// The common "T12": whole seconds, six digits at most, which cannot overflow; nothing
// for any other form.
std::optional<std::uint32_t> whole_seconds_ms(std::string_view item) {
    if (item.size() < 2 || item.size() > 7 || item.front() != 'T') return std::nullopt;
    std::uint32_t seconds = 0;
    for (std::size_t i = 1; i < item.size(); ++i) {
        if (!is_ascii_digit(item[i])) return std::nullopt;
        seconds = seconds * 10 + static_cast<unsigned>(item[i] - '0');
    }
    return seconds * 1000;
}

CsaError build_error(const BuildError& e) {
    if (e.kind == BuildError::Kind::Sfen) return CsaError::of_sfen(e.sfen);
    return CsaError::invalid_line(build_error_display(e));
}

// One item of the moves: a move, a time, a comment, an evaluation or the terminal.
Expected<Phase, CsaError> move_item(std::string_view item, RecordBuilder& builder) {
    switch (item.front()) {
        case '\'':
            if (starts_with(item, EVAL_PREFIX)) {
                const auto value = parse_decimal<std::int32_t>(strip_repeated(item, EVAL_PREFIX), CSA_MAX_DIGITS);
                if (value) builder.evaluation(*value);
            } else if (auto text = csa_move_comment_text(item); text && !text->empty()) {
                builder.comment(*text);
            }
            return Phase::Moves;
        case 'T': {
            // Before the first move a time belongs to no move.
            auto ms = whole_seconds_ms(item);
            if (!ms) ms = parse_csa_time(item);
            if (ms && builder.line_moves() > 0) builder.time(*ms);
            return Phase::Moves;
        }
        case '+':
        case '-': {
            if (has_at_most_chars(item, 6)) return unexpected(CsaError::invalid_move_line(std::string(item)));
            const auto played = builder.play(position_move_from_csa(builder.position(), item.substr(1, 6)));
            if (!played) return unexpected(build_error(played.error()));
            if (*played == RecordBuilder::Played::Illegal) return unexpected(CsaError::illegal_move(builder.line_moves()));
            return Phase::Moves;
        }
        case '%':
            builder.end(parse_csa_special(item, builder.position().side_to_move));
            return Phase::AfterTerminal;
        default: return unexpected(CsaError::invalid_line(std::string(item)));
    }
}

// After the terminal only comments and times are read, for the terminal.
Phase terminal_item(std::string_view item, RecordBuilder& builder) {
    if (item.front() == '\'') {
        if (auto text = csa_move_comment_text(item); text && !text->empty()) builder.comment(*text);
        return Phase::AfterTerminal;
    }
    if (item.front() == 'T') {
        if (auto ms = parse_csa_time(item)) builder.time(*ms);
        return Phase::AfterTerminal;
    }
    return Phase::Done;
}

Expected<Phase, CsaError> read_item(std::string_view item, Phase phase, RecordBuilder& builder) {
    if (phase == Phase::Moves) return move_item(item, builder);
    return terminal_item(item, builder);
}

}  // namespace

std::optional<std::uint32_t> parse_csa_time(std::string_view item) {
    if (item.empty() || item.front() != 'T') return std::nullopt;
    if (const auto ms = whole_seconds_ms(item)) return ms;
    item = starts_with(item, "T=") ? strip_repeated(item, "T=") : strip_repeated(item, "T");
    return parse_time_text_ms(item);
}

std::optional<std::string_view> csa_move_comment_text(std::string_view line) {
    // "' *": a comment whose text begins with "*", never an engine line.
    if (starts_with(line, "' *")) return trim_line(line.substr(3));
    if (!starts_with(line, "'*") || starts_with(line, "'** ") || starts_with(line, EVAL_PREFIX)) return std::nullopt;
    return trim_line(line.substr(2));
}

Expected<Record, CsaError> parse_csa(std::string_view text) {
    LineReader reader(text, LineEnds::Lf);
    // Every line is read trimmed.
    const auto next_line = [&reader](std::string_view& line) {
        if (!reader.next(line)) return false;
        line = trim_line(line);
        return true;
    };
    CsaHeader header;
    std::string_view line;
    bool moves_start = false;
    while (next_line(line)) {
        if (!line.empty() && header.before_moves(line)) {
            moves_start = true;
            break;
        }
    }

    const auto setup = csa_setup(header.position_lines, header.side);
    if (!setup) return unexpected(setup.error());
    auto state = setup_state(*setup, HandOrder::PawnFirst);
    if (!state) return unexpected(CsaError::of_sfen(std::move(state.error())));
    auto record = record_new(setup_sfen(*setup, HandOrder::PawnFirst));
    if (!record) return unexpected(CsaError::invalid_line(record_error_display(record.error())));
    RecordBuilder builder(std::move(*record), position_from_state(*state), Branches::None, text.size() / 12);
    for (std::string_view comment : header.comment_lines) builder.comment(comment);

    Phase phase = Phase::Moves;
    for (bool more = moves_start; more && phase != Phase::Done; more = next_line(line)) {
        if (line.empty()) continue;
        // Header, comment and name lines are whole; any other line may hold several
        // items separated by commas ("+7776FU,T12").
        if (line.front() == '$' || line.front() == '\'' || line.front() == 'N') {
            auto next = read_item(line, phase, builder);
            if (!next) return unexpected(next.error());
            phase = *next;
            continue;
        }
        for (std::size_t start = 0; start <= line.size() && phase != Phase::Done;) {
            // Items are a few bytes long: a plain loop finds the comma sooner than a call.
            std::size_t comma = start;
            while (comma < line.size() && line[comma] != ',') ++comma;
            const std::string_view piece = trim_line(line.substr(start, comma - start));
            start = comma + 1;
            if (piece.empty()) continue;
            auto next = read_item(piece, phase, builder);
            if (!next) return unexpected(next.error());
            phase = *next;
        }
    }

    auto built = builder.finish(std::move(header.metadata));
    if (!built) return unexpected(build_error(built.error()));
    return std::move(*built);
}

}  // namespace korvan
