#include "update/http_request_win.h"

#include "platform/win.h"

#include <winsock2.h>  // before winhttp.h: the connection's addresses
#include <ws2tcpip.h>
#include <psapi.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/bound.h"
#include "update/base64.h"
#include "update/http_rules.h"

namespace {

std::wstring wide(const std::string& s) {
    if (s.empty()) return L"";
    const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

std::string narrow(const std::wstring& w) {
    if (w.empty()) return "";
    const int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

// A WinHTTP handle, closed once.
struct InternetHandle {
    HINTERNET h = nullptr;
    explicit InternetHandle(HINTERNET handle) : h(handle) {}
    ~InternetHandle() {
        if (h) WinHttpCloseHandle(h);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
};

void addHeader(HINTERNET request, const std::string& name, const std::string& value) {
    const std::wstring line = wide(name) + L": " + wide(value);
    WinHttpAddRequestHeaders(request, line.c_str(), static_cast<DWORD>(-1L),
                             WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
}

// All response headers as the request object gives them: without the status line.
std::string responseHeaderText(HINTERNET request) {
    DWORD size = 0;
    WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                        WINHTTP_NO_HEADER_INDEX);
    if (size == 0) return "";
    std::wstring raw(size / sizeof(wchar_t) + 1, L'\0');
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, &raw[0], &size,
                             WINHTTP_NO_HEADER_INDEX))
        return "";
    raw.resize(size / sizeof(wchar_t));
    const size_t firstBreak = raw.find(L"\r\n");
    return narrow(firstBreak == std::wstring::npos ? L"" : raw.substr(firstBreak + 2));
}

int statusOf(HINTERNET request) {
    DWORD status = 0, size = sizeof status;
    WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                        &status, &size, WINHTTP_NO_HEADER_INDEX);
    return static_cast<int>(status);
}

std::string readBody(HINTERNET request) {
    std::string body;
    for (;;) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request, &available) || available == 0) break;
        if (body.size() + available > kHttpBodyLimit) return "";  // too large: counts as failed
        const size_t at = body.size();
        // Doubling, but never past the limit: a body near it takes no more than twice its size.
        if (body.capacity() < at + available)
            body.reserve(std::min<size_t>(kHttpBodyLimit, std::max<size_t>(at + available, 2 * body.capacity())));
        body.resize(at + available);
        DWORD got = 0;
        if (!WinHttpReadData(request, &body[at], available, &got)) {
            body.resize(at);
            break;
        }
        body.resize(at + got);
        if (got == 0) break;
    }
    return body;
}

// Winsock by name: only the cut-off below needs it.
using SocketNameFn = int(WSAAPI*)(SOCKET, sockaddr*, int*);
using ShutdownFn = int(WSAAPI*)(SOCKET, int);
NX_BOUND_AS("ws2_32.dll", getsockname, SocketNameFn)
NX_BOUND_AS("ws2_32.dll", getpeername, SocketNameFn)
NX_BOUND_AS("ws2_32.dll", shutdown, ShutdownFn)

bool sameAddress(const SOCKADDR_STORAGE& a, const SOCKADDR_STORAGE& b) {
    if (a.ss_family != b.ss_family) return false;
    if (a.ss_family == AF_INET) {
        const auto& x = reinterpret_cast<const sockaddr_in&>(a);
        const auto& y = reinterpret_cast<const sockaddr_in&>(b);
        return x.sin_port == y.sin_port && x.sin_addr.s_addr == y.sin_addr.s_addr;
    }
    if (a.ss_family == AF_INET6) {
        const auto& x = reinterpret_cast<const sockaddr_in6&>(a);
        const auto& y = reinterpret_cast<const sockaddr_in6&>(b);
        return x.sin6_port == y.sin6_port && std::memcmp(&x.sin6_addr, &y.sin6_addr, sizeof x.sin6_addr) == 0;
    }
    return false;
}

// Whether s is a socket with these two ends.
bool hasEnds(SOCKET s, const SOCKADDR_STORAGE& local, const SOCKADDR_STORAGE& remote) {
    SOCKADDR_STORAGE a{}, b{};
    int aSize = sizeof a, bSize = sizeof b;
    return bound_getsockname()(s, reinterpret_cast<sockaddr*>(&a), &aSize) == 0 &&
           bound_getpeername()(s, reinterpret_cast<sockaddr*>(&b), &bSize) == 0 && sameAddress(a, local) &&
           sameAddress(b, remote);
}

