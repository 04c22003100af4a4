#pragma once

// Helpers of the pipe tests: unique pipe names, a callback that records what arrives, and waits on it.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "base/text.h"
#include "ipc/named_pipe_client.h"
#include "ipc/named_pipe_server.h"

namespace pipe_test {

inline std::u16string UniquePipeName() {
    static std::atomic<unsigned> counter{0};
    static const unsigned run = std::random_device{}();
    return base::AsciiToUtf16("\\\\.\\pipe\\kvt-test-" + std::to_string(run) + "-" +
                              std::to_string(counter++));
}

// Polls until `done` (called once more only while it fails), for at most 10 s: for what a pipe shows only a
// moment later.
inline bool Eventually(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Records every message, its context and every policy question; waits with a condition variable.
class RecordingCallback : public ipc::IPipeReadCallBack {
  public:
    explicit RecordingCallback(std::uint32_t policy = kBrokenPipeStop) : policy_(policy) {}

    std::uint32_t OnRead(const std::uint8_t* data, std::uint32_t byteCount, std::uintptr_t context) override {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.emplace_back(reinterpret_cast<const char*>(data), byteCount);
        contexts_.push_back(context);
        changed_.notify_all();
        return 1;
    }
    std::uint32_t GetBrokenPipePolicy() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++policyQuestions_;
        changed_.notify_all();
        return policy_;
    }
    bool WaitForMessages(std::size_t count) {
        return Wait([&] { return messages_.size() >= count; });
    }
    bool WaitForPolicyQuestions(int count) {
        return Wait([&] { return policyQuestions_ >= count; });
    }
    std::vector<std::string> Messages() const { return Locked(messages_); }
    std::vector<std::uintptr_t> Contexts() const { return Locked(contexts_); }
    int PolicyQuestions() const { return Locked(policyQuestions_); }

  private:
    const std::uint32_t policy_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> messages_;
    std::vector<std::uintptr_t> contexts_;
    int policyQuestions_ = 0;

    bool Wait(const std::function<bool()>& done) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), done);
    }
    template <typename T>
    T Locked(const T& value) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return value;
    }
};

template <typename Pipe>
bool WriteText(Pipe& pipe, std::string_view text) {
    std::uint32_t written = 0;
    return pipe.Write(text.data(), static_cast<std::uint32_t>(text.size()), &written) == 1 &&
           written == text.size();
}

// A server that has let its client go listens again (or, stopping, no more) only a moment later: until then a
// new client is turned away as busy, and a real client tries again.
inline bool OpenWhenListening(ipc::CNamedPipeClientCallBackMode& client, std::u16string_view name) {
    return Eventually([&] { return client.Open(name) == 1; });
}
inline bool OpenFailsWith(ipc::CNamedPipeClientCallBackMode& client, std::u16string_view name,
                          std::uint32_t error) {
    return Eventually([&] { return client.Open(name) == 0 && client.Endpoint().LastError() == error; });
}

// A callback server with its recording callback, created and reading.
struct CallbackServer {
    explicit CallbackServer(std::u16string_view name,
                            std::uint32_t policy = ipc::IPipeReadCallBack::kBrokenPipeStop)
        : sink(policy) {
        created = server.Create(name, 1, 4096, 4096, 1000) == 1;
        server.SetCallback(&sink, 0x5150);
        reading = server.StartReading() == 1;
    }
    RecordingCallback sink;  // declared first: it outlives the reader
    ipc::CNamedPipeSvcCallBackMode server;
    bool created = false;
    bool reading = false;
};

// A client connected to name, reading into its own recording callback.
struct ReadingClient {
    explicit ReadingClient(std::u16string_view name) {
        opened = OpenWhenListening(client, name);
        client.SetCallback(&sink, 0xC11E);
        reading = client.StartReading() == 1;
    }
    RecordingCallback sink;
    ipc::CNamedPipeClientCallBackMode client;
    bool opened = false;
    bool reading = false;
};

}  // namespace pipe_test
