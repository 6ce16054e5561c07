// What the DXF and QLI importers share: the limits that keep a hostile or
// broken drawing from exhausting the controller, the progress window counter,
// reading a whole source stream, and the text of the last failure.
//
// Limits. Every importer reads its source once into memory and works on that
// copy, so the input itself is bounded by kMaxImportBytes. Arcs and circles turn
// a few bytes of input into many points: each one is given at most
// kMaxArcPoints points (0.1 inch apart up to a radius of about 570 inches, which
// is larger than any quilting frame; a larger radius spreads the same number of
// points further apart, where a chord still deviates from the true circle by
// less than a hundred-millionth of the radius). All points of one conversion are
// bounded by kMaxDrawingPoints (100,000 inches of stitching at 0.1 inch spacing,
// far more than any quilt holds). A drawing over a limit is refused, never cut.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "base/ui_hooks.h"

constexpr std::size_t kMaxImportBytes = 64u * 1024u * 1024u;  // bytes of source text
constexpr std::size_t kMaxArcPoints = 36000;                  // points per arc or circle
constexpr std::size_t kMaxDrawingPoints = 1000000;            // points per conversion
// Largest magnitude accepted for any coordinate, radius or angle read from a
// drawing; anything larger (or not a finite number) counts as unreadable.
constexpr double kMaxImportValue = 1.0e9;
// The single-precision value of pi that the importers' angle conversions use.
constexpr double kImportPi = 3.14159274;

// The progress window of one conversion. Step() advances the counter by one;
// whenever the counter is a multiple of 500 before the advance, the window is
// refreshed and the quilter's STOP press is picked up.
struct ImportProgress {
    StatusWindow* window = nullptr;
    long steps = 0;
    bool aborted = false;  // STOP was pressed in the window
};

// Opens the progress window with the given title; Close releases it (safe to
// call twice). Called at the start and end of every conversion.
void OpenImportProgress(ImportProgress& progress, const char* title);
void CloseImportProgress(ImportProgress& progress);
// Sets the phase text shown in the window.
void SetImportPhase(ImportProgress& progress, const char* phase);
// Advances the counter; returns false once STOP has been pressed.
bool StepImportProgress(ImportProgress& progress);

// Reads everything left in the stream into text. Returns 1 on success, 0 when the
// stream cannot be read or holds more than limitBytes (text is then cleared).
// A regular file is read straight into a string of its size.
int ReadWholeStream(FILE* source, std::size_t limitBytes, std::string& text);

// Appends v as printf's "%0.3f" writes it, character for character, without
// going through printf for the values that are not a rounding tie.
void AppendFixed3(std::string& out, double v);

// The reason the last conversion failed, in plain words for a log or a command
// line ("" after a success). Set by ConvertDXF and ImportQLI.
const char* ImportErrorText();
void SetImportError(const std::string& text);
