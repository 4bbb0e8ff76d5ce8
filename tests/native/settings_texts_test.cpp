#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/key_help.h"
#include "settings/restart_script.h"

namespace {
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        out.push_back(text.substr(start, at - start));
    out.push_back(text.substr(start));
    return out;
}
}  // namespace

TEST(KeyCodeHelp, TableBytes) {
    const std::string text = keyCodeHelpText();
    EXPECT_EQ(text.size(), 1958u);
    const auto rows = lines(text);
    ASSERT_EQ(rows.size(), 99u);
    EXPECT_NE(text.substr(text.size() - 2), "\r\n");  // no break after the last line
    EXPECT_EQ(rows[0], "A <--------> 65");
    EXPECT_EQ(rows[25], "Z <--------> 90");
    EXPECT_EQ(rows[28], "");  // between 1 and 2
    EXPECT_EQ(rows[37], "数字键盘 1 <--------> 97");
    EXPECT_EQ(rows[98], "'' ' <--------> 222");
    std::vector<std::string> enterRows;
    for (const auto& r : rows)
        if (r.rfind("Enter ", 0) == 0) enterRows.push_back(r);
    EXPECT_EQ(enterRows, (std::vector<std::string>{"Enter <--------> 108", "Enter <--------> 13"}));
    EXPECT_EQ(keyCodeHelpText(), text);  // the same bytes every time
}

TEST(RestartScript, PathsStandQuotedAndExact) {
    const struct {
        const char* name;
        std::string path, line3;
    } cases[] = {
        {"plain", "D:\\Tools\\paste.exe", "start \"\" \"D:\\Tools\\paste.exe\""},
        {"spaces", "C:\\Program Files\\Nexlune\\nexlune.exe", "start \"\" \"C:\\Program Files\\Nexlune\\nexlune.exe\""},
        {"chinese", "C:\\工具 箱\\粘贴.exe", "start \"\" \"C:\\工具 箱\\粘贴.exe\""},
        // cmd would read %PATH% as the variable and %x as nothing: doubled.
        {"percent", "C:\\100%\\a%PATH%b\\n.exe", "start \"\" \"C:\\100%%\\a%%PATH%%b\\n.exe\""},
        {"placeholder-like", "C:\\秒数\\<文件名>.exe", "start \"\" \"C:\\秒数\\<文件名>.exe\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto rows = lines(restartScriptText(c.path));
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(rows[0], "@echo off ");
        EXPECT_EQ(rows[1], "@ping 127.0.0.1 -n 2 >nul");
        EXPECT_EQ(rows[2], c.line3);
        EXPECT_EQ(rows[3], "del Restart.bat");
    }
}
