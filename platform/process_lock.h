// One lock for the whole process. Hosts call a content plugin from several
// threads at once (panel workers, background value requests); the lock
// serialises what is done once or changes shared state (the settings file's
// location, the catalog's one load), so that no thread sees another's half.
// Value requests take no lock: they read the catalog once it is published.
#pragma once

class ProcessLock {
public:
    ProcessLock();
    ~ProcessLock();
    ProcessLock(const ProcessLock&) = delete;
    ProcessLock& operator=(const ProcessLock&) = delete;
};
