// Runs a program as a child process (fork and exec with an argument vector, no
// shell) and collects its exit status and output, for tests of the command-line
// tools and the controller program.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct ProgramResult {
    int exitStatus = -1;  // the exit status, or -1 when it did not exit normally
    int signal = 0;       // the signal that ended it, if one did
    bool timedOut = false;
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs argv[0] with the arguments, in workDir when it is not empty, killing it
// after timeoutMs. Standard input is /dev/null. whileRunning, when given, is
// called at least every 50 ms while the child runs (to answer its windows).
ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& workDir = "",
                         int timeoutMs = 60000,
                         const std::function<void()>& whileRunning = nullptr);
