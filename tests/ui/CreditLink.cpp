// Linked credit blocks in the editor: a sheet saved by another program reloads the block as one
// undo step, a broken sheet keeps the last good rows, Unlink gives ordinary elements.
#include "EditorFixture.h"

#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/render/LayoutPass.h"
#include "core/credits/ElementCreditBlock.h"
#include "core/elements/ElementColumns.h"
#include "core/render/FrameRenderer.h"
#include "support/InkBounds.h"
#include "support/SheetFiles.h"
#include "ui/credits/CreditCommands.h"
#include "ui/credits/CreditLink.h"
#include "ui/window/MainWindow.h"
#include "ui/pages/PageCreditBlock.h"
#include "ui/panels/SignoffPanel.h"
#include "ui/tree/TreeClipboard.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QListWidget>
#include <QStackedWidget>

#include <QDir>
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

// Answers the import questions: link, and the worksheet named (recording the list offered).
struct TWorkbookPrompts : ICreditPrompts
{
    QString Sheet;
    QString Worksheet;
    QStringList Offered;
    QString ChooseSheetFile() override { return Sheet; }
    QString AskRunningTime(const QString &) override { return {}; }
    void ShowMessage(const QString &) override {}
    std::optional<TImportMode> ChooseImportMode() override { return TImportMode::Link; }
    QString ChooseWorksheet(const QStringList &names) override
    {
        Offered = names;
        return Worksheet;
    }
};

const TVmElementCreditBlock &BlockAt(TElementNode &node)
{
    return *static_cast<const TVmElementCreditBlock *>(node.Element());
}

