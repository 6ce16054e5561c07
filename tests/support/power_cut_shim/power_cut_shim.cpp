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
// A cut is what the medium sees when the power fails: every file written since
// its last sync (fsync, fdatasync, sync) is cut back to the size it had then
// (or when it was first written to), and the process is killed at once
// (SIGKILL). Renames and deletions are taken as done; whether they reach the
// medium or not, a correct writer leaves either the old or the new file.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

// A file written to since the start: our own descriptor of it (so it can be cut
// back after it was closed, renamed or deleted), its identity, its safe size.
struct Tracked {
    int fd;
    dev_t dev;
    ino_t ino;
    off_t syncedSize;
    bool dirty;
};

Tracked tracked[256];
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

Tracked* Find(int fd, bool add) {
    struct stat st;
    if (!RegularFile(fd, &st)) return nullptr;
    for (int i = 0; i < trackedCount; i++)
        if (tracked[i].dev == st.st_dev && tracked[i].ino == st.st_ino) return &tracked[i];
    if (!add || trackedCount == static_cast<int>(sizeof tracked / sizeof tracked[0]))
        return nullptr;
    tracked[trackedCount] = {fcntl(fd, F_DUPFD_CLOEXEC, 100), st.st_dev, st.st_ino, st.st_size,
                             false};
    return &tracked[trackedCount++];
}

void Synced(int fd) {
    struct stat st;
    if (Tracked* t = Find(fd, false); t && fstat(fd, &st) == 0) {
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
    for (int i = 0; i < trackedCount; i++)
        if (tracked[i].dirty && tracked[i].fd >= 0)
            REAL(ftruncate)(tracked[i].fd, tracked[i].syncedSize);
    kill(getpid(), SIGKILL);
    _exit(137);
}

size_t Chunk(size_t length) {
    return writeChunk > 0 && length > writeChunk ? writeChunk : length;
}

// One file-changing call: a cut due before it, the file it writes to (fd, -1
// for none) marked unsynced, the call, and a cut due after it.
template <typename Call>
auto Counted(int fd, Call call) {
    if (cutAfter == 0 && events == 0) Cut();
    if (Tracked* t = Find(fd, true)) t->dirty = true;
    auto result = call();
    if (++events == cutAfter) Cut();
    return result;
}

// A call that writes to fd: counted, with its length chunked, when fd is a
// regular file.
#define WRITE_CALL(fd, name, arguments, chunked)                            \
    if (struct stat st; !RegularFile(fd, &st)) return REAL(name) arguments; \
    return Counted(fd, [&] { return REAL(name) chunked; })

__attribute__((constructor)) void Start() {
    const char* after = getenv("POWER_CUT_AFTER");
    if (after && *after) cutAfter = strtol(after, nullptr, 10);
    countFile = getenv("POWER_CUT_COUNT_FILE");
    const char* chunk = getenv("POWER_CUT_WRITE_CHUNK");
    if (chunk && *chunk) writeChunk = strtoul(chunk, nullptr, 10);
    unsetenv("LD_PRELOAD");  // programs this process starts are not cut
}

__attribute__((destructor)) void Finish() {
    if (!countFile) return;
    const int fd = open(countFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    char text[32];
    const int n = snprintf(text, sizeof text, "%ld\n", events);
    if (REAL(write)(fd, text, static_cast<size_t>(n)) != n) events = -1;
    close(fd);
}

}  // namespace

extern "C" {

ssize_t write(int fd, const void* buffer, size_t length) {
    WRITE_CALL(fd, write, (fd, buffer, length), (fd, buffer, Chunk(length)));
}
ssize_t pwrite(int fd, const void* buffer, size_t length, off_t offset) {
    WRITE_CALL(fd, pwrite, (fd, buffer, length, offset), (fd, buffer, Chunk(length), offset));
}
ssize_t pwrite64(int fd, const void* buffer, size_t length, off64_t offset) {
    WRITE_CALL(fd, pwrite64, (fd, buffer, length, offset), (fd, buffer, Chunk(length), offset));
}
ssize_t writev(int fd, const struct iovec* parts, int count) {
    WRITE_CALL(fd, writev, (fd, parts, count), (fd, parts, count));
}
ssize_t copy_file_range(int in, off64_t* inOffset, int out, off64_t* outOffset, size_t length,
                        unsigned int flags) {
    return Counted(
        out, [&] { return REAL(copy_file_range)(in, inOffset, out, outOffset, length, flags); });
}
ssize_t sendfile(int out, int in, off_t* offset, size_t count) {
    WRITE_CALL(out, sendfile, (out, in, offset, count), (out, in, offset, count));
}

// Programs built with 64-bit file offsets on a 32-bit system call these.
ssize_t sendfile64(int out, int in, off64_t* offset, size_t count) {
    WRITE_CALL(out, sendfile64, (out, in, offset, count), (out, in, offset, count));
}
int ftruncate64(int fd, off64_t length) {
    return Counted(fd, [&] { return REAL(ftruncate64)(fd, length); });
}
size_t fwrite(const void* data, size_t size, size_t count, FILE* stream) {
    const int fd = fileno(stream);
    WRITE_CALL(fd, fwrite, (data, size, count, stream), (data, size, count, stream));
}
int ftruncate(int fd, off_t length) {
    return Counted(fd, [&] { return REAL(ftruncate)(fd, length); });
}
int fsync(int fd) {
    return Counted(-1, [&] { return REAL(fsync)(fd) == 0 ? (Synced(fd), 0) : -1; });
}
int fdatasync(int fd) {
    return Counted(-1, [&] { return REAL(fdatasync)(fd) == 0 ? (Synced(fd), 0) : -1; });
}
void sync() {
    Counted(-1, [] { return REAL(sync)(), SyncedAll(), 0; });
}
int syncfs(int fd) {
    return Counted(-1, [&] {
        const int r = REAL(syncfs)(fd);
        SyncedAll();
        return r;
    });
}

// Renames and deletions: counted, never cut back.
#define NAME_CALL(name, parameters, arguments)                    \
    int name parameters {                                         \
        return Counted(-1, [&] { return REAL(name) arguments; }); \
    }
NAME_CALL(rename, (const char* from, const char* to), (from, to))
NAME_CALL(renameat, (int fromDir, const char* from, int toDir, const char* to),
          (fromDir, from, toDir, to))
NAME_CALL(renameat2, (int fromDir, const char* from, int toDir, const char* to, unsigned int flags),
          (fromDir, from, toDir, to, flags))
NAME_CALL(unlink, (const char* path), (path))
NAME_CALL(unlinkat, (int dir, const char* path, int flags), (dir, path, flags))
NAME_CALL(remove, (const char* path), (path))

}  // extern "C"
