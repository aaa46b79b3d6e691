#include "core/export/formats/OutputTarget.h"

#include "core/export/ExportError.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void Fail(const QString &fileName, int error)
{
    throw EExportError(QStringLiteral("Could not write \"%1\": %2").arg(fileName, SystemReason(error)));
}

// Creates a new, empty file beside finalPath whose name keeps the extension (image writers
// choose their format by it) and returns its path. Permissions follow the umask, or the
// previous file's when there is one.
QString CreateTemporaryBeside(const QString &fileName, const QString &finalPath, const struct stat *previous)
{
    const QFileInfo info(finalPath);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString base = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    for (int attempt = 0;; ++attempt) {
        const QString tag = QString::number(QRandomGenerator::global()->bounded(0x1000000), 16).rightJustified(6, QLatin1Char('0'));
        const QString path = info.dir().filePath(QStringLiteral("%1.part-%2%3").arg(base, tag, suffix));
        const QByteArray local = QFile::encodeName(path);
        const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST && attempt < 100)
                continue;
            Fail(fileName, errno);
        }
        if (previous)
            ::fchmod(fd, previous->st_mode & 07777);
        ::close(fd);
        return path;
    }
}

bool Identity(const QString &path, struct stat &st)
{
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

TOutputTarget::TOutputTarget(const QString &fileName) : m_fileName(fileName), m_finalPath(fileName)
{
    if (fileName.isEmpty())
        throw EExportError(QStringLiteral("No output file was given."));
    struct stat st {};
    const bool exists = Identity(fileName, st);
    if (exists && S_ISDIR(st.st_mode))
        Fail(fileName, EISDIR);
    if (exists && !S_ISREG(st.st_mode)) {
        // Replacing /dev/null or a pipe with a regular file would break the system or the reader.
        m_inPlace = true;
        m_pipe = S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode);
        m_writePath = fileName;
        return;
    }
    // A symbolic link keeps pointing at the new content: the rename goes to what it names,
    // also when that does not exist yet (a dangling link is written through, not replaced).
    if (const QFileInfo link(fileName); link.isSymLink()) {
        m_finalPath = exists ? link.canonicalFilePath() : link.symLinkTarget();
        if (!exists && !QFileInfo(m_finalPath).dir().exists())
            throw EExportError(QStringLiteral("Could not write \"%1\": it is a symbolic link to \"%2\", whose folder does not exist.")
                                   .arg(fileName, m_finalPath));
    }
    m_replacesFile = exists;
    m_writePath = CreateTemporaryBeside(fileName, m_finalPath, exists ? &st : nullptr);
}

TOutputTarget::~TOutputTarget()
{
    if (!m_done)
        Discard();
}

void TOutputTarget::RefuseInput(const QString &outputFile, const QString &inputFile)
{
    struct stat in {}, out {};
    if (!Identity(inputFile, in) || !Identity(outputFile, out))
        return;
    if (in.st_dev == out.st_dev && in.st_ino == out.st_ino)
        throw EExportError(QStringLiteral("Could not write \"%1\": it is the input file \"%2\"; choose another output file.")
                               .arg(outputFile, inputFile));
}

void TOutputTarget::Replace()
{
    if (m_done)
        return;
    m_done = true;
    if (m_inPlace)
        return;
    const QByteArray from = QFile::encodeName(m_writePath);
    const QByteArray to = QFile::encodeName(m_finalPath);
    // On disk before it takes the old file's place, so a crash cannot leave an empty file there.
    const int fd = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    int error = 0;
    if (fd < 0 || ::fsync(fd) != 0)
        error = errno;
    if (fd >= 0)
        ::close(fd);
    if (error == 0 && ::rename(from.constData(), to.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(from.constData());
        Fail(m_fileName, error);
    }
}

void TOutputTarget::Commit()
{
    Replace();
}

void TOutputTarget::KeepPartial()
{
    Replace();
}

bool TOutputTarget::KeepAfterFailure(int framesWritten)
{
    const bool keep = m_inPlace || (!m_replacesFile && framesWritten > 0);
    if (keep)
        KeepPartial();
    return keep;
}

void TOutputTarget::Discard()
{
    if (!m_done && !m_inPlace)
        ::unlink(QFile::encodeName(m_writePath).constData());
    m_done = true;
}

} // namespace velmora
