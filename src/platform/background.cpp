#include "platform/background.h"

#include <process.h>

#include <memory>

#include "platform/win.h"

namespace {

unsigned __stdcall runJob(void* job) {
    const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(job));
    try {
        (*work)();
    } catch (...) {
    }
    return 0;
}

}  // namespace

bool runInBackground(std::function<void()> work) {
    auto job = std::make_unique<std::function<void()>>(std::move(work));
    const uintptr_t thread = _beginthreadex(nullptr, 0, runJob, job.get(), 0, nullptr);
    if (!thread) return false;
    job.release();  // the thread owns it now
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}
