#include "core/records/formats/csa/csa_reader.h"

#include "core/board/position/legality.h"
#include "core/board/notation/move_text.h"
#include "core/board/position/updates.h"
#include "core/records/formats/csa/csa_setup.h"
#include "core/records/formats/csa/csa_special.h"
#include "core/util/decimal.h"
#include "core/util/lines.h"
#include "core/records/reader_support.h"
#include "core/records/time_text.h"
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
    std::size_t pos = 0;
    for (std::size_t n = 0; pos < text.size(); ++n) {
        if (n == limit) return false;
        utf8_next(text, pos);
    }
    return true;
}

enum class Phase : std::uint8_t { Moves, AfterTerminal, Done };

struct CsaReader {
    RecordMetadata metadata;
    std::optional<std::string> initial_comment;
    char side = 0;
    std::vector<std::string_view> position_lines;
    std::vector<MoveEntry> moves;
    Position pos;
    std::uint64_t replay_counter = 0;
    std::optional<SpecialMoveEntry> terminal;

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
                if (auto text = csa_move_comment_text(line); text && !text->empty())
                    append_comment_line(initial_comment, *text);
                return false;
            case 'N':
                if (line.size() >= 2 && line[1] == '+') metadata.set(RecordMetadataKey::BlackPlayer, std::string(trim_line(line.substr(2))));
                if (line.size() >= 2 && line[1] == '-') metadata.set(RecordMetadataKey::WhitePlayer, std::string(trim_line(line.substr(2))));
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

    Annotations* last_annotations() { return moves.empty() ? nullptr : &moves.back().annotations; }

    Expected<Phase, CsaError> move_item(std::string_view item) {
        if (starts_with(item, EVAL_PREFIX)) {
            const auto value = parse_decimal<std::int32_t>(strip_repeated(item, EVAL_PREFIX), CSA_MAX_DIGITS);
            if (value && !moves.empty()) {
                auto& info = moves.back().annotations.engine_info;
                if (!info) info.emplace(EngineInfo{});
                engine_info_set_eval(*info, *value);
            }
            return Phase::Moves;
        }
        switch (item.front()) {
            case '\'':
                if (auto text = csa_move_comment_text(item); text && !text->empty())
                    append_comment_line(moves.empty() ? initial_comment : moves.back().annotations.comment, *text);
                return Phase::Moves;
            case 'T':
                if (auto ms = parse_csa_time(item); ms && !moves.empty())
                    moves.back().annotations.time = Duration::from_ms(*ms);
                return Phase::Moves;
            case '+':
            case '-': {
                if (has_at_most_chars(item, 6))
                    return unexpected(CsaError::of_text(CsaError::Kind::InvalidMoveLine, std::string(item)));
                const Move32 m = position_move_from_csa(pos, item.substr(1, 6));
                if (m == 0 || !position_is_legal(pos, m)) return unexpected(CsaError::illegal_move(moves.size()));
                position_do_move(pos, m);
                if (auto ok = replay_compact_history(pos, replay_counter); !ok)
                    return unexpected(CsaError::of_sfen(ok.error()));
                moves.push_back(MoveEntry{move16(m), {}});
                return Phase::Moves;
            }
            case '%':
                terminal.emplace();
                terminal->special = parse_csa_special(item, pos.side_to_move);
                return Phase::AfterTerminal;
            default: return unexpected(CsaError::of_text(CsaError::Kind::InvalidLine, std::string(item)));
        }
    }

    // After the terminal only comments and times are read, for the terminal.
    Phase terminal_item(std::string_view item) {
        if (item.front() == '\'') {
            if (auto text = csa_move_comment_text(item); text && !text->empty())
                append_comment_line(terminal->annotations.comment, *text);
            return Phase::AfterTerminal;
        }
        if (item.front() == 'T') {
            if (auto ms = parse_csa_time(item)) terminal->annotations.time = Duration::from_ms(*ms);
            return Phase::AfterTerminal;
        }
        return Phase::Done;
    }

    Expected<Phase, CsaError> item(std::string_view item, Phase phase) {
        if (phase == Phase::Moves) return move_item(item);
        return terminal_item(item);
    }
};

}  // namespace

std::optional<std::uint32_t> parse_csa_time(std::string_view item) {
    if (!starts_with(item, "T")) return std::nullopt;
    // The common "T12": whole seconds that cannot overflow.
    if (item.size() >= 2 && item.size() <= 7 && is_ascii_digit(item[1]))
        if (const auto seconds = parse_decimal<std::uint32_t>(item.substr(1))) return *seconds * 1000;
    item = starts_with(item, "T=") ? strip_repeated(item, "T=") : strip_repeated(item, "T");
    return parse_time_text_ms(item);
}

std::optional<std::string_view> csa_move_comment_text(std::string_view line) {
    if (!starts_with(line, "'*") || starts_with(line, "'** ") || starts_with(line, EVAL_PREFIX)) return std::nullopt;
    return trim_line(line.substr(2));
}

Expected<Record, CsaError> parse_csa(std::string_view text) {
    CsaReader r;
    r.moves.reserve(text.size() / 12);
    LineReader reader(text, LineEnds::Lf);
    // Every line is read trimmed.
    const auto next_line = [&reader](std::string_view& line) {
        if (!reader.next(line)) return false;
        line = trim_line(line);
        return true;
    };
    std::string_view line;
    bool moves_start = false;
    while (next_line(line)) {
        if (!line.empty() && r.before_moves(line)) {
            moves_start = true;
            break;
        }
    }

    auto sfen = csa_setup_sfen(r.position_lines, r.side);
    if (!sfen) return unexpected(sfen.error());
    auto fields = parse_sfen_fields(*sfen);
    if (!fields) return unexpected(CsaError::of_sfen(fields.error()));
    position_set(r.pos, *fields);

    Phase phase = Phase::Moves;
    for (bool more = moves_start; more && phase != Phase::Done; more = next_line(line)) {
        if (line.empty()) continue;
        // Header, comment and name lines are whole; any other line may hold several
        // items separated by commas ("+7776FU,T12").
        if (line.front() == '$' || line.front() == '\'' || line.front() == 'N') {
            auto next = r.item(line, phase);
            if (!next) return unexpected(next.error());
            phase = *next;
            continue;
        }
        for (std::size_t start = 0; start <= line.size() && phase != Phase::Done;) {
            std::size_t comma = line.find(',', start);
            if (comma == std::string_view::npos) comma = line.size();
            const std::string_view piece = trim_line(line.substr(start, comma - start));
            start = comma + 1;
            if (piece.empty()) continue;
            auto next = r.item(piece, phase);
            if (!next) return unexpected(next.error());
            phase = *next;
        }
    }

    auto record = record_from_main_line(std::move(*sfen), std::move(r.moves), std::move(r.terminal));
    if (!record)
        return unexpected(CsaError::of_text(CsaError::Kind::InvalidLine, record_error_display(record.error())));
    record->metadata = std::move(r.metadata);
    record_set_initial_comment(*record, std::move(r.initial_comment));
    return std::move(*record);
}

}  // namespace korvan
