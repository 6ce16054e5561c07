#include "pattern/import/import_support.h"

#include <vector>

namespace {

std::string lastError;

}  // namespace

void OpenImportProgress(ImportProgress& progress, const char* title) {
    progress.window = CreateStatusWindow(title);
    progress.steps = 0;
    progress.aborted = false;
}

void CloseImportProgress(ImportProgress& progress) {
    if (!progress.window) return;
    CloseStatusWindow(progress.window);
    progress.window = nullptr;
}

void SetImportPhase(ImportProgress& progress, const char* phase) {
    StatusWindowSetText(progress.window, phase);
}

bool StepImportProgress(ImportProgress& progress) {
    if (progress.steps % 500 == 0 && progress.window) {
        UpdateStatusWindow(progress.window);
        if (progress.window->abortRequested) progress.aborted = true;
    }
    progress.steps++;
    return !progress.aborted;
}

int ReadWholeStream(FILE* source, std::size_t limitBytes, std::string& text) {
    text.clear();
    if (!source) return 0;
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        std::size_t got = std::fread(chunk.data(), 1, chunk.size(), source);
        if (got > 0) {
            if (text.size() + got > limitBytes) {
                text.clear();
                text.shrink_to_fit();
                return 0;
            }
            text.append(chunk.data(), got);
        }
        if (got < chunk.size()) break;
    }
    if (std::ferror(source)) {
        text.clear();
        return 0;
    }
    return 1;
}

const char* ImportErrorText() {
    return lastError.c_str();
}

void SetImportError(const std::string& text) {
    lastError = text;
}
