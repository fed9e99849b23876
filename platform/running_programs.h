// The programs that run for this user, by the system's own list of
// processes: the process table on Linux, the system's process snapshot on
// Windows (and under Wine, the processes of its prefix).
#pragma once

#include <string>
#include <vector>

// The arguments of each process of this user that runs a program of that
// name (its program path first), one list per process. On Linux the name is
// the process's command name ("doublecmd"); on Windows its program file's
// name ("TOTALCMD64.EXE"), compared without regard to ASCII case, and the
// list of a process is empty: another process's command line is not the
// system's to give. A process that ends meanwhile, or whose details cannot
// be read, is left out.
std::vector<std::vector<std::string>> RunningProgramArguments(const char* programName);
