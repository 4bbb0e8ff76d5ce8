#include "skin/skin_loader_win.h"

#include <string_view>

#include "settings/settings_rules.h"
#include "platform/bound.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/profile.h"
#include "skin/skin_format.h"

namespace {

using SkinAttachFn = int(WINAPI*)();
using SkinAttachResFn = int(WINAPI*)(const unsigned char*, int, const char*, int, int, int);

std::string_view carriedLibrary() {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(kSkinLibraryResource), MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    return bytes ? std::string_view(static_cast<const char*>(bytes), SizeofResource(nullptr, found))
                 : std::string_view();
}

}  // namespace

void initSkinModule(AppState& app) {
    app.skinBaseDir = settings::skinBaseFolder(getSpecialFolder(1));
    ensureDirectory(app.skinBaseDir);
}

void loadSkin(AppState& app, const std::string& appName, int number) {
    app.skinAppName = appName;
    const std::string appFolder = settings::appSettingsFolder(app.skinBaseDir, appName);
    ensureDirectory(appFolder);
    if (number == -1) return;
    if (number >= 1 && number <= 4)
        app.skinStyle = number;
    else
        app.skinStyle = textToInt(readSetting(appFolder + "tansivo.ini", "initial", "style"));
    if (app.skinStyle < 1 || app.skinStyle > 4) return;

    const std::string library = app.skinBaseDir + kSkinLibraryName;
    if (!fileExists(library)) writeWholeFile(library, carriedLibrary());  // an existing file is used as it is
    HMODULE loaded = LoadLibraryA(library.c_str());
    if (!loaded && GetLastError() == ERROR_BAD_EXE_FORMAT) {
        // A library this process can never load: the other build's (32 and
        // 64 bits share the folder) or not a library at all. Ours replaces it.
        if (writeWholeFile(library, carriedLibrary())) loaded = LoadLibraryA(library.c_str());
    }
    if (!loaded)
        fatalStartupError("无法载入皮肤库 " + library + "，程序无法继续运行，即将退出。");
    // Bound through the module just loaded, which carries the library's name.
    const auto attach = reinterpret_cast<SkinAttachFn>(bindByName(kSkinLibraryName, "SkinH_Attach"));
    const auto attachRes = reinterpret_cast<SkinAttachResFn>(bindByName(kSkinLibraryName, "SkinH_AttachRes"));
    attach();
    const std::vector<uint8_t>& skin = builtinSkin(app.skinStyle);
    static const char kNoPassword[] = "";
    attachRes(skin.data(), static_cast<int>(skin.size()), kNoPassword, 0, 0, 0);
}
