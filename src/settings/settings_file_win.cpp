#include "settings/settings_file_win.h"

#include "platform/profile.h"

std::string settingsFilePath(const AppState& app) { return app.settingsDir + settings::kFileName; }

std::string readStoredSetting(const AppState& app, const settings::Key& key) {
    return readSetting(settingsFilePath(app), settings::kSection, key.name, key.fallback);
}

bool storeSetting(const AppState& app, const settings::Key& key, const std::string& value) {
    return writeSetting(settingsFilePath(app), settings::kSection, key.name, value);
}
