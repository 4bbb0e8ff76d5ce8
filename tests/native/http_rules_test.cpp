#include <gtest/gtest.h>

#include <iconv.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/gbk_text.h"
#include "update/base64.h"
#include "update/http_rules.h"
#include "update/release_page.h"

TEST(Base64, Rfc4648Vectors) {
    const struct {
        std::string in, want;
    } cases[] = {
        {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
        {std::string("\0\xff\xfe", 3), "AP/+"},
        {"user:密码", "dXNlcjrD3MLr"},  // GBK bytes of the password
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(base64Encode(c.in), c.want);
    }
    const std::string hundred = base64Encode(std::string(100, 'x'));
    EXPECT_EQ(hundred.size(), 136u);
    EXPECT_EQ(hundred.find_first_of("\r\n"), std::string::npos);
}

TEST(TextBetween, Markers) {
    const struct {
        const char *text, *start, *end, *want;
    } cases[] = {
        {"a='x';b='y';", "='", "';", "x"},
        {"no start here", "<v>", "</v>", ""},
        {"end</v> before <v>start", "<v>", "</v>", ""},
        {"<v>4.1</v>", "<v>", "</v>", "4.1"},
        {"<v></v>", "<v>", "</v>", ""},
        {"版本号：4.1；", "版本号：", "；", "4.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(textBetween(c.text, c.start, c.end), c.want);
    }
}

TEST(DefaultHeaders, CompletedNormalizedApplied) {
    const std::string ua = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
    const std::string url = "https://example.invalid/p";
    // Empty headers on GET: the four defaults in order, no empty first line.
    EXPECT_EQ(normalizeHeaderNames(completeDefaultHeaders("", url, false)),
              "Accept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn\r\n" + ua);
    // "X-Accept:" contains "Accept:": no default Accept line.
    EXPECT_EQ(completeDefaultHeaders("X-Accept: 1", url, false).find("Accept: */*"), std::string::npos);
    // A lower-case content type suppresses the POST default and is capitalized.
    const std::string post = normalizeHeaderNames(completeDefaultHeaders("content-type: text/plain", url, true));
    EXPECT_EQ(post.find("application/x-www-form-urlencoded"), std::string::npos);
    EXPECT_EQ(post.substr(0, 24), "Content-Type: text/plain");
    EXPECT_NE(completeDefaultHeaders("", url, true).find("Content-Type: application/x-www-form-urlencoded"),
              std::string::npos);
    EXPECT_EQ(normalizeHeaderNames("x-requested-with: a-b\r\nno colon\r\n\r\naccept-language: zh-cn"),
              "X-Requested-With: a-b\r\nAccept-Language: zh-cn");

    using P = std::vector<HeaderPair>;
    EXPECT_EQ(applyHeaderLines(" Host : a:b "), (P{{"Host", "a:b"}}));
    EXPECT_EQ(applyHeaderLines("A: 1\r\n\r\nConnection: keep-alive\r\nConnection: Keep-Alive\r\nbare"),
              (P{{"A", "1"}, {"Connection", "Keep-Alive"}, {"", ""}}));
}

TEST(Cookies, PreparedCollectedMerged) {
    EXPECT_EQ(prepareCookieText("Cookie: a=1; cookie:b=2"), " a=1; b=2");
    EXPECT_EQ(prepareCookieText("a=1"), "a=1");
    EXPECT_EQ(collectResponseCookies("HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"
                                     "set-cookie: c=3\r\nX-Set-Cookie: d=4; x\r\n"),
              "a=1; b=2");
    EXPECT_EQ(collectResponseCookies("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n"), "");
    const struct {
        const char *sent, *received, *want;
    } merges[] = {
        {"a=1; b=2", "b=3; c=deleted", "b=3; a=1"},
        {"", "", ""},
        {"a=1;", "", "a=1"},
        {" x=1 ", "y=2; y=2", "y=2; x=1"},
        {"a=1; flag", "flag; a=2", "flag; a=2"},
    };
    for (const auto& m : merges) {
        SCOPED_TRACE(std::string(m.sent) + " | " + m.received);
        EXPECT_EQ(mergeCookieTexts(m.sent, m.received), m.want);
    }
}

#include "update/charset_names.h"

TEST(CharsetNames, StreamObjectNames) {
    const struct {
        const char* name;
        unsigned codePage;
    } cases[] = {
        {"UTF-8", 65001}, {"utf-8", 65001}, {"GBK", 936},       {"gb2312", 936},       {"GB18030", 54936},
        {"BIG5", 950},    {"Shift_JIS", 932}, {"unicode", 1200}, {"UTF-16", 1200},     {"UTF-16BE", 1201},
        {"windows-1252", 1252}, {"Windows-1251", 1251}, {"cp1250", 1250}, {"iso-8859-1", 28591}, {"us-ascii", 20127},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(codePageForCharset(c.name), std::optional<unsigned>(c.codePage));
    }
    for (const char* unknown : {"", "klingon", "windows-", "cp12a", "windows-1234567"})
        EXPECT_FALSE(codePageForCharset(unknown).has_value()) << unknown;
    EXPECT_EQ(byteOrderMark(65001), "\xEF\xBB\xBF");
    EXPECT_EQ(byteOrderMark(936), "");
}

#include "update/release_page.h"

TEST(ReleasePage, VersionAndComparison) {
    const struct {
        const char* page;
        const char* version;
        bool newer;
    } cases[] = {
        {"x='Nexlune 版本4.1';", "4.1", true},
        {"x='Nexlune 版本4.0.1';", "4.0.1", true},
        {"x='Nexlune 版本4.0 ';", "4.0 ", true},
        {"x='Nexlune 版本4.0';", "4.0", false},
        {"x='Nexlune 版本3.9';", "3.9", false},
        {"x='Nexlune 版本10.0';", "10.0", false},  // '1' is a smaller byte than '4'
        {"x='旧版本3.0 新版本4.2';", "4.2", true},  // the last occurrence decides
        {"a='no version here'; b='版本9.9';", "", false},  // the first piece decides
        {"no markers at all", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        const ReleasePage page = readReleasePage(c.page);
        EXPECT_EQ(page.version, c.version);
        EXPECT_EQ(isNewerVersion(page.version, kCurrentVersion), c.newer);
    }
    const ReleasePage page = readReleasePage("t='Nexlune 版本4.1';<span id=\"filename\">nexlune-4.1.zip</span>");
    EXPECT_EQ(page.title, "Nexlune 版本4.1");
    EXPECT_EQ(page.fileName, "nexlune-4.1.zip");
    EXPECT_EQ(readReleasePage("t='版本4.1';").fileName, "");
    EXPECT_TRUE(isNewerVersion("\xB0", "4"));  // bytes compare unsigned
}

namespace {

// A UTF-8 text in GBK, as the update check converts the page it reads.
std::string utf8ToGbkBytes(const std::string& utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    std::string out(utf8.size() * 2 + 1, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size(), outLeft = out.size();
    char* to = &out[0];
    iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

// The release page template that goes with the release: it offers this
// build's version, so an older build asks and this one does not.
TEST(ReleasePage, TemplateOffersThisVersion) {
    std::ifstream file(NX_SOURCE_DIR "/packaging/release-page.html", std::ios::binary);
    ASSERT_TRUE(file.good());
    std::stringstream text;
    text << file.rdbuf();
    const ReleasePage page = readReleasePage(utf8ToGbkBytes(text.str()));
    EXPECT_EQ(page.version, kCurrentVersion);
    EXPECT_EQ(page.fileName, "Nexlune-" + std::string(kCurrentVersion) + "-win64-setup.exe");
    EXPECT_FALSE(isNewerVersion(page.version, kCurrentVersion));
    EXPECT_TRUE(isNewerVersion(page.version, "3.9"));
}
