// The program's end: the state's texts are released exactly once. Built with
// AddressSanitizer, which fails the run on a double free or a use after free.
// Registered as the program's start registers it, then filled as after a
// drop, then ended by returning from main as the program does.
#include "app/app_state.h"

int main() {
    registerExitCleanup();
    AppState& s = appState();
    s.settingsDir.assign(200, 's');
    s.skinBaseDir.assign(200, 'k');
    s.skinAppName.assign(100, 'a');
    s.separator.assign(100, ',');
    auto loaded = std::make_shared<LoadedText>();
    loaded->sourceBytes = std::make_shared<const std::string>(100000, 'b');
    loaded->convertedText.assign(*loaded->sourceBytes);
    loaded->sourceText = loaded->convertedText;
    loaded->segments.build(loaded->sourceText, ",");
    s.source = loaded;
    return 0;
}
