// One lock for the whole process. Hosts call a content plugin from several
// threads at once (panel workers, background value requests), while the group
// catalog keeps one shared answer record; holding this lock around a lookup
// and the copy of its answer keeps two calls from reading each other's half.
#pragma once

class ProcessLock {
public:
    ProcessLock();
    ~ProcessLock();
    ProcessLock(const ProcessLock&) = delete;
    ProcessLock& operator=(const ProcessLock&) = delete;
};
