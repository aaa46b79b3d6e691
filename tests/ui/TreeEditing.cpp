// Element tree editing through the real view and model: adding, deleting, drag and drop, clipboard.
#include "EditorFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>

using namespace velmora;
using namespace velmora::test;

namespace {

// project(A, B, I, Columns(Column(C, D)))
struct TSampleRoll : TEditorFixture
{
    TElementNode *A, *B, *I, *Columns, *Column, *C, *D;

    TSampleRoll()
    {
        A = &AddText(Project(), QStringLiteral("A"));
        B = &AddText(Project(), QStringLiteral("B"));
        I = &AddImage(Project(), QStringLiteral("I"));
        Columns = &Add(Project(), Window->Controls().ActNewColumns);
        Column = &Add(*Columns, Window->Controls().ActNewColumn);
        C = &AddText(*Column, QStringLiteral("C"));
        D = &AddText(*Column, QStringLiteral("D"));
    }
    TElementNode *ByCaption(const QString &caption)
    {
        std::function<TElementNode *(TElementNode &)> find = [&](TElementNode &node) -> TElementNode * {
            if (node.Parent() != nullptr && NodeCaption(node) == caption)
                return &node;
            for (const auto &child : node.Children())
                if (TElementNode *found = find(*child))
                    return found;
            return nullptr;
        };
        return find(Project());
    }
    void Select(const QStringList &captions)
    {
        View().selectionModel()->clearSelection();
        for (const QString &caption : captions)
            View().selectionModel()->select(Model().IndexOf(*ByCaption(caption)), QItemSelectionModel::Select);
    }
    // Sends drag-over and drop at target in mode, as the platform's drag loop does.
    bool Drop(TElementNode &target, TDropMode mode, Qt::KeyboardModifiers keys, bool fromThisTree = true)
    {
        const QModelIndex index = Model().IndexOf(target);
        View().scrollTo(index);
        const QRect rect = View().visualRect(index);
        const QPoint pos(rect.center().x(), mode == dmAbove ? rect.top() + 1 : mode == dmBelow ? rect.bottom() - 1 : rect.center().y());
        TDropMode found = dmNowhere;
        if (View().DropTargetAt(pos, found) != &target || found != mode)
            qFatal("drop point misses its target");
        if (fromThisTree)
            Editor().BeginDrag();
        std::unique_ptr<QMimeData> data = CreateTreeMimeData(Editor().SelectedNodes());
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        // Entering makes the view the drag's current target, which later drag events go to.
        QDragEnterEvent enter(pos, offered, data.get(), Qt::LeftButton, keys);
        QApplication::sendEvent(View().viewport(), &enter);
        QDragMoveEvent over(pos, offered, data.get(), Qt::LeftButton, keys);
        QApplication::sendEvent(View().viewport(), &over);
        bool accepted = over.isAccepted();
        if (accepted) {
            QDropEvent drop(pos, offered, data.get(), Qt::LeftButton, keys);
            QApplication::sendEvent(View().viewport(), &drop);
            accepted = drop.isAccepted();
        }
        Editor().EndDrag();
        return accepted;
    }
    void ClearModified()
    {
        Prompts.Files.push_back(Dir.filePath(QStringLiteral("roll.vmz")));
        Window->Document().ActSaveAsExecute(Prompts);
    }
    QTemporaryDir Dir;
};

const QString Sample = QStringLiteral("Velmora Project(A,B,I,Columns(Column(C,D)))");

} // namespace

class TreeEditingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addsUnderACollapsedParent()
    {
        TSampleRoll f;
        f.View().collapse(f.Model().IndexOf(*f.Column));
        QVERIFY(!f.Column->IsExpanded());
        f.Focus(*f.Column);
        f.ClearModified();
        f.Main().UpdateActions();
        f.Main().Controls().ActNewText->trigger();
        TElementNode *added = f.Editor().FocusedNode();
        QCOMPARE(added->Parent(), f.Column);
        QCOMPARE(added->Index(), 2);
        QVERIFY(f.View().isExpanded(f.Model().IndexOf(*f.Column)));
        QVERIFY(f.Column->IsExpanded());
        QVERIFY(added->IsSelected());
        QVERIFY(!f.Column->IsSelected());
        QVERIFY(f.Main().Document().Modified());
        QCOMPARE(NodeCaption(*added), QStringLiteral("Text Element"));
    }

    void deletesTheSelectionButNeverTheProject_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("after");
        QTest::newRow("project alone") << QStringList{"Velmora Project"} << true << Sample;
        QTest::newRow("project and two texts") << QStringList{"Velmora Project", "A", "C"} << true
                                               << "Velmora Project(B,I,Columns(Column(D)))";
        QTest::newRow("column with its texts") << QStringList{"Column"} << true << "Velmora Project(A,B,I,Columns)";
        QTest::newRow("answered no") << QStringList{"A", "B"} << false << Sample;
    }
    void deletesTheSelectionButNeverTheProject()
    {
        QFETCH(QStringList, selected);
        QFETCH(bool, answer);
        QFETCH(QString, after);
        TSampleRoll f;
        QCOMPARE(Structure(f.Project()), Sample);
        f.ClearModified();
        f.View().setFocus();
        f.Select(selected);
        f.Prompts.Answers = {answer};
        f.Main().UpdateActions();
        QVERIFY(f.Main().Controls().EditDelete1->isEnabled());
        f.Main().Controls().EditDelete1->trigger();
        QCOMPARE(f.Prompts.Questions, QStringList{QStringLiteral("Are you sure you want to Remove the selected element(s)")});
        QCOMPARE(Structure(f.Project()), after);
        QCOMPARE(f.Main().Document().Modified(), answer);
        QTRY_COMPARE(f.Main().RenderCount() > 0, true);
    }

    void deletingTheShownElementEmptiesThePages()
    {
        TSampleRoll f;
        f.Focus(*f.I);
        QCOMPARE(f.Main().PropertyPages().CurrentElement(), f.I->Element());
        f.Prompts.Answers = {true};
        f.Main().UpdateActions();
        f.Main().Controls().EditDelete1->trigger();
        QVERIFY(f.Main().PropertyPages().CurrentElement() == nullptr);
    }

    void dropsFollowTheFocusedElement_data()
    {
        QTest::addColumn<QStringList>("dragged"); // the first is focused
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("keys");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("after");
        const int none = Qt::NoModifier, ctrl = Qt::ControlModifier, alt = Qt::AltModifier, shift = Qt::ShiftModifier;
        QTest::newRow("text onto text") << QStringList{"A"} << "B" << int(dmOnto) << none << false << Sample;
        QTest::newRow("text below text") << QStringList{"A"} << "B" << int(dmBelow) << none << true
                                         << "Velmora Project(B,A,I,Columns(Column(C,D)))";
        QTest::newRow("text above text in column") << QStringList{"A"} << "D" << int(dmAbove) << none << true
                                                   << "Velmora Project(B,I,Columns(Column(C,A,D)))";
        QTest::newRow("text onto column") << QStringList{"B"} << "Column" << int(dmOnto) << shift << true
                                          << "Velmora Project(A,I,Columns(Column(C,D,B)))";
        QTest::newRow("columns above image") << QStringList{"Columns"} << "I" << int(dmAbove) << none << false << Sample;
        QTest::newRow("columns above text") << QStringList{"Columns"} << "A" << int(dmAbove) << none << true
                                            << "Velmora Project(Columns(Column(C,D)),A,B,I)";
        QTest::newRow("several, decided by the focused") << QStringList{"C", "A", "B"} << "I" << int(dmBelow) << none << true
                                                         << "Velmora Project(I,A,B,C,Columns(Column(D)))";
        QTest::newRow("several, refused by the focused") << QStringList{"Column", "A"} << "I" << int(dmBelow) << none
                                                         << false << Sample;
        QTest::newRow("ctrl above a text copies and drops it") << QStringList{"C"} << "D" << int(dmAbove) << ctrl << true
                                                               << Sample;
        QTest::newRow("ctrl onto the column keeps the copy") << QStringList{"C"} << "Column" << int(dmOnto) << ctrl << true
                                                             << "Velmora Project(A,B,I,Columns(Column(C,D,C)))";
        QTest::newRow("alt links, which does nothing") << QStringList{"A"} << "Column" << int(dmOnto) << alt << true << Sample;
    }
    void dropsFollowTheFocusedElement()
    {
        QFETCH(QStringList, dragged);
        QFETCH(QString, target);
        QFETCH(int, mode);
        QFETCH(int, keys);
        QFETCH(bool, accepted);
        QFETCH(QString, after);
        TSampleRoll f;
        f.ClearModified();
        f.Focus(*f.ByCaption(dragged[0]));
        f.Select(dragged);
        QCOMPARE(f.Drop(*f.ByCaption(target), TDropMode(mode), Qt::KeyboardModifiers(keys)), accepted);
        QCOMPARE(Structure(f.Project()), after);
        // Every processed drop marks the document, also when it changed nothing.
        QCOMPARE(f.Main().Document().Modified(), accepted);
        // Moved nodes stay selected; copies arrive unselected.
        for (TElementNode *node : f.Editor().SelectedNodes())
            QVERIFY(dragged.contains(NodeCaption(*node)));
        QCOMPARE(f.Editor().SelectedNodes().size(), std::size_t(dragged.size()));
    }

    void dropsFromElsewhereCopy()
    {
        TSampleRoll f;
        f.Focus(*f.A);
        QVERIFY(f.Drop(*f.Column, dmOnto, Qt::NoModifier, false));
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project(A,B,I,Columns(Column(C,D,A)))"));
    }

    void damagedDropDataIsSwallowed()
    {
        TSampleRoll f;
        f.Focus(*f.A);
        QMimeData data;
        data.setData(VirtualTreeDataFormat, QByteArray("\x08\x00\x00\x00garbage!", 12));
        const QRect rect = f.View().visualRect(f.Model().IndexOf(*f.Column));
        QDragEnterEvent enter(rect.center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.View().viewport(), &enter);
        QDropEvent drop(rect.center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.View().viewport(), &drop);
        QCOMPARE(Structure(f.Project()), Sample);
        QVERIFY(f.Prompts.Errors.isEmpty());
    }

    // Picture files from the file manager: an SVG becomes a vector image element; a crafted one
    // is refused with its reason and changes nothing.
    void droppedVectorPictures()
    {
        TSampleRoll f;
        QTemporaryDir dir;
        const auto drop = [&](const QString &name, const QByteArray &bytes) {
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                qFatal("cannot write the picture");
            file.close();
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(file.fileName())});
            const QRect rect = f.View().visualRect(f.Model().IndexOf(*f.Column));
            QDragEnterEvent enter(rect.center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(f.View().viewport(), &enter);
            QDragMoveEvent move(rect.center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(f.View().viewport(), &move);
            QDropEvent dropped(rect.center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(f.View().viewport(), &dropped);
        };
        drop(QStringLiteral("evil.svg"), "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"9\" height=\"9\">"
                                         "<image href=\"file:///etc/passwd\"/></svg>");
        QCOMPARE(Structure(f.Project()), Sample);
        QCOMPARE(f.Prompts.Errors.size(), 1);
        QVERIFY2(f.Prompts.Errors.first().contains(QStringLiteral("is refused")), qPrintable(f.Prompts.Errors.first()));
        drop(QStringLiteral("logo.svg"), "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"20\">"
                                         "<rect width=\"40\" height=\"20\" fill=\"red\"/></svg>");
        TElementNode *logo = f.ByCaption(QStringLiteral("logo.svg"));
        QVERIFY(logo != nullptr);
        const auto *image = dynamic_cast<const TVmElementImage *>(logo->Element());
        QVERIFY(image != nullptr && image->GetVector() != nullptr);
        QCOMPARE(image->GetVector()->NaturalSize(), QSizeF(40, 20));
    }

    void clipboardOffersItsFormats()
    {
        TSampleRoll f;
        f.View().setFocus();
        f.Select({"Column", "C", "B"});
        f.Main().UpdateActions();
        f.Main().Controls().EditCopy1->trigger();
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data != nullptr);
        const QStringList formats = data->formats();
        QCOMPARE(formats.mid(0, 5), TreeClipboardFormats());
        QCOMPARE(TreeClipboardFormats(), (QStringList{"CSV", "HTML Format", "Plain text", "Unicode text", "Virtual Tree Data"}));
        const QByteArray payload = data->data(VirtualTreeDataFormat);
        QCOMPARE(qFromLittleEndian<quint32>(payload.constData()), quint32(payload.size() - 4));
        // C lies inside the selected column, so two subtrees were copied: B, and Column with C and D.
        const auto nodes = DecodeNodeChunks(payload);
        QCOMPARE(nodes.size(), 2u);
        QCOMPARE(Structure(*nodes[0]), QStringLiteral("B"));
        QCOMPARE(Structure(*nodes[1]), QStringLiteral("Column(C,D)"));
        QCOMPARE(QString::fromLocal8Bit(data->data(QStringLiteral("Plain text"))), QStringLiteral("B\r\nColumn\r\n\tC\r\n\tD\r\n"));
    }

    void pastesCopiesWhereTheyFit()
    {
        TSampleRoll f;
        f.View().setFocus();
        f.Select({"A", "I"});
        f.Main().UpdateActions();
        f.Main().Controls().EditCopy1->trigger();
        // A text holds nothing: the copies follow it.
        f.Focus(*f.D);
        f.ClearModified();
        f.Main().UpdateActions();
        f.Main().Controls().EditPaste1->trigger();
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project(A,B,I,Columns(Column(C,D,A,I)))"));
        QVERIFY(f.Main().Document().Modified());
        f.Main().Controls().ActUndo->trigger();
        QCOMPARE(Structure(f.Project()), Sample);
        // A column copied onto the project fits neither inside it nor beside it.
        f.Focus(*f.Column);
        f.Main().UpdateActions();
        f.Main().Controls().EditCopy1->trigger();
        f.Focus(f.Project());
        f.Main().UpdateActions();
        QVERIFY(!f.Main().Controls().EditPaste1->isEnabled());
        f.Select({"A", "I"});
        f.Main().UpdateActions();
        f.Main().Controls().EditCopy1->trigger();
        // Deleting the originals keeps the clipboard whole.
        f.Select({"A", "I"});
        f.Prompts.Answers = {true};
        f.Main().UpdateActions();
        f.Main().Controls().EditDelete1->trigger();
        f.Focus(*f.Column);
        f.Main().UpdateActions();
        f.Main().Controls().EditPaste1->trigger();
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project(B,Columns(Column(C,D,A,I)))"));
        QCOMPARE(f.Editor().SelectedNodes(), std::vector<TElementNode *>{f.Column});
    }

    void cutRemovesAtOnceAndPasteInsertsCopies()
    {
        TSampleRoll f;
        f.View().setFocus();
        f.Select({"A", "B"});
        f.Main().UpdateActions();
        QVERIFY(f.Main().Controls().EditCut1->isEnabled());
        f.Main().Controls().EditCut1->trigger();
        // Gone at once, without a question, as one step.
        QVERIFY(f.Prompts.Answers.empty() && f.Prompts.Errors.isEmpty());
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project(I,Columns(Column(C,D)))"));
        QCOMPARE(f.Main().Controls().ActUndo->text(), QStringLiteral("Undo Cut"));
        // Pasted onto a text they follow it, in their order; pasting again makes more copies.
        f.Focus(*f.C);
        f.Main().UpdateActions();
        f.Main().Controls().EditPaste1->trigger();
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project(I,Columns(Column(C,A,B,D)))"));
        f.Focus(f.Project());
        f.Main().UpdateActions();
        f.Main().Controls().EditPaste1->trigger();
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project(I,Columns(Column(C,A,B,D)),A,B)"));
        for (int step = 0; step < 3; ++step)
            f.Main().Controls().ActUndo->trigger();
        QCOMPARE(Structure(f.Project()), Sample);
        QCOMPARE(f.A->Parent(), &f.Project()); // undo brings back the very nodes cut
    }

    void editCommandsFollowTheSelectionInEveryRollPanel_data()
    {
        QTest::addColumn<QString>("panel");
        QTest::newRow("tree") << "ElementsTree";
        QTest::newRow("preview") << "PreviewBox";
        QTest::newRow("slider") << "TrackBar";
    }
    void editCommandsFollowTheSelectionInEveryRollPanel()
    {
        QFETCH(QString, panel);
        TSampleRoll f;
        f.Main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.Main()));
        f.Select({"I"});
        auto *widget = f.Main().findChild<QWidget *>(panel);
        QVERIFY(widget != nullptr);
        widget->setFocus();
        f.Main().UpdateActions();
        QVERIFY(f.Main().Controls().EditCut1->isEnabled() && f.Main().Controls().EditCopy1->isEnabled());
        QVERIFY(f.Main().Controls().EditDelete1->isEnabled() && f.Main().Controls().EditSelectAll1->isEnabled());
        QTest::keyClick(widget, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project(A,B,Columns(Column(C,D)))"));
        // Only the project is left selected: nothing to cut, but it can be copied.
        f.Focus(f.Project());
        widget->setFocus();
        f.Main().UpdateActions();
        QVERIFY(!f.Main().Controls().EditCut1->isEnabled());
        QVERIFY(f.Main().Controls().EditCopy1->isEnabled());
    }

    void damagedClipboardReachesTheErrorBox()
    {
        TSampleRoll f;
        auto *data = new QMimeData;
        data->setData(VirtualTreeDataFormat, QByteArray("\x08\x00\x00\x00garbage!", 12));
        QGuiApplication::clipboard()->setMimeData(data);
        f.Focus(*f.Column);
        f.Main().UpdateActions();
        f.Main().Controls().EditPaste1->trigger();
        QCOMPARE(f.Prompts.Errors.size(), 1);
        QCOMPARE(Structure(f.Project()), Sample);
    }

    void selectAllSelectsEveryNode()
    {
        TSampleRoll f;
        f.Focus(*f.A);
        f.Main().UpdateActions();
        f.Main().Controls().EditSelectAll1->trigger();
        QCOMPARE(f.View().selectionModel()->selectedIndexes().size(), 8);
        QCOMPARE(f.Editor().SelectedNodes(), std::vector<TElementNode *>{&f.Project()});
    }

    // A caption the panel cuts off shows whole as a tooltip; one that fits shows none.
    void truncatedCaptionsShowATooltip()
    {
        TEditorFixture f;
        const QString long_ = QStringLiteral("Director of Photography and Second Unit Camera Operator");
        TElementNode &cut = f.AddText(f.Project(), long_);
        TElementNode &whole = f.AddText(f.Project(), QStringLiteral("Cast"));
        f.View().setFixedWidth(180);
        QCoreApplication::processEvents();
        const auto at = [&](TElementNode &node) { return f.View().visualRect(f.Model().IndexOf(node)).center(); };
        QCOMPARE(TruncatedCaptionAt(f.View(), at(cut)), long_);
        QCOMPARE(TruncatedCaptionAt(f.View(), at(whole)), QString());
        f.View().setFixedWidth(900);
        QCoreApplication::processEvents();
        QCOMPARE(TruncatedCaptionAt(f.View(), at(cut)), QString());
    }

    void captionsAreEditedWhereTheElementAllows()
    {
        TSampleRoll f;
        QVERIFY(!(f.Model().flags(f.Model().IndexOf(*f.A)) & Qt::ItemIsEditable));
        QVERIFY(f.Model().flags(f.Model().IndexOf(*f.I)) & Qt::ItemIsEditable);
        f.ClearModified();
        QVERIFY(f.Model().setData(f.Model().IndexOf(*f.I), QStringLiteral("Logo"), Qt::EditRole));
        QCOMPARE(NodeCaption(*f.I), QStringLiteral("Logo"));
        QCOMPARE(f.Model().data(f.Model().IndexOf(*f.I), Qt::DisplayRole).toString(), QStringLiteral("Logo"));
        // The caption is saved with the project, so the change must not be lost on closing.
        QVERIFY(f.Main().Document().Modified());
    }

    // The project's name lives in the file's 8-bit character set: what it cannot hold is
    // said at once, not found later as "?".
    void projectNamesOutsideTheCharacterSetAreReported()
    {
        TSampleRoll f;
        const QModelIndex project = f.Model().IndexOf(f.Project());
        QVERIFY(f.Model().setData(project, QStringLiteral("Café Crème"), Qt::EditRole));
        QVERIFY(f.Prompts.Errors.isEmpty());
        QVERIFY(f.Model().setData(project, QStringLiteral("Фильм"), Qt::EditRole));
        QCOMPARE(NodeCaption(f.Project()), QStringLiteral("?????"));
        QCOMPARE(f.Prompts.Errors.size(), 1);
        QVERIFY(f.Prompts.Errors.first().contains(QStringLiteral("\"Фильм\" cannot be stored as typed")));
    }

    void keepsExpandedAndSelectedFlagsInTheNodes()
    {
        TSampleRoll f;
        f.View().collapse(f.Model().IndexOf(*f.Columns));
        QVERIFY(!f.Columns->IsExpanded());
        f.View().expand(f.Model().IndexOf(*f.Columns));
        QVERIFY(f.Columns->IsExpanded());
        f.Select({"B", "D"});
        QVERIFY(f.B->IsSelected() && f.D->IsSelected() && !f.A->IsSelected());
    }
};

QTEST_MAIN(TreeEditingTest)
#include "TreeEditing.moc"
