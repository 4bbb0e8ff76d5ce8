#include "app/app_state.h"

AppState& appState() {
    static AppState state;
    return state;
}

void exitCleanup() {
    AppState& s = appState();
    for (std::string* text : {&s.sourceBytes, &s.sourceText, &s.separator, &s.settingsDir,
                              &s.skinAppName, &s.skinBaseDir}) {
        std::string().swap(*text);
    }
}
