// Recording a new pattern by following the machine head: while the quilter
// guides the head by hand along a drawing, every new position read from MC1
// becomes a point of the temporary pattern `tmpPattern`, which the trace view
// draws as it grows and which can then be saved as a pattern file.
//
// The loop runs inside the Start toggle's handler and keeps the screen alive by
// draining events; the toolkit side (toggle, view, status line) is reached
// through TraceHooks, so tests drive the loop against the simulated board.
#pragma once

#include <memory>
#include <string>

struct Pattern;

// The pattern being recorded, or none. Made new when a recording starts, kept
// after it stops until the trace screen is built again.
extern std::unique_ptr<Pattern> tmpPattern;

// Failed position reads tolerated in one recording; the next one ends it.
constexpr int kTraceReadFailureLimit = 10;
// Points one recording may hold (a hand-guided pattern of this size is a few
// hundred feet of path); reaching it ends the recording with a message.
constexpr int kMaxTracePoints = 200000;
// Pause between polls while the head stands still, microseconds (the board
// is asked again at once after the head moved).
constexpr long kTraceIdlePauseUs = 2000;

// Texts shown by the recording and saving.
constexpr const char* kTraceNoResponseText = "NO RESPONSE FROM MOTOR CONTROLLER.\nABORTING RECORD.";
constexpr const char* kTraceFullText =
    "THE PATTERN HAS REACHED ITS LARGEST SIZE.\nRECORDING STOPPED.";
constexpr const char* kTraceSavePrompt = "SAVE AS:";
constexpr const char* kTraceSaveStart = "./patterns/";
constexpr const char* kTraceOverwriteText = "FILE EXIXTS!\nOVERWRITE?";
constexpr const char* kTraceSaveFailedText = "COULD NOT SAVE PATTERN.";
constexpr const char* kTraceNoNameText = "PLEASE ENTER A FILE NAME.";
constexpr const char* kTraceEmptyText = "NOTHING HAS BEEN RECORDED YET.";

// What the recording loop needs from the trace screen.
struct TraceHooks {
    int (*recording)() = nullptr;                      // 1 while the Start toggle is down
    void (*stopRecording)() = nullptr;                 // releases the Start toggle
    void (*showPosition)(const char* text) = nullptr;  // status line of the view
    void (*redraw)() = nullptr;                        // redraws the trace view
};

// Why a recording ended.
enum TraceEnd {
    kTraceStopped = 0,     // the quilter released the toggle
    kTraceNoResponse = 1,  // more than kTraceReadFailureLimit failed reads (message shown)
    kTraceFull = 2,        // kMaxTracePoints reached (message shown)
};

// Starts a new tmpPattern and records head positions into it until the
// recording hook answers 0 (also at once when it is missing). A position that
// differs from the last one in x or y (thousandths of an inch, exact) is added
// as a point in inches, shown as "X: %0.3f Y: %0.3f" and redrawn; events are
// drained after every successful read. maxPoints bounds the recording (tests
// give a small one). Returns a TraceEnd. Called by the Start toggle's handler.
int RecordTrace(const TraceHooks& hooks, int maxPoints = kMaxTracePoints);

// Erases tmpPattern if there is one. Called when the trace screen is built.
void EraseTemporaryPattern();

// Results of SaveTracedPattern.
enum TraceSave {
    kTraceSaved = 0,          // written to the path given back
    kTraceNothingToSave = 1,  // no recording, or one without points (message for the latter)
    kTraceSaveCancelled = 2,  // keyboard cancelled, or overwrite declined
    kTraceSaveFailed = 3,     // no file name, or the file could not be written (message shown)
};

// Asks for a name with the on-screen keyboard ("SAVE AS:", starting with
// "./patterns/"), adds ".qcc" unless the name ends with it, asks "FILE
// EXIXTS!\nOVERWRITE?" when that file exists, and writes tmpPattern there.
// Returns a TraceSave; the path written goes to savedPath when given. Called by
// the Save button's handler.
int SaveTracedPattern(std::string* savedPath = nullptr);
