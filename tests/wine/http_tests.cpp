// Drives sendHttpRequest and checkForUpdate for the HTTP scenarios; the
// servers and the checks are on the other side (tests/e2e/http_scenarios.py).
// Prints key=hex lines.
//   http_tests request URL [options...]   options: method=N post=T postbytes=HEX cookies=T
//                                          headers=T noredirect timeout=N proxy=P user=U pass=P target=N
//   http_tests check URL answer [VERSION]  answer: yes | no (the question box is pressed);
//                                          VERSION: as a build of that version (default: this one)
//   http_tests trust HEX                   adds a certificate (its DER bytes) to the machine's trusted
//                                          roots: the test root of the HTTPS servers
#include "platform/win.h"

#include <wincrypt.h>

#include <cstdio>
#include <string>

#include "platform/bound.h"
#include "ui/message_box_win.h"
#include "update/http_request_win.h"
#include "update/release_page.h"
#include "update/update_check_win.h"
#include "tests/tools/hex_text.h"

namespace {

void put(const char* key, const std::string& value) { std::printf("%s=%s\n", key, hex(value).c_str()); }

UINT g_answer = IDNO;
std::string g_boxTitle, g_boxText;

// This process's question box: other checks may run beside it.
HWND ownBox() {
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
         w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId()) return w;
    }
    return nullptr;
}

void CALLBACK answerBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = ownBox();
    if (!box || !IsWindowVisible(box)) return;
    KillTimer(nullptr, id);
    char title[512] = {}, text[512] = {};
    GetWindowTextA(box, title, sizeof title);
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    g_boxTitle = title;
    g_boxText = text;
    PostMessageA(box, WM_COMMAND, g_answer, 0);
}

// crypt32 by name: the program itself does not link it.
bool trustRoot(const std::string& der) {
    auto open = reinterpret_cast<decltype(&CertOpenStore)>(bindByName("crypt32.dll", "CertOpenStore"));
    auto add = reinterpret_cast<decltype(&CertAddEncodedCertificateToStore)>(
        bindByName("crypt32.dll", "CertAddEncodedCertificateToStore"));
    auto close = reinterpret_cast<decltype(&CertCloseStore)>(bindByName("crypt32.dll", "CertCloseStore"));
    HCERTSTORE store = open(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    if (!store) return false;
    const bool added = add(store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                           static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    close(store, 0);
    return added;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string cmd = argv[1];
    if (cmd == "trust") return trustRoot(unhex(argv[2])) ? 0 : 1;
    if (cmd == "check") {
        g_answer = argc > 3 && std::string(argv[3]) == "yes" ? IDYES : IDNO;
        SetTimer(nullptr, 0, 100, answerBox);
        const DWORD t0 = GetTickCount();
        // The version of this build, or the one given (as an older build would be).
        const bool newer = checkForUpdate(argv[2], argc > 4 ? argv[4] : kCurrentVersion);
        std::printf("newer=%d\nms=%lu\n", newer ? 1 : 0, static_cast<unsigned long>(GetTickCount() - t0));
        put("title", g_boxTitle);
        put("text", g_boxText);
        return 0;
    }
    HttpRequest r;
    r.url = argv[2];
    std::string cookies, headers, responseCookies, responseHeaders;
    int status = -7;
    r.responseCookies = &responseCookies;
    r.responseHeaders = &responseHeaders;
    r.statusCode = &status;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t eq = arg.find('=');
        const std::string key = arg.substr(0, eq), value = eq == std::string::npos ? "" : arg.substr(eq + 1);
        if (key == "method") r.method = std::stoi(value);
        else if (key == "post") r.postText = value;
        else if (key == "postbytes") r.postBytes = unhex(value);
        else if (key == "cookies") { cookies = value; r.cookies = &cookies; }
        else if (key == "headers") { headers = unhex(value); r.headers = &headers; }
        else if (key == "noredirect") r.noRedirect = true;
        else if (key == "timeout") r.timeoutSeconds = std::stoi(value);
        else if (key == "proxy") r.proxy = value;
        else if (key == "user") r.proxyUser = unhex(value);
        else if (key == "pass") r.proxyPassword = unhex(value);
        else if (key == "target") r.credentialTarget = std::stoi(value);
    }
    const DWORD t0 = GetTickCount();
    const std::string body = sendHttpRequest(r);
    std::printf("ms=%lu\nstatus=%d\n", static_cast<unsigned long>(GetTickCount() - t0), status);
    put("body", body);
    put("cookies", cookies);
    put("responsecookies", responseCookies);
    put("headers", headers);
    put("responseheaders", responseHeaders);
    return 0;
}
