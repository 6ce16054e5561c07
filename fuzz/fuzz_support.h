// What the fuzz harnesses share: a private scratch folder on a memory-backed
// filesystem, so that the readers' files and the writers' syncs cost no disk time;
// message boxes that answer at once without printing, a silenced log, and the
// harnesses' own checks of what a reader produced.
//
// Each harness is one libFuzzer target: LLVMFuzzerTestOneInput feeds one input
// to one reader and checks what came out. A failed check aborts, so libFuzzer
// keeps the input as a crash artifact.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Runs once per process, on the first input: makes the scratch folder,
// installs the silent message boxes and sends the log to /dev/null. (Readers
// that write a file of their own, like the DXF converter's "./dxf.log", write
// it to the working folder; scripts/fuzz runs the harnesses in build-fuzz/run.)
// installOnce, when given, runs once after that: the harness's own seams.
void FuzzSetUp(void (*installOnce)() = nullptr);

// The path of a file in the scratch folder.
std::string ScratchPath(const char* name);

// Replaces the scratch file at path with the bytes; aborts when it cannot.
void WriteScratch(const std::string& path, const uint8_t* data, size_t size);

// Reports a failed check of a harness and aborts.
[[noreturn]] void FuzzFail(const char* file, int line, const char* what);

#define FUZZ_CHECK(condition)                                       \
    do {                                                            \
        if (!(condition)) FuzzFail(__FILE__, __LINE__, #condition); \
    } while (0)
