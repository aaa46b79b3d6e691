// TOutputTarget: what stands at the target after each way a write can end.
#include "core/export/ExportError.h"
#include "core/export/formats/OutputTarget.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora;

namespace {

using test::FileContents;
using test::PutFile;

enum class TEnd { Commit, KeepPartial, Discard, Destroy, FailedWithFrames, FailedEmpty };

} // namespace

TEST(OutputTarget, OnlyACompletedOrKeptWriteReplacesTheOlderFile)
{
    const struct { TEnd End; bool Older; const char *After; } rows[] = {
        {TEnd::Commit, true, "new"},          {TEnd::Commit, false, "new"},
        {TEnd::KeepPartial, true, "new"},     {TEnd::KeepPartial, false, "new"},
        {TEnd::Discard, true, "old"},         {TEnd::Discard, false, "<missing>"},
        {TEnd::Destroy, true, "old"},         {TEnd::Destroy, false, "<missing>"},
        // A failed run keeps its frames only where that loses no earlier file, and never an empty file.
        {TEnd::FailedWithFrames, true, "old"}, {TEnd::FailedWithFrames, false, "new"},
        {TEnd::FailedEmpty, true, "old"},      {TEnd::FailedEmpty, false, "<missing>"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(int(row.End) * 2 + row.Older);
        QTemporaryDir dir;
        const QString path = dir.filePath("frame.png");
        if (row.Older)
            PutFile(path, "old");
        {
            TOutputTarget target(path);
            EXPECT_NE(target.WritePath(), path);
            EXPECT_EQ(QFileInfo(target.WritePath()).absolutePath(), dir.path());
            EXPECT_TRUE(target.WritePath().endsWith(".png"));  // image writers go by the extension
            EXPECT_EQ(target.ReplacesFile(), row.Older);
            EXPECT_EQ(FileContents(path), row.Older ? QByteArray("old") : QByteArray("<missing>"));
            PutFile(target.WritePath(), "new");
            if (row.End == TEnd::Commit)
                target.Commit();
            else if (row.End == TEnd::KeepPartial)
                target.KeepPartial();
            else if (row.End == TEnd::Discard)
                target.Discard();
            else if (row.End == TEnd::FailedWithFrames || row.End == TEnd::FailedEmpty) {
                EXPECT_EQ(target.KeepAfterFailure(row.End == TEnd::FailedWithFrames ? 3 : 0), row.After == QByteArray("new"));
            }
        }
        EXPECT_EQ(FileContents(path), QByteArray(row.After));
        EXPECT_LE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);  // no temporary file left
    }
}

TEST(OutputTarget, TwoWritersOfOnePathEachWriteTheirOwnFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("roll.avi");
    TOutputTarget first(path);
    TOutputTarget second(path);
    EXPECT_NE(first.WritePath(), second.WritePath());
    PutFile(first.WritePath(), "first");
    PutFile(second.WritePath(), "second");
    second.Commit();
    first.Commit();
    EXPECT_EQ(FileContents(path), QByteArray("first"));  // the last to finish wins, whole
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"roll.avi"});
}

TEST(OutputTarget, DevicesAndPipesAreWrittenInPlaceAndNeverRemoved)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct { QString Path; bool Pipe; } rows[] = {{"/dev/null", false}, {fifo, true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Path.toStdString());
        struct stat before {};
        ASSERT_EQ(::stat(QFile::encodeName(row.Path).constData(), &before), 0);
        {
            TOutputTarget target(row.Path);
            EXPECT_TRUE(target.InPlace());
            EXPECT_EQ(target.IsPipe(), row.Pipe);
            EXPECT_EQ(target.WritePath(), row.Path);
            target.Commit();
        }
        {
            TOutputTarget discarded(row.Path);
        }
        struct stat after {};
        ASSERT_EQ(::stat(QFile::encodeName(row.Path).constData(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::System | QDir::Files), QStringList{"pipe"});
}

TEST(OutputTarget, ALinkKeepsPointingAtTheNewContent)
{
    QTemporaryDir dir;
    const QString real = dir.filePath("real.png");
    const QString link = dir.filePath("link.png");
    PutFile(real, "old");
    ASSERT_TRUE(QFile::link(real, link));
    {
        TOutputTarget target(link);
        PutFile(target.WritePath(), "new");
        target.Commit();
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(FileContents(real), QByteArray("new"));
}

TEST(OutputTarget, FailuresNameTheFileAndTheSystemsReason)
{
    QTemporaryDir dir;
    const struct { QString Path; const char *Reason; } rows[] = {
        {dir.path(), "Is a directory"},
        {dir.filePath("missing/out.avi"), "No such file or directory"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Path.toStdString());
        try {
            TOutputTarget target(row.Path);
            ADD_FAILURE() << "no error";
        } catch (const EExportError &e) {
            EXPECT_TRUE(e.message().contains(row.Path)) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QLatin1String(row.Reason))) << e.message().toStdString();
        }
    }
}

TEST(OutputTarget, TheInputIsRecognisedWhateverItsName)
{
    QTemporaryDir dir;
    const QString input = dir.filePath("m.vmz");
    PutFile(input, "project");
    const QString hardLink = dir.filePath("other-name.vmz");
    ASSERT_EQ(::link(QFile::encodeName(input).constData(), QFile::encodeName(hardLink).constData()), 0);
    PutFile(dir.filePath("different.vmz"), "project");
    const struct { QString Output; bool Refused; } rows[] = {
        {input, true},
        {dir.path() + "/./sub/../m.vmz", true},
        {hardLink, true},
        {dir.filePath("different.vmz"), false},  // same bytes, another file
        {dir.filePath("new.avi"), false},
    };
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Output.toStdString());
        if (row.Refused)
            EXPECT_THROW(TOutputTarget::RefuseInput(row.Output, input), EExportError);
        else
            EXPECT_NO_THROW(TOutputTarget::RefuseInput(row.Output, input));
    }
    EXPECT_EQ(FileContents(input), QByteArray("project"));
}
