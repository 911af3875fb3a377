// Reads a big-endian bit stream, most significant bit first. Reading past the
// end yields zero bits and never touches memory outside the span; callers
// compare position() with size_bits() to learn that they ran out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace pixmera::photocd {

// Eight bytes from `raw` (which must hold them) as a big-endian number.
inline std::uint64_t load_be64(const std::uint8_t* raw) {
  std::uint8_t bytes[8];
  std::memcpy(bytes, raw, 8);
  std::uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value = value << 8 | bytes[i];
  return value;
}

class BitReader {
 public:
  explicit BitReader(std::span<const std::uint8_t> bytes)
      : bytes_(bytes), size_bits_(bytes.size() * 8) {}

  // The next 32 bits without consuming them.
  std::uint32_t peek32() const {
    const std::size_t byte = position_ >> 3;
    std::uint64_t window = 0;
    if (byte + 8 <= bytes_.size()) {
      window = load_be64(bytes_.data() + byte);
    } else {
      for (std::size_t i = 0; i < 8; ++i) {
        window = window << 8 | (byte + i < bytes_.size() ? bytes_[byte + i] : 0u);
      }
    }
    return static_cast<std::uint32_t>((window << (position_ & 7)) >> 32);
  }

  void skip(std::size_t bits) { position_ += bits; }
  void seek(std::size_t bit) { position_ = bit; }
  std::size_t position() const { return position_; }
  std::size_t size_bits() const { return size_bits_; }
  bool overran() const { return position_ > size_bits_; }
  std::size_t bits_left() const { return overran() ? 0 : size_bits_ - position_; }
  std::uint8_t byte_at(std::size_t index) const {
    return index < bytes_.size() ? bytes_[index] : 0;
  }
  std::span<const std::uint8_t> bytes() const { return bytes_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t size_bits_;
  std::size_t position_ = 0;
};

}  // namespace pixmera::photocd
