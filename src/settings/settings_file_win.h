// The settings file set.ini in settingsDir: read with the defaults of the
// key table, written the moment a setting changes.
#pragma once
#include <string>

#include "app/app_state.h"
#include "settings/settings_rules.h"

std::string settingsFilePath(const AppState& app);
// The stored text, or the key's default when the key is absent.
std::string readStoredSetting(const AppState& app, const settings::Key& key);
bool storeSetting(const AppState& app, const settings::Key& key, const std::string& value);
