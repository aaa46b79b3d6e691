// View > Outline: the credits as text, in step with the tree and the preview, edited in place.
#include "EditorFixture.h"

#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "support/SheetFiles.h"
#include "ui/OutlinePanel.h"

#include <QDockWidget>
#include <QTreeView>
#include <QUndoStack>

using namespace velmora;
using namespace velmora::test;

namespace {

// A roll with a heading, a credit pair, a name on its own and a linked sheet.
struct TOutlineFixture : TEditorFixture
{
    QTemporaryDir Dir;
    TOutlineFixture()
    {
        AddText(Project(), "CAMERA");
        Focus(*Project().Child(0));
        Main().Controls().ActNewCreditPair->trigger();
        TElementNode &pair = *Project().Child(1);
        queryInterface<IElementText>(pair.Child(0)->Child(0)->Element())->SetText(QString::fromUtf8("Operator\u2009\u2009\u2060"));
        queryInterface<IElementText>(pair.Child(1)->Child(0)->Element())->SetText(QString::fromUtf8("\u2009\u2009Ugo Eskildsen"));
        Main().Document().UndoStack().push(new QUndoCommand); // (a step to stand for the typing above)
        pair.Element()->SetCaption(-1, "Operator / Ugo Eskildsen");
        AddText(Project(), "Ada Valdivia");
        const QString sheet = Dir.filePath("c.csv");
        WriteSheet(sheet, {{"Kind", "Role", "Name", "Text"}, {"heading", "", "", "SOUND"}, {"pair", "Mixer", "Milo Thorne", ""}});
        Main().Document().Tree().InsertChild(Project(), Project().ChildCount(),
                                             CreditBlockNode(ReadCreditSource(sheet, QString(), QString(), QString())));
        Main().RebuildTreeView();
        Panel().Dock->show();
        Panel().Rebuild();
    }
    TOutlinePanel &Panel() { return Main().Outline(); }
    QString Cell(int row, int column) { return Panel().Model().index(row, column).data().toString(); }
    bool Editable(int row, int column) { return Panel().Model().index(row, column).flags() & Qt::ItemIsEditable; }
};

} // namespace

class OutlineTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listsCreditsInTwoColumns()
    {
        TOutlineFixture f;
        const struct
        {
            const char *Role, *Name;
            bool Bold, RoleEditable, NameEditable;
        } lines[] = {
            {"CAMERA", "", true, true, false},
            {"Operator", "Ugo Eskildsen", false, true, true},
            {"", "Ada Valdivia", false, false, true},
            {"SOUND", "", true, false, false}, // linked rows are edited in their sheet
            {"Mixer", "Milo Thorne", false, false, false},
        };
        QCOMPARE(f.Panel().Model().rowCount(), int(std::size(lines)));
        for (int row = 0; row < int(std::size(lines)); ++row) {
            QCOMPARE(f.Cell(row, 0), QString(lines[row].Role));
            QCOMPARE(f.Cell(row, 1), QString(lines[row].Name));
            QCOMPARE(f.Panel().Model().index(row, 0).data(Qt::FontRole).value<QFont>().bold(), lines[row].Bold);
            QCOMPARE(f.Editable(row, 0), lines[row].RoleEditable);
            QCOMPARE(f.Editable(row, 1), lines[row].NameEditable);
        }
        // Headings take the whole line.
        QVERIFY(f.Panel().View->isFirstColumnSpanned(0, QModelIndex()));
        QVERIFY(!f.Panel().View->isFirstColumnSpanned(1, QModelIndex()));
    }

    void selectionFollowsBothWays()
    {
        TOutlineFixture f;
        QTreeView &view = *f.Panel().View;
        // A line selects its element in the tree, which brings the preview to it.
        view.setCurrentIndex(f.Panel().Model().index(1, 1));
        QCOMPARE(f.Editor().FocusedNode(), f.Project().Child(1));
        view.setCurrentIndex(f.Panel().Model().index(4, 0));
        QCOMPARE(f.Editor().FocusedNode(), f.Project().Child(3));
        f.Main().RenderFrame();
        QVERIFY(f.Main().FramePosition() > 0);
        // An element selected in the tree, inside a pair too, selects its line.
        f.Focus(*f.Project().Child(1)->Child(1)->Child(0));
        QCOMPARE(view.currentIndex().row(), 1);
        f.Focus(*f.Project().Child(2));
        QCOMPARE(view.currentIndex().row(), 2);
    }

    void editsInPlaceAsOneUndoStep()
    {
        TOutlineFixture f;
        TElementNode &pair = *f.Project().Child(1);
        TElementNode &role = *pair.Child(0)->Child(0);
        const int steps = f.Main().Document().UndoStack().count();
        QVERIFY(f.Panel().Model().setData(f.Panel().Model().index(1, 0), "Camera Operator"));
        // The column padding stays; the pair's caption follows its role.
        QCOMPARE(TextOf(role), QString::fromUtf8("Camera Operator\u2009\u2009\u2060"));
        QCOMPARE(NodeCaption(pair), QString("Camera Operator / Ugo Eskildsen"));
        QTRY_COMPARE(f.Cell(1, 0), QString("Camera Operator"));
        QCOMPARE(f.Main().Document().UndoStack().count(), steps + 1);
        f.Main().Document().UndoStack().undo();
        QCOMPARE(TextOf(role), QString::fromUtf8("Operator\u2009\u2009\u2060"));
        QCOMPARE(NodeCaption(pair), QString("Operator / Ugo Eskildsen"));
        // Nothing typed, or the same words, changes nothing.
        QVERIFY(!f.Panel().Model().setData(f.Panel().Model().index(2, 1), "  "));
        QVERIFY(!f.Panel().Model().setData(f.Panel().Model().index(2, 1), "Ada Valdivia"));
        QCOMPARE(f.Main().Document().UndoStack().count(), steps + 1);
    }

    void followsElementsComingAndGoing()
    {
        TOutlineFixture f;
        f.Focus(*f.Project().Child(2));
        f.Prompts.Answers = {true};
        f.Main().UpdateActions();
        f.Main().Controls().EditDelete1->trigger();
        QCOMPARE(f.Project().ChildCount(), std::size_t(3));
        QTRY_COMPARE(f.Panel().Model().rowCount(), 4);
        QCOMPARE(f.Cell(2, 0), QString("SOUND"));
        f.Main().Document().UndoStack().undo();
        QTRY_COMPARE(f.Panel().Model().rowCount(), 5);
        QCOMPARE(f.Cell(2, 1), QString("Ada Valdivia"));
    }

    void replacesOnlyTheVisibleWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "Ada" << "Bo" << "Bo";
        QTest::newRow("role padding after") << QString::fromUtf8("Grip\u2009\u2009\u2060") << "Key Grip" << QString::fromUtf8("Key Grip\u2009\u2009\u2060");
        QTest::newRow("name padding before") << QString::fromUtf8("\u2009\u2009Ada") << " Bo Li " << QString::fromUtf8("\u2009\u2009Bo Li");
        QTest::newRow("inner spaces kept") << "  Ada  Lee " << "Ada Lee" << "  Ada Lee ";
    }
    void replacesOnlyTheVisibleWords()
    {
        QFETCH(QString, text);
        QFETCH(QString, words);
        QFETCH(QString, expected);
        QCOMPARE(ReplaceVisibleText(text, words), expected);
    }
};

QTEST_MAIN(OutlineTest)
#include "Outline.moc"
