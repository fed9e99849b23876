// The process-wide lock behind ProcessLock: a slim reader/writer lock taken
// exclusively on Windows, a POSIX mutex on Linux. Both are statically
// initialised, so the lock works before any constructor of ours has run.
#include "process_lock.h"

#ifdef _WIN32
#include "win32.h"

static SRWLOCK processLock = SRWLOCK_INIT;

ProcessLock::ProcessLock() {
    AcquireSRWLockExclusive(&processLock);
}
ProcessLock::~ProcessLock() {
    ReleaseSRWLockExclusive(&processLock);
}

#else
#include <pthread.h>

static pthread_mutex_t processLock = PTHREAD_MUTEX_INITIALIZER;

ProcessLock::ProcessLock() {
    pthread_mutex_lock(&processLock);
}
ProcessLock::~ProcessLock() {
    pthread_mutex_unlock(&processLock);
}

#endif
