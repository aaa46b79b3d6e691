// Find and Replace across the roll's texts through the real dialog and window.
#include "EditorFixture.h"

#include "ui/panels/FindReplace.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUndoStack>

using namespace velmora;
using namespace velmora::test;

namespace {

struct TFindRoll : TEditorFixture
{
    TElementNode *Music, *Lee, *Annex, *Last;

    TFindRoll()
    {
        AddText(Project(), QStringLiteral("Directed by"));
        Music = &AddText(Project(), QStringLiteral("Music by Ann"));
        for (int i = 0; i < 30; ++i)
            AddText(Project(), QStringLiteral("Crew member %1").arg(i));
        Lee = &AddText(Project(), QStringLiteral("ANN LEE"));
        TElementNode &columns = Add(Project(), Window->Controls().ActNewColumns);
        TElementNode &column = Add(columns, Window->Controls().ActNewColumn);
        Annex = &AddText(column, QStringLiteral("Annex Studios"));
        Last = &AddText(Project(), QStringLiteral("The End"));
        Window->Document().UndoStack().clear();
    }
    TFindReplace &Find() { return Window->FindReplace(); }
};

} // namespace

class FindReplaceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // However the dialog was placed, a match it finds is not hidden behind it.
    void dialogKeepsClearOfTheMatch_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("near the start") << "Music";
        QTest::newRow("far down") << "ANN LEE";
        QTest::newRow("in a column") << "Annex";
    }
    void dialogKeepsClearOfTheMatch()
    {
        QFETCH(QString, what);
        TFindRoll f;
        f.Main().resize(760, 560);
        f.Main().move(0, 0);
        f.Main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.Main()));
        f.Focus(f.Project());
        f.Main().findChild<QAction *>(QStringLiteral("ActFind"))->trigger();
        TFindReplace &find = f.Find();
        QVERIFY(QTest::qWaitForWindowExposed(&find));
        // Over the middle of the preview, where the roll shows what it finds.
        const QWidget *preview = f.Main().Controls().PreviewBox;
        find.move(preview->mapToGlobal(preview->rect().center()) - QPoint(find.width() / 2, find.height() / 2));
        find.FindEdit->setText(what);
        QVERIFY(find.FindNext());
        const QRect match = f.Main().Context().FocusedArea();
        QVERIFY(!match.isEmpty());
        QVERIFY2(!find.frameGeometry().intersects(match), qPrintable(QStringLiteral("dialog %1,%2 %3x%4 over match %5,%6 %7x%8")
            .arg(find.frameGeometry().x()).arg(find.frameGeometry().y()).arg(find.frameGeometry().width()).arg(find.frameGeometry().height())
            .arg(match.x()).arg(match.y()).arg(match.width()).arg(match.height())));
    }

    void matchCaseAndWholeWord_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<QStringList>("hits");
        QTest::newRow("any case, inside words") << "ann" << false << false << QStringList{"Music by Ann", "ANN LEE", "Annex Studios"};
        QTest::newRow("match case") << "Ann" << true << false << QStringList{"Music by Ann", "Annex Studios"};
        QTest::newRow("whole word") << "ann" << false << true << QStringList{"Music by Ann", "ANN LEE"};
        QTest::newRow("both") << "Ann" << true << true << QStringList{"Music by Ann"};
        QTest::newRow("several words") << "music BY" << false << true << QStringList{"Music by Ann"};
        QTest::newRow("pattern characters are plain") << "by.*" << false << false << QStringList{};
        QTest::newRow("nothing typed") << "" << false << false << QStringList{};
    }
    void matchCaseAndWholeWord()
    {
        QFETCH(QString, what);
        QFETCH(bool, matchCase);
        QFETCH(bool, wholeWord);
        QFETCH(QStringList, hits);
        TFindRoll f;
        QStringList found;
        for (TElementNode *node : FindTextNodes(f.Project(), what, TFindOptions{matchCase, wholeWord}))
            found << NodeCaption(*node);
        QCOMPARE(found, hits);
    }

    // Each Find Next selects the next hit, wrapping round, and the preview moves to show it.
    void findNextSelectsAndMovesThePreview()
    {
        TFindRoll f;
        TMain &w = f.Main();
        w.RenderFrame();
        f.Focus(f.Project());
        QTRY_VERIFY(!w.PreviewUpdatePending());
        w.Controls().TrackBar->setValue(0);
        w.findChild<QAction *>(QStringLiteral("ActFind"))->trigger();
        QVERIFY(f.Find().isVisible());
        QTest::keyClicks(f.Find().FindEdit, QStringLiteral("ann"));
        f.Find().WholeWord->setChecked(true);

        QTest::mouseClick(f.Find().FindNextButton, Qt::LeftButton);
        QCOMPARE(f.Editor().FocusedNode(), f.Music);
        QCOMPARE(f.Editor().SelectedNodes(), std::vector<TElementNode *>{f.Music});
        QCOMPARE(f.Find().Result->text(), QStringLiteral("2 texts match."));
        QTest::mouseClick(f.Find().FindNextButton, Qt::LeftButton);
        QCOMPARE(f.Editor().FocusedNode(), f.Lee);
        // ANN LEE lies far below the first frame: the preview scrolls to it.
        QTRY_VERIFY(w.FramePosition() > 0);
        const auto band = w.Renderer().FocusedBand();
        QVERIFY(band && band->first >= 0 && band->second <= w.FrameBitmap().height());
        QTest::mouseClick(f.Find().FindNextButton, Qt::LeftButton);
        QCOMPARE(f.Editor().FocusedNode(), f.Music); // round again

        f.Find().FindEdit->setText(QStringLiteral("Nobody"));
        QTest::mouseClick(f.Find().FindNextButton, Qt::LeftButton);
        QCOMPARE(f.Editor().FocusedNode(), f.Music);
        QCOMPARE(f.Find().Result->text(), QStringLiteral("\"Nobody\" is in no text."));
    }

    void replaceOneAndAllAreUndoable()
    {
        TFindRoll f;
        TMain &w = f.Main();
        w.findChild<QAction *>(QStringLiteral("ActReplace"))->trigger();
        f.Find().FindEdit->setText(QStringLiteral("Ann"));
        f.Find().ReplaceEdit->setText(QStringLiteral("Anne"));
        f.Find().MatchCase->setChecked(true);
        f.Find().WholeWord->setChecked(true);
        QTest::mouseClick(f.Find().FindNextButton, Qt::LeftButton);
        QTest::mouseClick(f.Find().ReplaceButton, Qt::LeftButton);
        QCOMPARE(NodeCaption(*f.Music), QStringLiteral("Music by Anne"));
        QCOMPARE(NodeCaption(*f.Annex), QStringLiteral("Annex Studios"));
        QCOMPARE(w.Document().UndoStack().count(), 1);

        f.Find().MatchCase->setChecked(false);
        f.Find().WholeWord->setChecked(false);
        f.Find().FindEdit->setText(QStringLiteral("an"));
        f.Find().ReplaceEdit->setText(QStringLiteral("_"));
        QTest::mouseClick(f.Find().ReplaceAllButton, Qt::LeftButton);
        QCOMPARE(f.Find().Result->text(), QStringLiteral("3 replacements made."));
        QCOMPARE(NodeCaption(*f.Music), QStringLiteral("Music by _ne"));
        QCOMPARE(NodeCaption(*f.Lee), QStringLiteral("_N LEE"));
        QCOMPARE(NodeCaption(*f.Annex), QStringLiteral("_nex Studios"));
        QCOMPARE(w.Document().UndoStack().undoText(), QStringLiteral("Replace All"));
        w.Controls().ActUndo->trigger();
        QCOMPARE(NodeCaption(*f.Lee), QStringLiteral("ANN LEE"));
        QCOMPARE(NodeCaption(*f.Music), QStringLiteral("Music by Anne"));
    }
};

QTEST_MAIN(FindReplaceTest)
#include "FindReplace.moc"
