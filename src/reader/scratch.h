#pragma once
// Buffers a reading thread keeps from file to file, so that reading a tree of
// files does not allocate, zero and give back the same buffers for each one.

#include "platform/perthread.h"

#include <array>
#include <cstddef>
#include <string>

namespace kelvaron::reader {

/// Borrows this thread's buffer of one slot for one use. It holds whatever the
/// last use left, so a user sizes it with resize(), which zeroes only bytes the
/// buffer never held; a buffer that grew past 1 MB is given back when the use
/// ends, so a large file leaves no large buffer behind. Each slot has one user
/// at a time.
class Scratch {
 public:
  enum Slot { Head, Raw, Payload, Lines, MoreLines, SlotCount };
  explicit Scratch(Slot slot) : m_buffer(buffers()[slot]) {}
  ~Scratch() {
    if (m_buffer.capacity() > kKept) std::string().swap(m_buffer);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  std::string& get() { return m_buffer; }

 private:
  static constexpr std::size_t kKept = std::size_t{1} << 20;
  static std::array<std::string, SlotCount>& buffers() {
    return platform::perThread<std::array<std::string, SlotCount>>();
  }
  std::string& m_buffer;
};

}  // namespace kelvaron::reader
