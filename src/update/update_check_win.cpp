#include "update/update_check_win.h"

#include <cstring>

#include "platform/processes.h"
#include "ui/message_box_win.h"
#include "update/charset_win.h"
#include "update/http_request_win.h"
#include "update/release_page.h"

bool checkForUpdate(const std::string& releasePageUrl, const std::string& currentVersion, bool askUser) {
    HttpRequest request;
    request.url = releasePageUrl;
    request.verifyCertificates = true;  // a page is believed only from the release host itself
    std::string headers = kUpdateUserAgentHeader;
    request.headers = &headers;
    const std::string body = convertCharset(sendHttpRequest(request));
    const std::string pageText(body.c_str(), strnlen(body.c_str(), body.size()));
    const ReleasePage page = readReleasePage(pageText);
    if (!isNewerVersion(page.version, currentVersion)) return false;
    if (askUser) {
        if (timedMessageBox("更新内容:" + page.fileName, MB_YESNO, page.title + "是否下载?", std::nullopt, 200000) ==
            kBoxYes)
            openUrl(releasePageUrl);
    }
    return true;
}
