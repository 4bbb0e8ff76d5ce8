// Charset names as users of the Windows stream object pass them, mapped to
// Windows code pages.
#pragma once
#include <optional>
#include <string_view>

constexpr unsigned kCodePageUtf16Le = 1200;
constexpr unsigned kCodePageUtf16Be = 1201;
constexpr unsigned kCodePageUtf8 = 65001;

// The code page of a charset name (ASCII case ignored), or nothing for a
// name the stream object would not know.
std::optional<unsigned> codePageForCharset(std::string_view name);

// The byte-order mark that the stream object writes before text in this
// code page ("" for code pages without one).
std::string_view byteOrderMark(unsigned codePage);
