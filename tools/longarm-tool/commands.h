// The sub-commands of longarm-tool. Each takes the arguments after its own name
// and returns the process exit status: 0 when the work ran, 2 for a usage error,
// 1 when the work failed (a file could not be read or written, for example).
#pragma once

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

// board --serial PATH COMMAND [ARGS]: one operation of the board command set.
int RunBoardCommand(const Arguments& args);
// info FILE.qcc: name lines, points, commands and size of a pattern file.
int RunInfoCommand(const Arguments& args);
// thumbnail FILE.qcc OUT.png [W H]: the chooser's thumbnail of a pattern file.
int RunThumbnailCommand(const Arguments& args);
// transform FILE.qcc OUT.qcc OPERATION...: rotate, stretch, mirror or reverse a pattern.
int RunTransformCommand(const Arguments& args);
// camera [--device PATH] OUT.png: save the picture the camera gives at start-up.
int RunCameraCommand(const Arguments& args);
// convert IN OUT: a DXF drawing or QLI file into a pattern file.
int RunConvertCommand(const Arguments& args);
// defaults FILE [NAME=VALUE...]: list or change the slots of a defaults file.
int RunDefaultsCommand(const Arguments& args);
// layout FILE.qlf: the extents, boxes, patterns, placements and arrays of a layout.
int RunLayoutCommand(const Arguments& args);
// render FILE.qlf OUT.png [W H]: a picture of the table, boxes and placed patterns.
int RunRenderCommand(const Arguments& args);
// pack FILE.qlf [--box N] [--serial PATH]: the stitch path of a box as CSV x,y,feed,halt,inserted.
int RunPackCommand(const Arguments& args);
// estimate FILE.qlf [--box N] [--serial PATH]: points, sections, jumps, cuts, length and run time
// of a box.
int RunEstimateCommand(const Arguments& args);
// crc FILE [--app N --version V --kernel K]: write the checksum file beside FILE.
int RunCrcCommand(const Arguments& args);
// firmware --serial PATH FILE.hex: load firmware into the motor-controller board.
int RunFirmwareCommand(const Arguments& args);
// preview FILE.qlf OUT.png [--box N] [W H]: a picture of the stitch path of a box.
int RunPreviewCommand(const Arguments& args);
// run FILE.qlf --serial PATH [--box N]: quilts a box on a board without the screen.
int RunRunCommand(const Arguments& args);
// compose OUT.qlf PATTERN.qcc...: a layout of the patterns side by side in one box.
int RunComposeCommand(const Arguments& args);
// autoscale FILE.qlf --placement N [--independent]: grow a placement into its box.
int RunAutoscaleCommand(const Arguments& args);
// autofill FILE.qlf --placement N [--independent]: fill a box with an array of a placement.
int RunAutofillCommand(const Arguments& args);
// merge FILE.qlf --placement N: turn a placement's array into one pattern.
int RunMergeCommand(const Arguments& args);
