// The document commands with prompts answered in code, titles, and saving through real files.
#include "core/document/Document.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"
#include "core/typedfiler/TypedFilerError.h"
#include "support/RecordBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/mount.h>

using namespace velmora;

namespace {

// Answers in the order given; records every question asked.
struct TScriptedPrompts final : IDocumentPrompts
{
    std::vector<bool> Answers;
    // Answers to the unsaved-changes question; without one, Yes discards and No cancels.
    std::vector<TSaveChoice> Choices;
    QString OpenFile;
    QString SaveFile;
    QStringList Asked;

    bool Confirm(const QString &question) override
    {
        Asked << question;
        if (Answers.empty())
            return false;
        const bool answer = Answers.front();
        Answers.erase(Answers.begin());
        return answer;
    }
    TSaveChoice AskSaveChanges(const QString &question) override
    {
        if (Choices.empty())
            return Confirm(question) ? TSaveChoice::Discard : TSaveChoice::Cancel;
        Asked << question;
        const TSaveChoice choice = Choices.front();
        Choices.erase(Choices.begin());
        return choice;
    }
    QString ChooseOpenFile() override
    {
        Asked << QStringLiteral("open dialog");
        return OpenFile;
    }
    QString ChooseSaveFile() override
    {
        Asked << QStringLiteral("save dialog");
        return SaveFile;
    }
};

QByteArray ReadFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString ProjectCaption(const TDocument &document)
{
    QString caption;
    document.ProjectNode()->Element()->GetCaption(-1, caption);
    return caption;
}

// A modified document whose project has a new name and one text.
void Edit(TDocument &document, const QString &name)
{
    document.ProjectNode()->Element()->SetCaption(-1, name);
    document.Tree().AddChild(*document.ProjectNode(), std::make_unique<TVmElementText>());
    document.MarkModified();
}

TEST(Document, TitleFollowsNameAndModified)
{
    TDocument document;
    QStringList titles;
    document.OnTitleChanged = [&](const QString &title) { titles << title; };
    EXPECT_EQ(document.Title(), QStringLiteral("Velmora - []"));
    document.MarkModified();
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("r\u00f6ll.vmz"));
    document.SaveProjectAs(name);
    EXPECT_EQ(titles, QStringList({QStringLiteral("Velmora - [*]"), QStringLiteral("Velmora - [%1]").arg(name)}));
    EXPECT_EQ(document.ProjectFileName(), name);
}

TEST(Document, NewAsksOnlyWhenModified)
{
    TDocument document;
    TScriptedPrompts prompts;
    EXPECT_TRUE(document.ActNewExecute(prompts));
    EXPECT_TRUE(prompts.Asked.isEmpty());

    Edit(document, QStringLiteral("Edited"));
    prompts.Answers = {false};
    EXPECT_FALSE(document.ActNewExecute(prompts));
    EXPECT_EQ(prompts.Asked.last(), QStringLiteral("The project has changed, are you sure you want to create a new project"));
    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(ProjectCaption(document), QStringLiteral("Edited"));

    prompts.Answers = {true};
    EXPECT_TRUE(document.ActNewExecute(prompts));
    EXPECT_FALSE(document.Modified());
    EXPECT_EQ(ProjectCaption(document), QStringLiteral("Velmora Project"));
    EXPECT_EQ(document.ProjectNode()->ChildCount(), 0u);
}

TEST(Document, SaveAndOpenCommands)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("credits.vmz"));
    TDocument document;
    Edit(document, QStringLiteral("Saved"));
    TScriptedPrompts prompts;

    // Never saved: Save asks for a file; cancelling changes nothing.
    EXPECT_FALSE(document.ActSaveExecute(prompts));
    EXPECT_EQ(prompts.Asked, QStringList{QStringLiteral("save dialog")});
    EXPECT_TRUE(document.Modified());
    EXPECT_FALSE(QFileInfo::exists(name));

    prompts.SaveFile = name;
    EXPECT_TRUE(document.ActSaveExecute(prompts));
    EXPECT_FALSE(document.Modified());
    EXPECT_EQ(document.ProjectFileName(), name);
    const QByteArray first = ReadFile(name);
    EXPECT_TRUE(first.startsWith("VELMORA01"));

    // Named: Save writes without asking.
    prompts.Asked.clear();
    document.Tree().AddChild(*document.ProjectNode(), std::make_unique<TVmElementText>());
    document.MarkModified();
    EXPECT_TRUE(document.ActSaveExecute(prompts));
    EXPECT_TRUE(prompts.Asked.isEmpty());
    EXPECT_GT(ReadFile(name).size(), first.size());

    // Open: a modified project asks first; No, or a cancelled dialog, leaves everything.
    TDocument other;
    Edit(other, QStringLiteral("Other"));
    prompts.Answers = {false};
    EXPECT_FALSE(other.ActLoadExecute(prompts));
    EXPECT_EQ(prompts.Asked.last(), QStringLiteral("The project has changed, are you sure you want to load a new project"));
    prompts.Answers = {true};
    EXPECT_FALSE(other.ActLoadExecute(prompts));
    EXPECT_EQ(prompts.Asked.last(), QStringLiteral("open dialog"));
    EXPECT_TRUE(other.Modified());
    EXPECT_EQ(ProjectCaption(other), QStringLiteral("Other"));

    prompts.Answers = {true};
    prompts.OpenFile = name;
    EXPECT_TRUE(other.ActLoadExecute(prompts));
    EXPECT_EQ(ProjectCaption(other), QStringLiteral("Saved"));
    EXPECT_EQ(other.ProjectNode()->ChildCount(), 2u);
    EXPECT_EQ(other.ProjectFileName(), name);
    EXPECT_FALSE(other.Modified());
    EXPECT_EQ(other.Title(), QStringLiteral("Velmora - [%1]").arg(name));

    // Save As to a second file keeps the first.
    prompts.SaveFile = dir.filePath(QStringLiteral("copy.vmz"));
    EXPECT_TRUE(other.ActSaveAsExecute(prompts));
    EXPECT_EQ(ReadFile(prompts.SaveFile), ReadFile(name));
    EXPECT_EQ(other.ProjectFileName(), prompts.SaveFile);
}

