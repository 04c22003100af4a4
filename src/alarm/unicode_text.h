#pragma once

// The list files are read as the C run-time reads a file opened in Unicode text mode
// ("r, ccs=UNICODE") line by line into a buffer of 256 wide characters. These functions give the same
// text from the file's bytes, so that both builds read a list file alike.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace alarming {

// A line read takes at most this many characters; a longer line arrives as several pieces.
inline constexpr std::size_t kLineReadLimit = 255;

// The text of the file: a UTF-8 byte-order mark selects UTF-8, a UTF-16LE mark or no mark at all
// UTF-16LE; the mark itself is not text. Then text mode: CR LF becomes LF (a lone CR stays) and a
// Ctrl-Z (U+001A) ends the file. A byte sequence that is not UTF-8 is a read error and ends the text
// where it starts; a last odd byte of UTF-16 makes no character.
std::u16string DecodeUnicodeText(std::string_view bytes);

// Calls `piece` with what each line read returns, in order: the characters up to and including the
// next LF, or the first kLineReadLimit of them, or what is left before the end. The program uses the
// buffer as a C string, so a piece is cut at its first NUL character.
void ForEachTextLine(std::string_view bytes, const std::function<void(std::u16string_view)>& piece);

}  // namespace alarming
