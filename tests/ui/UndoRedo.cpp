// Undo and Redo in the real window: page edits, tree edits and pictures, the named steps, the
// shown title, and the questions asked before a changed project goes.
#include "PagesFixture.h"

#include "ui/prompts/DialogPrompts.h"
#include "ui/window/RecentFiles.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QUrl>
#include <QTimer>
#include <QUndoStack>

using namespace velmora;
using namespace velmora::test;

namespace {

IGDIPFont &FontOf(TElementNode &node)
{
    return *queryInterface<IGDIPFont>(node.Element());
}

QString TextIn(TElementNode &node)
{
    QString text;
    queryInterface<IElementText>(node.Element())->GetText(text);
    return text;
}

// Presses Enter in the next question box shown and returns what the box answered.
int EnterIn(QMessageBox &box)
{
    QTimer::singleShot(0, &box, [&box] { QTest::keyClick(&box, Qt::Key_Return); });
    return box.exec();
}

// Drags files from outside the window onto widget at pos and drops them; true when accepted.
bool DropFiles(QWidget *widget, QPoint pos, const QStringList &files)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &file : files)
        urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    QDragMoveEvent over(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &over);
    if (!over.isAccepted())
        return false;
    QDropEvent drop(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
    return drop.isAccepted();
}

} // namespace

class UndoRedoTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typedFontSizeIsOneNamedStep()
    {
        TPagesFixture f;
        TMain &w = f.Main();
        f.Select(*f.TextNode);
        const qint32 original = FontOf(*f.TextNode).GetFontSize();
        const int steps = w.Document().UndoStack().count();
        Type(f.Pages().TextFontSize, 144);
        QCOMPARE(FontOf(*f.TextNode).GetFontSize(), 144);
        QCOMPARE(w.Document().UndoStack().count(), steps + 1);
        QCOMPARE(w.Controls().ActUndo->text(), QStringLiteral("Undo Change Font Size"));
        QCOMPARE(f.ShownTitle(), QStringLiteral("Velmora - [*%1]").arg(f.Folder.filePath(QStringLiteral("roll.vmz"))));

        w.Controls().ActUndo->trigger();
        QCOMPARE(FontOf(*f.TextNode).GetFontSize(), original);
        // The page shows the value undo put back, and undo reached the saved state.
        QCOMPARE(f.Pages().TextFontSize->Value(), original);
        QVERIFY(!f.Modified());
        QCOMPARE(f.ShownTitle(), QStringLiteral("Velmora - [%1]").arg(f.Folder.filePath(QStringLiteral("roll.vmz"))));
        QVERIFY(f.PreviewScheduled());

        QCOMPARE(w.Controls().ActRedo->text(), QStringLiteral("Redo Change Font Size"));
        w.Controls().ActRedo->trigger();
        QCOMPARE(FontOf(*f.TextNode).GetFontSize(), 144);
        QCOMPARE(f.Pages().TextFontSize->Value(), 144);
    }

    void typingIsOneStepAndUndoRestoresTheCaption()
    {
        TPagesFixture f;
        TMain &w = f.Main();
        f.Select(*f.TextNode);
        const int steps = w.Document().UndoStack().count();
        f.Pages().TextText->selectAll();
        QTest::keyClicks(f.Pages().TextText, QStringLiteral("Music"));
        QCOMPARE(TextIn(*f.TextNode), QStringLiteral("Music"));
        QCOMPARE(w.Document().UndoStack().count(), steps + 1);
        QCOMPARE(w.Controls().ActUndo->text(), QStringLiteral("Undo Change Text"));
        // Ctrl+Z from the tree reaches the window's Undo.
        f.View().setFocus();
        QTest::keyClick(&f.View(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(TextIn(*f.TextNode), QStringLiteral("Closing credits"));
        QCOMPARE(f.Model().data(f.Model().IndexOf(*f.TextNode), Qt::DisplayRole).toString(), QStringLiteral("Closing credits"));
        QCOMPARE(f.Pages().TextText->text(), QStringLiteral("Closing credits"));
        QTest::keyClick(&f.View(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(TextIn(*f.TextNode), QStringLiteral("Music"));
    }

    void colourCancelLeavesNoStep()
    {
        TPagesFixture f;
        f.Select(f.Project());
        const quint32 original = queryInterface<IProject>(f.Project().Element())->GetBackColor();
        const int steps = f.Main().Document().UndoStack().count();
        f.Prompts.ColorReplies.push_back({{0xFFFF0000, 0xFF00FF00}, false});
        QTest::mouseClick(f.Pages().ProjectBackColor, Qt::LeftButton);
        QCOMPARE(queryInterface<IProject>(f.Project().Element())->GetBackColor(), original);
        QCOMPARE(f.Main().Document().UndoStack().count(), steps);
        QVERIFY(!f.Modified());
        f.Prompts.ColorReplies.push_back({{0xFFFF0000, 0xFF00FF00}, true});
        QTest::mouseClick(f.Pages().ProjectBackColor, Qt::LeftButton);
        QCOMPARE(f.Main().Document().UndoStack().count(), steps + 1);
        QCOMPARE(f.Main().Controls().ActUndo->text(), QStringLiteral("Undo Change Background Color"));
        f.Main().Controls().ActUndo->trigger();
        QCOMPARE(queryInterface<IProject>(f.Project().Element())->GetBackColor(), original);
        QCOMPARE(f.Pages().ProjectBackColor->GetColor(), original);
    }

    void removedColumnsComeBackWithTheirNames()
    {
        TPagesFixture f;
        TMain &w = f.Main();
        TElementNode &columns = f.Add(f.Project(), w.Controls().ActNewColumns);
        TElementNode &column = f.Add(columns, w.Controls().ActNewColumn);
        for (int i = 0; i < 40; ++i)
            f.AddText(column, QStringLiteral("Name %1").arg(i));
        f.Saved();
        const QString before = Structure(f.Project());
        f.Focus(columns);
        f.Prompts.Answers = {true};
        w.UpdateActions();
        w.Controls().EditDelete1->trigger();
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project(Closing credits,Logo)"));
        QCOMPARE(w.Controls().ActUndo->text(), QStringLiteral("Undo Remove Elements"));
        w.Controls().ActUndo->trigger();
        QCOMPARE(Structure(f.Project()), before);
        QCOMPARE(f.Project().Child(2), &columns);
        QVERIFY(f.View().selectionModel()->isSelected(f.Model().IndexOf(columns)));
        QVERIFY(f.View().isExpanded(f.Model().IndexOf(column)));
        QVERIFY(!f.Modified());
        w.Controls().ActRedo->trigger();
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project(Closing credits,Logo)"));
    }

    void loadedPictureUndoesToTheOldOne()
    {
        TPagesFixture f;
        TMain &w = f.Main();
        f.LoadPicture(f.PictureFile(QStringLiteral("first.png"), QSize(40, 20)));
        f.LoadPicture(f.PictureFile(QStringLiteral("second.png"), QSize(80, 20)));
        const auto picture = [&f] { return queryInterface<IElementImage>(f.ImageNode->Element())->GetImage()->size(); };
        QCOMPARE(picture(), QSize(80, 20));
        QCOMPARE(w.Controls().ActUndo->text(), QStringLiteral("Undo Load Image"));
        w.Controls().ActUndo->trigger();
        QCOMPARE(picture(), QSize(40, 20));
        // The page follows the element that came back, and the tree its caption.
        QVERIFY(w.PropertyPages().CurrentElement() == f.ImageNode->Element());
        QCOMPARE(f.Pages().ImageFilename->text(), f.Folder.filePath(QStringLiteral("first.png")));
        QCOMPARE(NodeCaption(*f.ImageNode), QStringLiteral("first.png"));
    }

    void changedProjectAsksSaveDiscardOrCancel()
    {
        TPagesFixture f;
        TMain &w = f.Main();
        f.AddText(f.Project(), QStringLiteral("Unsaved"));
        f.Prompts.SaveChoices = {TSaveChoice::Cancel};
        QVERIFY(!w.close());
        QCOMPARE(f.Prompts.Questions.last(), QStringLiteral("The project has changed, are you sure you want to close Velmora"));
        QVERIFY(w.isVisible());

        // Save writes the project, then the window goes.
        f.Prompts.SaveChoices = {TSaveChoice::Save};
        QVERIFY(w.close());
        QVERIFY(f.Prompts.Errors.isEmpty());
        TDocument reread;
        reread.OpenProject(f.Folder.filePath(QStringLiteral("roll.vmz")));
        QCOMPARE(reread.ProjectNode()->ChildCount(), 3u);
    }

    void droppedPictureFilesGoWhereTheyAreDropped()
    {
        TPagesFixture f;
        TMain &w = f.Main();
        const QString picture = f.PictureFile(QStringLiteral("dropped.png"), QSize(30, 20), Qt::green);
        const QString notPicture = f.Folder.filePath(QStringLiteral("notes.txt"));
        QFile(notPicture).open(QIODevice::WriteOnly);

        // On the tree: below the text, an image element; onto the text, refused.
        const QRect row = f.View().visualRect(f.Model().IndexOf(*f.TextNode));
        QVERIFY(!DropFiles(f.View().viewport(), row.center(), {picture}));
        QVERIFY(!DropFiles(f.View().viewport(), QPoint(row.center().x(), row.bottom() - 1), {notPicture}));
        QVERIFY(DropFiles(f.View().viewport(), QPoint(row.center().x(), row.bottom() - 1), {picture}));
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project(Closing credits,dropped.png,Logo)"));
        QCOMPARE(w.Controls().ActUndo->text(), QStringLiteral("Undo Drop Images"));

        // On the image page: the picture loads into the element shown.
        f.Select(*f.ImageNode);
        QVERIFY(DropFiles(w.PropertyPages().PageImage, QPoint(5, 5), {picture}));
        QCOMPARE(queryInterface<IElementImage>(f.ImageNode->Element())->GetImage()->size(), QSize(30, 20));
        QVERIFY(w.PropertyPages().CurrentElement() == f.ImageNode->Element());

        // On the project page: the background.
        f.Select(f.Project());
        QVERIFY(DropFiles(w.PropertyPages().PageProject, QPoint(5, 5), {notPicture, picture}));
        QCOMPARE(queryInterface<IProjectBackground>(f.Project().Element())->GetBackground()->size(), QSize(30, 20));
        QCOMPARE(w.Controls().ActUndo->text(), QStringLiteral("Undo Load Background Image"));
        w.Controls().ActUndo->trigger();
        QVERIFY(queryInterface<IProjectBackground>(f.Project().Element())->GetBackground() == nullptr);
    }

    void recentFilesListTheLastEightProjects()
    {
        QTemporaryDir settings;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
        QCOMPARE(WithRecentFile({"a", "b", "c"}, "b", 8), (QStringList{"b", "a", "c"}));
        QCOMPARE(WithRecentFile({"a", "b"}, "c", 2), (QStringList{"c", "a"}));

        TPagesFixture f;
        TMain &w = f.Main();
        QStringList saved;
        for (int i = 0; i < 10; ++i) {
            saved.prepend(f.Folder.filePath(QStringLiteral("roll%1.vmz").arg(i)));
            f.Prompts.Files.push_back(saved.first());
            w.Controls().ActSaveAs->trigger();
        }
        QCOMPARE(w.RecentFiles().Files(), saved.mid(0, 8));
        w.FillRecentFilesMenu();
        const QList<QAction *> entries = w.RecentFilesMenu()->actions();
        QCOMPARE(entries.size(), 8);
        QCOMPARE(entries[0]->text(), QStringLiteral("&1 roll9.vmz"));
        QCOMPARE(entries[7]->toolTip(), saved[7]);

        // Opening an entry of a changed project asks first; an entry that is gone leaves the list.
        f.AddText(f.Project(), QStringLiteral("Changed"));
        f.Prompts.SaveChoices = {TSaveChoice::Discard};
        entries[3]->trigger();
        QCOMPARE(w.Document().ProjectFileName(), saved[3]);
        QCOMPARE(w.RecentFiles().Files().first(), saved[3]);
        QFile::remove(saved[5]);
        w.FillRecentFilesMenu();
        w.RecentFilesMenu()->actions()[5]->trigger();
        QCOMPARE(f.Prompts.Errors.size(), 1);
        QVERIFY(!w.RecentFiles().Files().contains(saved[5]));
    }

    void questionsAnswerEnterWithTheirDefault()
    {
        auto remove = MakeQuestionBox(nullptr, QStringLiteral("Remove?"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        QCOMPARE(EnterIn(*remove), int(QMessageBox::Yes));
        auto save = MakeQuestionBox(nullptr, QStringLiteral("The project has changed"),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        QCOMPARE(EnterIn(*save), int(QMessageBox::Save));
    }
};

QTEST_MAIN(UndoRedoTest)
#include "UndoRedo.moc"
