#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "base/system_time.h"

namespace ipc {

class WireWriter;

// The message a builder of protocol_factories.h made, as it goes on the wire. Each builder builds only
// its own message: the header with version 1, fields at their offsets, reserved bytes zero, in a buffer
// of exactly GetLength() bytes. A build returns 1, or 0 when the buffer cannot be allocated; building
// again replaces the previous message.
class CKvtComProtocolFactory {
  public:
    virtual ~CKvtComProtocolFactory();
    CKvtComProtocolFactory(const CKvtComProtocolFactory&) = delete;
    CKvtComProtocolFactory& operator=(const CKvtComProtocolFactory&) = delete;

    // The message, null and 0 before a successful build.
    const std::uint8_t* GetBuffer() const { return buffer_.get(); }
    std::uint32_t GetLength() const { return length_; }
    // Not GetMessage: windows.h turns that name into GetMessageW.
    std::span<const std::uint8_t> GetBytes() const { return {buffer_.get(), length_}; }

  protected:
    CKvtComProtocolFactory() = default;

    // The header of `id`, then `fieldBytes` bytes that `fill` writes, every one of them.
    int Build(std::uint32_t id, std::uint32_t fieldBytes, const std::function<void(WireWriter&)>& fill);
    // The layouts several messages share: one byte; eight bytes of count; a result and a time.
    int BuildByte(std::uint32_t id, std::uint8_t value);
    int BuildBytes(std::uint32_t id, std::uint64_t bytes);
    int BuildTimeResult(std::uint32_t id, std::int32_t result, const base::SystemTime& time);

  private:
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::uint32_t length_ = 0;
};

}  // namespace ipc
