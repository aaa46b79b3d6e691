// Quick building of a roll: adding beside the selection, credit pairs, spacers and edits of a
// whole multi-selection, through the real window.
#include "PagesFixture.h"

#include "core/elements/Alignments.h"

#include <QItemSelectionModel>
#include <QUndoStack>

using namespace velmora;
using namespace velmora::test;

namespace {

// project(A, I, Columns(Column(C)))
struct TRoll : TPagesFixture
{
    TElementNode *A, *I, *Columns, *Column, *C;

    TRoll()
    {
        // TPagesFixture's own "Closing credits" text and "Logo" image go first.
        A = &AddText(Project(), QStringLiteral("A"));
        I = &AddImage(Project(), QStringLiteral("I"));
        Columns = &Add(Project(), Window->Controls().ActNewColumns);
        Column = &Add(*Columns, Window->Controls().ActNewColumn);
        C = &AddText(*Column, QStringLiteral("C"));
        Window->Document().UndoStack().clear();
    }
    TElementNode *Named(const QString &name)
    {
        const std::map<QString, TElementNode *> nodes{
            {"Project", &Project()}, {"A", A}, {"I", I}, {"Columns", Columns}, {"Column", Column}, {"C", C}};
        return nodes.at(name);
    }
    QAction *Command(const QString &name)
    {
        return Window->findChild<QAction *>(name);
    }
    void Trigger(const QString &command)
    {
        Window->UpdateActions();
        Command(command)->trigger();
    }
};

const QString Start = QStringLiteral("Velmora Project(Closing credits,Logo,A,I,Columns(Column(C)))");

} // namespace

class FastTreeWorkTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addsInsideOrAfterTheFocusedElement_data()
    {
        QTest::addColumn<QString>("focused");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected"); // empty: the command is disabled
        QTest::newRow("text on the project: last child") << "Project" << "ActNewText"
                                                         << "Velmora Project(Closing credits,Logo,A,I,Columns(Column(C)),Text Element)";
        QTest::newRow("text after a text") << "A" << "ActNewText" << "Velmora Project(Closing credits,Logo,A,Text Element,I,Columns(Column(C)))";
        QTest::newRow("image after an image") << "I" << "ActNewImage"
                                              << "Velmora Project(Closing credits,Logo,A,I,New Image,Columns(Column(C)))";
        QTest::newRow("columns after a text") << "A" << "ActNewColumns"
                                              << "Velmora Project(Closing credits,Logo,A,Columns,I,Columns(Column(C)))";
        QTest::newRow("columns after columns") << "Columns" << "ActNewColumns"
                                               << "Velmora Project(Closing credits,Logo,A,I,Columns(Column(C)),Columns)";
        QTest::newRow("text in a column: last child") << "Column" << "ActNewText"
                                                      << "Velmora Project(Closing credits,Logo,A,I,Columns(Column(C,Text Element)))";
        QTest::newRow("text after a text in a column") << "C" << "ActNewText"
                                                       << "Velmora Project(Closing credits,Logo,A,I,Columns(Column(C,Text Element)))";
        QTest::newRow("column after a column") << "Column" << "ActNewColumn"
                                               << "Velmora Project(Closing credits,Logo,A,I,Columns(Column(C),Column))";
        QTest::newRow("no column beside a text") << "A" << "ActNewColumn" << "";
        QTest::newRow("pair after a text") << "A" << "ActNewCreditPair"
                                           << "Velmora Project(Closing credits,Logo,A,Role / Name(Column(Role\u2009\u2009\u2009\u2009\u2060),Column(\u2009\u2009\u2009\u2009Name)),I,"
                                              "Columns(Column(C)))";
        QTest::newRow("spacer after a text in a column") << "C" << "ActNewSpacer"
                                                         << "Velmora Project(Closing credits,Logo,A,I,Columns(Column(C,Spacer 48 px)))";
    }
    void addsInsideOrAfterTheFocusedElement()
    {
        QFETCH(QString, focused);
        QFETCH(QString, command);
        QFETCH(QString, expected);
        TRoll f;
        f.Focus(*f.Named(focused));
        f.Window->UpdateActions();
        QCOMPARE(f.Command(command)->isEnabled(), !expected.isEmpty());
        if (expected.isEmpty())
            return;
        f.Command(command)->trigger();
        QCOMPARE(Structure(f.Project()), expected);
        // The new element is the one selected, and one undo takes it away whole.
        TElementNode *added = f.Editor().FocusedNode();
        QCOMPARE(f.Editor().SelectedNodes(), std::vector<TElementNode *>{added});
        QCOMPARE(f.Window->Document().UndoStack().count(), 1);
        f.Window->Controls().ActUndo->trigger();
        QCOMPARE(Structure(f.Project()), Start);
    }

    // A credit pair reads as one: the role against the name across the middle; a spacer is a
    // gap of its fixed height that draws nothing.
    void pairAndSpacerAreReadyToUse()
    {
        TRoll f;
        f.Focus(*f.A);
        f.Trigger(QStringLiteral("ActNewCreditPair"));
        TElementNode *pair = f.Editor().FocusedNode();
        QCOMPARE(f.Window->Document().UndoStack().undoText(), QStringLiteral("Add Credit Pair"));
        const auto alignment = [&](int column) {
            return queryInterface<IElementHorizontalAlign>(pair->Child(column)->Child(0)->Element())->GetHorizontalAlign();
        };
        QCOMPARE(alignment(0), eaRight);
        QCOMPARE(alignment(1), eaLeft);

        f.Trigger(QStringLiteral("ActNewSpacer"));
        TElementNode *spacer = f.Editor().FocusedNode();
        QCOMPARE(spacer->Index(), pair->Index() + 1);
        const auto *margins = queryInterface<IElementMargins>(spacer->Element());
        QVERIFY(margins->GetUseFixedHeight());
        QCOMPARE(margins->GetFixedHeight(), 48);
        QCOMPARE(queryInterface<IElementImage>(spacer->Element())->GetImage(), nullptr);
        // Its page edits the gap like any fixed height.
        QCOMPARE(f.ShownPage(), f.Window->PropertyPages().PageImage);
        QVERIFY(f.Pages().ImageFixedHeight->isEnabled());
    }

    // Editing a look with several texts selected sets it on all of them as one step; the words
    // of a text stay its own.
    void multiSelectionEditsAllOfOneKind()
    {
        TRoll f;
        f.Focus(*f.A);
        for (TElementNode *node : {f.C, f.I, f.TextNode})
            f.View().selectionModel()->select(f.Model().IndexOf(*node), QItemSelectionModel::Select);
        QCOMPARE(f.Window->PropertyPages().CurrentElement(), f.A->Element());
        const auto sizes = [&] {
            QList<int> out;
            for (TElementNode *node : {f.TextNode, f.A, f.C})
                out << queryInterface<IGDIPFont>(node->Element())->GetFontSize();
            return out;
        };
        const QList<int> before = sizes();
        Type(f.Pages().TextFontSize, 36);
        QCOMPARE(sizes(), (QList<int>{36, 36, 36}));
        QCOMPARE(f.Window->Document().UndoStack().count(), 1); // typed "3", "36": one step
        f.Window->Controls().ActUndo->trigger();
        QCOMPARE(sizes(), before);
        f.Window->Controls().ActRedo->trigger();
        QCOMPARE(sizes(), (QList<int>{36, 36, 36}));

        // A colour chosen in the dialog goes to all of them too, as one step.
        f.Prompts.ColorReplies.push_back({{0xFF00FF00}, true});
        QTest::mouseClick(f.Pages().TextColor, Qt::LeftButton);
        for (TElementNode *node : {f.TextNode, f.A, f.C})
            QCOMPARE(queryInterface<IGDIPFont>(node->Element())->GetColor(), 0xFF00FF00u);
        QCOMPARE(f.Window->Document().UndoStack().undoText(), QStringLiteral("Change Color"));
        f.Window->Controls().ActUndo->trigger();
        QVERIFY(queryInterface<IGDIPFont>(f.C->Element())->GetColor() != 0xFF00FF00u);

        f.Pages().TextText->setText(QStringLiteral("Only A"));
        QCOMPARE(NodeCaption(*f.A), QStringLiteral("Only A"));
        QCOMPARE(NodeCaption(*f.C), QStringLiteral("C"));
        // The image was selected too but is another kind.
        QVERIFY(!queryInterface<IElementMargins>(f.I->Element())->GetUseFixedHeight());
    }
};

QTEST_MAIN(FastTreeWorkTest)
#include "FastTreeWork.moc"
