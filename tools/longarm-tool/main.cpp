// longarm-tool: the headless companion of the controller program. A quilter
// prepares patterns and checks layouts with it on a laptop; a service
// technician checks a board with it.
#include <cstdio>
#include <cstring>

#include "commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const Arguments& args);
    const char* usage;
};

const Command kCommands[] = {
    {"board", RunBoardCommand, "board --serial PATH COMMAND [ARGS]   run one board operation"},
    {"defaults", RunDefaultsCommand,
     "defaults FILE [NAME=VALUE...]   list or change the machine parameters of a defaults file"},
    {"info", RunInfoCommand,
     "info FILE.qcc   show the names, points, commands and size of a pattern"},
    {"thumbnail", RunThumbnailCommand,
     "thumbnail FILE.qcc OUT.png [W H]   draw a pattern's thumbnail"},
    {"transform", RunTransformCommand,
     "transform FILE.qcc OUT.qcc OPERATION...   rotate, stretch, mirror or reverse a pattern"},
    {"camera", RunCameraCommand,
     "camera [--device PATH] OUT.png   save the picture the camera gives at start-up"},
    {"convert", RunConvertCommand,
     "convert IN OUT   turn a DXF drawing or QLI file into a pattern"},
    {"layout", RunLayoutCommand,
     "layout FILE.qlf   list the extents, boxes, patterns, placements and arrays of a layout"},
    {"render", RunRenderCommand, "render FILE.qlf OUT.png [W H]   draw a layout as an image"},
    {"pack", RunPackCommand,
     "pack FILE.qlf [--box N]   print the stitch path of a pattern box as CSV"},
    {"estimate", RunEstimateCommand,
     "estimate FILE.qlf [--box N]   stitches, jumps, thread cuts, length and run time of a box"},
    {"preview", RunPreviewCommand,
     "preview FILE.qlf OUT.png [--box N] [W H]   draw the stitch path of a box as it is sent"},
    {"run", RunRunCommand,
     "run FILE.qlf --serial PATH [--box N]   quilt a box on a board without the screen"},
    {"compose", RunComposeCommand,
     "compose OUT.qlf PATTERN.qcc...   a layout of patterns side by side in one box"},
    {"crc", RunCrcCommand,
     "crc FILE [--app N --version V --kernel K]   write the checksum file beside FILE"},
    {"firmware", RunFirmwareCommand,
     "firmware --serial PATH FILE.hex   load firmware into the motor-controller board"},
    {"autoscale", RunAutoscaleCommand,
     "autoscale FILE.qlf --placement N [--independent]   grow a placement into its box"},
    {"autofill", RunAutofillCommand,
     "autofill FILE.qlf --placement N [--independent]   fill a box with an array of a placement"},
    {"merge", RunMergeCommand,
     "merge FILE.qlf --placement N   turn a placement's array into one pattern"},
};

void PrintUsage(FILE* out) {
    std::fprintf(out, "usage: longarm-tool COMMAND [ARGS]\n\ncommands:\n");
    for (const Command& c : kCommands)
        std::fprintf(out, "  %s\n", c.usage);
    std::fprintf(out, "\nlongarm-tool COMMAND --help shows the details of one command.\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    for (const Command& c : kCommands) {
        if (std::strcmp(argv[1], c.name) == 0) return c.run(Arguments(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "longarm-tool: unknown command \"%s\"\n\n", argv[1]);
    PrintUsage(stderr);
    return 2;
}
