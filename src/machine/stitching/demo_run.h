// The demonstration run of the main menu's "Demo": after a password, the path
// of the current pattern box is run over and over (without stitching after
// the first pass) until the quilter presses Stop or the repetitions run out,
// then the head is led to the start of a final pass and waits there.
//
// Builds on the run control (pattern_run): its lock stitch, its StopPattern
// (which sets stopTest and so ends the repetitions), its screen hooks and its
// streaming loop, which each pass goes through.
#pragma once

// The demo password, kept whole in the program.
constexpr const char* kDemoPassword = "tandrel";
constexpr const char* kDemoPasswordPrompt = "PASSWORD: ";
// Repetitions at most.
constexpr int kDemoRepetitions = 3498;
constexpr const char* kDemoFinalText = "WAITING TO RUN FINAL PATTERN";

// The repetition running now (1 for the first repeated pass; 0 before the
// repetitions and after the demo).
extern int demoRepetition;

// Results of RunDemo.
enum DemoEnd {
    kDemoRefused = 0,   // keyboard cancelled or wrong password: nothing happened
    kDemoFinished = 1,  // every repetition ran; the head waits at the final start
    kDemoStopped = 2,   // Stop (or an error that stopped the run) ended the repetitions
    kDemoFailed = 3,    // empty box, or the head could not be led to the start (shown)
};

// Main menu "Demo": asks "PASSWORD: " on the on-screen keyboard; any text but
// the password ends here silently. Then packs the path, leads the head to its
// start, runs it once with stitching when the Stitching toggle is on (the
// toggle goes off afterwards), repeats it without stitching while no stop is
// requested, and finally leads the head to the start of a last pass ("WAITING
// TO RUN FINAL PATTERN"). repetitions bounds the repeated passes (tests give
// a small number). Returns a DemoEnd. Called by menuRunTest.
int RunDemo(int repetitions = kDemoRepetitions);
