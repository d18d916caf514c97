// Keeps a half-written file from outliving the process: while one is tracked,
// SIGINT, SIGTERM and SIGHUP, where they would end the process, first remove
// it and then end the process just as they would have.
#pragma once

#include <string>

namespace twinseek {

// One guard at a time for the whole process; a second one does nothing.
class RemoveOnSignal {
public:
    // Installs the handlers (only for signals whose action is the default) and
    // holds those signals back on this thread until Track, so that none can
    // come between making the file and naming it here.
    RemoveOnSignal();
    RemoveOnSignal(const RemoveOnSignal&) = delete;
    RemoveOnSignal& operator=(const RemoveOnSignal&) = delete;
    // Forgets the file, restores the signals' actions and lets them through.
    ~RemoveOnSignal();

    // The file to remove should a signal come; lets the held signals through.
    // False when the path is too long to keep or the guard is inactive.
    bool Track(const std::string& path);
    // The file needs no removing any more (renamed into place, or removed).
    void Forget();

private:
    bool active = false;
    bool holding = false;
};

}  // namespace twinseek