// WinHTTP does not give out its socket. Sockets are handles, small multiples
// of 4: the one whose two ends are the connection's is it (no other socket
// can have both).
SOCKET findSocket(const SOCKADDR_STORAGE& local, const SOCKADDR_STORAGE& remote) {
    for (UINT_PTR value = 4; value < (1u << 16); value += 4)
        if (hasEnds(static_cast<SOCKET>(value), local, remote)) return static_cast<SOCKET>(value);
    return INVALID_SOCKET;
}

// The process's committed private memory (Wine fills PagefileUsage, which
// on Windows is the same as PrivateUsage, and not PrivateUsage).
size_t committedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PagefileUsage : 0;
}

// The network part of one request, run on a worker thread so that the
// caller can stop waiting at the whole-request limit. Everything it needs
// is copied in; the caller and the worker each hold a reference, and the
// last one to let go frees it.
struct Exchange {
    std::atomic<int> refs{2};
    HINTERNET session = nullptr;
    std::wstring url, verb, proxy, proxyUser, proxyPassword;
    int phaseTimeoutMs = -1;
    bool noRedirect = false;
    bool verifyCertificates = false;
    bool useCredentials = false;
    DWORD credentialTarget = 1;
    std::vector<std::pair<std::string, std::string>> headers;  // in the order they are set
    std::string payload;
    // Results.
    std::string body, responseHeaders;
    int status = 0;

    // The socket of the connection in use, once found, so that the caller can
    // cut it off: a worker blocked in WinHTTP ends only when its socket fails.
    SRWLOCK socketLock = SRWLOCK_INIT;
    SOCKET socket = INVALID_SOCKET;
    SOCKADDR_STORAGE localEnd{}, remoteEnd{};
    bool cutOff = false;

    void release() {
        if (--refs == 0) delete this;
    }
    void run();
    void noteConnection(HINTERNET request);
    void forgetConnection();
    void cut();
    static void CALLBACK onStatus(HINTERNET request, DWORD_PTR context, DWORD status, void*, DWORD) {
        if (status == WINHTTP_CALLBACK_STATUS_CONNECTED_TO_SERVER || status == WINHTTP_CALLBACK_STATUS_SENDING_REQUEST)
            reinterpret_cast<Exchange*>(context)->noteConnection(request);
    }
    static DWORD WINAPI thread(void* self) {
        auto* e = static_cast<Exchange*>(self);
        e->run();
        e->release();
        return 0;
    }
};

// On the worker, whenever WinHTTP has connected or is about to send (a kept
// connection or a redirect may change it).
void Exchange::noteConnection(HINTERNET request) {
    WINHTTP_CONNECTION_INFO info{};
    info.cbSize = sizeof info;
    DWORD size = sizeof info;
    if (!WinHttpQueryOption(request, WINHTTP_OPTION_CONNECTION_INFO, &info, &size)) return;
    AcquireSRWLockShared(&socketLock);
    const bool known = socket != INVALID_SOCKET && sameAddress(localEnd, info.LocalAddress) &&
                       sameAddress(remoteEnd, info.RemoteAddress);
    ReleaseSRWLockShared(&socketLock);
    if (known) return;
    const SOCKET found = findSocket(info.LocalAddress, info.RemoteAddress);
    AcquireSRWLockExclusive(&socketLock);
    socket = found;
    localEnd = info.LocalAddress;
    remoteEnd = info.RemoteAddress;
    if (cutOff && socket != INVALID_SOCKET) bound_shutdown()(socket, SD_BOTH);
    ReleaseSRWLockExclusive(&socketLock);
}

// On the worker, before WinHTTP closes or keeps the connection.
void Exchange::forgetConnection() {
    AcquireSRWLockExclusive(&socketLock);
    socket = INVALID_SOCKET;
    ReleaseSRWLockExclusive(&socketLock);
}

