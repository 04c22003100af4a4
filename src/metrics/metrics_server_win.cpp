// The metrics endpoint on Windows: the HTTP Server API (http.sys). The kernel keeps the connections;
// this side takes one request at a time into a buffer of sizeof(HTTP_REQUEST) + kMaxRequestBytes, and
// a request that does not fit is answered 431 unread.

#include <http.h>
#include <windows.h>
#include <winsock2.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "base/traffic_log.h"
#include "metrics/metrics_server.h"

namespace metrics {
namespace {

// http.sys has no "any port": a port the system just handed out to a socket is free enough for tests.
std::uint16_t FreePort(const std::string& host) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    std::uint16_t port = 0;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr(host.c_str());
    int length = sizeof address;
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    closesocket(s);
    WSACleanup();
    return port;
}

bool ArrivedAt(const HTTP_REQUEST& request, ULONG address) {
    const auto* local = reinterpret_cast<const sockaddr_in*>(request.Address.pLocalAddress);
    return address == INADDR_ANY ||
           (local != nullptr && local->sin_family == AF_INET && local->sin_addr.s_addr == address);
}

void Answer(HANDLE queue, HTTP_REQUEST_ID id, USHORT status, const char* reason, const std::string& body) {
    HTTP_RESPONSE response{};
    response.StatusCode = status;
    response.pReason = reason;
    response.ReasonLength = static_cast<USHORT>(strlen(reason));
    static constexpr char kType[] = "text/plain; version=0.0.4; charset=utf-8";
    response.Headers.KnownHeaders[HttpHeaderContentType].pRawValue = kType;
    response.Headers.KnownHeaders[HttpHeaderContentType].RawValueLength = sizeof kType - 1;
    HTTP_DATA_CHUNK chunk{};
    chunk.DataChunkType = HttpDataChunkFromMemory;
    chunk.FromMemory.pBuffer = const_cast<char*>(body.data());
    chunk.FromMemory.BufferLength = static_cast<ULONG>(body.size());
    response.EntityChunkCount = 1;
    response.pEntityChunks = &chunk;
    ULONG sent = 0;
    HttpSendHttpResponse(queue, id, HTTP_SEND_RESPONSE_FLAG_DISCONNECT, &response, nullptr, &sent, nullptr, 0,
                         nullptr, nullptr);
}

}  // namespace

struct MetricsServer::Impl {
    std::function<std::string()> exposition;
    ULONG address = INADDR_ANY;  // network byte order; INADDR_ANY answers every local address
    HANDLE queue = nullptr;
    HANDLE stop = nullptr;
    std::wstring url;
    std::thread thread;
    std::atomic<std::uint16_t> port{0};

    void Serve();
};

void MetricsServer::Impl::Serve() {
    std::vector<ULONGLONG> storage((sizeof(HTTP_REQUEST) + kMaxRequestBytes) / sizeof(ULONGLONG) + 1);
    auto* request = reinterpret_cast<HTTP_REQUEST*>(storage.data());
    const ULONG size = static_cast<ULONG>(storage.size() * sizeof(ULONGLONG));
    HANDLE received = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    for (;;) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = received;
        ResetEvent(received);
        ULONG got = 0;
        ULONG result = HttpReceiveHttpRequest(queue, HTTP_NULL_ID, 0, request, size, &got, &overlapped);
        if (result == ERROR_IO_PENDING) {
            const HANDLE events[] = {received, stop};
            if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
                CancelIoEx(queue, &overlapped);
                DWORD ignored = 0;
                GetOverlappedResult(queue, &overlapped, &ignored, TRUE);
                break;
            }
            DWORD bytes = 0;
            result = GetOverlappedResult(queue, &overlapped, &bytes, FALSE) ? NO_ERROR : GetLastError();
        }
        if (result == ERROR_MORE_DATA) {
            Answer(queue, request->RequestId, 431, "Request Header Fields Too Large", {});
        } else if (result == NO_ERROR && !ArrivedAt(*request, address)) {
            Answer(queue, request->RequestId, 404, "Not Found", "not found\n");
        } else if (result == NO_ERROR) {
            const bool metrics =
                request->Verb == HttpVerbGET && request->CookedUrl.pAbsPath != nullptr &&
                std::wstring_view(request->CookedUrl.pAbsPath,
                                  request->CookedUrl.AbsPathLength / sizeof(wchar_t)) == L"/metrics";
            if (metrics) {
                Answer(queue, request->RequestId, 200, "OK", exposition());
            } else {
                Answer(queue, request->RequestId, 404, "Not Found", "not found\n");
            }
        } else if (result != ERROR_CONNECTION_INVALID) {
            base::WriteTrafficLogError("metrics endpoint: HttpReceiveHttpRequest failed (%u)\n", result);
            break;
        }
    }
    CloseHandle(received);
}

MetricsServer::MetricsServer(std::function<std::string()> exposition) : impl_(std::make_unique<Impl>()) {
    impl_->exposition = std::move(exposition);
}

MetricsServer::~MetricsServer() {
    Stop();
}

bool MetricsServer::Start(const ListenAddress& address) {
    const std::uint16_t port = address.port != 0 ? address.port : FreePort(address.host);
    const HTTPAPI_VERSION version = HTTPAPI_VERSION_1;
    ULONG error = HttpInitialize(version, HTTP_INITIALIZE_SERVER, nullptr);
    if (error == NO_ERROR) {
        error = HttpCreateHttpHandle(&impl_->queue, 0);
        if (error == NO_ERROR) {
            // http.sys routes by the Host header, not by the address a connection arrived on: take every
            // host name on the port and answer only connections to the configured address (Serve).
            const std::u16string url = u"http://+:" + base::Utf8ToUtf16(std::to_string(port)) + u"/";
            impl_->url.assign(url.begin(), url.end());
            error = HttpAddUrl(impl_->queue, impl_->url.c_str(), nullptr);
            if (error != NO_ERROR) {
                CloseHandle(impl_->queue);
                impl_->queue = nullptr;
            }
        }
        if (error != NO_ERROR) {
            HttpTerminate(HTTP_INITIALIZE_SERVER, nullptr);
        }
    }
    if (error != NO_ERROR || port == 0) {
        base::WriteTrafficLogError("metrics endpoint: cannot listen (%u)\n", error);
        return false;
    }
    impl_->address = inet_addr(address.host.c_str());
    impl_->stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    impl_->port = port;
    impl_->thread = std::thread([impl = impl_.get()] { impl->Serve(); });
    return true;
}

std::uint16_t MetricsServer::Port() const {
    return impl_->port;
}

void MetricsServer::Stop() {
    if (!impl_->thread.joinable()) {
        return;
    }
    SetEvent(impl_->stop);
    impl_->thread.join();
    HttpRemoveUrl(impl_->queue, impl_->url.c_str());
    CloseHandle(impl_->queue);
    CloseHandle(impl_->stop);
    impl_->queue = impl_->stop = nullptr;
    impl_->port = 0;
    HttpTerminate(HTTP_INITIALIZE_SERVER, nullptr);
}

}  // namespace metrics
