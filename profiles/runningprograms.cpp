#include "profiles/runningprograms.h"

#ifdef Q_OS_LINUX
#include <cctype>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_LINUX
// Reads at most size bytes of a /proc file; -1 when it is gone (the process ended meanwhile).
ssize_t readProcFile(const char* path, char* buffer, std::size_t size)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const ssize_t n = ::read(fd, buffer, size);
    ::close(fd);
    return n;
}

void check(const char* name, std::size_t length, const QSet<QString>& wanted, QSet<QString>* found)
{
    if (length == 0)
        return;
    const QString text = QString::fromUtf8(name, qsizetype(length)).toLower();
    if (wanted.contains(text))
        found->insert(text);
}
#endif

} // namespace

QSet<QString> RunningPrograms::find(const QSet<QString>& wanted)
{
    QSet<QString> found;
    if (wanted.isEmpty())
        return found;
#ifdef Q_OS_LINUX
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return found;
    char buffer[4096];
    while (const dirent* entry = ::readdir(proc)) {
        char path[sizeof entry->d_name + 16];
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0])))
            continue;
        std::snprintf(path, sizeof path, "/proc/%s/comm", entry->d_name);
        ssize_t n = readProcFile(path, buffer, sizeof buffer);
        if (n > 0) {
            if (buffer[n - 1] == '\n')
                --n;
            check(buffer, std::size_t(n), wanted, &found);
        }
        // comm holds 15 bytes at most; the command line has the whole name.
        std::snprintf(path, sizeof path, "/proc/%s/cmdline", entry->d_name);
        n = readProcFile(path, buffer, sizeof buffer - 1);
        if (n <= 0)
            continue; // kernel threads have none
        buffer[n] = '\0';
        const std::size_t word = std::strlen(buffer);
        std::size_t start = word;
        while (start > 0 && buffer[start - 1] != '/' && buffer[start - 1] != '\\')
            --start;
        check(buffer + start, word - start, wanted, &found);
    }
    ::closedir(proc);
#endif
    return found;
}