// On the caller: the worker's reads and writes fail from now on, and it
// ends. The socket stays WinHTTP's to close; should WinHTTP have closed it
// already and its handle value gone to another socket, the ends differ.
void Exchange::cut() {
    AcquireSRWLockExclusive(&socketLock);
    cutOff = true;
    if (socket != INVALID_SOCKET && hasEnds(socket, localEnd, remoteEnd)) bound_shutdown()(socket, SD_BOTH);
    ReleaseSRWLockExclusive(&socketLock);
}

void Exchange::run() {
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                        std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";
    InternetHandle connection{WinHttpConnect(session, host.c_str(), parts.nPort, 0)};
    if (!connection.h) return;
    InternetHandle request{WinHttpOpenRequest(connection.h, verb.c_str(), path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                              WINHTTP_DEFAULT_ACCEPT_TYPES,
                                              parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0)};
    if (!request.h) return;
    if (phaseTimeoutMs != -1) {
        WinHttpSetTimeouts(request.h, phaseTimeoutMs, phaseTimeoutMs, phaseTimeoutMs, phaseTimeoutMs);
        // Waiting for the response's first bytes is a receive phase too.
        DWORD ms = static_cast<DWORD>(phaseTimeoutMs);
        WinHttpSetOption(request.h, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &ms, sizeof ms);
    }
    if (!proxy.empty()) {
        WINHTTP_PROXY_INFO info{WINHTTP_ACCESS_TYPE_NAMED_PROXY, &proxy[0], nullptr};
        WinHttpSetOption(request.h, WINHTTP_OPTION_PROXY, &info, sizeof info);
    }
    if (noRedirect) {
        DWORD off = WINHTTP_DISABLE_REDIRECTS;
        WinHttpSetOption(request.h, WINHTTP_OPTION_DISABLE_FEATURE, &off, sizeof off);
    }
    if (!verifyCertificates) {
        DWORD ignore = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE |
                       SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;  // 0x3300
        WinHttpSetOption(request.h, WINHTTP_OPTION_SECURITY_FLAGS, &ignore, sizeof ignore);
    }
    DWORD_PTR self = reinterpret_cast<DWORD_PTR>(this);
    WinHttpSetOption(request.h, WINHTTP_OPTION_CONTEXT_VALUE, &self, sizeof self);
    WinHttpSetStatusCallback(request.h, &Exchange::onStatus,
                             WINHTTP_CALLBACK_FLAG_CONNECT_TO_SERVER | WINHTTP_CALLBACK_FLAG_SEND_REQUEST, 0);
    // Declared after the handles, so it runs before they close.
    struct Forget {
        Exchange* e;
        ~Forget() { e->forgetConnection(); }
    } forget{this};
    if (useCredentials)
        WinHttpSetCredentials(request.h, credentialTarget, WINHTTP_AUTH_SCHEME_BASIC, proxyUser.c_str(),
                              proxyPassword.c_str(), nullptr);
    for (const auto& header : headers) addHeader(request.h, header.first, header.second);
    const bool sent = WinHttpSendRequest(request.h, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                         payload.empty() ? WINHTTP_NO_REQUEST_DATA : &payload[0],
                                         static_cast<DWORD>(payload.size()), static_cast<DWORD>(payload.size()), 0) &&
                      WinHttpReceiveResponse(request.h, nullptr);
    if (!sent) return;
    body = readBody(request.h);
    responseHeaders = responseHeaderText(request.h);
    status = statusOf(request.h);
}

}  // namespace

HttpSession::HttpSession(const std::string& proxy)
    : handle_(proxy.empty()
                  ? WinHttpOpen(L"", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0)
                  : WinHttpOpen(L"", WINHTTP_ACCESS_TYPE_NAMED_PROXY, wide(proxy).c_str(), WINHTTP_NO_PROXY_BYPASS,
                                0)) {}

HttpSession::~HttpSession() {
    if (handle_) WinHttpCloseHandle(handle_);
}

