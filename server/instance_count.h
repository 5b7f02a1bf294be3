#pragma once
// What DllCanUnloadNow asks: is any object of the server alive, is the server locked.
// Every creatable class holds a LiveInstance member, so objects created as members of
// others count as well as those handed out by the factories.

namespace fluvanet::server {

class LiveInstance {
public:
    LiveInstance() noexcept;
    LiveInstance(const LiveInstance&) noexcept;
    LiveInstance& operator=(const LiveInstance&) noexcept { return *this; }
    ~LiveInstance();
};

int LiveInstances() noexcept;

// Unlocking more often than locking is ignored rather than letting the count go negative.
void LockServer(bool lock) noexcept;
int ServerLocks() noexcept;

}  // namespace fluvanet::server
