// The other process of the Windows pipe tests (kvt_pipe_peer.exe), launched by the test program:
//   serve NAME READY_EVENT POLICY   server: answers "burst" with four messages back to back (the third too
//                                   long for a receive buffer) and "echo:TEXT" with TEXT; ends once its
//                                   client has gone (exit 0) or after 30 s (exit 3). READY_EVENT is set
//                                   when the pipe exists.
//   client NAME MESSAGE...          client: sends each message, waits for one answer and ends (exit 0;
//                                   2: no open, 3: no answer).
//   open NAME                       only opens: exit 0, the error of "CreateFile failed", or 1000 + the
//                                   error of "SetNamedPipeState failed".

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "base/event.h"
#include "base/text.h"
#include "ipc/named_pipe_client.h"
#include "ipc/named_pipe_server.h"

namespace {

constexpr std::uint32_t kWaitMs = 30000;

class PeerServer : public ipc::IPipeReadCallBack {
  public:
    explicit PeerServer(std::uint32_t policy) : policy_(policy) {}

    std::uint32_t OnRead(const std::uint8_t* data, std::uint32_t byteCount, std::uintptr_t) override {
        const std::string message(reinterpret_cast<const char*>(data), byteCount);
        if (message == "burst") {
            const std::string tooLong(5000, 'x');
            for (const std::string& m :
                 {std::string("one"), std::string("two"), tooLong, std::string("three")}) {
                Send(m);
            }
        } else if (message.rfind("echo:", 0) == 0) {
            Send(message.substr(5));
        }
        return 1;
    }
    std::uint32_t GetBrokenPipePolicy() override {
        clientGone.Set();
        return policy_;
    }

    ipc::CNamedPipeSvcCallBackMode pipe;
    base::Event clientGone{base::EventReset::kManual, false};

  private:
    void Send(const std::string& message) {
        std::uint32_t written = 0;
        pipe.Write(message.data(), static_cast<std::uint32_t>(message.size()), &written);
    }
    const std::uint32_t policy_;
};

class PeerClient : public ipc::IPipeReadCallBack {
  public:
    std::uint32_t OnRead(const std::uint8_t*, std::uint32_t, std::uintptr_t) override {
        answered.Set();
        return 1;
    }
    std::uint32_t GetBrokenPipePolicy() override { return kBrokenPipeStop; }
    base::Event answered{base::EventReset::kManual, false};
};

int Serve(const std::u16string& name, const std::u16string& readyEvent, std::uint32_t policy) {
    PeerServer server(policy);
    if (!server.pipe.Create(name, 1, 4096, 4096, 1000)) {
        return 2;
    }
    server.pipe.SetCallback(&server, 0);
    if (server.pipe.StartReading() == 0) {
        return 2;
    }
    base::Event ready(base::EventReset::kManual, false, readyEvent);
    ready.Set();
    return server.clientGone.Wait(kWaitMs) ? 0 : 3;
}

int Client(const std::u16string& name, int count, char** messages) {
    PeerClient sink;
    ipc::CNamedPipeClientCallBackMode client;
    // A server that has just let its previous client go is busy for a moment.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (!client.Open(name)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return 2;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    client.SetCallback(&sink, 0);
    if (client.StartReading() == 0) {
        return 2;
    }
    for (int i = 0; i < count; ++i) {
        std::uint32_t written = 0;
        client.Write(messages[i], static_cast<std::uint32_t>(std::strlen(messages[i])), &written);
    }
    return sink.answered.Wait(kWaitMs) ? 0 : 3;
}

int OpenOnly(const std::u16string& name) {
    ipc::CNamedPipeClientCallBackMode client;
    if (client.Open(name)) {
        return 0;
    }
    const bool atReadMode = client.Endpoint().Text() == ipc::kPipeTextSetNamedPipeStateFailed;
    return static_cast<int>(client.Endpoint().LastError()) + (atReadMode ? 1000 : 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return 64;
    }
    const std::string mode = argv[1];
    const std::u16string name = base::AsciiToUtf16(argv[2]);
    if (mode == "serve" && argc == 5) {
        return Serve(name, base::AsciiToUtf16(argv[3]), static_cast<std::uint32_t>(std::atoi(argv[4])));
    }
    if (mode == "client") {
        return Client(name, argc - 3, argv + 3);
    }
    if (mode == "open" && argc == 3) {
        return OpenOnly(name);
    }
    return 64;
}
