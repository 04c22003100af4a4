#include "ipc/protocol_factory.h"

#include <new>

#include "ipc/message_header.h"
#include "ipc/wire_writer.h"

namespace ipc {
namespace {

// Body sizes after the header.
constexpr std::uint32_t kByteBody = 1;
constexpr std::uint32_t kBytesBody = 8;
constexpr std::uint32_t kTimeResultBody = 4 + kSystemTimeSize;

}  // namespace

CKvtComProtocolFactory::~CKvtComProtocolFactory() = default;

int CKvtComProtocolFactory::Build(std::uint32_t id, std::uint32_t fieldBytes,
                                  const std::function<void(WireWriter&)>& fill) {
    buffer_.reset();
    length_ = 0;
    const std::uint32_t length = static_cast<std::uint32_t>(kHeaderSize) + fieldBytes;
    // Value-initialised, so any byte a layout leaves alone goes out as zero.
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[length]());
    if (!buffer) {
        return 0;
    }
    WireWriter writer({buffer.get(), length});
    WriteHeader(writer, length, id);
    fill(writer);
    if (!writer.Complete()) {
        return 0;
    }
    buffer_ = std::move(buffer);
    length_ = length;
    return 1;
}

int CKvtComProtocolFactory::BuildByte(std::uint32_t id, std::uint8_t value) {
    return Build(id, kByteBody, [&](WireWriter& w) { w.PutU8(value); });
}

int CKvtComProtocolFactory::BuildBytes(std::uint32_t id, std::uint64_t bytes) {
    return Build(id, kBytesBody, [&](WireWriter& w) { w.PutU64(bytes); });
}

int CKvtComProtocolFactory::BuildTimeResult(std::uint32_t id, std::int32_t result,
                                            const base::SystemTime& time) {
    return Build(id, kTimeResultBody, [&](WireWriter& w) {
        w.PutI32(result);
        w.PutTime(time);
    });
}

}  // namespace ipc
