#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// files with file put first, no name twice, at most max names.
QStringList WithRecentFile(QStringList files, const QString &file, int max);

// The projects opened or saved last, newest first, kept in the user's settings.
class TRecentFiles
{
public:
    static constexpr int Max = 8;

    QStringList Files() const;
    void Add(const QString &file);
    void Remove(const QString &file);

private:
    void Store(const QStringList &files);
};

} // namespace velmora
