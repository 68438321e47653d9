#pragma once
// An opened SBK book: the file's states indexed by position, place and id, the states
// themselves left in the file and decoded again for every lookup.
//
// Most states carry no position: a state's position is the one its linking move
// reaches. The open walks the links breadth-first from every state whose position is
// known (state 0, at the start position unless it has its own SFEN, and every state
// with an SFEN, in file order), plays each linked legal move and gives the state it
// leads to that position, unless the state has its own SFEN, which always wins. A
// queued link holds the packed position it reaches, not a live position: legality
// needs no history, and a live position costs a state chunk.
//
// Every lookup reads through a fresh handle on the path, after checking that the file
// still has the size and modification time it had at open ("sbk file changed since it
// was opened"); the offsets are only good for those bytes.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/board/notation/packed.h"
#include "core/board/position/position.h"
#include "core/book/book_error.h"
#include "core/book/sbk_file.h"
#include "core/book/source.h"
#include "core/util/expected.h"

namespace korvan {

struct SbkMove {
    std::optional<std::int32_t> evaluation;
    std::optional<std::int32_t> weight;
    std::optional<std::int32_t> next_state_id;
    std::int32_t raw_move = 0;
    Move mv = MOVE_NONE;

    bool operator==(const SbkMove&) const = default;
};

struct SbkEntry {
    std::string sfen;  // the indexed position, with the ply recorded at open
    std::vector<SbkMove> moves;  // the moves whose code converts, in file order
    std::vector<SbkEval> evals;
    std::optional<std::string> comment;
    std::optional<std::int32_t> state_id;
    std::optional<std::int32_t> games;
    std::optional<std::int32_t> won_black;
    std::optional<std::int32_t> won_white;
    std::uint64_t state_index = 0;

    bool operator==(const SbkEntry&) const = default;
};

struct SbkOpenProgress {
    std::uint64_t indexed_states = 0;  // this one included, duplicates too
    std::uint64_t total_states = 0;
};

struct SbkDiagnostics {
    std::uint64_t duplicate_positions = 0;
    std::uint64_t unresolved_next_states = 0;
};

struct SbkPositionRecord {
    Packed32 packed{};
    std::uint64_t state_index = 0;
    std::uint16_t ply = 0;
};

// Called after each indexed state; false stops the open with Cancelled.
using SbkProgress = std::function<bool(const SbkOpenProgress&)>;

class SbkBook {
public:
    static Expected<SbkBook, BookError> open(const std::string& path, const SbkProgress& progress = {});
    // The same over bytes in memory (tests, fuzzing); its lookups read those bytes.
    static Expected<SbkBook, BookError> from_bytes(Bytes bytes, const SbkProgress& progress = {});

    // Distinct indexed positions.
    std::size_t size() const { return sorted_.size(); }
    std::uint64_t state_count() const { return rows_.size(); }
    const std::optional<std::string>& author() const { return author_; }
    const std::optional<std::string>& description() const { return description_; }
    SbkDiagnostics diagnostics() const { return diagnostics_; }
    const std::vector<SbkStateRow>& rows() const { return rows_; }
    // The record of state `index`, if the walk reached it.
    const SbkPositionRecord* record_of(std::uint64_t index) const;

    using Lookup = Expected<std::optional<SbkEntry>, BookError>;
    Lookup lookup_state_index(std::uint64_t index) const;
    // Negative ids are never indexed.
    Lookup lookup_state_id(std::int32_t state_id) const;
    // History and ply are ignored; a position no packed form holds finds nothing.
    Lookup lookup_position(const Position& pos) const;
    // An SFEN that does not parse is InvalidData with the parser's text.
    Lookup lookup_sfen(std::string_view sfen) const;
    // Through move `move_index` of the parent's moves (from any book).
    Lookup child_entry(const SbkEntry& parent, std::uint64_t move_index) const;

private:
    friend class SbkWalk;
    SbkBook() = default;
    static Expected<SbkBook, BookError> build(BookSource& source, const SbkProgress& progress);
    Expected<BookSource, BookError> reopen() const;
    Lookup entry_of(const SbkPositionRecord& record) const;
    // The state index of an id, or the state count.
    std::uint64_t index_of_id(std::int32_t state_id) const;

    std::string path_;
    std::shared_ptr<BookSource> held_;  // a book made from bytes
    SourceIdentity identity_;
    std::vector<SbkStateRow> rows_;
    std::vector<SbkPositionRecord> indexed_;  // in indexing order
    std::vector<std::uint64_t> slots_;        // state index -> place in indexed_, or NO_SLOT
    std::vector<std::uint64_t> sorted_;       // places in indexed_, by key, one per position
    // (id, state index) ascending; of equal ids only the first state in the file.
    std::vector<std::pair<std::int32_t, std::uint64_t>> ids_;
    std::optional<std::string> author_;
    std::optional<std::string> description_;
    SbkDiagnostics diagnostics_;
};

}  // namespace korvan
