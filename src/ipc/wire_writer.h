#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/system_time.h"
#include "ipc/wire_format.h"

namespace ipc {

// Writes protocol fields into a buffer of fixed size. A write that does not fit writes nothing and marks
// the writer failed; builders size their buffer exactly and check Complete() before a message leaves.
class WireWriter {
  public:
    explicit WireWriter(std::span<std::uint8_t> buffer) : buffer_(buffer) {}

    bool PutU8(std::uint8_t value);
    bool PutU16(std::uint16_t value);
    bool PutU32(std::uint32_t value);
    bool PutI32(std::int32_t value);
    bool PutU64(std::uint64_t value);
    bool PutTime(const base::SystemTime& value);
    // The text's UTF-16LE units, without a count or a NUL.
    bool PutText(std::u16string_view text);
    // One 520-byte fixed text field: FixedFieldText(text), then zeros.
    bool PutFixedText(std::u16string_view text);
    bool PutBytes(Bytes bytes);
    bool PutZeros(std::size_t count);

    std::size_t Position() const { return position_; }
    bool Failed() const { return failed_; }
    // Every byte of the buffer written, no write refused.
    bool Complete() const { return !failed_ && position_ == buffer_.size(); }

  private:
    std::uint8_t* Reserve(std::size_t count);

    std::span<std::uint8_t> buffer_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

// The part of a text that a fixed field carries: at most 259 units, one fewer when the cut would leave
// the high half of a surrogate pair behind.
std::u16string_view FixedFieldText(std::u16string_view text);

}  // namespace ipc
