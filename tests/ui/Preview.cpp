// The preview: coalesced renders, fitting and hatch, slider range, wheel and status bar.
#include "EditorFixture.h"

#include "ui/preview/PreviewPainter.h"
#include "core/elements/TextBlock.h"
#include "support/InkBounds.h"

#include <QFontMetricsF>

#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QWheelEvent>

using namespace velmora;
using namespace velmora::test;

namespace {

IProject &ProjectOf(TEditorFixture &f)
{
    return *queryInterface<IProject>(f.Project().Element());
}

} // namespace

class PreviewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The frame the preview shows and the preview itself carry text of any size.
    void showsTextOfEverySize_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("small") << 24;
        QTest::newRow("just past the glyph cache") << 65;
        QTest::newRow("title") << 300;
    }
    void showsTextOfEverySize()
    {
        QFETCH(int, size);
        TEditorFixture f;
        TMain &w = f.Main();
        ProjectOf(f).SetWidth(1920);
        ProjectOf(f).SetHeight(1080);
        TElementNode &node = f.AddText(f.Project(), QStringLiteral("HH"));
        auto *text = dynamic_cast<TVmElementText *>(node.Element());
        text->SetFontName("Arial");
        text->SetFontSize(size);
        text->SetColor(0xFFFFFFFF);
        ProjectOf(f).SetBackColor(0xFF000000);
        w.RenderFrame();
        w.ShowFrameAt(1080);
        const double capital = QFontMetricsF(TextBlockFont("Arial", size)).capHeight();
        const QRect ink = InkBounds(w.FrameBitmap());
        QVERIFY2(!ink.isEmpty(), "no ink in the frame");
        QVERIFY2(qAbs(ink.height() - capital) <= 2.0 + 0.03 * capital, qPrintable(QString::number(ink.height())));
        // On screen the frame is shrunk to fit; the capitals shrink with it.
        const QImage box = w.Controls().PreviewBox->grab().toImage();
        const TPreviewFit fit = FitPreview(box.rect(), w.FrameBitmap().size());
        const QRect shownInk = InkBounds(box.copy(fit.Destination));
        QVERIFY2(!shownInk.isEmpty(), "no ink in the preview");
        const double zoom = double(shownInk.width()) / ink.width();
        QVERIFY2(zoom > 0.05 && zoom <= 1.01, qPrintable(QString::number(zoom)));
        QVERIFY(qAbs(shownInk.height() - ink.height() * zoom) <= 3.0);
    }

    void burstOfEditsRendersOnce()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        QTRY_VERIFY(!w.PreviewUpdatePending());
        const int before = w.RenderCount();
        f.Focus(f.Project());
        for (int i = 0; i < 10; ++i) {
            w.UpdateActions();
            w.Controls().ActNewText->trigger();
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
        QTest::addColumn<int>("choice");
        QTest::addColumn<QRect>("destination");
        QTest::addColumn<int>("zoom");
        QTest::newRow("DVD PAL fitted") << QSize(720, 576) << PreviewZoomFit << QRect(0, 14, 657, 526) << 91;
        QTest::newRow("VCD NTSC never enlarged") << QSize(352, 240) << PreviewZoomFit << QRect(152, 157, 352, 240) << 100;
        QTest::newRow("VCD NTSC at 200%") << QSize(352, 240) << 200 << QRect(-23, 37, 704, 480) << 200;
        QTest::newRow("DVD PAL at 50%") << QSize(720, 576) << 50 << QRect(148, 133, 360, 288) << 50;
    }
    void fitsTheFrameIntoThePreview()
    {
        QFETCH(QSize, film);
        QFETCH(int, choice);
        QFETCH(QRect, destination);
        QFETCH(int, zoom);
        const QRect bounds(0, 0, 657, 555);
        const TPreviewFit fit = FitPreview(bounds, film, choice);
        QCOMPARE(fit.Destination, destination);
        QCOMPARE(fit.ZoomPercent, zoom);

        // The same through the window's own preview surface: the frame centred on neutral grey.
        TEditorFixture f;
        TMain &w = f.Main();
        ProjectOf(f).SetWidth(film.width());
        ProjectOf(f).SetHeight(film.height());
        ProjectOf(f).SetBackColor(0xFF102030);
        w.Controls().PreviewBox->setFixedSize(bounds.size());
        w.SetZoomChoice(choice);
        w.RenderFrame();
        const QImage shown = w.Controls().PreviewBox->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(w.ZoomPercent(), zoom);
        const QRect inside = destination.intersected(bounds);
        for (QPoint corner : {inside.topLeft(), inside.bottomRight()})
            QCOMPARE(shown.pixel(corner), 0xFF102030u);
        const QRgb grey = PreviewSurroundColor().rgb();
        for (QPoint outside : {inside.topLeft() - QPoint(1, 1), inside.bottomRight() + QPoint(1, 1)})
            if (bounds.adjusted(2, 2, -2, -2).contains(outside)) // clear of the focus frame
                QCOMPARE(shown.pixel(outside), grey);
        w.UpdateStatusBar();
        QCOMPARE(w.Controls().StatusPanels[0]->text(), QStringLiteral("Dimensions: %1 x %2").arg(film.width()).arg(film.height()));
        QVERIFY2(w.Controls().StatusPanels[2]->text().startsWith(QStringLiteral("Zoom: %1%").arg(zoom)),
            qPrintable(w.Controls().StatusPanels[2]->text()));
    }

    // Ctrl+wheel and Ctrl+0/1 choose the zoom; the status bar and the frame follow.
    void zoomKeysAndWheel()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        w.Controls().PreviewBox->setFixedSize(400, 300); // PAL fits at 52 %
        w.Controls().PreviewBox->setFocus();
        QTest::keyClick(&w, Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(w.ZoomPercent(), 100);
        const QPointF at(10, 10);
        const auto wheel = [&](int delta) {
            QWheelEvent event(at, w.Controls().PreviewBox->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w.Controls().PreviewBox, &event);
        };
        const int position = w.FramePosition();
        wheel(120);
        QCOMPARE(w.ZoomPercent(), 200);
        wheel(120);
        QCOMPARE(w.ZoomPercent(), 200); // the largest step
        wheel(-120);
        wheel(-120);
        QCOMPARE(w.ZoomPercent(), 50);
        QCOMPARE(w.FramePosition(), position); // zooming does not scroll
        QTest::keyClick(&w, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(w.ZoomChoice(), PreviewZoomFit);
        QCOMPARE(w.ZoomPercent(), 52);
        QVERIFY(w.Controls().ActZoomFit->isChecked());
        // Resizing changes the fitted zoom and the status bar says so at once.
        w.Controls().PreviewBox->setFixedSize(800, 640);
        QCOMPARE(w.Controls().StatusPanels[2]->text(), QStringLiteral("Zoom: 100% (Fit)"));
    }

    void sliderFollowsTheRollHeight()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        f.AddText(f.Project(), QStringLiteral("Director"));
        TElementNode &producer = f.AddText(f.Project(), QStringLiteral("Producer"));
        w.RenderFrame();
        // The added text is focused and the preview scrolled to it; start again from the top.
        w.Controls().TrackBar->setValue(0);
        const int height = ProjectOf(f).GetHeight();
        QVERIFY(w.RollHeight() > 0);
        QCOMPARE(w.Controls().TrackBar->maximum(), height + w.RollHeight());
        QCOMPARE(w.Controls().StatusPanels[1]->text(), QStringLiteral("Scroll: 0 of %1 px").arg(w.Controls().TrackBar->maximum()));

        w.Controls().TrackBar->setValue(10);
        QCOMPARE(w.FramePosition(), 10);
        const int maximumBefore = w.Controls().TrackBar->maximum();
        RemoveNodes(w.Document(), {&producer});
        w.RenderFrame();
        QVERIFY(w.Controls().TrackBar->maximum() < maximumBefore);
        QCOMPARE(w.Controls().TrackBar->maximum(), height + w.RollHeight());

        // Lowering the range below the position moves the slider, which renders; the guard keeps
        // that render from setting the range again.
        w.Controls().TrackBar->setValue(w.Controls().TrackBar->maximum());
        const int rendersBefore = w.RenderCount();
        w.SetPositionRange(100);
        QCOMPARE(w.Controls().TrackBar->maximum(), 100);
        QCOMPARE(w.FramePosition(), 100);
        QCOMPARE(w.RenderCount(), rendersBefore + 1);
    }

    // New and Open show the new project at once: range, position, counters and running time.
    void newAndOpenShowTheNewProject()
    {
        QTemporaryDir dir;
        const QString longFile = dir.filePath(QStringLiteral("long.vmz"));
        TEditorFixture f;
        TMain &w = f.Main();
        for (int i = 0; i < 40; ++i)
            f.AddText(f.Project(), QStringLiteral("Name %1").arg(i));
        w.RenderFrame();
        const int longRange = w.Controls().TrackBar->maximum();
        const QString longTime = w.RunningTimePanel()->text();
        w.Document().SaveProjectAs(longFile);
        w.Controls().TrackBar->setValue(longRange - 3);

        w.Controls().ActNew->trigger();
        QCOMPARE(w.Controls().TrackBar->maximum(), 576);
        QCOMPARE(w.FramePosition(), 0);
        QCOMPARE(w.Controls().StatusPanels[1]->text(), QStringLiteral("Scroll: 0 of 576 px"));
        QCOMPARE(w.RunningTimePanel()->text(), QStringLiteral("Running Time: 00:00:05:19"));

        ProjectOf(f).SetWidth(1920); // a size that shows in the zoom
        ProjectOf(f).SetHeight(1080);
        w.SetZoomChoice(PreviewZoomFit);
        const int smallZoom = w.ZoomPercent();
        w.OpenProjectFile(longFile);
        QCOMPARE(w.Controls().TrackBar->maximum(), longRange);
        QCOMPARE(w.FramePosition(), 0);
        QCOMPARE(w.RunningTimePanel()->text(), longTime);
        QVERIFY(w.ZoomPercent() > smallZoom);
        QVERIFY(w.Controls().StatusPanels[2]->text().startsWith(QStringLiteral("Zoom: %1%").arg(w.ZoomPercent())));
    }

    // At the default size every panel of the status bar is whole; a speed warning that does
    // not fit becomes an icon carrying its text as the tooltip, and comes back when there is room.
    void statusBarFitsTheDefaultWindow()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        ProjectOf(f).SetScrollRate(20);
        w.Document().NotifyElementChanged(f.Project().Element(), false);
        QLabel *warning = w.findChild<QLabel *>(QStringLiteral("SpeedWarning"));
        QVERIFY(warning != nullptr);
        const auto panelsWhole = [&] {
            QCoreApplication::processEvents();
            QStatusBar *bar = w.statusBar();
            for (QWidget *panel : bar->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
                if (panel->isVisible() && (panel->geometry().right() >= bar->width() || panel->width() < panel->sizeHint().width()))
                    return false;
            return true;
        };
        w.resize(1062, 807);
        QTRY_VERIFY(panelsWhole());
        QVERIFY(warning->isVisible());
        QVERIFY(!warning->pixmap().isNull());
        QVERIFY(warning->toolTip().startsWith(QStringLiteral("Scrolling too fast")));

        w.resize(2200, 807);
        QTRY_VERIFY(warning->text().startsWith(QStringLiteral("Scrolling too fast")));
        QVERIFY(panelsWhole());
    }

    void selectingScrollsToTheElementUnlessItIsInView()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        TElementNode &first = f.AddText(f.Project(), QStringLiteral("First"));
        for (int i = 0; i < 30; ++i)
            f.AddText(f.Project(), QStringLiteral("Name %1").arg(i));
        TElementNode &last = *f.Project().Child(30);
        const int height = ProjectOf(f).GetHeight();
        w.RenderFrame();
        const auto shows = [&](const TElementNode &node) {
            const auto band = w.Renderer().FocusedBand();
            return f.Editor().FocusedNode() == &node && band && band->first >= 0 && band->second <= height;
        };
        QVERIFY(shows(last));

        f.Focus(first);
        w.RenderFrame();
        QVERIFY(shows(first));
        const int position = w.FramePosition();
        // A neighbour already in view leaves the roll where it is.
        f.Focus(*f.Project().Child(1));
        w.RenderFrame();
        QCOMPARE(w.FramePosition(), position);
        // The project itself is all of the roll: selecting it scrolls nowhere.
        f.Focus(f.Project());
        w.RenderFrame();
        QCOMPARE(w.FramePosition(), position);
    }

    void runningTimeAndSafeAreas()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        IProject &project = ProjectOf(f);
        project.SetFrameRate(25);
        project.SetScrollRate(4);
        w.RenderFrame();
        // An empty roll: the film height alone, 576 / 4 = 144 frames, 5 seconds and 19 frames.
        QCOMPARE(w.Controls().TrackBar->maximum(), 576);
        QCOMPARE(w.RunningTimePanel()->text(), QStringLiteral("Running Time: 00:00:05:19"));

        project.SetBackColor(0xFF000000);
        w.Controls().PreviewBox->setFixedSize(720, 576);
        w.RenderFrame();
        const auto shown = [&w] { return w.Controls().PreviewBox->grab().toImage().convertToFormat(QImage::Format_ARGB32); };
        QCOMPARE(shown().pixel(360, 20), 0xFF000000u);
        w.Controls().ActShowSafeAreas->trigger();
        // 93 %: 670 x 536 from (25, 20); 90 %: 648 x 518 from (36, 29); the rest stays black.
        const QImage withAreas = shown();
        for (const QPoint at : {QPoint(360, 20), QPoint(25, 288)})
            QVERIFY2(withAreas.pixel(at) != 0xFF000000u, qPrintable(QStringLiteral("%1,%2").arg(at.x()).arg(at.y())));
        // The title-safe frame is dashed: about half of its top edge is drawn.
        int dashes = 0;
        for (int x = 40; x < 680; ++x)
            dashes += withAreas.pixel(x, 29) != 0xFF000000u;
        QVERIFY2(dashes > 200 && dashes < 500, qPrintable(QString::number(dashes)));
        for (const QPoint at : {QPoint(360, 24), QPoint(100, 100), QPoint(30, 288)})
            QCOMPARE(withAreas.pixel(at), 0xFF000000u);
        w.Controls().ActShowSafeAreas->trigger();
        QCOMPARE(shown().pixel(360, 20), 0xFF000000u);
    }

    void wheelMovesThePosition()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        f.AddText(f.Project(), QStringLiteral("Cast"));
        w.RenderFrame();
        w.Controls().TrackBar->setValue(0);
        const QPointF at(10, 10);
        QWheelEvent away(at, w.Controls().PreviewBox->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
            Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.Controls().PreviewBox, &away);
        QCOMPARE(w.FramePosition(), 120);
        QWheelEvent back(at, w.Controls().PreviewBox->mapToGlobal(at), QPoint(), QPoint(0, -360), Qt::NoButton, Qt::NoModifier,
            Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.Controls().PreviewBox, &back);
        QCOMPARE(w.FramePosition(), 0); // clamped to the slider's range
    }

    void placeholdersToggleRerenders()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        QTRY_VERIFY(!w.PreviewUpdatePending());
        const int before = w.RenderCount();
        QVERIFY(!w.ShowPlaceholders());
        w.Controls().ActShowPlaceholders->trigger();
        QVERIFY(w.ShowPlaceholders());
        QTRY_COMPARE(w.RenderCount(), before + 1);
        QVERIFY(!w.Document().Modified());
    }
};

QTEST_MAIN(PreviewTest)
#include "Preview.moc"
