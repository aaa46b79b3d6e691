// The preview: coalesced renders, fitting and hatch, slider range, wheel and status bar.
#include "EditorFixture.h"

#include "ui/PreviewPainter.h"

#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QWheelEvent>

using namespace velmora;
using namespace velmora::test;

namespace {

IProject &ProjectOf(TEditorFixture &f)
{
    return *queryInterface<IProject>(f.Project().Element());
}

bool IsHatch(QRgb pixel)
{
    return pixel == 0xFFCCCCCC || pixel == 0xFFFFFFFF;
}

} // namespace

class PreviewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void burstOfEditsRendersOnce()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        QTRY_VERIFY(!w.PreviewUpdateTimer.isActive());
        const int before = w.RenderCount();
        f.Focus(f.Project());
        for (int i = 0; i < 10; ++i) {
            w.UpdateActions();
            w.ActNewText->trigger();
            f.Focus(f.Project());
        }
        QCOMPARE(w.RenderCount(), before);
        QTRY_COMPARE(w.RenderCount(), before + 1);
        QTest::qWait(120);
        QCOMPARE(w.RenderCount(), before + 1);
        // The render saw all ten texts.
        QVERIFY(w.RollHeight() > 0);
    }

    void fitsTheFrameIntoThePreview_data()
    {
        QTest::addColumn<QSize>("film");
        QTest::addColumn<QRect>("destination");
        QTest::addColumn<int>("zoom");
        QTest::newRow("DVD PAL") << QSize(720, 576) << QRect(0, 0, 657, 526) << 91;
        QTest::newRow("VCD NTSC") << QSize(352, 240) << QRect(0, 0, 352, 240) << 100;
    }
    void fitsTheFrameIntoThePreview()
    {
        QFETCH(QSize, film);
        QFETCH(QRect, destination);
        QFETCH(int, zoom);
        const QRect bounds(0, 0, 657, 555);
        const TPreviewFit fit = FitPreview(bounds, film);
        QCOMPARE(fit.Destination, destination);
        QCOMPARE(fit.ZoomPercent, zoom);

        // The same through the window's own preview surface.
        TEditorFixture f;
        TMain &w = f.Main();
        ProjectOf(f).SetWidth(film.width());
        ProjectOf(f).SetHeight(film.height());
        ProjectOf(f).SetBackColor(0xFF102030);
        w.PreviewBox->setFixedSize(bounds.size());
        w.RenderFrame();
        const QImage shown = w.PreviewBox->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(w.ZoomPercent(), zoom);
        QCOMPARE(shown.pixel(destination.right(), destination.bottom()), 0xFF102030u);
        QCOMPARE(shown.pixel(0, 0), 0xFF102030u);
        // Hatch to the right (when the frame is narrower) and below.
        for (int y : {0, destination.bottom(), bounds.height() - 1}) {
            const QRgb right = shown.pixel(std::min(destination.width(), bounds.width() - 1), y);
            QCOMPARE(IsHatch(right), destination.width() < bounds.width() || y > destination.bottom());
        }
        QSet<QRgb> below;
        for (int x = 0; x < 16; ++x)
            below << shown.pixel(x, destination.height() + 2);
        QCOMPARE(below, (QSet<QRgb>{0xFFCCCCCC, 0xFFFFFFFF}));
        w.UpdateStatusBar();
        QCOMPARE(w.StatusPanels[0]->text(), QStringLiteral("Dimensions: %1 x %2").arg(film.width()).arg(film.height()));
        QCOMPARE(w.StatusPanels[2]->text(), QStringLiteral("Zoom: %1% ").arg(zoom));
    }

    void sliderFollowsTheRollHeight()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        f.AddText(f.Project(), QStringLiteral("Director"));
        TElementNode &producer = f.AddText(f.Project(), QStringLiteral("Producer"));
        w.RenderFrame();
        const int height = ProjectOf(f).GetHeight();
        QVERIFY(w.RollHeight() > 0);
        QCOMPARE(w.TrackBar->maximum(), height + w.RollHeight());
        QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Frame: 0 of %1 ").arg(w.TrackBar->maximum()));

        w.TrackBar->setValue(10);
        QCOMPARE(w.FramePosition(), 10);
        const int maximumBefore = w.TrackBar->maximum();
        RemoveNodes(w.Document(), {&producer});
        w.RenderFrame();
        QVERIFY(w.TrackBar->maximum() < maximumBefore);
        QCOMPARE(w.TrackBar->maximum(), height + w.RollHeight());

        // Lowering the range below the position moves the slider, which renders; the guard keeps
        // that render from setting the range again.
        w.TrackBar->setValue(w.TrackBar->maximum());
        const int rendersBefore = w.RenderCount();
        w.SetPositionRange(100);
        QCOMPARE(w.TrackBar->maximum(), 100);
        QCOMPARE(w.FramePosition(), 100);
        QCOMPARE(w.RenderCount(), rendersBefore + 1);
    }

    void wheelMovesThePosition()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        f.AddText(f.Project(), QStringLiteral("Cast"));
        w.RenderFrame();
        const QPointF at(10, 10);
        QWheelEvent away(at, w.PreviewBox->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
            Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.PreviewBox, &away);
        QCOMPARE(w.FramePosition(), 120);
        QWheelEvent back(at, w.PreviewBox->mapToGlobal(at), QPoint(), QPoint(0, -360), Qt::NoButton, Qt::NoModifier,
            Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.PreviewBox, &back);
        QCOMPARE(w.FramePosition(), 0); // clamped to the slider's range
    }

    void placeholdersToggleRerenders()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        QTRY_VERIFY(!w.PreviewUpdateTimer.isActive());
        const int before = w.RenderCount();
        QVERIFY(!w.ShowPlaceholders());
        w.ActShowPlaceholders->trigger();
        QVERIFY(w.ShowPlaceholders());
        QTRY_COMPARE(w.RenderCount(), before + 1);
        QVERIFY(!w.Document().Modified());
    }
};

QTEST_MAIN(PreviewTest)
#include "Preview.moc"
