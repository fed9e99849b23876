// Linux: the process-wide lock behind ProcessLock is a POSIX mutex. It is
// statically initialised, so the lock works before any constructor of ours
// has run.
#include "platform/process_lock.h"

#include <pthread.h>

static pthread_mutex_t processLock = PTHREAD_MUTEX_INITIALIZER;

ProcessLock::ProcessLock() {
    pthread_mutex_lock(&processLock);
}
ProcessLock::~ProcessLock() {
    pthread_mutex_unlock(&processLock);
}
