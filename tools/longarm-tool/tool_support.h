// Helpers shared by the sub-commands of longarm-tool: usage errors, help
// requests, whole-number arguments and the message seam of commands that load
// layouts.
#pragma once

#include <string>

#include "commands.h"

// Prints a usage text to standard error; returns 2, the exit status of a usage
// error. Called by every sub-command on arguments it cannot take.
int ToolUsage(const char* text);

// True when an argument asks for help ("--help" or "-h").
bool WantsHelp(const Arguments& args);

// Reads a whole decimal number from low to high into value; false (value
// unchanged) for an empty text, trailing characters, overflow or a number out
// of range.
bool ParseWholeNumber(const std::string& text, long low, long high, long& value);

// Shows the core's message windows as "longarm-tool: TEXT" lines on standard error, so
// standard output stays a report. Called before a command loads a layout.
void UseToolInterface();

// Loads a layout file into the tables without questions (UseToolInterface
// first; the reader's log goes to standard error). Returns true when the whole
// file was read.
bool LoadLayoutForTool(const std::string& path);
