// The on-screen keyboard: a small modal window over the current screen with a
// prompt, an entry, forty character keys (a lower and a shifted table), shift,
// space, backspace, OK and Cancel. The controller has no physical keyboard, so
// every name, password and file name is typed here.
#pragma once

#include <string>

// The key tables: key i (0-39, ten per row) shows character i of the active
// table; the shift toggle switches between them.
extern const char lower[41];  // "1234567890qwertyuiopasdfghjkl-zxcvbnm,.+"
extern const char upper[41];  // "!@#$%^&*()QWERTYUIOPASDFGHJKL=ZXCVBNM<>?"

// Shows the keyboard with the prompt and text as the entry's initial contents,
// and runs a nested main loop until OK or Cancel. text receives the entry's
// contents in both cases. Returns 1 for OK, 0 for Cancel or a missing prompt.
// Start-up installs it as the user-interface seam's showKeyboard.
int GtkShowKeyboard(std::string& text, const char* prompt);

// Widget names of the keyboard's parts, so that tests and style files can find
// them: the window, the entry, and the shift, space and backspace keys.
constexpr const char* kKeyboardWindowName = "Keyboard";
constexpr const char* kKeyboardEntryName = "KeyboardEntry";
constexpr const char* kKeyboardShiftName = "KeyboardShift";
constexpr const char* kKeyboardSpaceName = "KeyboardSpace";
constexpr const char* kKeyboardBackspaceName = "KeyboardBackspace";
