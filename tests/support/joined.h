#pragma once

#include <iterator>
#include <string>

namespace testing_support {

// A row's texts in one string with '|' between them, so that an expected row fits on one line.
template <class Texts>
std::u16string Joined(const Texts& texts) {
    std::u16string line;
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        line += (i > 0 ? u"|" : u"") + std::u16string(texts[i]);
    }
    return line;
}

}  // namespace testing_support
