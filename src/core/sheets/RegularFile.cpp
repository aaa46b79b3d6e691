#include "core/sheets/RegularFile.h"

#include "core/error.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

int OpenRegularFileDescriptor(const QString &fileName)
{
    // Non-blocking, so that opening a pipe returns at once rather than waiting for a writer.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw EVelmoraError(QStringLiteral("%1: %2").arg(fileName, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        throw EVelmoraError(QStringLiteral("%1: not a regular file (a folder, a device or a pipe)").arg(fileName));
    }
    // A regular file reads the same either way; reads that block are what every reader expects.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

void OpenRegularFile(QFile &file, const QString &fileName)
{
    const int fd = OpenRegularFileDescriptor(fileName);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw EVelmoraError(QStringLiteral("%1: %2").arg(fileName, file.errorString()));
    }
}

} // namespace velmora
