// Log output: every progress and diagnostic line goes to standard output and is
// flushed at once, so a crash or power cut never loses the last lines.
#pragma once

#include <cstdarg>
#include <cstdio>

// printf-style line to standard output, flushed at once. The caller supplies
// any trailing newline, exactly as the text should appear.
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// puts-style: the text and a newline, flushed at once.
void LogLine(const char* text);

// Sends the log to another stream (standard error, for tools whose standard
// output is a report); stdout by default.
void SetLogStream(FILE* stream);
