// Files read as sheets and styles open only when they are regular files, and never wait:
// a pipe without a writer would block open() itself.
#include "core/error.h"
#include "core/sheets/RegularFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(RegularFileTest, OpensRegularFilesOnlyAndNeverWaits)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString regular = dir.filePath("roll.csv");
    {
        QFile file(regular);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("Kind,Text\n") == 10);
    }
    const QString pipe = dir.filePath("pipe.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);

    const struct
    {
        const char *Name;
        QString Path;
        const char *Message;  // empty: it opens
    } rows[] = {
        {"a regular file", regular, ""},
        {"a pipe without a writer", pipe, "not a regular file"},
        {"a device that never ends", "/dev/zero", "not a regular file"},
        {"a folder", dir.path(), "not a regular file"},
        {"nothing there", dir.filePath("missing.csv"), "No such file"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Name);
        QFile file;
        try {
            velmora::OpenRegularFile(file, row.Path);
            EXPECT_STREQ(row.Message, "");
            EXPECT_EQ(file.readAll(), QByteArray("Kind,Text\n"));
        } catch (const velmora::EVelmoraError &error) {
            EXPECT_TRUE(error.message().contains(QLatin1String(row.Message)) && *row.Message != '\0')
                << error.message().toStdString();
            EXPECT_TRUE(error.message().startsWith(row.Path));
        }
    }
}

} // namespace
