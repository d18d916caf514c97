// Mounts for the life of a test, made in a mount namespace of the test
// thread's own (threads it starts share it), so that none outlives the test
// or shows outside it. Need root.
#pragma once

#include <sched.h>
#include <string>
#include <sys/mount.h>

namespace twinseek::testing {

inline bool InPrivateMountNamespace() {
    static const bool made =
        unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return made;
}

class BindMount {
public:
    BindMount(const std::string& from, const std::string& to) : target(to) {
        mounted = InPrivateMountNamespace() && mount(from.c_str(), to.c_str(), nullptr, MS_BIND, nullptr) == 0;
    }
    ~BindMount() {
        if (mounted) umount2(target.c_str(), MNT_DETACH);
    }
    BindMount(const BindMount&) = delete;
    BindMount& operator=(const BindMount&) = delete;

    bool Mounted() const { return mounted; }

private:
    std::string target;
    bool mounted = false;
};

}  // namespace twinseek::testing
