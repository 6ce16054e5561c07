#include "base/recovery_image.h"

#include <atomic>
#include <vector>

namespace {

// The image is replaced whole: a new block is published with one atomic
// store, so a crash in the middle of an update still finds a whole image.
struct RecoveryImage {
    std::vector<uint8_t> bytes;
};
std::atomic<RecoveryImage*> currentImage{nullptr};

}  // namespace

void SetCrashRecoveryImage(const void* data, size_t size) {
    RecoveryImage* image = nullptr;
    if (data && size > 0) {
        image = new RecoveryImage;
        const auto* bytes = static_cast<const uint8_t*>(data);
        image->bytes.assign(bytes, bytes + size);
    }
    delete currentImage.exchange(image);
}

void ClearCrashRecoveryImage() {
    SetCrashRecoveryImage(nullptr, 0);
}

size_t CrashRecoveryImageSize() {
    size_t size = 0;
    CrashRecoveryImageBytes(&size);
    return size;
}

const uint8_t* CrashRecoveryImageBytes(size_t* size) {
    RecoveryImage* image = currentImage.load();
    *size = image ? image->bytes.size() : 0;
    return image && !image->bytes.empty() ? image->bytes.data() : nullptr;
}
