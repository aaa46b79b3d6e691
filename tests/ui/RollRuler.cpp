// The ruler under the slider: timecodes at the slider's scale, headings marked, clicks move the roll.
#include "EditorFixture.h"

#include "ui/panels/OutlinePanel.h"
#include "ui/preview/RollRuler.h"
#include "ui/panels/SignoffPanel.h"

#include <QDockWidget>
#include <QListWidget>
#include <QRegularExpression>

#include <QSlider>

using namespace velmora;
using namespace velmora::test;

namespace {

// Two headings forty names apart, in a window wide enough for the ruler; the second heading.
TElementNode &AddTwoSections(TEditorFixture &f)
{
    f.Main().resize(1000, 700);
    f.AddText(f.Project(), "OPENING TITLES");
    for (int i = 0; i < 40; ++i)
        f.AddText(f.Project(), QString("Somebody %1").arg(i));
    return f.AddText(f.Project(), "CAST");
}

} // namespace

class RollRulerTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A long roll with headings close together in a narrow ruler: no label overlaps another,
    // none runs past the ends, the last one included.
    void labelsNeverOverlap_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("narrow") << 800;
        QTest::newRow("wide") << 1400;
    }
    void labelsNeverOverlap()
    {
        QFETCH(int, width);
        TEditorFixture f;
        f.Main().resize(width, 700);
        for (int section = 0; section < 30; ++section) {
            f.AddText(f.Project(), QString("DEPARTMENT NUMBER %1 WITH A LONG NAME").arg(section));
            for (int i = 0; i < 3; ++i)
                f.AddText(f.Project(), QString("Somebody %1").arg(i));
        }
        f.AddText(f.Project(), "THE END");
        f.Main().RenderFrame();
        TRollRuler &ruler = f.Main().Ruler();
        ruler.UpdateSections();
        QCOMPARE(ruler.Sections().size(), std::size_t(31));
        for (const auto &labels : {ruler.TitleLabels(), ruler.TimecodeLabels()}) {
            QVERIFY(labels.size() >= 2);
            for (std::size_t i = 0; i < labels.size(); ++i) {
                QVERIFY2(labels[i].Box.left() >= 0 && labels[i].Box.right() < ruler.width(), qPrintable(labels[i].Text));
                for (std::size_t j = i + 1; j < labels.size(); ++j)
                    QVERIFY2(!labels[i].Box.intersects(labels[j].Box), qPrintable(labels[i].Text + " / " + labels[j].Text));
            }
        }
        // The last heading sits at the very end: its title turns to the left of its mark.
        const auto titles = ruler.TitleLabels();
        QCOMPARE(titles.back().Section, &ruler.Sections().back());
        QVERIFY(titles.back().Box.right() < ruler.XOf(ruler.Sections().back().Position));
        QCOMPARE(ruler.SectionAt(titles.back().Box.center()), &ruler.Sections().back());
    }

    void marksHeadingsAndMovesThereOnAClick()
    {
        TEditorFixture f;
        AddTwoSections(f);
        f.Main().RenderFrame();
        TRollRuler &ruler = f.Main().Ruler();
        QVERIFY(ruler.isVisible());
        ruler.UpdateSections();
        QCOMPARE(ruler.Sections().size(), std::size_t(2));
        const TRollSection cast = ruler.Sections()[1];
        QCOMPARE(cast.Title, QString("CAST"));
        QSlider &slider = *f.Main().Controls().TrackBar;
        // Its mark lies where the slider's handle would be at its position.
        const int x = ruler.XOf(cast.Position);
        QVERIFY(x > 0 && x < ruler.width());
        QCOMPARE(ruler.XOf(slider.minimum()) < ruler.XOf(slider.maximum()), true);
        // A click near the mark moves to the heading; elsewhere to the place clicked.
        QTest::mouseClick(&ruler, Qt::LeftButton, {}, QPoint(x + 3, ruler.height() / 2));
        QCOMPARE(slider.value(), cast.Position);
        QCOMPARE(f.Main().FramePosition(), cast.Position);
        QTest::mouseClick(&ruler, Qt::LeftButton, {}, QPoint(ruler.XOf(slider.maximum() / 2), ruler.height() / 2));
        QVERIFY(std::abs(slider.value() - slider.maximum() / 2) <= slider.maximum() / ruler.width() + 1);
        // A click on the heading's title, well away from its mark, means the heading too.
        const auto titles = ruler.TitleLabels();
        QCOMPARE(titles.back().Text, QString("CAST"));
        const QRect title = titles.back().Box;
        const int far = std::abs(title.left() - x) > std::abs(title.right() - x) ? title.left() + 2 : title.right() - 2;
        QTest::mouseClick(&ruler, Qt::LeftButton, {}, QPoint(far, 4));
        QCOMPARE(slider.value(), cast.Position);
        // Edits reach the ruler once they pause; a heading made ordinary leaves it.
        queryInterface<IElementText>(f.Project().Child(41)->Element())->SetText("Cast and crew");
        f.Main().Document().NotifyElementChanged(f.Project().Child(41)->Element());
        QTRY_COMPARE(ruler.Sections().size(), std::size_t(1));
        // Labelled ticks keep their labels apart.
        const auto *project = queryInterface<IProject>(f.Project().Element());
        const int step = ruler.TickSeconds() * project->GetFrameRate() * project->GetScrollRate();
        QVERIFY(ruler.XOf(step) - ruler.XOf(0) >= 85);
    }

    // Every view follows a heading moved up the roll, not only those that heard of inserts
    // and removals: the ruler once kept the old mark after a move.
    void viewsFollowAMovedHeading()
    {
        TEditorFixture f;
        TElementNode &cast = AddTwoSections(f);
        // A line too small to read, so the Problems panel places the heading by its frame.
        queryInterface<IGDIPFont>(cast.Element())->SetFontSize(4);
        f.Main().RenderFrame();
        TRollRuler &ruler = f.Main().Ruler();
        TSignoffPanel &signoff = f.Main().Signoff();
        TOutlinePanel &outline = f.Main().Outline();
        signoff.Dock->show();
        outline.Dock->show();
        ruler.UpdateSections();
        signoff.Update();
        outline.Rebuild();
        const auto castMark = [&] { return ruler.Sections().size() == 2 ? ruler.Sections()[1].Position : -1; };
        const auto castFrame = [&] {
            for (int i = 0; i < signoff.Problems->count(); ++i)
                if (const auto match = QRegularExpression("\\bframe (\\d+).*\"CAST\"").match(signoff.Problems->item(i)->text());
                    match.hasMatch())
                    return match.captured(1).toInt();
            return -1;
        };
        const auto castRow = [&] {
            for (int row = 0; row < outline.Model().rowCount(); ++row)
                if (outline.Model().index(row, 0).data().toString() == "CAST")
                    return row;
            return -1;
        };
        const int markBefore = castMark(), frameBefore = castFrame();
        QVERIFY(markBefore > 0 && frameBefore > 0);
        QCOMPARE(castRow(), 41);

        // Dragged to just below the opening titles, as the tree's drop does it.
        f.Focus(cast);
        f.Editor().BeginDrag();
        f.Editor().ElementsTreeDragDrop(f.Project().Child(1), dmAbove, Qt::MoveAction, nullptr);
        f.Editor().EndDrag();
        QCOMPARE(f.Project().Child(1), &cast);

        // (The mark once stayed at 1273 px instead of 593 on this roll.)
        QTRY_VERIFY(castMark() > 0 && castMark() < markBefore);
        QTRY_VERIFY(castFrame() > 0 && castFrame() < frameBefore);
        QTRY_COMPARE(castRow(), 1);
        // The mark is where the heading now is, as measured afresh.
        const int markAfter = castMark();
        ruler.UpdateSections();
        QCOMPARE(castMark(), markAfter);
    }

    void hidesWhileGenerating()
    {
        TEditorFixture f;
        f.Main().SetGenerating(true);
        QVERIFY(f.Main().Ruler().isHidden());
        f.Main().SetGenerating(false);
        QVERIFY(!f.Main().Ruler().isHidden());
    }
};

QTEST_MAIN(RollRulerTest)
#include "RollRuler.moc"
