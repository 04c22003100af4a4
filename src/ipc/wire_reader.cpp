#include "ipc/wire_reader.h"

namespace ipc {
namespace {

std::uint64_t LoadLe(const std::uint8_t* at, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = size; i > 0; --i) {
        value = (value << 8) | at[i - 1];
    }
    return value;
}

}  // namespace

WireReader::WireReader(Bytes bytes, std::size_t position)
    : bytes_(bytes), position_(position <= bytes.size() ? position : bytes.size()) {
    if (position > bytes.size()) {
        failed_ = true;
    }
}

const std::uint8_t* WireReader::Take(std::size_t count) {
    if (count > Remaining()) {
        failed_ = true;
        return nullptr;
    }
    const std::uint8_t* at = bytes_.data() + position_;
    position_ += count;
    return at;
}

bool WireReader::ReadU8(std::uint8_t& value) {
    const std::uint8_t* at = Take(1);
    if (at == nullptr) {
        return false;
    }
    value = *at;
    return true;
}

bool WireReader::ReadU16(std::uint16_t& value) {
    const std::uint8_t* at = Take(2);
    if (at == nullptr) {
        return false;
    }
    value = static_cast<std::uint16_t>(LoadLe(at, 2));
    return true;
}

bool WireReader::ReadU32(std::uint32_t& value) {
    const std::uint8_t* at = Take(4);
    if (at == nullptr) {
        return false;
    }
    value = static_cast<std::uint32_t>(LoadLe(at, 4));
    return true;
}

bool WireReader::ReadI32(std::int32_t& value) {
    std::uint32_t raw = 0;
    if (!ReadU32(raw)) {
        return false;
    }
    value = static_cast<std::int32_t>(raw);
    return true;
}

bool WireReader::ReadU64(std::uint64_t& value) {
    const std::uint8_t* at = Take(8);
    if (at == nullptr) {
        return false;
    }
    value = LoadLe(at, 8);
    return true;
}

bool WireReader::ReadTime(base::SystemTime& value) {
    const std::uint8_t* at = Take(kSystemTimeSize);
    if (at == nullptr) {
        return false;
    }
    std::uint16_t* fields[] = {&value.year, &value.month,  &value.dayOfWeek, &value.day,
                               &value.hour, &value.minute, &value.second,    &value.milliseconds};
    for (std::uint16_t* field : fields) {
        *field = static_cast<std::uint16_t>(LoadLe(at, 2));
        at += 2;
    }
    return true;
}

bool WireReader::ReadText(std::size_t byteCount, std::u16string& text) {
    const std::uint8_t* at = Take(byteCount);
    if (at == nullptr) {
        return false;
    }
    text = DecodeText(Bytes(at, byteCount));
    return true;
}

bool WireReader::ReadFixedText(std::u16string& text) {
    return ReadText(kFixedTextSize, text);
}

bool WireReader::ReadBytes(std::size_t count, Bytes& bytes) {
    const std::uint8_t* at = Take(count);
    if (at == nullptr) {
        return false;
    }
    bytes = Bytes(at, count);
    return true;
}

bool WireReader::Skip(std::size_t count) {
    return Take(count) != nullptr;
}

std::u16string DecodeText(Bytes bytes) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == u'\0') {
            break;
        }
        text.push_back(unit);
    }
    return text;
}

}  // namespace ipc
