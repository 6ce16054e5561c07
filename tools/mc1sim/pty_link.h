// The simulated serial device: a pseudo-terminal whose slave side the host
// opens through a symbolic link. The simulator keeps a slave descriptor open
// itself, so the host may close and re-open the device at will without the
// master side seeing a hang-up.
#pragma once

#include <string>

struct PtyLink {
    int master = -1;        // raw, non-blocking; the board's end of the line
    int slave = -1;         // kept open for the whole run
    std::string slaveName;  // e.g. /dev/pts/3
    std::string linkPath;   // the symbolic link made to slaveName
};

// Creates the pseudo-terminal (both sides raw) and points linkPath at its slave
// device, replacing an earlier symbolic link but never another kind of file.
// Returns true on success; false with a reason in error (nothing left behind).
bool OpenPtyLink(PtyLink& link, const std::string& linkPath, std::string& error);

// Removes the link (when it still points to this device) and closes both sides.
void ClosePtyLink(PtyLink& link);
