#include "settings/restart_script.h"

#include "base/gbk_text.h"

namespace {

constexpr const char* kTemplate =
    "@echo off \r\n"
    "@ping 127.0.0.1 -n \xC3\xEB\xCA\xFD >nul\r\n"  // "@ping 127.0.0.1 -n 秒数 >nul\r\n"
    "start \"\" \"<\xCE\xC4\xBC\xFE\xC3\xFB>\"\r\n"  // "start \"\" \"<文件名>\"\r\n"
    "del Restart.bat";

void replaceFirst(std::string& text, const std::string& placeholder, const std::string& value) {
    const size_t at = gbk::find(text, placeholder);
    if (at != std::string::npos) text.replace(at, placeholder.size(), value);
}

}  // namespace

std::string batchLiteral(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

std::string restartScriptText(const std::string& programPath, int pauseCount) {
    std::string text = kTemplate;
    replaceFirst(text, "<\xCE\xC4\xBC\xFE\xC3\xFB>", batchLiteral(programPath));  // "<文件名>"
    replaceFirst(text, "\xC3\xEB\xCA\xFD", std::to_string(pauseCount));  // "秒数"
    return text;
}
