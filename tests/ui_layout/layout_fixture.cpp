#include "layout_fixture.h"

#include "app/application_state.h"
#include "app/screen_config.h"
#include "app/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/pattern_box.h"
#include "ui/extents_setup.h"
#include "ui/layout_actions.h"
#include "ui/menu.h"
#include "ui/screens.h"
#include "ui/widget_helpers.h"

namespace {

ScriptedResponder* responder = nullptr;
ScriptedHead* head = nullptr;

int ScriptedShowMessage(int kind, int buttons, const char* text) {
    responder->shown.push_back({kind, buttons, text ? text : ""});
    if (responder->answers.empty()) return kResponseOk;
    const int answer = responder->answers.front();
    responder->answers.pop_front();
    return answer;
}

int ScriptedShowMessageSpecial(int kind, const char* text, const char*, int) {
    return ScriptedShowMessage(kind, 0, text);
}

int ScriptedKeyboard(std::string& text, const char* prompt) {
    responder->prompts.push_back(prompt ? prompt : "");
    if (responder->keyboard.empty()) return 0;
    text = responder->keyboard.front();
    responder->keyboard.pop_front();
    return 1;
}

int HeadGetXY(int32_t* x, int32_t* y) {
    if (head->fail) return 1;
    *x = head->x;
    *y = head->y;
    return 0;
}

}  // namespace

bool EnsureGtk() {
    static int state = -1;
    if (state < 0) {
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
    FreeLayout();
    InitPatternBox();
    pbTemp.reset();
    const SetupMachine scripted = setupMachine;  // keep a scripted head across the install
    InstallLayoutInterface();
    setupMachine = scripted;
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_widget_set_size_request(window, screen_width, screen_height);
    gtk_window_move(GTK_WINDOW(window), 0, 0);
    KeepWidget(&interface->window, window);
    KeepWidget(&interface->mainBox, gtk_vbox_new(FALSE, 0));
    gtk_container_add(GTK_CONTAINER(window), interface->mainBox);
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), createMenu(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), createToolbar(), TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(interface->mainBox), row, FALSE, FALSE, 0);
    interface->menu = MenuRecord();
    interface->toolbar = ToolbarRecord();
    gtk_widget_show_all(window);
    Drain();
}

void DropMainWindow() {
    if (!interface) return;
    PressSetupButton(1, 3);  // ends live tracking if a procedure was left running
    clearScreen();
    if (isWidget(interface->window)) gtk_widget_destroy(interface->window);
    Drain();
    FreeLayout();
    pbTemp.reset();
    if (interface->current_layout) g_string_free(interface->current_layout, TRUE);
    delete interface;
    interface = nullptr;
}

ScriptedResponder::ScriptedResponder() {
    responder = this;
    UserInterfaceHooks hooks;
    hooks.showMessage = ScriptedShowMessage;
    hooks.showMessageSpecial = ScriptedShowMessageSpecial;
    hooks.showKeyboard = ScriptedKeyboard;
    SetUserInterfaceHooks(hooks);
}

ScriptedResponder::~ScriptedResponder() {
    SetUserInterfaceHooks({});
    responder = nullptr;
}

std::vector<std::string> ScriptedResponder::Texts() const {
    std::vector<std::string> texts;
    for (const ShownMessage& message : shown)
        texts.push_back(message.text);
    return texts;
}

ScriptedHead::ScriptedHead() {
    head = this;
    SetupMachine machine;
    machine.getXY = HeadGetXY;
    machine.setHome = [] {
        head->homes++;
        return 0;
    };
    machine.disableX = [] {
        head->disables++;
        return 0;
    };
    machine.disableY = [] {
        head->disables++;
        return 0;
    };
    machine.resume = [] {
        head->resumes++;
        return 0;
    };
    machine.sendCommand = [](unsigned char code) {
        head->commands.push_back(code);
        return 0;
    };
    machine.setExtents = [] {
        head->setExtents++;
        return 0;
    };
    machine.clearExtents = [] {
        head->clearExtents++;
        return 0;
    };
    setupMachine = machine;
}

ScriptedHead::~ScriptedHead() {
    setupMachine = SetupMachine{};
    head = nullptr;
}
