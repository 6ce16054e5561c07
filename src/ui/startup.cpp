#include "ui/startup.h"

#include <gtk/gtk.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/crash_recovery.h"
#include "app/machine_startup.h"
#include "base/application_state.h"
#include "base/log.h"
#include "base/safe_write.h"
#include "base/screen_config.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "base/usb_drive.h"
#include "camera/camera_capture.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/mc1_commands.h"
#include "machine/serial_link.h"
#include "machine/stitching/run_state.h"
#include "maintenance/program_update.h"
#include "pattern/pattern.h"
#include "ui/drawing_area.h"
#include "ui/file_chooser.h"
#include "ui/file_manager_screen.h"
#include "ui/gtk_interface.h"
#include "ui/interface.h"
#include "ui/layout_actions.h"
#include "ui/menu.h"
#include "ui/message_windows.h"
#include "ui/pattern_popup.h"
#include "ui/pattern_select.h"
#include "ui/placement_actions.h"
#include "ui/run_view.h"
#include "ui/screens.h"
#include "ui/setup_screen.h"
#include "ui/stitch_preview_screen.h"
#include "ui/trace_view.h"
#include "ui/widget_helpers.h"

namespace {

// Mask that the menu row starts with, kept by the pattern-select first screen.
constexpr uint32_t kStartMask = kStartupMenuMask;

std::string currentScreenName;
ProgramOptions options;

bool RecoveryLayoutExists() {
    FILE* file = std::fopen(kRecoveryLayoutPath, "r");
    if (!file) return false;
    std::fclose(file);
    return true;
}

// Path of this program, for the message process started after a crash.
std::string ProgramPath() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "/proc/self/exe";
    path[length] = '\0';
    return path;
}

// Runs once the main loop has shown the first screen.
gboolean OnFirstScreenShown(gpointer) {
    Log("Screen: %s, menu mask 0x%X\n", currentScreenName.c_str(), MenuStateMask());
    if (options.testCrash) {
        LogLine("Causing a segmentation fault (--test-crash)");
        raise(SIGSEGV);
    }
    if (options.quitAfterStart) gtk_main_quit();
    return FALSE;
}

void PackScreen(GtkWidget* screen, int padding) {
    KeepWidget(&interface->currentScreen, screen);
    if (!screen) return;
    gtk_box_pack_start(GTK_BOX(interface->mainBox), screen, FALSE, FALSE, padding);
    gtk_widget_show_all(screen);
}

// Shows only the crash message, for the crash handler of the program that
// crashed, and waits for OK.
int ShowCrashMessageOnly(std::vector<std::string>& rest) {
    ParseConfig();
    int argc = static_cast<int>(rest.size());
    std::vector<char*> argv;
    for (std::string& argument : rest)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    char** args = argv.data();
    if (!gtk_init_check(&argc, &args)) {
        fprintf(stderr, "longarm: cannot open the display\n");
        return 2;
    }
    gtk_rc_parse(GtkStyleFile());
    InstallGtkInterface();
    ShowMessage(kMessageError, kButtonsOk, kCrashMessageText);
    return 0;
}

// The chooser at the stick for the program file of an update whose "./update"
// was lost.
std::string ChooseProgramFileAgain() {
    return GetFilename(SystemPath(kUsbMountPath).c_str(), kProgramFileFilter);
}

void ChooseFirstScreen() {
    if (!RecoveryLayoutExists()) {
        SetBoxMode(0);
        ResetQuiltAreaCorners();
        PackScreen(createExtentsSetup(0), 0);
        currentScreenName = "quilt-area setup";
        SetMenuStateMask(kQuiltAreaSetupMask);
    } else {
        PackScreen(createPatternSelectScreen(), 0);
        currentScreenName = "pattern select";
    }
}

void RecoverLayout() {
    if (!RecoveryLayoutExists()) return;
    LogLine("Recover Layout");
    LoadRecoveryLayout(kRecoveryLayoutPath);
    // Deleted whether it loaded or not, so a layout that crashes the program
    // cannot do so at every start.
    std::remove(kRecoveryLayoutPath);
}

}  // namespace

void BuildMainWindow() {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Longarm");
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_widget_set_size_request(window, screen_width, screen_height);
    gtk_window_move(GTK_WINDOW(window), 0, 0);
    KeepWidget(&interface->window, window);
    KeepWidget(&interface->mainBox, gtk_vbox_new(FALSE, 0));
    gtk_container_add(GTK_CONTAINER(window), interface->mainBox);
}

GtkWidget* BuildMenuRow() {
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), createMenu(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), createToolbar(), TRUE, TRUE, 0);
    interface->menu = MenuRecord();
    interface->toolbar = ToolbarRecord();
    return row;
}

const char* CurrentScreenName() {
    return currentScreenName.c_str();
}

