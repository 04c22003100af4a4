#pragma once

// The lines of a script, read on a thread of its own so that waiting for the next one can be
// interrupted. A reader still blocked when the feed is destroyed is left to end with the process.

#include <istream>
#include <memory>
#include <string>

namespace console {

class LineFeed {
  public:
    enum class Result { kLine, kEnd, kInterrupted };

    explicit LineFeed(std::istream& in);
    ~LineFeed();
    LineFeed(const LineFeed&) = delete;
    LineFeed& operator=(const LineFeed&) = delete;

    // The next line (without its line end), the end of the input, or an interrupt (which it clears).
    Result Next(std::string& line);
    // Any thread.
    void Interrupt();

    struct State;

  private:
    std::shared_ptr<State> state_;
};

}  // namespace console
