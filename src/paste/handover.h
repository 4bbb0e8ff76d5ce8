// The hand-over of one pasted text to the program that had the focus: from
// the moment the text is on the clipboard until that program has read it,
// another program has replaced it, or the bound has passed. Window-free; the
// clock is a wrapping millisecond tick count supplied by the caller.
#pragma once
#include <cstdint>

class HandOver {
public:
    // How long a text waits for its reader before the next one may replace it.
    static constexpr uint32_t kBoundMs = 1000;

    enum class Outcome { Taken, Replaced, Missed };

    // A new text is on the clipboard as of nowMs; returns its number.
    uint64_t begin(uint32_t nowMs);
    uint64_t current() const { return serial_; }
    // The program that had the focus has read the current text.
    void taken();
    // Another program has put something else on the clipboard.
    void replaced();

    // True while text number serial is the current one and still waits for
    // its reader: not taken, not replaced, its bound not passed, not finished.
    bool waiting(uint64_t serial, uint32_t nowMs) const;
    // Milliseconds left of the current text's bound (0 when nothing waits).
    uint32_t remainingMs(uint32_t nowMs) const;

    // Ends the wait of the current text once: its outcome the first time,
    // nothing after that (or when serial is no longer the current text).
    bool finish(uint64_t serial, Outcome& outcome);

private:
    uint64_t serial_ = 0;
    uint32_t startMs_ = 0;
    bool taken_ = false;
    bool replaced_ = false;
    bool finished_ = true;
};
