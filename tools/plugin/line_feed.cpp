#include "plugin/line_feed.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace console {
namespace {

// How long the feed waits at the end for its reader to reach the end of the input.
constexpr std::chrono::milliseconds kEndWait{500};

}  // namespace

struct LineFeed::State {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> lines;
    bool ended = false;
    bool interrupted = false;
    std::thread reader;
};

LineFeed::LineFeed(std::istream& in) : state_(std::make_shared<State>()) {
    // The thread keeps the state alive: it may outlive the feed while it waits for input.
    state_->reader = std::thread([state = state_, &in] {
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            std::lock_guard<std::mutex> lock(state->mutex);
            state->lines.push_back(std::move(line));
            state->changed.notify_all();
        }
        std::lock_guard<std::mutex> lock(state->mutex);
        state->ended = true;
        state->changed.notify_all();
    });
}

LineFeed::~LineFeed() {
    bool ended;
    {
        // A stream in memory or a file is read to its end in no time; a terminal may never end.
        std::unique_lock<std::mutex> lock(state_->mutex);
        ended = state_->changed.wait_for(lock, kEndWait, [&] { return state_->ended; });
    }
    if (ended) {
        state_->reader.join();
    } else {
        state_->reader.detach();
    }
}

LineFeed::Result LineFeed::Next(std::string& line) {
    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->changed.wait(lock,
                         [&] { return !state_->lines.empty() || state_->ended || state_->interrupted; });
    if (state_->interrupted) {
        state_->interrupted = false;
        return Result::kInterrupted;
    }
    if (state_->lines.empty()) {
        return Result::kEnd;
    }
    line = std::move(state_->lines.front());
    state_->lines.pop_front();
    return Result::kLine;
}

void LineFeed::Interrupt() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->interrupted = true;
    state_->changed.notify_all();
}

}  // namespace console
