#pragma once

#include <QLockFile>

#include <memory>

// One copy of the program per user: a lock file in the user's runtime
// folder. A lock left by a copy that died is taken over.
class InstanceLock {
public:
    InstanceLock();
    // False when another running copy holds the lock.
    bool acquire();

    static QString lockPath();

private:
    std::unique_ptr<QLockFile> lock_;
};
