#include "core/sheets/ZipArchive.h"

#include "core/sheets/RegularFile.h"

#include "core/error.h"

#include <QFile>
#include <unistd.h>
#include <zip.h>

namespace velmora {

namespace {

struct TZipFileCloser
{
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};

} // namespace

struct TZipArchive::TImpl
{
    zip_t *Zip = nullptr;
    ~TImpl()
    {
        if (Zip != nullptr)
            zip_discard(Zip);
    }
};

TZipArchive::TZipArchive(const QString &fileName) : m_impl(std::make_unique<TImpl>()), m_fileName(fileName)
{
    int error = 0;
    const int fd = OpenRegularFileDescriptor(fileName);
    m_impl->Zip = zip_fdopen(fd, ZIP_RDONLY, &error);
    if (m_impl->Zip == nullptr) {
        ::close(fd);  // the archive owns it only once it opens
        zip_error_t details;
        zip_error_init_with_code(&details, error);
        const QString why = QString::fromUtf8(zip_error_strerror(&details));
        zip_error_fini(&details);
        throw EVelmoraError(QStringLiteral("%1: not a readable zip archive (%2)").arg(fileName, why));
    }
}

TZipArchive::~TZipArchive() = default;

bool TZipArchive::Contains(const QString &member) const
{
    return zip_name_locate(m_impl->Zip, member.toUtf8().constData(), 0) >= 0;
}

QByteArray TZipArchive::Read(const QString &member, qint64 maxSize) const
{
    const QByteArray name = member.toUtf8();
    const zip_int64_t index = zip_name_locate(m_impl->Zip, name.constData(), 0);
    if (index < 0)
        throw EVelmoraError(QStringLiteral("%1: the archive has no \"%2\"").arg(m_fileName, member));
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_impl->Zip, zip_uint64_t(index), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        throw EVelmoraError(QStringLiteral("%1: cannot read \"%2\"").arg(m_fileName, member));
    if (stat.size > zip_uint64_t(maxSize))
        throw EVelmoraError(QStringLiteral("%1: \"%2\" unpacks to more than %3 MB; a credit list is far smaller")
                                .arg(m_fileName, member, QString::number(maxSize >> 20)));
    std::unique_ptr<zip_file_t, TZipFileCloser> file(zip_fopen_index(m_impl->Zip, zip_uint64_t(index), 0));
    if (!file)
        throw EVelmoraError(QStringLiteral("%1: cannot read \"%2\" (%3)")
                                .arg(m_fileName, member, QString::fromUtf8(zip_strerror(m_impl->Zip))));
    QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
    qint64 done = 0;
    while (done < bytes.size()) {
        const zip_int64_t got = zip_fread(file.get(), bytes.data() + done, zip_uint64_t(bytes.size() - done));
        if (got <= 0)
            throw EVelmoraError(QStringLiteral("%1: \"%2\" is damaged").arg(m_fileName, member));
        done += got;
    }
    return bytes;
}

} // namespace velmora
