// Loaded into a test's child with LD_PRELOAD: writes every fsync, fdatasync, rename and unlink
// the process makes, in order, to the file named by QM505_FILE_CALLS, and then makes the call.
// What reaches the disk, and when, is seen where the program meets the C library. With
// QM505_FAIL_FOLDER_SYNC set, syncing a folder fails as on a disk that breaks (EIO); with
// QM505_FAIL_WRITE_NO_SPACE set, writing to a backup (a file named "….bam", or its copy
// "….bam.part") fails as on a full disk (ENOSPC).

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

void logLine(const char* what, const char* first, const char* second)
{
    const char* logPath = getenv("QM505_FILE_CALLS");
    if (!logPath)
        return;
    char line[8192];
    const int length = snprintf(line, sizeof line, "%s %s%s%s\n", what, first, second ? " " : "", second ? second : "");
    const int log = open(logPath, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (log < 0)
        return;
    if (length > 0 && write(log, line, size_t(length) < sizeof line ? size_t(length) : sizeof line - 1) < 0) {
        // Nothing to be done: the test then misses the line and says so.
    }
    close(log);
}

void logDescriptor(const char* what, int descriptor)
{
    char link[64];
    char path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
    const ssize_t length = readlink(link, path, sizeof path - 1);
    path[length > 0 ? length : 0] = '\0';
    logLine(what, path, nullptr);
}

template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

bool failsAsAFolder(int descriptor)
{
    struct stat info {};
    if (!getenv("QM505_FAIL_FOLDER_SYNC") || fstat(descriptor, &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    errno = EIO;
    return true;
}

bool failsForNoSpace(int descriptor)
{
    if (!getenv("QM505_FAIL_WRITE_NO_SPACE"))
        return false;
    char link[64];
    char path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
    const ssize_t length = readlink(link, path, sizeof path - 1);
    path[length > 0 ? length : 0] = '\0';
    if (!strstr(path, ".bam"))
        return false;
    errno = ENOSPC;
    return true;
}

}  // namespace

extern "C" {

ssize_t write(int descriptor, const void* data, size_t size)
{
    return failsForNoSpace(descriptor) ? -1 : next<ssize_t (*)(int, const void*, size_t)>("write")(descriptor, data, size);
}

int fsync(int descriptor)
{
    logDescriptor("fsync", descriptor);
    return failsAsAFolder(descriptor) ? -1 : next<int (*)(int)>("fsync")(descriptor);
}

int fdatasync(int descriptor)
{
    logDescriptor("fsync", descriptor);
    return failsAsAFolder(descriptor) ? -1 : next<int (*)(int)>("fdatasync")(descriptor);
}

int unlink(const char* path)
{
    logLine("unlink", path, nullptr);
    return next<int (*)(const char*)>("unlink")(path);
}

int unlinkat(int folder, const char* path, int flags)
{
    logLine("unlink", path, nullptr);
    return next<int (*)(int, const char*, int)>("unlinkat")(folder, path, flags);
}

int rename(const char* from, const char* to)
{
    logLine("rename", from, to);
    return next<int (*)(const char*, const char*)>("rename")(from, to);
}

int renameat(int fromFolder, const char* from, int toFolder, const char* to)
{
    logLine("rename", from, to);
    return next<int (*)(int, const char*, int, const char*)>("renameat")(fromFolder, from, toFolder, to);
}

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags)
{
    logLine("rename", from, to);
    return next<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2")(fromFolder, from, toFolder, to, flags);
}

}  // extern "C"
