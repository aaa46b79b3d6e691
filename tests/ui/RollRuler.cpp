// The ruler under the slider: timecodes at the slider's scale, headings marked, clicks move the roll.
#include "EditorFixture.h"

#include "ui/RollRuler.h"

#include <QSlider>

using namespace velmora;
using namespace velmora::test;

class RollRulerTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void marksHeadingsAndMovesThereOnAClick()
    {
        TEditorFixture f;
        f.Main().resize(1000, 700);
        f.AddText(f.Project(), "OPENING TITLES");
        for (int i = 0; i < 40; ++i)
            f.AddText(f.Project(), QString("Somebody %1").arg(i));
        f.AddText(f.Project(), "CAST");
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
        // A click on the heading's title, well right of its mark, means the heading too.
        QTest::mouseClick(&ruler, Qt::LeftButton, {}, QPoint(x + 3 + ruler.fontMetrics().horizontalAdvance("CA"), 4));
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
