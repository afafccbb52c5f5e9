#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

// Reads the system's font configuration on a thread of its own while the application object
// connects to the window system. The first text the window lays out otherwise waits for that read,
// the largest single step of putting the window up (fontconfig parses its XML files). Where the
// font configuration library is not the one in use, nothing happens. Wait() must return before the
// first font is asked for, or the library would read its configuration twice.
//
// The thread stays, idle, until the object goes: the memory the configuration was read into stays
// with it, and a thread started later (the diary's read) gets a heap of its own instead of sharing
// the rest of this one's.
class TFontWarmUp {
public:
    TFontWarmUp();
    ~TFontWarmUp();
    TFontWarmUp(const TFontWarmUp&) = delete;
    TFontWarmUp& operator=(const TFontWarmUp&) = delete;

    // Until the configuration is read.
    void Wait();

private:
    std::mutex fMutex;
    std::condition_variable fChanged;
    bool fRead = false;
    bool fReleased = false;
    std::thread fThread;
};
