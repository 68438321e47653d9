#include "core/records/formats/kif/ki2_reader.h"

#include "core/records/formats/kif/japanese_reader.h"
#include "core/records/formats/kif/ki2_resolver.h"
#include "core/util/kanji.h"

namespace korvan {

namespace {

bool opens_ki2_moves(std::string_view line) {
    if (line.starts_with("変化：") || line.starts_with("まで") || line.starts_with("同")) return true;
    for (std::string_view mark : {"▲", "△", "▼", "▽", "☗", "☖"})
        if (line.starts_with(mark)) return true;
    if (!line.empty() && is_ascii_digit(line[0])) return true;
    return full_width_digit_at(line) >= 1;
}

bool is_comment(std::string_view line) { return line.front() == '*' || line.front() == '\''; }

// The KI2 lines of a move section: every line that is nothing else holds move tokens,
// each resolved, tested and played on its own position before the next is read.
struct Ki2Moves {
    using Error = Ki2Error;
    static constexpr std::size_t MOVES_PER_LINE = 6;
    static constexpr bool CLOSING_WORDS = true;
    std::string token_buffer;

    KifLineKind classify(std::string_view t, bool) const {
        if (t.starts_with(KIF_EVALUATION_PREFIX)) return KifLineKind::Evaluation;
        if (is_comment(t)) return KifLineKind::Comment;
        // Bookmarks and display directives of the format's editors: no record content.
        if (t.starts_with('&')) return KifLineKind::Ignored;
        if (contains_word(t, "消費時間")) return KifLineKind::Time;
        // Lines for programs to pass over, wherever they stand.
        if (t.front() == '#') return KifLineKind::Ignored;
        if (t.starts_with("手数")) return KifLineKind::Ignored;
        return KifLineKind::Moves;
    }

    // The leading run of the line's mark removed (in a variation, the run of either
    // mark), then trimmed.
    std::string_view comment_text(std::string_view line, bool variation) const {
        const char mark = line.front();
        while (!line.empty() &&
               (line.front() == mark || (variation && (line.front() == '*' || line.front() == '\''))))
            line.remove_prefix(1);
        return trim_line(line);
    }

    Expected<bool, Ki2Error> read_moves(std::string_view t, RecordBuilder& builder, bool variation) {
        Ki2Tokens tokens(t, token_buffer);
        while (const auto token = tokens.next()) {
            const auto move = resolve_ki2_token(builder.position(), *token, builder.has_previous(), builder.previous());
            Expected<RecordBuilder::Played, BuildError> played = RecordBuilder::Played::Illegal;
            if (move) played = builder.play(builder.widen(move->move));
            // No reading, or an illegal one: the token may fit exactly one legal move.
            if (played && *played == RecordBuilder::Played::Illegal)
                if (const auto legal = resolve_ki2_token_legally(builder.position(), *token, builder.has_previous(),
                                                                 builder.previous()))
                    played = builder.play(builder.widen(legal->move));
            if (!played) return unexpected(kif_build_error<Ki2Error>(played.error()));
            if (*played == RecordBuilder::Played::Yes) continue;
            if (!move) return unexpected(Ki2Error::invalid_move(t));
            return unexpected(kif_illegal_move_error<Ki2Error>(builder, t, variation));
        }
        return true;
    }
};

}  // namespace

Expected<Record, Ki2Error> parse_ki2(std::string_view text) {
    Ki2Moves moves;
    return read_japanese_record(text, opens_ki2_moves, moves);
}

}  // namespace korvan
