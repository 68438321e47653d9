#include "core/book/sbk_book.h"

#include <algorithm>
#include <deque>
#include <limits>

#include "core/board/position/legality.h"
#include "core/board/position/parser.h"
#include "core/board/position/updates.h"
#include "core/util/panic.h"

namespace korvan {

namespace {

constexpr std::uint64_t NO_SLOT = std::numeric_limits<std::uint64_t>::max();

template <class T>
Unexpected<BookError> fail(const Expected<T, BookError>& e) {
    return unexpected(e.error());
}

// The order of the position index: the packed bytes read as eight little-endian
// 32-bit words, the first word first.
std::uint32_t key_word(const Packed32& p, int w) {
    return std::uint32_t{p[4 * w]} | std::uint32_t{p[4 * w + 1]} << 8 | std::uint32_t{p[4 * w + 2]} << 16 |
           std::uint32_t{p[4 * w + 3]} << 24;
}

int key_compare(const Packed32& a, const Packed32& b) {
    for (int w = 0; w < 8; ++w) {
        const std::uint32_t x = key_word(a, w), y = key_word(b, w);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

Unexpected<BookError> bad_state_sfen(const std::string& text) {
    return unexpected(BookError::invalid_data("invalid sbk state SFEN: " + text));
}

// A link waiting in the walk: the state it leads to and the position it reaches there.
struct QueuedLink {
    std::uint64_t state_index;
    Packed32 packed;
    std::uint16_t ply;
};

}  // namespace

// The breadth-first walk of the open. One live position serves every state: it is set
// up from the state's SFEN or from the queued snapshot, and each link is played on it
// and taken back.
class SbkWalk {
public:
    SbkWalk(SbkBook& book, BookSource& source, const SbkProgress& progress)
        : book_(book), source_(source), progress_(progress), visited_(book.rows_.size(), false) {
        auto start = position_from_sfen(STARTPOS_SFEN);
        if (!start) panic("Invalid startpos SFEN");
        position_ = std::move(*start);
        auto packed = position_to_packed_sfen(position_);
        if (!packed) panic("start position does not pack");
        start_packed_ = *packed;
        start_ply_ = position_.ply;
    }

    Expected<Ok, BookError> run() {
        const std::uint64_t n = book_.rows_.size();
        for (std::uint64_t r = 0; r < n; ++r) {
            if (visited_[r]) continue;
            auto state = sbk_read_state(source_, book_.rows_, r, buffer_, SbkDetail::Links);
            if (!state) return fail(state);
            if (!state->sfen && r != 0) continue;
            // The snapshot stands for state 0 without an SFEN; any SFEN replaces it.
            auto taken = take({r, start_packed_, start_ply_}, &*state);
            if (!taken) return taken;
            while (!queue_.empty()) {
                const QueuedLink link = queue_.front();
                queue_.pop_front();
                if (auto next = take(link, nullptr); !next) return next;
            }
        }
        return Ok{};
    }

    std::uint64_t visited_count() const { return visited_count_; }

private:
    // Indexes the state a link (or a root) leads to; `decoded` is the state when the
    // caller has just read it.
    Expected<Ok, BookError> take(const QueuedLink& link, SbkState* decoded) {
        const std::uint64_t i = link.state_index;
        if (visited_[i]) return Ok{};
        visited_[i] = true;
        ++visited_count_;
        SbkState read;
        if (!decoded) {
            auto state = sbk_read_state(source_, book_.rows_, i, buffer_, SbkDetail::Links);
            if (!state) return fail(state);
            read = std::move(*state);
            decoded = &read;
        }
        SbkPositionRecord record{link.packed, i, link.ply};
        if (decoded->sfen) {
            auto fields = parse_sfen_fields(*decoded->sfen);
            if (!fields) return bad_state_sfen(sfen_error_display(fields.error()));
            position_set(position_, *fields);
            auto packed = position_to_packed_sfen(position_);
            if (!packed) return bad_state_sfen(packed.error());
            record.packed = *packed;
            record.ply = position_.ply;
        } else {
            auto state = packed_sfen_to_state(link.packed, link.ply);
            if (!state)
                return unexpected(BookError::invalid_data(std::string("invalid SBK Packed SFEN index row: ") +
                                                          packed_sfen_error_debug(state.error())));
            position_set_decoded(position_, *state);
        }
        book_.slots_[i] = book_.indexed_.size();
        book_.indexed_.push_back(record);
        queue_links(*decoded);
        if (progress_ && !progress_(SbkOpenProgress{book_.indexed_.size(), book_.rows_.size()}))
            return unexpected(BookError::cancelled());
        return Ok{};
    }

    void queue_links(const SbkState& state) {
        const std::uint64_t n = book_.rows_.size();
        for (const SbkStateMove& m : state.moves) {
            if (!m.next_state_id) continue;
            const std::uint64_t t = book_.index_of_id(*m.next_state_id);
            if (t >= n || visited_[t] || !m.raw_move) continue;
            const auto mv = sbk_move_to_move(*m.raw_move);
            if (!mv) continue;
            const Move32 m32 = position_move_to_move32(position_, *mv);
            if (!position_is_legal(position_, m32)) continue;
            position_do_move(position_, m32);
            // A legal move keeps every piece and both kings, so the position packs.
            auto packed = position_to_packed_sfen(position_);
            const std::uint16_t ply = position_.ply;
            (void)position_undo_move(position_, m32);
            if (packed) queue_.push_back({t, *packed, ply});
        }
    }

    SbkBook& book_;
    BookSource& source_;
    const SbkProgress& progress_;
    std::vector<bool> visited_;
    std::uint64_t visited_count_ = 0;
    std::deque<QueuedLink> queue_;
    Position position_;
    Packed32 start_packed_{};
    std::uint16_t start_ply_ = 1;
    Bytes buffer_;
};

Expected<SbkBook, BookError> SbkBook::open(const std::string& path, const SbkProgress& progress) {
    auto source = BookSource::open(path);
    if (!source) return fail(source);
    auto book = build(*source, progress);
    if (!book) return book;
    book->path_ = path;
    return book;
}

Expected<SbkBook, BookError> SbkBook::from_bytes(Bytes bytes, const SbkProgress& progress) {
    auto held = std::make_shared<BookSource>(BookSource::from_bytes(std::move(bytes)));
    auto book = build(*held, progress);
    if (!book) return book;
    book->held_ = std::move(held);
    return book;
}

Expected<SbkBook, BookError> SbkBook::build(BookSource& source, const SbkProgress& progress) {
    auto scan = sbk_scan(source);
    if (!scan) return fail(scan);
    if (scan->rows.empty()) return unexpected(BookError::invalid_format("sbk contains no states"));
    SbkBook book;
    book.identity_ = source.identity();
    book.rows_ = std::move(scan->rows);
    book.author_ = std::move(scan->author);
    book.description_ = std::move(scan->description);
    const std::uint64_t n = book.rows_.size();

    for (std::uint64_t i = 0; i < n; ++i) {
        const SbkStateRow& row = book.rows_[i];
        const auto id = static_cast<std::int32_t>(row.state_id);
        if (row.has_state_id && id >= 0) book.ids_.emplace_back(id, i);
    }
    // Sorted by id, then by place: the first state with an id keeps it.
    std::sort(book.ids_.begin(), book.ids_.end());
    book.ids_.erase(std::unique(book.ids_.begin(), book.ids_.end(),
                                [](const auto& a, const auto& b) { return a.first == b.first; }),
                    book.ids_.end());
    book.ids_.shrink_to_fit();

    book.slots_.assign(n, NO_SLOT);
    SbkWalk walk(book, source, progress);
    if (auto walked = walk.run(); !walked) return fail(walked);

    std::vector<std::uint64_t>& sorted = book.sorted_;
    sorted.resize(book.indexed_.size());
    for (std::uint64_t i = 0; i < sorted.size(); ++i) sorted[i] = i;
    const auto& indexed = book.indexed_;
    std::stable_sort(sorted.begin(), sorted.end(), [&](std::uint64_t a, std::uint64_t b) {
        return key_compare(indexed[a].packed, indexed[b].packed) < 0;
    });
    sorted.erase(std::unique(sorted.begin(), sorted.end(),
                             [&](std::uint64_t a, std::uint64_t b) { return indexed[a].packed == indexed[b].packed; }),
                 sorted.end());
    sorted.shrink_to_fit();
    book.indexed_.shrink_to_fit();
    book.diagnostics_.duplicate_positions = book.indexed_.size() - sorted.size();
    book.diagnostics_.unresolved_next_states = n - std::min(n, walk.visited_count());
    return book;
}

const SbkPositionRecord* SbkBook::record_of(std::uint64_t index) const {
    if (index >= slots_.size() || slots_[index] == NO_SLOT) return nullptr;
    return &indexed_[slots_[index]];
}

std::uint64_t SbkBook::index_of_id(std::int32_t state_id) const {
    const auto it = std::lower_bound(ids_.begin(), ids_.end(), state_id,
                                     [](const auto& entry, std::int32_t id) { return entry.first < id; });
    if (it == ids_.end() || it->first != state_id) return rows_.size();
    return it->second;
}

SbkBook::Lookup SbkBook::entry_of(const SbkPositionRecord& record) const {
    std::optional<BookSource> opened;
    BookSource* source = held_.get();
    if (!source) {
        auto file = BookSource::open(path_);
        if (!file) return fail(file);
        if (file->identity() != identity_)
            return unexpected(BookError::invalid_data("sbk file changed since it was opened"));
        opened.emplace(std::move(*file));
        source = &*opened;
    }
    Bytes buffer;
    auto state = sbk_read_state(*source, rows_, record.state_index, buffer, SbkDetail::All);
    if (!state) return fail(state);
    auto position = packed_sfen_to_state(record.packed, record.ply);
    if (!position)
        return unexpected(BookError::invalid_data(std::string("invalid SBK Packed SFEN index row: ") +
                                                  packed_sfen_error_debug(position.error())));
    SbkEntry entry;
    entry.sfen = sfen_fields_text(position->board, position->side_to_move, position->hands) + " " +
                 std::to_string(record.ply);
    entry.moves.reserve(state->moves.size());
    for (const SbkStateMove& m : state->moves) {
        if (!m.raw_move) continue;
        const auto mv = sbk_move_to_move(*m.raw_move);
        if (!mv) continue;
        entry.moves.push_back(SbkMove{m.evaluation, m.weight, m.next_state_id, *m.raw_move, *mv});
    }
    entry.evals = std::move(state->evals);
    entry.comment = std::move(state->comment);
    entry.state_id = state->state_id;
    entry.games = state->games;
    entry.won_black = state->won_black;
    entry.won_white = state->won_white;
    entry.state_index = record.state_index;
    return std::optional<SbkEntry>(std::move(entry));
}

SbkBook::Lookup SbkBook::lookup_state_index(std::uint64_t index) const {
    const SbkPositionRecord* record = record_of(index);
    if (!record) return std::optional<SbkEntry>();
    return entry_of(*record);
}

SbkBook::Lookup SbkBook::lookup_state_id(std::int32_t state_id) const {
    if (state_id < 0) return std::optional<SbkEntry>();
    return lookup_state_index(index_of_id(state_id));
}

SbkBook::Lookup SbkBook::lookup_position(const Position& pos) const {
    // No state of an opened book holds a position that does not pack.
    const auto packed = position_to_packed_sfen(pos);
    if (!packed) return std::optional<SbkEntry>();
    const auto it = std::lower_bound(sorted_.begin(), sorted_.end(), *packed, [&](std::uint64_t place, const Packed32& key) {
        return key_compare(indexed_[place].packed, key) < 0;
    });
    if (it == sorted_.end() || indexed_[*it].packed != *packed) return std::optional<SbkEntry>();
    return entry_of(indexed_[*it]);
}

SbkBook::Lookup SbkBook::lookup_sfen(std::string_view sfen) const {
    auto pos = position_from_sfen(sfen);
    if (!pos) return unexpected(BookError::invalid_data(sfen_error_display(pos.error())));
    return lookup_position(*pos);
}

SbkBook::Lookup SbkBook::child_entry(const SbkEntry& parent, std::uint64_t move_index) const {
    if (move_index >= parent.moves.size() || !parent.moves[move_index].next_state_id) return std::optional<SbkEntry>();
    return lookup_state_id(*parent.moves[move_index].next_state_id);
}

}  // namespace korvan
