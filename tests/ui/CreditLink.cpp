// Linked credit blocks in the editor: a sheet saved by another program reloads the block as one
// undo step, a broken sheet keeps the last good rows, Unlink gives ordinary elements.
#include "EditorFixture.h"

#include "core/credits/ElementCreditBlock.h"
#include "ui/CreditCommands.h"
#include "ui/CreditLink.h"
#include "ui/TreeClipboard.h"

#include <QFile>
#include <QSignalSpy>
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
