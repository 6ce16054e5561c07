// Saving the pattern of a placement under a new name in the pattern folder
// (the pop-up's "Save"): the name is typed on the on-screen keyboard, an
// existing file is replaced only after the quilter confirms.
#pragma once

#include <string>

struct Pattern;

// The pattern folder the pop-up saves into.
constexpr const char* kPatternFolder = "./patterns/";

// The file name for a typed name: characters that could leave the folder or
// break a file name ("/", "\", control characters) removed, leading dots and
// surrounding spaces dropped, ".qcc" appended unless the name already ends in
// it. Returns "" when nothing usable remains.
std::string PatternFileNameFromEntry(const std::string& typed);

// Asks for a name ("SAVE AS:", starting empty); Cancel or an unusable name ends
// here (0). When folder holds an entry of that name, asks "FILE EXIXTS!\n\n
// OVERWRITE?" and anything but Yes ends here (0). Saves the pattern there: 1
// when written; on a failed write the error "COULD NOT SAVE PATTERN FILE." is
// shown and the result is -1. Nothing (0) for no pattern. folder ends in "/".
// The path written goes to savedPath when given.
int SavePatternAs(const Pattern* pattern, const char* folder, std::string* savedPath = nullptr);
