#include "ui/FontWarmUp.h"

#include "util/HugePages.h"

#include <system_error>

#if defined(__linux__)
#include <dlfcn.h>
#endif

TFontWarmUp::TFontWarmUp()
{
#if defined(__linux__)
    // Only a library the program has loaded already (Qt's font database links it): none is loaded
    // for this.
    void* library = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_NOLOAD);
    if (!library)
        return;
    using TInit = int (*)();
    const auto init = reinterpret_cast<TInit>(dlsym(library, "FcInit"));
    if (!init) {
        dlclose(library);
        return;
    }
    try {
        fThread = std::thread([this, library, init] {
            UseHugePagesForThisThreadsHeap(); // the configuration is a few megabytes in memory
            init();
            dlclose(library);
            std::unique_lock lock(fMutex);
            fRead = true;
            fChanged.notify_all();
            fChanged.wait(lock, [this] { return fReleased; });
        });
    } catch (const std::system_error&) {
        dlclose(library); // no thread to spare: the window reads the configuration itself
    }
#endif
}

TFontWarmUp::~TFontWarmUp()
{
    if (!fThread.joinable())
        return;
    {
        const std::lock_guard lock(fMutex);
        fReleased = true;
    }
    fChanged.notify_all();
    fThread.join();
}

void TFontWarmUp::Wait()
{
    if (!fThread.joinable())
        return;
    std::unique_lock lock(fMutex);
    fChanged.wait(lock, [this] { return fRead; });
}
