// The release of the running operating-system kernel, read from the first line
// of "/proc/version" ("Linux version 2.6.29.6_dunlow (...) ..."). The about box
// and the program-copy procedure use it to tell the system generation apart.
#pragma once

#include <string>

// Reads "/proc/version" (see GetKernelFrom). Called by the about box and by the
// program update.
int GetKernel(std::string* version, std::string* suffix = nullptr);

// Reads the first line of the file at path (at most 128 characters), takes the
// blank-delimited word around the first "." (the kernel release, e.g.
// "2.6.29.6_dunlow"), cuts it at the last "_" and stores the part before in
// version and, when suffix is given, the part after in suffix ("" when the word
// has no "_"). Returns 0 on success; 1 when the file cannot be opened (prints
// "version == NULL"); 2 when the first line holds no "." (nothing to read).
// On 1 and 2 the outputs are left untouched.
int GetKernelFrom(const char* path, std::string* version, std::string* suffix = nullptr);