// Saving onto a directory cannot create the file: the error is reported and nothing else changes.
TEST(Document, SaveOntoDirectoryFails)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("folder.vmz"));
    ASSERT_TRUE(QDir().mkdir(name));
    TDocument document;
    Edit(document, QStringLiteral("Kept"));
    try {
        document.SaveProjectAs(name);
        FAIL() << "saved";
    } catch (const EDocumentError &error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(name))) << error.what();
        EXPECT_GT(error.message().size(), QStringLiteral("Cannot create file \"%1\". ").arg(name).size());
    }
    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(document.ProjectFileName(), name);
    EXPECT_EQ(document.Title(), QStringLiteral("Velmora - [*%1]").arg(name));
    EXPECT_TRUE(QFileInfo(name).isDir());
}

// A small tmpfs, unmounted when the test ends.
class TFullDisk
{
public:
    explicit TFullDisk(const QString &path) : m_path(path.toLocal8Bit())
    {
        m_mounted = ::mount("tmpfs", m_path.constData(), "tmpfs", 0, "size=64k") == 0;
    }
    ~TFullDisk()
    {
        if (m_mounted)
            ::umount(m_path.constData());
    }
    bool Mounted() const { return m_mounted; }

private:
    QByteArray m_path;
    bool m_mounted = false;
};

// A save that runs out of space leaves the previous file as it was.
TEST(Document, FailedSaveKeepsThePreviousFile)
{
    QTemporaryDir dir;
    TFullDisk disk(dir.path());
    if (!disk.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const QString name = dir.filePath(QStringLiteral("roll.vmz"));
    TDocument document;
    Edit(document, QStringLiteral("Before"));
    document.SaveProjectAs(name);
    const QByteArray before = ReadFile(name);
    ASSERT_FALSE(before.isEmpty());

    // Noise does not compress, so its PNG is far larger than the disk.
    QImage noise(300, 300, QImage::Format_ARGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, random.generate());
    QTemporaryDir elsewhere;
    const QString picture = elsewhere.filePath(QStringLiteral("noise.png"));
    ASSERT_TRUE(noise.save(picture));
    queryInterface<IProjectBackground>(document.ProjectNode()->Element())->LoadBackground(picture);
    document.MarkModified();

    TScriptedPrompts prompts;
    try {
        document.ActSaveExecute(prompts);
        FAIL() << "saved";
    } catch (const EVelmoraError &error) {
        const QString message = error.message();
        EXPECT_TRUE(message == QStringLiteral("Stream write error")
            || message.startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(name)))
            << error.what();
    }
    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(ReadFile(name), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("roll.vmz")});
    TDocument reopened;
    reopened.OpenProject(name);
    EXPECT_EQ(ProjectCaption(reopened), QStringLiteral("Before"));
}

} // namespace

// Save, Discard or Cancel before a changed project goes: Save saves first and goes on only
// when the save succeeded.
TEST(Document, ChangedProjectIsSavedDiscardedOrKept)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("kept.vmz"));
    TDocument document;
    TScriptedPrompts prompts;

    Edit(document, QStringLiteral("Kept"));
    prompts.Choices = {TSaveChoice::Cancel};
    EXPECT_FALSE(document.ActNewExecute(prompts));
    EXPECT_EQ(ProjectCaption(document), QStringLiteral("Kept"));

    // Never saved: Save runs Save As; cancelling its dialog keeps the project.
    prompts.Choices = {TSaveChoice::Save};
    EXPECT_FALSE(document.ActNewExecute(prompts));
    EXPECT_EQ(prompts.Asked.last(), QStringLiteral("save dialog"));
    EXPECT_EQ(ProjectCaption(document), QStringLiteral("Kept"));

    prompts.Choices = {TSaveChoice::Save};
    prompts.SaveFile = name;
    EXPECT_TRUE(document.ActNewExecute(prompts));
    EXPECT_EQ(ProjectCaption(document), QStringLiteral("Velmora Project"));
    TDocument reread;
    reread.OpenProject(name);
    EXPECT_EQ(ProjectCaption(reread), QStringLiteral("Kept"));

    // A save that fails throws, and the project is still there: its name is taken by a folder.
    const QString blocked = dir.filePath(QStringLiteral("blocked.vmz"));
    ASSERT_TRUE(QDir().mkdir(blocked));
    Edit(reread, QStringLiteral("Unwritable"));
    EXPECT_THROW(reread.SaveProjectAs(blocked), EDocumentError);
    prompts.Choices = {TSaveChoice::Save};
    prompts.OpenFile = name;
    EXPECT_THROW(reread.ActLoadExecute(prompts), EDocumentError);
    EXPECT_EQ(ProjectCaption(reread), QStringLiteral("Unwritable"));
    EXPECT_TRUE(reread.Modified());

    // Discard goes on without saving; an unchanged project asks nothing.
    const int asked = int(prompts.Asked.size());
    prompts.Choices = {TSaveChoice::Discard};
    EXPECT_TRUE(reread.ActLoadExecute(prompts));
    EXPECT_EQ(ProjectCaption(reread), QStringLiteral("Kept"));
    EXPECT_TRUE(reread.SettleChanges(prompts, QStringLiteral("not asked")));
    EXPECT_EQ(prompts.Asked.size(), asked + 2); // the question and the open dialog
}
