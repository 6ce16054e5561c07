// A power cut for one process, loaded with LD_PRELOAD: it counts the calls that
// change files (writes to regular files, syncs, renames, deletions,
// truncations) and cuts the power after the N-th of them.
//
//   POWER_CUT_AFTER=N        cut after the N-th call (0: just before the first)
//   POWER_CUT_COUNT_FILE=F   on a normal exit, write the number of calls to F
//   POWER_CUT_WRITE_CHUNK=B  writes to files take at most B bytes per call (short
//                            writes, which POSIX allows), so a large write is
//                            many calls and can be cut in the middle
//
// A cut is what the medium sees when the power fails: data written to a file
// since its last sync (fsync, fdatasync, sync) is lost, so every such file is
// cut back to the size it had at its last sync (or when it was first written
// to), and then the process is killed at once (SIGKILL). Renames and deletions
// are taken as done; whether they reach the medium or not, a correct writer
// leaves either the old or the new file.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

// One file written to since the start: our own descriptor of it (so it can be
// cut back even after it was closed, renamed or deleted), its identity, and the
// size that is safe on the medium.
struct Tracked {
    int fd;
    dev_t dev;
    ino_t ino;
    off_t syncedSize;
    bool dirty;
};

constexpr int kMostTracked = 256;
Tracked tracked[kMostTracked];
int trackedCount = 0;
long events = 0;
long cutAfter = -1;     // no cut
size_t writeChunk = 0;  // no limit
const char* countFile = nullptr;

template <typename T>
T Real(T, const char* name) {
    return reinterpret_cast<T>(dlsym(RTLD_NEXT, name));
}

