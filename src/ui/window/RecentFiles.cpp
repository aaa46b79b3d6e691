#include "ui/window/RecentFiles.h"

#include "ui/window/EditorSettings.h"

namespace velmora {

namespace {

const QString RecentFilesKey = QStringLiteral("RecentFiles");

} // namespace

QStringList WithRecentFile(QStringList files, const QString &file, int max)
{
    files.removeAll(file);
    files.prepend(file);
    while (files.size() > max)
        files.removeLast();
    return files;
}

QStringList TRecentFiles::Files() const
{
    QStringList files = EditorSettings().value(RecentFilesKey).toStringList();
    files.removeAll(QString());
    return files.mid(0, Max);
}

void TRecentFiles::Add(const QString &file)
{
    if (!file.isEmpty())
        Store(WithRecentFile(Files(), file, Max));
}

void TRecentFiles::Remove(const QString &file)
{
    QStringList files = Files();
    files.removeAll(file);
    Store(files);
}

void TRecentFiles::Store(const QStringList &files)
{
    QSettings settings = EditorSettings();
    settings.setValue(RecentFilesKey, files);
}

} // namespace velmora
