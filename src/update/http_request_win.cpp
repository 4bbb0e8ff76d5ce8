#include "update/http_request_win.h"

#include "platform/win.h"

#include <winhttp.h>

#include <atomic>
#include <vector>

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

    void release() {
        if (--refs == 0) delete this;
    }
    void run();
    static DWORD WINAPI thread(void* self) {
        auto* e = static_cast<Exchange*>(self);
        e->run();
        e->release();
        return 0;
    }
};

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

    bool finished = true;
    if (HANDLE worker = CreateThread(nullptr, 0, &Exchange::thread, exchange, 0, nullptr)) {
        finished = WaitForSingleObject(worker, kHttpRequestLimitMs) == WAIT_OBJECT_0;
        CloseHandle(worker);
    } else {
        exchange->run();      // no thread to be had: run here, unbounded
        exchange->release();  // the worker's reference
    }
    std::string body, responseHeaders;
    int status = 0;
    if (finished) {
        body = std::move(exchange->body);
        responseHeaders = std::move(exchange->responseHeaders);
        status = exchange->status;
    } else {
        // Past the limit the request counts as failed. The worker still uses
        // the session and frees the exchange when it is done.
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