// The next definition of a function (the C library's), looked up once.
#define REAL(name)                               \
    ([] {                                        \
        static auto next = Real(&::name, #name); \
        return next;                             \
    }())

bool RegularFile(int fd, struct stat* st) {
    return fd >= 0 && fstat(fd, st) == 0 && S_ISREG(st->st_mode);
}

Tracked* Find(const struct stat& st) {
    for (int i = 0; i < trackedCount; i++)
        if (tracked[i].dev == st.st_dev && tracked[i].ino == st.st_ino) return &tracked[i];
    return nullptr;
}

// Called before data goes to fd: remembers the file and its safe size.
void WillWrite(int fd) {
    struct stat st;
    if (!RegularFile(fd, &st)) return;
    Tracked* t = Find(st);
    if (!t && trackedCount < kMostTracked) {
        t = &tracked[trackedCount++];
        t->fd = fcntl(fd, F_DUPFD_CLOEXEC, 100);
        t->dev = st.st_dev;
        t->ino = st.st_ino;
        t->syncedSize = st.st_size;
        t->dirty = false;
    }
    if (t) t->dirty = true;
}

void Synced(int fd) {
    struct stat st;
    if (!RegularFile(fd, &st)) return;
    if (Tracked* t = Find(st)) {
        t->dirty = false;
        t->syncedSize = st.st_size;
    }
}

void SyncedAll() {
    struct stat st;
    for (int i = 0; i < trackedCount; i++) {
        if (tracked[i].fd >= 0 && fstat(tracked[i].fd, &st) == 0)
            tracked[i].syncedSize = st.st_size;
        tracked[i].dirty = false;
    }
}

[[noreturn]] void Cut() {
    auto realFtruncate = REAL(ftruncate);
    for (int i = 0; i < trackedCount; i++)
        if (tracked[i].dirty && tracked[i].fd >= 0)
            realFtruncate(tracked[i].fd, tracked[i].syncedSize);
    kill(getpid(), SIGKILL);
    _exit(137);
}

// Counts one call; cuts before it when the cut is due before the first call.
void Before() {
    if (cutAfter == 0 && events == 0) Cut();
}

void After() {
    events++;
    if (events == cutAfter) Cut();
}

bool CountsFor(int fd) {
    struct stat st;
    return RegularFile(fd, &st);
}

size_t Chunk(size_t length) {
    return writeChunk > 0 && length > writeChunk ? writeChunk : length;
}

// One file-changing call: a cut due before it, the file it writes to (fd, -1
// for none) remembered, the call, and a cut due after it.
template <typename Call>
auto Counted(int fd, Call call) {
    Before();
    if (fd >= 0) WillWrite(fd);
    auto result = call();
    After();
    return result;
}

__attribute__((constructor)) void Start() {
    const char* after = getenv("POWER_CUT_AFTER");
    if (after && *after) cutAfter = strtol(after, nullptr, 10);
    countFile = getenv("POWER_CUT_COUNT_FILE");
    const char* chunk = getenv("POWER_CUT_WRITE_CHUNK");
    if (chunk && *chunk) writeChunk = strtoul(chunk, nullptr, 10);
    // Programs this process starts are not cut.
    unsetenv("LD_PRELOAD");
}

__attribute__((destructor)) void Finish() {
    if (!countFile) return;
    int fd = open(countFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    char text[32];
    int n = snprintf(text, sizeof text, "%ld\n", events);
    if (REAL(write)(fd, text, static_cast<size_t>(n)) != n) events = -1;
    close(fd);
}

}  // namespace

extern "C" {

ssize_t write(int fd, const void* buffer, size_t length) {
    if (!CountsFor(fd)) return REAL(write)(fd, buffer, length);
    return Counted(fd, [&] { return REAL(write)(fd, buffer, Chunk(length)); });
}

ssize_t pwrite(int fd, const void* buffer, size_t length, off_t offset) {
    if (!CountsFor(fd)) return REAL(pwrite)(fd, buffer, length, offset);
    return Counted(fd, [&] { return REAL(pwrite)(fd, buffer, Chunk(length), offset); });
}

ssize_t pwrite64(int fd, const void* buffer, size_t length, off64_t offset) {
    if (!CountsFor(fd)) return REAL(pwrite64)(fd, buffer, length, offset);
    return Counted(fd, [&] { return REAL(pwrite64)(fd, buffer, Chunk(length), offset); });
}

ssize_t writev(int fd, const struct iovec* parts, int count) {
    if (!CountsFor(fd)) return REAL(writev)(fd, parts, count);
    return Counted(fd, [&] { return REAL(writev)(fd, parts, count); });
}

ssize_t copy_file_range(int in, off64_t* inOffset, int out, off64_t* outOffset, size_t length,
                        unsigned int flags) {
    return Counted(
        out, [&] { return REAL(copy_file_range)(in, inOffset, out, outOffset, length, flags); });
}

ssize_t sendfile(int out, int in, off_t* offset, size_t count) {
    if (!CountsFor(out)) return REAL(sendfile)(out, in, offset, count);
    return Counted(out, [&] { return REAL(sendfile)(out, in, offset, count); });
}

// Programs built with 64-bit file offsets on a 32-bit system call these.
ssize_t sendfile64(int out, int in, off64_t* offset, size_t count) {
    if (!CountsFor(out)) return REAL(sendfile64)(out, in, offset, count);
    return Counted(out, [&] { return REAL(sendfile64)(out, in, offset, count); });
}

int ftruncate64(int fd, off64_t length) {
    return Counted(fd, [&] { return REAL(ftruncate64)(fd, length); });
}

size_t fwrite(const void* data, size_t size, size_t count, FILE* stream) {
    const int fd = fileno(stream);
    if (!CountsFor(fd)) return REAL(fwrite)(data, size, count, stream);
    return Counted(fd, [&] { return REAL(fwrite)(data, size, count, stream); });
}

int ftruncate(int fd, off_t length) {
    return Counted(fd, [&] { return REAL(ftruncate)(fd, length); });
}

int fsync(int fd) {
    return Counted(-1, [&] {
        const int r = REAL(fsync)(fd);
        if (r == 0) Synced(fd);
        return r;
    });
}

int fdatasync(int fd) {
    return Counted(-1, [&] {
        const int r = REAL(fdatasync)(fd);
        if (r == 0) Synced(fd);
        return r;
    });
}

void sync() {
    Counted(-1, [] {
        REAL(sync)();
        SyncedAll();
        return 0;
    });
}

int syncfs(int fd) {
    return Counted(-1, [&] {
        const int r = REAL(syncfs)(fd);
        SyncedAll();
        return r;
    });
}

int rename(const char* from, const char* to) {
    return Counted(-1, [&] { return REAL(rename)(from, to); });
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    return Counted(-1, [&] { return REAL(renameat)(fromDir, from, toDir, to); });
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned int flags) {
    return Counted(-1, [&] { return REAL(renameat2)(fromDir, from, toDir, to, flags); });
}

int unlink(const char* path) {
    return Counted(-1, [&] { return REAL(unlink)(path); });
}

int unlinkat(int dir, const char* path, int flags) {
    return Counted(-1, [&] { return REAL(unlinkat)(dir, path, flags); });
}

int remove(const char* path) {
    return Counted(-1, [&] { return REAL(remove)(path); });
}

}  // extern "C"
