#include "core/records/formats/kif/ki2_writer.h"

#include "core/board/notation/move_text.h"
#include "core/records/formats/kif/kif_move_lines.h"
#include "core/records/formats/kif/kif_writer_lines.h"
#include "core/records/formats/kif/kif_writer_tree.h"

namespace korvan {

namespace {

constexpr int TOKENS_PER_LINE = 6;
constexpr std::size_t TOKEN_COLUMNS = 12;

// Characters of a token, which move_to_ki2 makes of whole UTF-8 sequences.
std::size_t char_count(std::string_view token) {
    std::size_t n = 0;
    for (char c : token) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

struct Ki2Lines {
    int tokens = 0;               // on the line being written
    std::size_t last_length = 0;  // characters of its last token

    void after_start(std::string&) {}

    std::optional<Ki2Error> move(std::string& out, const Position& before, const KifWrittenMove& m,
                                 const KifLinePoint& line) {
        const auto token = move_to_ki2(m.move, before);
        if (!token) {
            if (m.variation)
                return Ki2Error::invalid_move("invalid variation move at ply " + std::to_string(line.ply + 1));
            return Ki2Error::invalid_move("invalid move at index " + std::to_string(line.ply));
        }
        // Short tokens line up in columns of two-column characters; long ones touch.
        if (tokens > 0 && last_length <= 5) out.append(TOKEN_COLUMNS - 2 * last_length, ' ');
        out += *token;
        last_length = char_count(*token);
        if (++tokens == TOKENS_PER_LINE) close_line(out);

        // Notes end the token line.
        if (!has_move_notes(m.node.annotations)) return std::nullopt;
        close_line(out);
        write_move_notes(out, m.node.annotations);
        return std::nullopt;
    }

    void close_line(std::string& out) {
        if (tokens == 0) return;
        out += '\n';
        tokens = 0;
    }

    void terminal(std::string& out, const RecordNode& node, Color side_to_move, std::uint64_t moves,
                  const KifLinePoint&) {
        out += '\n';
        out += write_kif_result_line(*node.special, side_to_move, moves);
        out += '\n';
    }
};

}  // namespace

Expected<std::string, Ki2Error> write_ki2(const Record& record) {
    Ki2Lines lines;
    return write_japanese_record<Ki2Format>(record, lines);
}

}  // namespace korvan
