// Applying one of the built-in skins through the skin library at start.
#pragma once
#include <string>

#include "app/app_state.h"

constexpr const char* kSkinLibraryName = "SkinH_EL.dll";
constexpr int kSkinLibraryResource = 1;  // RCDATA: the library for this architecture

// skinBaseDir becomes Documents\brenko\ and is created.
void initSkinModule(AppState& app);
// 1..4: that skin; -1: none; anything else: style= in [initial] of tansivo.ini.
void loadSkin(AppState& app, const std::string& appName, int number);
