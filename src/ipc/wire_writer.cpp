#include "ipc/wire_writer.h"

#include <cstring>

namespace ipc {
namespace {

void StoreLe(std::uint8_t* at, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

}  // namespace

std::uint8_t* WireWriter::Reserve(std::size_t count) {
    if (failed_ || count > buffer_.size() - position_) {
        failed_ = true;
        return nullptr;
    }
    std::uint8_t* at = buffer_.data() + position_;
    position_ += count;
    return at;
}

bool WireWriter::PutU8(std::uint8_t value) {
    std::uint8_t* at = Reserve(1);
    if (at == nullptr) {
        return false;
    }
    *at = value;
    return true;
}

bool WireWriter::PutU16(std::uint16_t value) {
    std::uint8_t* at = Reserve(2);
    if (at == nullptr) {
        return false;
    }
    StoreLe(at, value, 2);
    return true;
}

bool WireWriter::PutU32(std::uint32_t value) {
    std::uint8_t* at = Reserve(4);
    if (at == nullptr) {
        return false;
    }
    StoreLe(at, value, 4);
    return true;
}

bool WireWriter::PutI32(std::int32_t value) {
    return PutU32(static_cast<std::uint32_t>(value));
}

bool WireWriter::PutU64(std::uint64_t value) {
    std::uint8_t* at = Reserve(8);
    if (at == nullptr) {
        return false;
    }
    StoreLe(at, value, 8);
    return true;
}

bool WireWriter::PutTime(const base::SystemTime& value) {
    std::uint8_t* at = Reserve(kSystemTimeSize);
    if (at == nullptr) {
        return false;
    }
    const std::uint16_t fields[] = {value.year, value.month,  value.dayOfWeek, value.day,
                                    value.hour, value.minute, value.second,    value.milliseconds};
    for (std::uint16_t field : fields) {
        StoreLe(at, field, 2);
        at += 2;
    }
    return true;
}

bool WireWriter::PutText(std::u16string_view text) {
    if (text.size() > (buffer_.size() - position_) / 2) {
        failed_ = true;
        return false;
    }
    std::uint8_t* at = Reserve(text.size() * 2);
    if (at == nullptr) {
        return false;
    }
    for (char16_t unit : text) {
        StoreLe(at, unit, 2);
        at += 2;
    }
    return true;
}

bool WireWriter::PutFixedText(std::u16string_view text) {
    std::uint8_t* at = Reserve(kFixedTextSize);
    if (at == nullptr) {
        return false;
    }
    std::memset(at, 0, kFixedTextSize);
    for (char16_t unit : FixedFieldText(text)) {
        StoreLe(at, unit, 2);
        at += 2;
    }
    return true;
}

bool WireWriter::PutBytes(Bytes bytes) {
    std::uint8_t* at = Reserve(bytes.size());
    if (at == nullptr) {
        return false;
    }
    if (!bytes.empty()) {
        std::memcpy(at, bytes.data(), bytes.size());
    }
    return true;
}

bool WireWriter::PutZeros(std::size_t count) {
    std::uint8_t* at = Reserve(count);
    if (at == nullptr) {
        return false;
    }
    if (count > 0) {
        std::memset(at, 0, count);
    }
    return true;
}

std::u16string_view FixedFieldText(std::u16string_view text) {
    if (text.size() <= kFixedTextMaxChars) {
        return text;
    }
    std::size_t keep = kFixedTextMaxChars;
    if (IsHighSurrogate(text[keep - 1])) {
        --keep;
    }
    return text.substr(0, keep);
}

}  // namespace ipc
