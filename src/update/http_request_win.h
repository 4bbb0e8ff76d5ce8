// One synchronous HTTP request; returns the response body.
#pragma once
#include <memory>
#include <optional>
#include <string>

// A request object that a caller can keep across requests (it keeps its
// own connections and cookies, as a browser session does).
class HttpSession {
public:
    // proxy: a named proxy server for all its requests ("" for none).
    explicit HttpSession(const std::string& proxy = "");
    ~HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;
    void* handle() const { return handle_; }

private:
    void* handle_;
};

// Whole requests are bounded, whatever the time-outs of their phases: a
// server that trickles its answer cannot hold the caller for ever. At the
// limit the connection is cut off, and the request's worker ends too.
constexpr unsigned kHttpRequestLimitMs = 60000;
// A body beyond this counts as failed (empty), so that a 32-bit process is
// not run out of memory by one page.
constexpr size_t kHttpBodyLimit = 16u << 20;
// A request that makes the process's committed memory grow by more than this
// while it runs is cut off and counts as failed. Wine's WinHTTP keeps every
// response header a server sends (it ignores the header size limit Windows
// keeps), so headers that never end would fill the memory. Above what a body
// up to kHttpBodyLimit takes while it is read (twice the limit at most).
constexpr size_t kHttpGrowthLimit = 48u << 20;

struct HttpRequest {
    std::string url;
    int method = 0;  // GET POST HEAD PUT OPTIONS DELETE TRACE CONNECT; other values: GET
    std::string postText;
    std::string* cookies = nullptr;          // in and out; null: not supplied
    std::string* responseCookies = nullptr;  // out
    std::string* headers = nullptr;          // in and out; null: empty
    std::string* responseHeaders = nullptr;  // out
    int* statusCode = nullptr;               // out
    bool noRedirect = false;
    std::string postBytes;  // sent instead of postText when not empty
    std::string proxy;
    int timeoutSeconds = 0;  // -1: the object's own; 1 or more: seconds; else 15 s
    std::string proxyUser;
    std::string proxyPassword;
    int credentialTarget = 1;  // 0 the server, 1 the proxy
    HttpSession* requestObject = nullptr;
    bool mergeCookies = true;
    bool completeHeaders = true;
    bool capitalizeHeaderNames = true;
    // HTTPS: true refuses a server whose certificate does not verify (unknown
    // root, expired, for another name, for another use); by default any
    // certificate is taken.
    bool verifyCertificates = false;
};

std::string sendHttpRequest(const HttpRequest& request);

const char* httpVerb(int method);
int httpPhaseTimeoutMs(int timeoutSeconds);  // -1 for "do not set"
