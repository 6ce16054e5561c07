// Running an outside program (an update script, the reboot command) from an
// argument vector: fork and exec, never a shell, so no file name can become a
// command. The screen stays alive while the program runs.
#pragma once

#include <string>
#include <vector>

// Result of RunCommand when the program could not be started or did not end
// normally (killed by a signal).
constexpr int kCommandNotRun = -1;

// Runs argv[0] (a path; no search of PATH) with the arguments, in workDir when
// it is not empty, standard input from /dev/null, and waits for it, draining
// screen events every 20 ms. Returns the program's exit status, or
// kCommandNotRun when argv is empty, the program could not be started, or it
// ended by a signal.
int RunCommand(const std::vector<std::string>& argv, const std::string& workDir = "");
