// A loaded file as the item list shows it: made once, off the window's
// thread, and never changed after; a reading of it holds on to it as long as
// it needs it.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "items/segments.h"

struct LoadedText {
    std::shared_ptr<const std::string> sourceBytes;  // whole content of the file, shared by its readings
    std::string convertedText;  // the bytes read as UTF-8 ("utf-8编码") where that differs from them
    std::string_view sourceText;  // the GBK text: a prefix of the bytes (up to a zero byte) or convertedText
    SegmentIndex segments;        // the rows, as views into sourceText

    LoadedText() = default;
    LoadedText(const LoadedText&) = delete;  // the views point into this object
    LoadedText& operator=(const LoadedText&) = delete;
};