const char* httpVerb(int method) {
    static const char* kVerbs[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
    return kVerbs[method >= 0 && method <= 7 ? method : 0];
}

int httpPhaseTimeoutMs(int timeoutSeconds) {
    if (timeoutSeconds == -1) return -1;
    if (timeoutSeconds >= 1 && timeoutSeconds <= INT_MAX / 1000) return timeoutSeconds * 1000;
    return timeoutSeconds >= 1 ? INT_MAX : 15000;
}

std::string sendHttpRequest(const HttpRequest& r) {
    const int method = r.method >= 0 && r.method <= 7 ? r.method : 0;
    std::unique_ptr<HttpSession> ownSession;
    HttpSession* session = r.requestObject;
    if (!session) {
        ownSession = std::make_unique<HttpSession>(r.proxy);
        session = ownSession.get();
    }
    if (!session->handle()) return "";  // no request object: nothing else happens

    auto* exchange = new Exchange;
    exchange->session = session->handle();
    exchange->url = wide(r.url);
    exchange->verb = wide(httpVerb(method));
    exchange->proxy = wide(r.proxy);
    exchange->phaseTimeoutMs = httpPhaseTimeoutMs(r.timeoutSeconds);
    exchange->noRedirect = r.noRedirect;
    exchange->verifyCertificates = r.verifyCertificates;

    // The header text the caller gets back, and the headers in the order
    // they are set: proxy authorization, cookie, then the header lines.
    std::string headers = r.headers ? *r.headers : "";
    if (r.completeHeaders) headers = completeDefaultHeaders(headers, r.url, method == 1);
    if (r.capitalizeHeaderNames) headers = normalizeHeaderNames(headers);
    if (!r.proxy.empty() && !r.proxyUser.empty()) {
        exchange->useCredentials = true;
        exchange->credentialTarget = static_cast<DWORD>(r.credentialTarget);
        exchange->proxyUser = wide(r.proxyUser);
        exchange->proxyPassword = wide(r.proxyPassword);
        if (r.credentialTarget == 1)
            exchange->headers.emplace_back("Proxy-Authorization",
                                           "Basic " + base64Encode(r.proxyUser + ":" + r.proxyPassword));
    }
    if (r.cookies) {
        *r.cookies = prepareCookieText(*r.cookies);
        exchange->headers.emplace_back("Cookie", *r.cookies);
    }
    for (HeaderPair& pair : applyHeaderLines(headers)) exchange->headers.push_back(std::move(pair));
    if (r.headers) *r.headers = headers;
    exchange->payload = !r.postBytes.empty() ? r.postBytes : r.postText;

    bool finished = true, cut = false;
    if (HANDLE worker = CreateThread(nullptr, 0, &Exchange::thread, exchange, 0, nullptr)) {
        // Waits in short steps, watching the process's memory.
        constexpr DWORD kWatchMs = 50;
        const DWORD start = GetTickCount();
        const size_t before = committedBytes();
        finished = false;
        for (DWORD waited = 0; waited < kHttpRequestLimitMs; waited = GetTickCount() - start) {
            if (WaitForSingleObject(worker, std::min<DWORD>(kWatchMs, kHttpRequestLimitMs - waited)) == WAIT_OBJECT_0) {
                finished = true;
                break;
            }
            if (!cut && committedBytes() > before + kHttpGrowthLimit) {
                exchange->cut();  // then waits for the worker to let go of what it holds
                cut = true;
            }
        }
        if (!finished) exchange->cut();
        CloseHandle(worker);
    } else {
        exchange->run();      // no thread to be had: run here, unbounded
        exchange->release();  // the worker's reference
    }
    std::string body, responseHeaders;
    int status = 0;
    if (finished && !cut) {
        body = std::move(exchange->body);
        responseHeaders = std::move(exchange->responseHeaders);
        status = exchange->status;
    } else if (!finished) {
        // Past the limit the request counts as failed. The worker, its
        // connection cut, still uses the session and frees the exchange
        // when it is done.
        ownSession.release();
    }
    exchange->release();

    if (r.responseHeaders) *r.responseHeaders = responseHeaders;
    if (r.statusCode) *r.statusCode = status;
    std::string collected = collectResponseCookies(responseHeaders);
    if (r.mergeCookies && r.cookies) {
        collected = mergeCookieTexts(*r.cookies, collected);
        *r.cookies = collected;
    }
    if (r.responseCookies) *r.responseCookies = collected;
    return body;
}
