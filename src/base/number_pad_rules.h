// The rules of the number pad, on which the quilter types every number (sizes,
// positions, angles, machine settings): how each key changes the text shown,
// how the text is read as a number, and how an angle is turned by the
// "Counterclockwise" box. The window (ui/number_entry) shows the keys and
// applies these.
#pragma once

#include <string>

// Most characters the pad's text holds.
constexpr int kNumberEntryMaxLength = 127;
// Most digits typed after the decimal point.
constexpr int kNumberEntryDecimals = 3;
// Largest angle the pad returns in angle mode, in degrees.
constexpr double kNumberPadFullTurn = 360.0;

// The pad's editing rule for one key ("0"-"9", "." or "<-") applied to text:
// the first key after opening (erase set) starts from an empty text; "." only
// once; "<-" removes the last character; a fourth decimal or a character past
// the length limit is refused (and logged); any other key changes nothing.
// Returns the new text, which the pad's key handler shows.
std::string NumberPadKey(const std::string& text, const std::string& key, bool erase);

// The number at the start of text as the C library reads it, without regard to
// the locale: 0 for null, for no number and for anything not finite.
double NumberPadValue(const char* text);

// The angle OK returns in angle mode for the value typed (degrees): at most a
// full turn, and a full turn minus it when counterclockwise is ticked.
double NumberPadAngle(double value, bool counterclockwise);
