#include "core/book/yaneuraou_book.h"

#include <cstring>
#include <utility>

#include "core/board/position/parser.h"
#include "core/util/source_lines.h"

namespace korvan {

namespace {

using LineReader = SourceLineReader<BookSource>;

constexpr std::string_view CHANGED =
    "yaneuraou db changed since it was validated; call validate_full or use lookup_sfen_by_scan";

BookError too_long(std::uint64_t line_number) {
    return BookError::invalid_data(yaneuraou_line_error(line_number, line_too_long_display(YANEURAOU_LINE_CAP)));
}

// The next line of a reader, decoded and parsed; none at the end of the source. Lines
// are numbered from 1 by the caller's counter.
Expected<std::optional<YaneuraOuLine>, BookError> next_line(LineReader& reader, std::uint64_t& line_number) {
    std::string_view bytes;
    auto step = reader.next(bytes);
    if (!step) return unexpected(std::move(step.error()));
    if (*step == SourceLine::End) return std::optional<YaneuraOuLine>{};
    ++line_number;
    if (*step == SourceLine::TooLong) return unexpected(too_long(line_number));
    auto text = yaneuraou_decode_line(line_number, bytes);
    if (!text) return unexpected(std::move(text.error()));
    auto line = yaneuraou_parse_line(line_number, *text);
    if (!line) return unexpected(std::move(line.error()));
    return std::optional<YaneuraOuLine>(std::move(*line));
}

// The first line start at or after `mid` (> 0), or none when the source ends first.
// Found by the byte before it, else by the line feed after it; more than a line's cap
// of bytes without one is the too-long line.
Expected<std::optional<std::uint64_t>, BookError> line_start_at(BookSource& source, std::uint64_t mid) {
    constexpr std::size_t BLOCK = 1024;
    std::uint8_t block[BLOCK + 1];
    auto got = source.read_at(mid - 1, std::span<std::uint8_t>(block, BLOCK + 1));
    if (!got) return unexpected(std::move(got.error()));
    if (*got == 0) return std::optional<std::uint64_t>{};
    if (block[0] == '\n') return std::optional<std::uint64_t>(mid);
    std::size_t count = *got - 1;  // bytes from mid in the block
    const std::uint8_t* data = block + 1;
    std::uint64_t scanned = 0;  // bytes from mid before this block
    for (;;) {
        if (const void* feed = std::memchr(data, '\n', count)) {
            const std::uint64_t distance = scanned + static_cast<std::uint64_t>(static_cast<const std::uint8_t*>(feed) - data);
            if (distance > YANEURAOU_LINE_CAP) return unexpected(too_long(1));
            return std::optional<std::uint64_t>(mid + distance + 1);
        }
        scanned += count;
        if (scanned > YANEURAOU_LINE_CAP) return unexpected(too_long(1));
        if (count < BLOCK) return std::optional<std::uint64_t>{};
        got = source.read_at(mid + scanned, std::span<std::uint8_t>(block, BLOCK));
        if (!got) return unexpected(std::move(got.error()));
        data = block;
        count = *got;
    }
}

struct Candidate {
    YaneuraOuSfen position;
    std::uint64_t after = 0;  // the offset just after its line
};

// The first position line from `start` whose line starts before `hi`.
Expected<std::optional<Candidate>, BookError> probe(BookSource& source, std::uint64_t start, std::uint64_t hi) {
    LineReader reader(source, start, YANEURAOU_LINE_CAP);
    std::uint64_t line_number = 0;
    while (reader.position() < hi) {
        auto line = next_line(reader, line_number);
        if (!line) return unexpected(std::move(line.error()));
        if (!*line) break;
        if ((*line)->kind == YaneuraOuLineKind::Position)
            return std::optional<Candidate>(Candidate{std::move((*line)->position), reader.position()});
    }
    return std::optional<Candidate>{};
}

// The entry of a position line: the lines after it up to the next position line.
Expected<YaneuraOuEntry, BookError> read_entry(BookSource& source, Candidate found) {
    YaneuraOuEntry entry;
    entry.sfen = std::move(found.position.sfen);
    entry.min_ply = found.position.min_ply;
    LineReader reader(source, found.after, YANEURAOU_LINE_CAP);
    std::uint64_t line_number = 0;
    for (;;) {
        auto line = next_line(reader, line_number);
        if (!line) return unexpected(std::move(line.error()));
        if (!*line || (*line)->kind == YaneuraOuLineKind::Position) return entry;
        yaneuraou_gather(entry, **line);
    }
}

YaneuraOuBook::Lookup bisect(BookSource& source, const std::string& query, std::uint64_t size) {
    std::uint64_t lo = 0;
    std::uint64_t hi = size;
    while (lo < hi) {
        const std::uint64_t mid = lo + (hi - lo) / 2;
        std::optional<std::uint64_t> start = 0;
        if (mid > 0) {
            auto found = line_start_at(source, mid);
            if (!found) return unexpected(std::move(found.error()));
            start = *found;
        }
        std::optional<Candidate> candidate;
        if (start) {
            auto probed = probe(source, *start, hi);
            if (!probed) return unexpected(std::move(probed.error()));
            candidate = std::move(*probed);
        }
        if (!candidate) {
            hi = mid;
            continue;
        }
        const int order = query.compare(candidate->position.sfen);
        if (order > 0) {
            lo = candidate->after;
        } else if (order < 0) {
            hi = mid;
        } else {
            auto entry = read_entry(source, std::move(*candidate));
            if (!entry) return unexpected(std::move(entry.error()));
            return std::optional<YaneuraOuEntry>(std::move(*entry));
        }
    }
    return std::optional<YaneuraOuEntry>{};
}

YaneuraOuOrdering sorted(std::uint64_t rows, bool complete) {
    YaneuraOuOrdering out;
    out.checked_rows = rows;
    out.complete = complete;
    return out;
}

}  // namespace

const char* yaneuraou_ordering_name(YaneuraOuOrdering::Kind kind) {
    switch (kind) {
        case YaneuraOuOrdering::Kind::Sorted: return "sorted";
        case YaneuraOuOrdering::Kind::Unsorted: return "unsorted";
        case YaneuraOuOrdering::Kind::InvalidHeader: return "invalid_header";
    }
    return "";
}

Expected<YaneuraOuOrdering, BookError> yaneuraou_check_ordering(BookSource& source, bool limited) {
    LineReader reader(source, 0, YANEURAOU_LINE_CAP);
    std::uint64_t line_number = 0;
    std::uint64_t rows = 0;
    std::uint64_t total = 0;
    std::string previous;
    std::string_view bytes;
    for (;;) {
        auto step = reader.next(bytes);
        if (!step) return unexpected(std::move(step.error()));
        if (*step == SourceLine::End) return sorted(rows, true);
        ++line_number;
        if (*step == SourceLine::TooLong) return unexpected(too_long(line_number));
        if (__builtin_add_overflow(total, bytes.size(), &total))
            return unexpected(BookError::invalid_data("yaneuraou validation byte count overflow"));
        auto text = yaneuraou_decode_line(line_number, bytes);
        if (!text) return unexpected(std::move(text.error()));
        // Move lines are not parsed here: only the order of the positions is checked.
        if (text->starts_with(YANEURAOU_HEADER_PREFIX)) {
            if (*text == YANEURAOU_HEADER) continue;
            YaneuraOuOrdering out;
            out.kind = YaneuraOuOrdering::Kind::InvalidHeader;
            out.complete = false;
            return out;
        }
        if (!text->starts_with("sfen ")) continue;
        auto position = yaneuraou_parse_sfen_line(line_number, text->substr(5));
        if (!position) return unexpected(std::move(position.error()));
        ++rows;
        if (rows > 1 && previous >= position->sfen) {
            YaneuraOuOrdering out;
            out.kind = YaneuraOuOrdering::Kind::Unsorted;
            out.complete = false;
            out.checked_rows = rows;
            out.line_number = line_number;
            out.previous_sfen = std::move(previous);
            out.current_sfen = std::move(position->sfen);
            return out;
        }
        previous.swap(position->sfen);
        // After the comparison: the last line of the limit is compared too.
        if (limited && rows == YANEURAOU_QUICK_CHECK_ROWS) return sorted(rows, false);
    }
}

Expected<YaneuraOuBook, BookError> YaneuraOuBook::open(const std::string& path) {
    auto source = BookSource::open(path);
    if (!source) return unexpected(std::move(source.error()));
    return build(path, nullptr, *source);
}

Expected<YaneuraOuBook, BookError> YaneuraOuBook::from_bytes(Bytes bytes) {
    auto held = std::make_shared<BookSource>(BookSource::from_bytes(std::move(bytes)));
    BookSource& source = *held;
    return build({}, std::move(held), source);
}

Expected<YaneuraOuBook, BookError> YaneuraOuBook::build(std::string path, std::shared_ptr<BookSource> held,
                                                        BookSource& source) {
    auto ordering = yaneuraou_check_ordering(source, true);
    if (!ordering) return unexpected(std::move(ordering.error()));
    YaneuraOuBook book;
    book.path_ = std::move(path);
    book.held_ = std::move(held);
    book.ordering_ = std::move(*ordering);
    book.identity_ = source.identity();
    return book;
}

Expected<BookSource*, BookError> YaneuraOuBook::source(std::optional<BookSource>& opened) const {
    if (held_) return held_.get();
    auto file = BookSource::open(path_);
    if (!file) return unexpected(std::move(file.error()));
    opened.emplace(std::move(*file));
    return &*opened;
}

Expected<YaneuraOuOrdering, BookError> YaneuraOuBook::validate_full() {
    std::optional<BookSource> opened;
    auto src = source(opened);
    if (!src) return unexpected(std::move(src.error()));
    auto ordering = yaneuraou_check_ordering(**src, false);
    if (!ordering) return unexpected(std::move(ordering.error()));
    ordering_ = *ordering;
    identity_ = (*src)->identity();
    return ordering;
}

YaneuraOuBook::Lookup YaneuraOuBook::lookup_sfen(std::string_view sfen) const {
    switch (ordering_.kind) {
        case YaneuraOuOrdering::Kind::Sorted:
            if (!ordering_.complete)
                return unexpected(BookError::unsupported_feature(
                    "yaneuraou db ordering was only partially validated; call validate_full or use "
                    "lookup_sfen_by_scan"));
            break;
        case YaneuraOuOrdering::Kind::Unsorted:
            return unexpected(BookError::unsupported_feature("yaneuraou db is not sorted; use lookup_sfen_by_scan"));
        case YaneuraOuOrdering::Kind::InvalidHeader:
            return unexpected(BookError::invalid_format("unsupported yaneuraou book header"));
    }
    auto query = yaneuraou_parse_sfen_line(0, sfen);
    if (!query) return unexpected(std::move(query.error()));
    std::optional<BookSource> opened;
    auto src = source(opened);
    if (!src) return unexpected(std::move(src.error()));
    if ((*src)->identity() != identity_) return unexpected(BookError::unsupported_feature(CHANGED));
    return bisect(**src, query->sfen, identity_.size);
}

YaneuraOuBook::Lookup YaneuraOuBook::lookup_position(const Position& pos) const {
    return lookup_sfen(position_to_sfen(pos, pos.ply));
}

YaneuraOuBook::Lookup YaneuraOuBook::lookup_sfen_by_scan(std::string_view sfen) const {
    auto query = yaneuraou_parse_sfen_line(0, sfen);
    if (!query) return unexpected(std::move(query.error()));
    std::optional<BookSource> opened;
    auto src = source(opened);
    if (!src) return unexpected(std::move(src.error()));
    LineReader reader(**src, 0, YANEURAOU_LINE_CAP);
    std::uint64_t line_number = 0;
    // Only the entry of the query is gathered; every other line is parsed for its
    // errors and dropped.
    std::optional<YaneuraOuEntry> current;
    for (;;) {
        auto line = next_line(reader, line_number);
        if (!line) return unexpected(std::move(line.error()));
        if (!*line) return current;
        if ((*line)->kind == YaneuraOuLineKind::Position) {
            if (current) return current;
            if ((*line)->position.sfen == query->sfen) {
                current.emplace();
                current->sfen = std::move((*line)->position.sfen);
                current->min_ply = (*line)->position.min_ply;
            }
        } else if (current) {
            yaneuraou_gather(*current, **line);
        }
    }
}

}  // namespace korvan
