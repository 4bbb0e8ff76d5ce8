#include "app/app_state.h"

#include <cstdlib>

AppState& appState() {
    static AppState state;
    return state;
}

void exitCleanup() {
    AppState& s = appState();
    s.source.reset();
    for (std::string* text : {&s.separator, &s.settingsDir,
                              &s.skinAppName, &s.skinBaseDir}) {
        std::string().swap(*text);
    }
}

void registerExitCleanup() {
    // Functions registered with atexit and destructors of statics run in the
    // reverse order of their registration: the state must exist before the
    // cleanup is registered, or it is destroyed first and released twice.
    appState();
    std::atexit(exitCleanup);
}
