#include "update/charset_win.h"

#include <climits>
#include <new>

#include "platform/bound.h"
#include "update/charset_names.h"

namespace {

std::wstring decode(const std::string& bytes, unsigned codePage) {
    std::string_view in(bytes);
    const std::string_view bom = byteOrderMark(codePage);
    if (!bom.empty() && in.substr(0, bom.size()) == bom) in.remove_prefix(bom.size());  // read, not kept
    if (codePage == kCodePageUtf16Le || codePage == kCodePageUtf16Be) {
        std::wstring text(in.size() / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i) {
            const auto a = static_cast<unsigned char>(in[2 * i]), b = static_cast<unsigned char>(in[2 * i + 1]);
            text[i] = static_cast<wchar_t>(codePage == kCodePageUtf16Le ? a | b << 8 : b | a << 8);
        }
        return text;
    }
    if (in.empty() || in.size() > INT_MAX) return L"";
    const int n = static_cast<int>(in.size());
    const int w = bound::bound_MultiByteToWideChar()(codePage, 0, in.data(), n, nullptr, 0);
    if (w <= 0) return L"";
    std::wstring text(static_cast<size_t>(w), L'\0');
    bound::bound_MultiByteToWideChar()(codePage, 0, in.data(), n, &text[0], w);
    return text;
}

std::string encode(const std::wstring& text, unsigned codePage) {
    std::string out(byteOrderMark(codePage));
    if (codePage == kCodePageUtf16Le || codePage == kCodePageUtf16Be) {
        for (wchar_t c : text) {
            const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>((c >> 8) & 0xFF);
            out += codePage == kCodePageUtf16Le ? std::string{lo, hi} : std::string{hi, lo};
        }
        return out;
    }
    if (text.empty() || text.size() > INT_MAX) return out;
    const int n = static_cast<int>(text.size());
    const int m = bound::bound_WideCharToMultiByte()(codePage, 0, text.data(), n, nullptr, 0, nullptr, nullptr);
    if (m <= 0) return out;
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(m));
    bound::bound_WideCharToMultiByte()(codePage, 0, text.data(), n, &out[start], m, nullptr, nullptr);
    return out;
}

// The stream object keeps the decoded text as an ANSI text: whatever the
// ANSI code page cannot hold becomes its default character.
std::wstring throughAnsi(const std::wstring& text) {
    return decode(encode(text, CP_ACP), CP_ACP);
}

}  // namespace

std::string convertCharset(const std::string& inputBytes, std::optional<std::string> fromCharset,
                           std::optional<std::string> toCharset, std::optional<int> readOffset) {
    const std::string from = fromCharset && !fromCharset->empty() ? *fromCharset : "UTF-8";
    const std::string to = toCharset && !toCharset->empty() ? *toCharset : "GBK";
    const auto fromPage = codePageForCharset(from), toPage = codePageForCharset(to);
    if (!fromPage || !toPage || inputBytes.empty()) return "";
    try {
        std::string out = encode(throughAnsi(decode(inputBytes, *fromPage)), *toPage);
        if (readOffset) out.erase(0, std::min(out.size(), static_cast<size_t>(std::max(0, *readOffset))));
        return out;
    } catch (const std::bad_alloc&) {
        return "";
    }
}
