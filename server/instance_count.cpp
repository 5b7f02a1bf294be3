#include "server/instance_count.h"

namespace fluvanet::server {

namespace {
int liveInstances = 0;
int serverLocks = 0;
}  // namespace

LiveInstance::LiveInstance() noexcept { ++liveInstances; }
LiveInstance::LiveInstance(const LiveInstance&) noexcept { ++liveInstances; }
LiveInstance::~LiveInstance() { --liveInstances; }

int LiveInstances() noexcept { return liveInstances; }

void LockServer(bool lock) noexcept {
    if (lock) {
        ++serverLocks;
    } else if (serverLocks > 0) {
        --serverLocks;
    }
}

int ServerLocks() noexcept { return serverLocks; }

}  // namespace fluvanet::server
