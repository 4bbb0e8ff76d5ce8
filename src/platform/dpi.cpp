#include "platform/dpi.h"

int systemDpi() {
    static const int dpi = [] {
        const HDC screen = GetDC(nullptr);
        const int value = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen) ReleaseDC(nullptr, screen);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

HFONT dialogFont() {
    static const HFONT font = [] {
        const auto stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        if (systemDpi() == 96) return stock;
        // The stock font keeps its 96-DPI height on Windows; its face, grown.
        LOGFONTA lf{};
        GetObjectA(stock, sizeof lf, &lf);
        constexpr int kHeightAt96 = 11;  // 8 points
        lf.lfHeight = -scaledForDpi(kHeightAt96);
        lf.lfWidth = 0;
        const HFONT grown = CreateFontIndirectA(&lf);
        return grown ? grown : stock;
    }();
    return font;
}
