#include "machine/stitching/trace_recording.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>

#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "machine/mc1_motion.h"
#include "pattern/pattern.h"

std::unique_ptr<Pattern> tmpPattern;

namespace {

constexpr float kUnitsPerInch = 1000.0f;  // board positions are thousandths of an inch
constexpr long kAfterPointPauseUs = 10;

bool Recording(const TraceHooks& hooks) {
    return hooks.recording != nullptr && hooks.recording() != 0;
}

void EndRecording(const TraceHooks& hooks, const char* text) {
    ShowMessage(kMessageError, kButtonsOk, text);
    if (hooks.stopRecording) hooks.stopRecording();
}

bool EndsWith(const std::string& text, const char* tail) {
    const std::string end(tail);
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

}  // namespace

int RecordTrace(const TraceHooks& hooks, int maxPoints) {
    tmpPattern = newPattern(nullptr, 0);
    if (hooks.redraw) hooks.redraw();
    ProcessPendingEvents();
    int32_t lastX = 0, lastY = 0;
    int failures = 0;
    while (Recording(hooks)) {
        int32_t x = 0, y = 0;
        if (GetXY(&x, &y) != 0) {
            // Each failed read has already cost the read time-out.
            if (++failures > kTraceReadFailureLimit) {
                EndRecording(hooks, kTraceNoResponseText);
                return kTraceNoResponse;
            }
            continue;
        }
        if (x == lastX && y == lastY) {
            ProcessPendingEvents();
            SleepMicroseconds(kTraceIdlePauseUs);
            continue;
        }
        if (tmpPattern->pointCount >= maxPoints) {
            EndRecording(hooks, kTraceFullText);
            return kTraceFull;
        }
        lastX = x;
        lastY = y;
        const float inchX = x / kUnitsPerInch;
        const float inchY = y / kUnitsPerInch;
        char line[64];
        std::snprintf(line, sizeof line, "p X%0.3f Y%0.3f\n", inchX, inchY);
        addData(tmpPattern.get(), line, 0);
        char status[64];
        std::snprintf(status, sizeof status, "X: %0.3f Y: %0.3f", inchX, inchY);
        if (hooks.showPosition) hooks.showPosition(status);
        if (hooks.redraw) hooks.redraw();
        ProcessPendingEvents();
        SleepMicroseconds(kAfterPointPauseUs);
    }
    return kTraceStopped;
}

void EraseTemporaryPattern() {
    if (tmpPattern) erasePattern(tmpPattern);
}

int SaveTracedPattern(std::string* savedPath) {
    if (!tmpPattern) return kTraceNothingToSave;
    if (tmpPattern->pointCount == 0) {
        ShowMessage(kMessageInfo, kButtonsOk, kTraceEmptyText);
        return kTraceNothingToSave;
    }
    std::string path = kTraceSaveStart;
    if (ShowKeyboard(path, kTraceSavePrompt) != 1) return kTraceSaveCancelled;
    // A name that ends in a folder separator (or is empty) names no file.
    if (path.empty() || path.back() == '/') {
        ShowMessage(kMessageError, kButtonsOk, kTraceNoNameText);
        return kTraceSaveFailed;
    }
    if (!EndsWith(path, ".qcc")) path += ".qcc";
    if (FileExists(path) &&
        ShowMessage(kMessageQuestion, kButtonsYesNo, kTraceOverwriteText) != kResponseYes)
        return kTraceSaveCancelled;
    if (!savePattern(tmpPattern.get(), path.c_str())) {
        Log("Could not save the traced pattern to %s\n", path.c_str());
        ShowMessage(kMessageError, kButtonsOk, kTraceSaveFailedText);
        return kTraceSaveFailed;
    }
    Log("Traced pattern saved to %s\n", path.c_str());
    if (savedPath) *savedPath = path;
    return kTraceSaved;
}
