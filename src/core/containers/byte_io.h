#pragma once
// Little-endian fields and LEB128 variable-length integers, written onto the end of a
// byte vector and read through a bounds-checked cursor. Every read says whether the
// bytes were there; nothing reads past the end of its input.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

namespace korvan {

using Bytes = std::vector<std::uint8_t>;
using ByteSpan = std::span<const std::uint8_t>;

inline void put_u8(Bytes& out, std::uint8_t v) { out.push_back(v); }
inline void put_u16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put_u32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void put_bytes(Bytes& out, ByteSpan bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }
inline void set_u32(Bytes& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Seven bits a byte, least significant group first, bit 7 on every byte but the last;
// as many bytes as the value needs.
inline void put_varint(Bytes& out, std::uint32_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(v));
}

constexpr std::uint32_t zigzag_encode(std::int32_t d) {
    return (static_cast<std::uint32_t>(d) << 1) ^ static_cast<std::uint32_t>(d >> 31);
}
constexpr std::int32_t zigzag_decode(std::uint32_t v) {
    return static_cast<std::int32_t>((v >> 1) ^ (0u - (v & 1)));
}

// The most bytes a reader takes for one variable-length integer.
constexpr int VARINT_MAX_BYTES = 5;

class ByteReader {
public:
    explicit ByteReader(ByteSpan data) : data_(data) {}

    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return data_.size() - pos_; }
    bool at_end() const { return pos_ >= data_.size(); }

    bool u8(std::uint8_t& out) {
        if (remaining() < 1) return false;
        out = data_[pos_++];
        return true;
    }
    bool u16(std::uint16_t& out) {
        if (remaining() < 2) return false;
        out = static_cast<std::uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return true;
    }
    bool u32(std::uint32_t& out) {
        if (remaining() < 4) return false;
        out = 0;
        for (int i = 0; i < 4; ++i) out |= std::uint32_t{data_[pos_ + i]} << (8 * i);
        pos_ += 4;
        return true;
    }
    // n bytes in place; valid while the input lives.
    bool bytes(std::size_t n, ByteSpan& out) {
        if (remaining() < n) return false;
        out = data_.subspan(pos_, n);
        pos_ += n;
        return true;
    }
    template <std::size_t N>
    bool array(std::array<std::uint8_t, N>& out) {
        if (remaining() < N) return false;
        std::memcpy(out.data(), data_.data() + pos_, N);
        pos_ += N;
        return true;
    }
    // At most five bytes, so the value has at most 35 bits. Nothing when the input ends
    // first or the fifth byte still has bit 7 set.
    bool varint(std::uint64_t& out) {
        out = 0;
        for (int i = 0; i < VARINT_MAX_BYTES; ++i) {
            if (at_end()) return false;
            const std::uint8_t b = data_[pos_++];
            out |= std::uint64_t{b & 0x7Fu} << (7 * i);
            if (!(b & 0x80)) return true;
        }
        return false;
    }
    // The reader limited to the next n bytes (which must be there); this one skips them.
    ByteReader take(std::size_t n) {
        ByteReader sub(data_.subspan(pos_, n));
        pos_ += n;
        return sub;
    }

private:
    ByteSpan data_;
    std::size_t pos_ = 0;
};

}  // namespace korvan
