#include "update/update_check.h"

#include <cstring>

#include "platform/desktop.h"
#include "ui/message_box.h"
#include "update/charset.h"
#include "update/http_request.h"
#include "update/release_page.h"

bool checkForUpdate(const std::string& releasePageUrl, const std::string& currentVersion, bool askUser) {
    HttpRequest request;
    request.url = releasePageUrl;
    std::string headers = kUpdateUserAgent;
    request.headers = &headers;
    const std::string body = convertCharset(sendHttpRequest(request));
    const std::string pageText(body.c_str(), strnlen(body.c_str(), body.size()));
    const ReleasePage page = readReleasePage(pageText);
    if (!isNewerVersion(page.version, currentVersion)) return false;
    if (askUser) {
        constexpr int kYes = 5;
        if (timedMessageBox("更新内容:" + page.fileName, MB_YESNO, page.title + "是否下载?", std::nullopt, 200000) ==
            kYes)
            openUrl(releasePageUrl);
    }
    return true;
}
