#include "shell_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "app/application_state.h"
#include "app/screen_config.h"
#include "app/ui_hooks.h"
#include "support/temp_dir.h"
#include "ui/screens.h"
#include "ui/widget_helpers.h"

namespace {

ScriptedResponder* activeResponder = nullptr;

int ScriptedShowMessage(int kind, int buttons, const char* text) {
    activeResponder->shown.push_back({kind, buttons, text ? text : ""});
    if (activeResponder->answers.empty()) return kResponseOk;
    int answer = activeResponder->answers.front();
    activeResponder->answers.pop_front();
    return answer;
}

int ScriptedShowMessageSpecial(int kind, const char* text, const char*, int) {
    return ScriptedShowMessage(kind, 0, text);
}

// The X server of this test program. Tests here click with xdotool at screen
// positions, so they get a display of their own: windows of test programs
// running at the same time cannot take their clicks.
pid_t privateServer = -1;

void StopPrivateServer() {
    if (privateServer > 0) {
        kill(privateServer, SIGTERM);
        waitpid(privateServer, nullptr, 0);
        privateServer = -1;
    }
}

// Starts Xvfb on a free display number and points DISPLAY at it; false when
// it cannot be started (the inherited display is used then).
bool StartPrivateServer() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        close(fds[0]);
        int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, STDOUT_FILENO);
        dup2(devnull, STDERR_FILENO);
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
               "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    struct pollfd wait = {fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty()) {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
        return false;
    }
    privateServer = child;
    atexit(StopPrivateServer);
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return true;
}

}  // namespace

bool EnsureGtk() {
    static int state = -1;
    if (state < 0) {
        StartPrivateServer();
        state = gtk_init_check(nullptr, nullptr) ? 1 : 0;
        ParseConfigFile("/nonexistent/screen.conf");
    }
    return state == 1;
}

void Drain() {
    while (gtk_events_pending())
        gtk_main_iteration();
}

void MakeMainWindow() {
    if (!interface) interface = NewInterfaceStruct();
    if (isWidget(interface->window)) return;
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_widget_set_size_request(window, screen_width, screen_height);
    gtk_window_move(GTK_WINDOW(window), 0, 0);
    KeepWidget(&interface->window, window);
    KeepWidget(&interface->mainBox, gtk_vbox_new(FALSE, 0));
    gtk_container_add(GTK_CONTAINER(window), interface->mainBox);
    gtk_widget_show_all(window);
    Drain();
}

void DropMainWindow() {
    if (!interface) return;
    clearScreen();
    if (isWidget(interface->window)) gtk_widget_destroy(interface->window);
    Drain();
    delete interface;
    interface = nullptr;
}

ScriptedResponder::ScriptedResponder() {
    activeResponder = this;
    UserInterfaceHooks hooks;
    hooks.showMessage = ScriptedShowMessage;
    hooks.showMessageSpecial = ScriptedShowMessageSpecial;
    SetUserInterfaceHooks(hooks);
}

ScriptedResponder::~ScriptedResponder() {
    SetUserInterfaceHooks({});
    activeResponder = nullptr;
}

void ClickWithXdotool(GtkWidget* widget) {
    gint x = 0, y = 0;
    gdk_window_get_origin(widget->window, &x, &y);
    if (!gtk_widget_get_has_window(widget)) {
        x += widget->allocation.x;
        y += widget->allocation.y;
    }
    x += widget->allocation.width / 2;
    y += widget->allocation.height / 2;
    std::string xs = std::to_string(x), ys = std::to_string(y);
    gchar* argv[] = {const_cast<gchar*>("xdotool"),
                     const_cast<gchar*>("mousemove"),
                     const_cast<gchar*>(xs.c_str()),
                     const_cast<gchar*>(ys.c_str()),
                     const_cast<gchar*>("click"),
                     const_cast<gchar*>("1"),
                     nullptr};
    g_spawn_async(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, nullptr);
}

std::string LongarmPath() {
    return std::string(LONGARM_BINARY_DIR) + "/bin/longarm";
}

ChildResult RunProgram(const std::vector<std::string>& args, const std::string& folder,
                       int timeoutMs, void (*whileRunning)()) {
    TempDir outputs;
    const std::string outPath = outputs.File("out"), errPath = outputs.File("err");
    ChildResult result;
    fflush(stdout);
    fflush(stderr);
    pid_t child = fork();
    if (child == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        if (chdir(folder.c_str()) != 0) _exit(126);
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    gint64 end = g_get_monotonic_time() + static_cast<gint64>(timeoutMs) * 1000;
    while (true) {
        pid_t done = waitpid(child, &result.status, WNOHANG);
        if (done == child) break;
        if (g_get_monotonic_time() > end) {
            kill(child, SIGKILL);
            waitpid(child, &result.status, 0);
            break;
        }
        if (whileRunning) whileRunning();
        g_usleep(50 * 1000);
    }
    result.out = ReadFileText(outPath);
    result.err = ReadFileText(errPath);
    return result;
}