// Clicking item selects the block and brings its 26th row (sheet row 27, below the header) a
// quarter of the way down the frame.
void ShowsSheetRow27(TEditorFixture &f, QListWidgetItem *item, TElementNode &node)
{
    f.Main().Signoff().ShowItem(item);
    QCOMPARE(f.Main().Document().Tree().FocusedNode(), &node);
    f.Main().RenderFrame();
    const auto &pieces = BlockAt(node).LayoutFor(FilmOf(node)).Pieces();
    QCOMPARE(pieces[25].Row, 27);
    const int film = queryInterface<IProject>(f.Project().Element())->GetHeight();
    QCOMPARE(f.Main().Controls().TrackBar->value(), pieces[25].Top + film * 3 / 4);
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
        // Another change in the sheet's folder does not bring the undone rows back.
        QCOMPARE(f.Main().CreditCommands().Link().ReloadChanged(), 0);
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
            return static_cast<const TVmElementCreditBlock *>(node.Element())->LayoutFor(FilmOf(node)).Pieces();
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

    // A change far above leaves the credit on screen where it is, although its words stand in
    // another row too; the anchor is the row between its neighbours, not its text alone.
    void reloadKeepsTheCreditWhoseWordsRepeat()
    {
        TEditorFixture f;
        QTemporaryDir dir;
        QByteArray rows = "Kind,Role,Name\n";
        for (int i = 0; i < 60; ++i)
            rows += "pair,Driver,Name " + QByteArray::number(i % 20 == 7 ? 7 : i) + "\n";
        const QString sheet = LinkSheet(f, dir, rows);
        TElementNode &node = *f.Project().Child(0);
        f.Main().RenderFrame();
        const auto &before = BlockAt(node).LayoutFor(FilmOf(node)).Pieces();
        // Row 49 ("Name 7", as rows 9 and 29 are) at the frame's top.
        QCOMPARE(before[47].Row, 49);
        const int height = queryInterface<IProject>(f.Project().Element())->GetHeight();
        QSlider *track = f.Main().Controls().TrackBar;
        track->setValue(height + before[47].Top);
        SaveByRename(sheet, rows.replace("pair,Driver,Name 1\n", "pair,Driver,Name One\n"));
        QCOMPARE(f.Main().CreditCommands().Link().ReloadChanged(), 1);
        f.Main().RenderFrame();
        const auto &after = BlockAt(node).LayoutFor(FilmOf(node)).Pieces();
        QCOMPARE(track->value(), height + after[47].Top);
    }

    // A sheet broken and saved back to its last good content clears its error at once, and the
    // reload messages leave the status panels in view and go after a few seconds.
    void errorClearsOnAValidReadAndMessagesPass()
    {
        TEditorFixture f;
        QTemporaryDir dir;
        const QByteArray good = "Kind,Role,Name\npair,Gaffer,Ada\n";
        const QString sheet = LinkSheet(f, dir, good);
        TCreditLink &link = f.Main().CreditCommands().Link();
        QLabel *message = f.Main().CreditCommands().ReloadPanel;
        SaveByRename(sheet, "Kind,Role,Name\npaier,Gaffer,Ada\n");
        QCOMPARE(link.ReloadChanged(), 0);
        QCOMPARE(link.SheetProblems().size(), std::size_t(1));
        QVERIFY(message->text().startsWith(QStringLiteral("The sheet keeps its last good content")));
        QVERIFY(f.Main().Signoff().Problems->count() > 0);
        QVERIFY(f.Main().Signoff().Problems->item(0)->text().startsWith(QStringLiteral("error [sheet]")));
        SaveByRename(sheet, good);
        QSignalSpy reloaded(&link, &TCreditLink::Reloaded);
        QCOMPARE(link.ReloadChanged(), 0);
        QCOMPARE(reloaded.count(), 1);
        QVERIFY(link.Problems().isEmpty() && link.SheetProblems().empty());
        for (int i = 0; i < f.Main().Signoff().Problems->count(); ++i)
            QVERIFY(!f.Main().Signoff().Problems->item(i)->text().startsWith(QStringLiteral("error [sheet]")));
        QCOMPARE(message->text(), QStringLiteral("The sheet reads well again"));
        // Not a status bar message: those hide the frame, timecode and running time.
        QVERIFY(f.Main().statusBar()->currentMessage().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(message->text().isEmpty(), 8000);
        // Nothing new on the next look at the folder.
        QCOMPARE(link.ReloadChanged(), 0);
        QCOMPARE(reloaded.count(), 1);
    }

    // A workbook of several worksheets asks which one; the block keeps it, and its page changes
    // it as one step.
    void worksheetIsChosenOnImportAndInTheBlockPage()
    {
        TEditorFixture f;
        QTemporaryDir dir;
        const QString book = dir.filePath("crew.xlsx");
        test::WriteSheet(book, {{"Kind", "Role", "Name"}, {"pair", "Gaffer", "Ada"}});
        TWorkbookPrompts prompts;
        prompts.Sheet = book;
        prompts.Worksheet = "Credits";
        f.Main().CreditCommands().SetPrompts(&prompts);
        f.Main().CreditCommands().ActImportCredits->trigger();
        QCOMPARE(prompts.Offered, QStringList({"Credits", "Notes"}));
        QCOMPARE(f.Project().ChildCount(), std::size_t(1));
        TElementNode &node = *f.Project().Child(0);
        QCOMPARE(BlockAt(node).Source().Worksheet, QString("Credits"));
        QCOMPARE(Names(node), QStringList({"Ada"}));

        // Its page lists the worksheets; choosing the other reads it (it has no Kind column, so
        // the error box says so and the block stays).
        f.Focus(node);
        TCreditBlockPage &page = f.Main().CreditCommands().BlockPage();
        QCOMPARE(f.Main().Controls().Pages->currentWidget(), &page);
        QCOMPARE(page.Worksheet->count(), 2);
        QCOMPARE(page.Worksheet->currentText(), QString("Credits"));
        QVERIFY(page.Worksheet->isEnabled());
        const int steps = f.Main().Document().UndoStack().count();
        Q_EMIT page.Worksheet->activated(1);
        QCOMPARE(f.Prompts.Errors.size(), 1);
        QVERIFY(f.Prompts.Errors.front().contains("no Kind column"));
        QCOMPARE(f.Main().Document().UndoStack().count(), steps);

        prompts.Worksheet.clear();  // cancelled: nothing imported
        f.Main().CreditCommands().ActImportCredits->trigger();
        QCOMPARE(f.Project().ChildCount(), std::size_t(1));

        // A workbook whose two worksheets both hold credits: there and back as one step each.
        const QString two = dir.filePath("two.ods");
        const auto table = [](const QString &name, const QString &role, const QString &person) {
            return QString("<table:table table:name=\"%1\"><table:table-row><table:table-cell><text:p>Kind</text:p></table:table-cell>"
                           "<table:table-cell><text:p>Role</text:p></table:table-cell><table:table-cell><text:p>Name</text:p></table:table-cell>"
                           "</table:table-row><table:table-row><table:table-cell><text:p>pair</text:p></table:table-cell>"
                           "<table:table-cell><text:p>%2</text:p></table:table-cell><table:table-cell><text:p>%3</text:p></table:table-cell>"
                           "</table:table-row></table:table>").arg(name, role, person);
        };
        test::WriteZip(two, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                             {"content.xml", ("<?xml version=\"1.0\"?><office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                                              "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\">"
                                              "<office:body><office:spreadsheet>" + table("Crew", "Gaffer", "Ada") + table("Cast", "Lead", "Bram")
                                              + "</office:spreadsheet></office:body></office:document-content>").toUtf8()}});
        f.Main().Document().UndoStack().undo();  // the workbook's block out again
        QCOMPARE(f.Project().ChildCount(), std::size_t(0));
        f.Main().CreditCommands().LinkCredits(two, "Crew");
        TElementNode &linked = *f.Project().Child(0);
        QCOMPARE(Names(linked), QStringList({"Ada"}));
        f.Focus(linked);
        QCOMPARE(page.Worksheet->count(), 2);
        const int before = f.Main().Document().UndoStack().count();
        Q_EMIT page.Worksheet->activated(1);
        QVERIFY(f.Prompts.Errors.size() == 1);
        QCOMPARE(Names(linked), QStringList({"Bram"}));
        QCOMPARE(BlockAt(linked).Source().Worksheet, QString("Cast"));
        QCOMPARE(page.Worksheet->currentText(), QString("Cast"));
        QCOMPARE(f.Main().Document().UndoStack().count(), before + 1);
        f.Main().Document().UndoStack().undo();
        QCOMPARE(Names(linked), QStringList({"Ada"}));
        f.Main().CreditCommands().SetPrompts(nullptr);
    }

    // Sheet errors are listed as SHEET:ROW:COLUMN; clicking one selects the block and brings its
    // row into the preview, while the block keeps its last good rows.
    void sheetErrorsAreListedAndShowTheirRow()
    {
        TEditorFixture f;
        QTemporaryDir dir;
        QByteArray rows = "Kind,Role,Name,Style\n";
        for (int i = 0; i < 30; ++i)
            rows += "pair,Role " + QByteArray::number(i) + ",Name " + QByteArray::number(i) + ",\n";
        const QString sheet = LinkSheet(f, dir, rows);
        TElementNode &node = *f.Project().Child(0);
        f.Focus(f.Project());
        QByteArray broken = rows;
        broken.replace("pair,Role 25,", "pear,Role 25,");
        SaveByRename(sheet, broken);
        QCOMPARE(f.Main().CreditCommands().Link().ReloadChanged(), 0);
        QCOMPARE(Names(node).size(), 30);

        TSignoffPanel &panel = f.Main().Signoff();
        panel.Update();
        QListWidgetItem *item = panel.Problems->item(0);
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), QString("error [sheet]: c.csv:27:A: unknown Kind \"pear\""));
        ShowsSheetRow27(f, item, node);
    }

    // A style the styles lack is no sheet error: the row is drawn in its kind's style and the
    // check lists a warning on the row, which clicking brings into the preview.
    void unknownStylesAreWarningsOnTheirRow()
    {
        TEditorFixture f;
        QTemporaryDir dir;
        QByteArray rows = "Kind,Role,Name,Style\n";
        for (int i = 0; i < 30; ++i)
            rows += "pair,Role " + QByteArray::number(i) + ",Name " + QByteArray::number(i) + (i == 25 ? ",Huge\n" : ",\n");
        LinkSheet(f, dir, rows);
        TElementNode &node = *f.Project().Child(0);
        QVERIFY(BlockAt(node).Problem().isEmpty());
        QCOMPARE(Names(node).size(), 30);

        TSignoffPanel &panel = f.Main().Signoff();
        panel.Update();
        QListWidgetItem *found = nullptr;
        for (int i = 0; i < panel.Problems->count(); ++i)
            if (panel.Problems->item(i)->text().contains("[unknown-style]"))
                found = panel.Problems->item(i);
        QVERIFY(found != nullptr);
        QVERIFY2(found->text().startsWith("warning [unknown-style] c.csv:27:D frame "), qPrintable(found->text()));
        QVERIFY2(found->text().endsWith("unknown Style \"Huge\"; the built-in Name style is used instead"), qPrintable(found->text()));
        ShowsSheetRow27(f, found, node);
    }

    void problemsNameTheirPlace()
    {
        const QStringList header{"Kind", "Role", "Name", "Notes", "Style", "Size"};
        const struct
        {
            const char *Message;
            const char *Text;
        } cases[] = {
            {"c.csv:4: unknown Style \"Huge\"", "c.csv:4:E: unknown Style \"Huge\""},
            {"c.csv:5: column Size: \"ten\" is not a whole number from 0 to 20000", "c.csv:5:F: column Size: \"ten\" is not a whole number from 0 to 20000"},
            {"c.csv:6: a pair row needs a Role", "c.csv:6:B: a pair row needs a Role"},
            {"c.csv:7: a value in column 28, which has no name in the header", "c.csv:7:AB: a value in column 28, which has no name in the header"},
            {"c.csv:8: no Kind", "c.csv:8:A: no Kind"},
            {"c.csv:9: an image row needs an Image", "c.csv:9: an image row needs an Image"},  // no such column
            {"c.csv: the sheet is empty; it needs a header row with a Kind column", "c.csv: the sheet is empty; it needs a header row with a Kind column"},
        };
        for (const auto &c : cases)
            QCOMPARE(SheetProblemOf(nullptr, c.Message, header).Text(), QString(c.Text));
    }

    // A project opened from elsewhere watches its sheet, found next to the project file.
    void openedProjectFollowsItsSheet()
    {
        QTemporaryDir dir;
        QString sheet;
        {
            TEditorFixture f;
            sheet = LinkSheet(f, dir, "Kind,Role,Name\npair,Gaffer,Ada\n");
            f.Main().Document().SaveProjectAs(dir.filePath("p.vmz"));
        }
        TEditorFixture f;
        QVERIFY(QDir::currentPath() != dir.path());
        f.Main().Document().OpenProject(dir.filePath("p.vmz"));
        QSignalSpy reloaded(&f.Main().CreditCommands().Link(), &TCreditLink::Reloaded);
        QCoreApplication::processEvents();
        SaveByRename(sheet, "Kind,Role,Name\npair,Gaffer,Ada\npair,,Bram\n");
        QTRY_VERIFY_WITH_TIMEOUT(reloaded.count() > 0, 10000);
        QCOMPARE(Names(*f.Project().Child(0)), QStringList({"Ada", "Bram"}));
    }

    // A copied sheet keeps its rows: neither a save of the sheet nor its worksheet list reach it.
    void copiedSheetFollowsNoFile()
    {
        TEditorFixture f;
        QTemporaryDir dir;
        const QString sheet = dir.filePath("c.csv");
        SaveByRename(sheet, "Kind,Role,Name\npair,Gaffer,Ada\n");
        f.Main().CreditCommands().ImportCredits(sheet);
        TElementNode &node = *f.Project().Child(0);
        QVERIFY(!BlockAt(node).Linked());
        QCOMPARE(NodeCaption(node), QString("c.csv"));
        SaveByRename(sheet, "Kind,Role,Name\npair,Gaffer,Bram\n");
        QCOMPARE(f.Main().CreditCommands().Link().ReloadChanged(), 0);
        QVERIFY(f.Main().CreditCommands().Link().Problems().isEmpty());
        QCOMPARE(Names(node), QStringList({"Ada"}));
        // Saved and opened again, it is still the copy, with no path to read.
        f.Main().Document().SaveProjectAs(dir.filePath("p.vmz"));
        TEditorFixture g;
        g.Main().Document().OpenProject(dir.filePath("p.vmz"));
        TElementNode &reopened = *g.Project().Child(0);
        QVERIFY(!BlockAt(reopened).Linked());
        QCOMPARE(NodeCaption(reopened), QString("c.csv"));
        QCOMPARE(Names(reopened), QStringList({"Ada"}));
        QCOMPARE(g.Main().CreditCommands().Link().ReloadChanged(), 0);
        g.Focus(reopened);
        QVERIFY(!g.Main().CreditCommands().BlockPage().Worksheet->isEnabled());
    }

    // A block in a column unlinks into elements that draw in that column what the block drew.
    void unlinkInAColumnDrawsWhatTheBlockDrew()
    {
        TEditorFixture f;
        QTemporaryDir dir;
        const QString sheet = dir.filePath("c.csv");
        SaveByRename(sheet, "Kind,Role,Name,Text,Columns\nheading,,,CREW,\npair,Gaffer,Ada Lund,,\nnames,,\"Bo\nCy\nDi\",,2\n");
        TElementTree &tree = f.Main().Document().Tree();
        TElementNode &set = tree.InsertChild(f.Project(), 0, std::make_unique<TElementNode>(std::make_unique<TVmElementColumns>()));
        tree.InsertChild(set, 0, std::make_unique<TElementNode>(std::make_unique<TVmElementColumn>()));
        TElementNode &column = tree.InsertChild(set, 1, std::make_unique<TElementNode>(std::make_unique<TVmElementColumn>()));
        TElementNode &block = tree.InsertChild(column, 0, CreditBlockNode(ReadCreditSource(sheet, QString(), QString(), QString())));
        f.Main().RebuildTreeView();
        auto *project = queryInterface<IProject>(f.Project().Element());
        project->SetBackColor(0xFF000000);
        const auto inkOf = [&] {
            TFrameRenderer renderer;  // the roll's top at the frame's top
            return InkBounds(renderer.RenderFrame(tree, project->GetHeight(), false));
        };
        const QRect before = inkOf();
        QVERIFY(!before.isNull() && before.left() >= project->GetWidth() / 2);
        f.Focus(block);
        f.Main().CreditCommands().UnlinkFocusedCredits();
        QVERIFY(column.ChildCount() >= 3);  // heading, pair, names
        QCOMPARE(NodeCaption(*column.Child(0)), QString("CREW"));
        const QRect after = inkOf();
        for (const auto &[was, is] : {std::pair(before.left(), after.left()), std::pair(before.right(), after.right()),
                                      std::pair(before.top(), after.top()), std::pair(before.bottom(), after.bottom())})
            QVERIFY2(std::abs(was - is) <= 1, qPrintable(QString("%1 became %2").arg(was).arg(is)));
    }

    void unlinkGivesElementsAsOneStep()
    {
        TEditorFixture f;
        QTemporaryDir dir;
        LinkSheet(f, dir, "Kind,Role,Name,Text\nheading,,,CREW\npair,Gaffer,Ada,\n");
        f.Focus(*f.Project().Child(0));
        const int steps = f.Main().Document().UndoStack().count();
        f.Main().CreditCommands().UnlinkFocusedCredits();
        // The heading, the pair in two columns, and at most a space keeping the block's height.
        QVERIFY(f.Project().ChildCount() == 2 || f.Project().ChildCount() == 3);
        QCOMPARE(NodeCaption(*f.Project().Child(0)), QString("CREW"));
        QCOMPARE(NodeCaption(*f.Project().Child(1)), QString("Gaffer / Ada"));
        QCOMPARE(f.Main().Document().UndoStack().count(), steps + 1);
        f.Main().Document().UndoStack().undo();
        QCOMPARE(f.Project().ChildCount(), std::size_t(1));
        QVERIFY(dynamic_cast<TVmElementCreditBlock *>(f.Project().Child(0)->Element()) != nullptr);
    }
};

QTEST_MAIN(CreditLinkTest)
#include "CreditLink.moc"