void ShowScreen(const std::function<GtkWidget*()>& builder, uint32_t mask, const char* name) {
    if (!interface || !isWidget(interface->mainBox)) return;
    clearScreen();
    PackScreen(builder(), 2);
    currentScreenName = name ? name : "";
    SetMenuStateMask(mask);
    Log("Screen: %s, menu mask 0x%X\n", currentScreenName.c_str(), mask);
}

void RestartProgram() {
    if (ShowMessage(kMessageQuestion, kButtonsOkCancel, "DO YOU WANT TO RESTART THE PROGRAM?\n") ==
        kResponseOk)
        exit(0);
}

int initializeUserInterface(int argc, char** argv) {
    std::vector<std::string> rest;
    std::string error;
    if (ParseProgramOptions(argc, argv, options, rest, error) != kParseOk) {
        fprintf(stderr, "longarm: %s\n%s", error.c_str(), ProgramUsage());
        return 2;
    }
    if (options.help) {
        fputs(ProgramUsage(), stdout);
        return 0;
    }
    if (options.crashMessage) return ShowCrashMessageOnly(rest);
    if (!options.rootDir.empty() && !SetSystemRoot(options.rootDir.c_str())) {
        fprintf(stderr, "longarm: --root %s: not a usable folder\n", options.rootDir.c_str());
        return 2;
    }

    menuReady = 0;
    lastUpdateTime = 0;
    ParseConfig();
    ClearPatternList();
    SetStatusBar(nullptr);
    panX = panY = 0;

    LogLine("Initialize User Interface Function");
    Log("Set Signals...");
    SetCrashMessageCommand({ProgramPath(), "--crash-message"});
    InstallCrashHandlers();

    Log("done.\nCreate Directories...");
    mkdir("./thumbnails", 0777);
    mkdir("./Layout", 0777);
    RemoveStaleTemporaries();

    Log("done.\nInitialize GTK...");
    int toolkitArgc = static_cast<int>(rest.size());
    std::vector<char*> toolkitArgv;
    for (std::string& argument : rest)
        toolkitArgv.push_back(argument.data());
    toolkitArgv.push_back(nullptr);
    char** toolkitArgs = toolkitArgv.data();
    if (!gtk_init_check(&toolkitArgc, &toolkitArgs)) {
        fprintf(stderr, "\nlongarm: cannot open the display\n");
        return 2;
    }
    InstallGtkInterface();
    InstallLayoutInterface();
    InstallRunView();

    Log("done.\nParse gtkrc...");
    gtk_rc_parse(GtkStyleFile());

    Log("done.\nCheck Switching Data...");
    SelectSerialPort(options.portSelector.empty() ? nullptr : options.portSelector.c_str());
    SetSerialDevicePath(options.serialPath);

    // The record exists from the program's start (see application_state.h).
    Log("done.\nCreate Interface Structure...");

    Log("done.\nInitiate Pattern Boxes...");
    SetCurrentPatternBox(-1);
    InitPatternBox();
    InitArrays();

    Log("done.\nInitiate Threads...");
    threaded = InitThreads();

    Log("done.\nGet Constants From MC1...");
    RunStartupMerge();
    statWindow = nullptr;
    stitching = 1;
    vHandles = 0;

    Log("done.\nCreate Extents...");

    Log("done.\nCreate Main Window...");
    BuildMainWindow();

    Log("done.\nCreate Menu And Toolbar...");
    GtkWidget* menuRow = BuildMenuRow();

    Log("done.\nCreate Initial Screen...");
    unsigned char direction = 0;
    if (GetMotorDirection(&direction) == 0) CurrentRun().motorDirection = direction;
    gtk_box_pack_start(GTK_BOX(interface->mainBox), menuRow, FALSE, FALSE, 0);
    gtk_widget_show(menuRow);
    ChooseFirstScreen();

    Log("done.\nInitialize Camera...");
    gtk_widget_show(interface->mainBox);
    gtk_widget_show(interface->window);
    interface->camera = InitCamera(&interface->captureImage);

    Log("done\nSet initial zoom value...");
    SetZoomAll();

    Log("done\nEntering GTK_MAIN()\n");
    xOn = yOn = origin = 0;
    SetCursor(MainDrawable(), kArrowCursor, 0);
    if (CheckUpdate(ChooseProgramFileAgain) == kStartEndNow) {
        // The update is finished; the controller's start-up environment starts
        // the new program.
        std::exit(1);
    }

    RecoverLayout();
    if (waitWindow) CloseWaitingWindow(waitWindow);

    g_idle_add_full(G_PRIORITY_LOW, OnFirstScreenShown, nullptr, nullptr);
    gtk_main();
    return options.quitAfterStart ? 0 : 1;
}
