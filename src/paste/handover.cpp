#include "paste/handover.h"

uint64_t HandOver::begin(uint32_t nowMs) {
    ++serial_;
    startMs_ = nowMs;
    taken_ = replaced_ = finished_ = false;
    return serial_;
}

void HandOver::taken() {
    if (!finished_) taken_ = true;
}

void HandOver::replaced() {
    if (!finished_) replaced_ = true;
}

uint32_t HandOver::remainingMs(uint32_t nowMs) const {
    if (finished_ || taken_ || replaced_) return 0;
    const uint32_t elapsed = nowMs - startMs_;  // unsigned: survives the tick count wrapping
    return elapsed >= kBoundMs ? 0 : kBoundMs - elapsed;
}

bool HandOver::waiting(uint64_t serial, uint32_t nowMs) const {
    return serial == serial_ && remainingMs(nowMs) > 0;
}

bool HandOver::finish(uint64_t serial, Outcome& outcome) {
    if (serial != serial_ || finished_) return false;
    finished_ = true;
    outcome = taken_ ? Outcome::Taken : replaced_ ? Outcome::Replaced : Outcome::Missed;
    return true;
}
