#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/system_time.h"
#include "ipc/wire_format.h"

namespace ipc {

// Reads protocol fields from received bytes. A read that would go past the bytes at hand reads nothing,
// leaves the position unchanged and marks the reader failed, so a caller may chain reads and test once.
class WireReader {
  public:
    explicit WireReader(Bytes bytes, std::size_t position = 0);

    bool ReadU8(std::uint8_t& value);
    bool ReadU16(std::uint16_t& value);
    bool ReadU32(std::uint32_t& value);
    bool ReadI32(std::int32_t& value);
    bool ReadU64(std::uint64_t& value);
    bool ReadTime(base::SystemTime& value);
    // byteCount bytes of UTF-16LE text, decoded as DecodeText does.
    bool ReadText(std::size_t byteCount, std::u16string& text);
    // One 520-byte fixed text field.
    bool ReadFixedText(std::u16string& text);
    bool ReadBytes(std::size_t count, Bytes& bytes);
    bool Skip(std::size_t count);

    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return bytes_.size() - position_; }
    bool Failed() const { return failed_; }

  private:
    const std::uint8_t* Take(std::size_t count);

    Bytes bytes_;
    std::size_t position_;
    bool failed_ = false;
};

// UTF-16LE text up to its first NUL or to the end of the bytes, whichever comes first; an odd last byte
// is not part of any character and is ignored.
std::u16string DecodeText(Bytes bytes);

}  // namespace ipc
