// Windows: the process-wide lock behind ProcessLock is a slim reader/writer
// lock taken exclusively. It is statically initialised, so the lock works
// before any constructor of ours has run.
#include "platform/process_lock.h"

#include "platform/win32.h"

static SRWLOCK processLock = SRWLOCK_INIT;

ProcessLock::ProcessLock() {
    AcquireSRWLockExclusive(&processLock);
}
ProcessLock::~ProcessLock() {
    ReleaseSRWLockExclusive(&processLock);
}
