#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace velmora {

// A zip file opened for reading members by name (the container of XLSX and ODS sheets).
class TZipArchive
{
public:
    // Throws EVelmoraError naming the file when it is not a readable zip.
    explicit TZipArchive(const QString &fileName);
    ~TZipArchive();
    TZipArchive(const TZipArchive &) = delete;
    TZipArchive &operator=(const TZipArchive &) = delete;

    bool Contains(const QString &member) const;
    // The member's bytes; throws when it is missing, unreadable or larger than maxSize.
    QByteArray Read(const QString &member, qint64 maxSize = qint64(64) << 20) const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> m_impl;
    QString m_fileName;
};

} // namespace velmora
