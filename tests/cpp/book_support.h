#pragma once
// Shared helpers of the book tests: a static book file written byte by byte from an
// ordered map (independent of the library's writer), random books, and a scratch
// directory.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/book/memory_book.h"
#include "core/book/static_book.h"

namespace korvan::test {

using BookMap = std::map<std::uint64_t, std::vector<BookMove>>;

inline void put_le(Bytes& out, std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// The file of a book whose keys and move runs are given in full, offsets included.
inline Bytes book_file(const std::vector<std::uint64_t>& keys, const std::vector<std::uint32_t>& offsets,
                       const std::vector<BookMove>& moves, std::uint64_t declared_keys, std::uint64_t declared_moves) {
    Bytes out = {'K', 'O', 'R', 'V', 'A', 'N', 'B', 'K'};
    put_le(out, 1, 2);
    put_le(out, 3, 2);
    put_le(out, 8, 1);
    put_le(out, 0, 1);
    put_le(out, declared_keys, 4);
    put_le(out, declared_moves, 4);
    for (std::uint64_t k : keys) put_le(out, k, 8);
    for (std::uint32_t o : offsets) put_le(out, o, 4);
    for (const BookMove& m : moves) {
        put_le(out, m.mv, 2);
        put_le(out, static_cast<std::uint16_t>(m.score), 2);
        put_le(out, m.depth, 2);
    }
    return out;
}

inline Bytes book_file(const BookMap& book) {
    std::vector<std::uint64_t> keys;
    std::vector<std::uint32_t> offsets{0};
    std::vector<BookMove> moves;
    for (const auto& [key, run] : book) {
        keys.push_back(key);
        moves.insert(moves.end(), run.begin(), run.end());
        offsets.push_back(static_cast<std::uint32_t>(moves.size()));
    }
    return book_file(keys, offsets, moves, keys.size(), moves.size());
}

inline BookMove random_book_move(std::mt19937_64& rng) {
    return BookMove{static_cast<Move>(rng()), static_cast<std::int16_t>(rng()), static_cast<std::uint16_t>(rng())};
}

// `inserts` random moves under keys drawn from a pool (so keys repeat, and a move is
// sometimes inserted twice), into the memory book and the ordered reference alike.
inline BookMap fill_random(MemoryBook& book, std::size_t inserts, std::mt19937_64& rng) {
    BookMap reference;
    std::vector<std::uint64_t> pool(1 + inserts / 3);
    for (std::uint64_t& k : pool) k = rng();
    pool[0] = 0;  // the smallest key
    if (pool.size() > 1) pool[1] = ~std::uint64_t{0};
    BookMove last{};
    for (std::size_t i = 0; i < inserts; ++i) {
        const std::uint64_t key = pool[rng() % pool.size()];
        const BookMove m = rng() % 8 == 0 ? last : random_book_move(rng);
        book.insert(key, m);
        reference[key].push_back(m);
        last = m;
    }
    return reference;
}

class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvan-book-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace korvan::test
