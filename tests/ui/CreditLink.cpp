// Linked credit blocks in the editor: a sheet saved by another program reloads the block as one
// undo step, a broken sheet keeps the last good rows, Unlink gives ordinary elements.
#include "EditorFixture.h"

#include "core/credits/ElementCreditBlock.h"
#include "ui/CreditCommands.h"
#include "ui/CreditLink.h"
#include "ui/TreeClipboard.h"

#include <QFile>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QUndoStack>

using namespace velmora;
using namespace velmora::test;

namespace {

// Saved the way spreadsheet programs save: a new file renamed over the old one.
void SaveByRename(const QString &path, const QByteArray &bytes)
{
    const QString temporary = path + ".~tmp";
    QFile file(temporary);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QFile::remove(path);
    QVERIFY(QFile::rename(temporary, path));
}

QStringList Names(const TElementNode &node)
{
    QStringList names;
    for (const TCreditRow &row : static_cast<const TVmElementCreditBlock *>(node.Element())->Rows().Rows)
        names << row[colName];
    return names;
}

// The sheet written into dir and linked into the editor's empty project.
QString LinkSheet(TEditorFixture &f, const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString sheet = dir.filePath("c.csv");
    SaveByRename(sheet, bytes);
    f.Main().CreditCommands().LinkCredits(sheet);
    return sheet;
}

} // namespace

class CreditLinkTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void savedSheetReloadsAsOneUndoStep()
    {
        TEditorFixture f;
        QTemporaryDir dir;
        const QString sheet = LinkSheet(f, dir, "Kind,Role,Name\npair,Gaffer,Ada\n");
        QVERIFY(f.Prompts.Errors.isEmpty());
        QCOMPARE(f.Project().ChildCount(), std::size_t(1));
        TElementNode &node = *f.Project().Child(0);
        QCOMPARE(Names(node), QStringList({"Ada"}));

        QSignalSpy reloaded(&f.Main().CreditCommands().Link(), &TCreditLink::Reloaded);
        const int steps = f.Main().Document().UndoStack().count();
        SaveByRename(sheet, "Kind,Role,Name\npair,Gaffer,Ada\npair,,Bram\n");
        // The watcher sees the rename; generous, since file events are not timed.
        QTRY_VERIFY_WITH_TIMEOUT(reloaded.count() > 0, 10000);
        QCOMPARE(Names(*f.Project().Child(0)), QStringList({"Ada", "Bram"}));
        QCOMPARE(f.Main().Document().UndoStack().count(), steps + 1);
        f.Main().Document().UndoStack().undo();
        QCOMPARE(Names(*f.Project().Child(0)), QStringList({"Ada"}));
        f.Main().Document().UndoStack().redo();

        // A broken sheet: the block keeps the rows it had, and says why.
        SaveByRename(sheet, "Kind,Role,Name\npair,Gaffer,Ada\npaier,,Bram\n");
        QCOMPARE(f.Main().CreditCommands().Link().ReloadChanged(), 0);
        QCOMPARE(Names(*f.Project().Child(0)), QStringList({"Ada", "Bram"}));
        QCOMPARE(f.Main().CreditCommands().Link().Problems(), QStringList({"c.csv:3: unknown Kind \"paier\""}));
    }

    // Rows added above the credit on screen move the roll, not the preview's credit.
    void reloadKeepsTheCreditOnScreen()
    {
        TEditorFixture f;
        QTemporaryDir dir;
        QByteArray rows = "Kind,Role,Name\n";
        for (int i = 0; i < 40; ++i)
            rows += "pair,Role " + QByteArray::number(i) + ",Name " + QByteArray::number(i) + "\n";
        const QString sheet = LinkSheet(f, dir, rows);
        TElementNode &node = *f.Project().Child(0);
        const auto &pieces = [&]() -> const auto & {
            f.Main().RenderFrame();
            return static_cast<const TVmElementCreditBlock *>(node.Element())->Layout().Pieces();
        };
        const int height = queryInterface<IProject>(f.Project().Element())->GetHeight();
        // Row 31 ("Name 29") 5 pixels above the frame's top.
        const auto &before = pieces();
        QCOMPARE(before[29].Row, 31);
        QSlider *track = f.Main().Controls().TrackBar;
        track->setValue(height + before[29].Top + 5);
        SaveByRename(sheet, rows.replace("Kind,Role,Name\n", "Kind,Role,Name\npair,New,First\npair,New,Second\n"));
        QCOMPARE(f.Main().CreditCommands().Link().ReloadChanged(), 1);
        const auto &after = pieces();
        QCOMPARE(after[31].Row, 33);
        QCOMPARE(track->value(), height + after[31].Top + 5);
    }

    void unlinkGivesElementsAsOneStep()
    {
        TEditorFixture f;
        QTemporaryDir dir;
        LinkSheet(f, dir, "Kind,Role,Name,Text\nheading,,,CREW\npair,Gaffer,Ada,\n");
        f.Focus(*f.Project().Child(0));
        const int steps = f.Main().Document().UndoStack().count();
        f.Main().CreditCommands().UnlinkFocusedCredits();
        QCOMPARE(f.Project().ChildCount(), std::size_t(2));
        QCOMPARE(NodeCaption(*f.Project().Child(0)), QString("CREW"));
        QCOMPARE(f.Main().Document().UndoStack().count(), steps + 1);
        f.Main().Document().UndoStack().undo();
        QCOMPARE(f.Project().ChildCount(), std::size_t(1));
        QVERIFY(dynamic_cast<TVmElementCreditBlock *>(f.Project().Child(0)->Element()) != nullptr);
    }
};

QTEST_MAIN(CreditLinkTest)
#include "CreditLink.moc"
