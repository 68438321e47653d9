#pragma once
// Lines of a file read at offsets, through an 8192-byte buffer, each line no longer
// than a cap the format sets. A file without line feeds (a device, a hostile file) is
// therefore never read into memory whole: what the reader holds is the buffer and at
// most one line of the cap's length.
//
// The source is anything with `read_at(offset, span) -> Expected<size_t, E>` that fills
// the span and gives less only where the source ends.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "core/util/expected.h"

namespace korvan {

enum class SourceLine : std::uint8_t {
    Read,     // a line, with its line feed when it has one
    End,      // nothing left
    TooLong,  // the line passed the cap (line feed not counted); reading stops there
};

// "line is longer than {cap} bytes", the text a format puts under its line number.
inline std::string line_too_long_display(std::size_t cap) {
    return "line is longer than " + std::to_string(cap) + " bytes";
}

template <class Source>
class SourceLineReader {
public:
    using Error = std::remove_cvref_t<decltype(std::declval<Source&>().read_at(0, std::span<std::uint8_t>{}).error())>;
    static constexpr std::size_t BUFFER_SIZE = 8192;

    SourceLineReader(Source& source, std::uint64_t start, std::size_t cap)
        : source_(&source), buffer_offset_(start), cap_(cap) {}
    SourceLineReader(const SourceLineReader&) = delete;
    SourceLineReader& operator=(const SourceLineReader&) = delete;

    // Where the next line starts (after next(), where the line it gave ends).
    std::uint64_t position() const { return buffer_offset_ + start_; }

    // The next line; its view lasts until the next call.
    Expected<SourceLine, Error> next(std::string_view& line) {
        bool spanning = false;  // the line began in a buffer already passed: it is in long_
        long_.clear();
        for (;;) {
            const char* base = reinterpret_cast<const char*>(buffer_) + start_;
            const std::size_t available = end_ - start_;
            if (const void* feed = std::memchr(base, '\n', available)) {
                const auto length = static_cast<std::size_t>(static_cast<const char*>(feed) - base);
                start_ += length + 1;
                if (spanning) {
                    if (long_.size() + length > cap_) return SourceLine::TooLong;
                    long_.append(base, length + 1);
                    line = long_;
                } else {
                    if (length > cap_) return SourceLine::TooLong;
                    line = std::string_view(base, length + 1);
                }
                return SourceLine::Read;
            }
            if (at_end_) {
                if (!spanning && available == 0) return SourceLine::End;
                start_ = end_;
                if (spanning) {
                    if (long_.size() + available > cap_) return SourceLine::TooLong;
                    long_.append(base, available);
                    line = long_;
                } else {
                    if (available > cap_) return SourceLine::TooLong;
                    line = std::string_view(base, available);
                }
                return SourceLine::Read;
            }
            if (!spanning && available < BUFFER_SIZE) {
                // The start of the line moves to the front, and the rest is read after it.
                std::memmove(buffer_, buffer_ + start_, available);
                buffer_offset_ += start_;
                start_ = 0;
                end_ = available;
            } else {
                // The line fills the buffer: it is kept aside while the buffer reads on.
                if (long_.size() + available > cap_) return SourceLine::TooLong;
                long_.append(base, available);
                spanning = true;
                buffer_offset_ += end_;
                start_ = end_ = 0;
            }
            auto got = source_->read_at(buffer_offset_ + end_, std::span<std::uint8_t>(buffer_ + end_, BUFFER_SIZE - end_));
            if (!got) return unexpected(std::move(got.error()));
            at_end_ = *got < BUFFER_SIZE - end_;
            end_ += *got;
        }
    }

private:
    Source* source_;
    std::uint64_t buffer_offset_;  // of buffer_[0]
    std::size_t cap_;
    std::size_t start_ = 0;  // the next line's first byte in the buffer
    std::size_t end_ = 0;    // bytes held in the buffer
    bool at_end_ = false;
    std::string long_;
    std::uint8_t buffer_[BUFFER_SIZE];
};

}  // namespace korvan
