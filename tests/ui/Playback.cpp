// Real-time playback of the preview: timing from the clock, transport commands and keys,
// looping, skipped frames under a slow renderer, and playback's place beside editing.
#include "EditorFixture.h"

#include "core/render/FrameRenderer.h"
#include "ui/preview/TimePanel.h"
#include "ui/preview/Transport.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>
#include <QTemporaryDir>

using namespace velmora;
using namespace velmora::test;

namespace {

constexpr qint64 Second = 1'000'000'000;

// A clock that moves only when told to.
struct TFakeClock : IPlaybackClock
{
    qint64 Now = 0;
    qint64 NowNanoseconds() const override { return Now; }
};

// The window's own frames, each taking Cost of the clock's time to draw.
struct TSlowTarget : TForwardingPlaybackTarget
{
    TFakeClock &Clock;
    qint64 Cost;
    int Shown = 0;
    TSlowTarget(IPlaybackTarget &inner, TFakeClock &clock, qint64 cost) : TForwardingPlaybackTarget(inner), Clock(clock), Cost(cost) {}
    void ShowFrame(int position) override
    {
        TForwardingPlaybackTarget::ShowFrame(position);
        Clock.Now += Cost;
        ++Shown;
    }
};

// An editor on a small film with a roll of many frames, its player on a fake clock.
struct TPlaybackFixture : TEditorFixture
{
    TFakeClock Clock;

    TPlaybackFixture(int fps, int scrollRate)
    {
        IProject &project = *queryInterface<IProject>(Project().Element());
        project.SetWidth(160);
        project.SetHeight(120);
        project.SetFrameRate(fps);
        project.SetScrollRate(scrollRate);
        for (int i = 0; i < 12; ++i)
            AddText(Project(), QStringLiteral("Credit %1").arg(i));
        Main().RenderFrame();
        // Adding brought the last credit into view: play from the start of the roll.
        Main().Controls().TrackBar->setValue(0);
        Player().SetClock(Clock);
    }
    TTransport &Transport() { return Main().Transport(); }
    TPlayer &Player() { return Transport().Player(); }
    int Position() { return Main().FramePosition(); }
    // Moves the clock to at ticks after playback started and lets the player catch up.
    void TickAt(qint64 at)
    {
        Clock.Now = at;
        Player().Tick();
    }
    // Presses key with the keyboard focus on focus, through the window as a user would.
    void Press(QWidget *focus, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Main().activateWindow();
        focus->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), focus);
        QTest::keyClick(Main().windowHandle(), Qt::Key(key), modifiers);
    }
};

} // namespace

class PlaybackTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void advancesWithTheClockNotTheTicks_data()
    {
        QTest::addColumn<int>("fps");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<qint64>("span");
        QTest::addColumn<int>("frame");
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("skipped");
        QTest::newRow("24 fps, a tick per frame") << 24 << 48 << 2 * Second << 48 << "00:00:02:00" << 0;
        QTest::newRow("25 fps, a tick per frame") << 25 << 50 << 2 * Second << 50 << "00:00:02:00" << 0;
        QTest::newRow("24 fps, 10 ms ticks") << 24 << 150 << 3 * Second / 2 << 36 << "00:00:01:12" << 0;
        QTest::newRow("25 fps, 10 ms ticks") << 25 << 150 << 3 * Second / 2 << 37 << "00:00:01:12" << 0;
        // Late ticks skip frames: the roll keeps its speed.
        QTest::newRow("24 fps, seven ticks") << 24 << 7 << Second << 24 << "00:00:01:00" << 17;
        QTest::newRow("25 fps, three ticks") << 25 << 3 << Second << 25 << "00:00:01:00" << 22;
    }
    void advancesWithTheClockNotTheTicks()
    {
        QFETCH(int, fps);
        QFETCH(int, ticks);
        QFETCH(qint64, span);
        QFETCH(int, frame);
        QFETCH(QString, time);
        QFETCH(int, skipped);
        TPlaybackFixture f(fps, 3);
        f.Player().Play(1);
        for (int i = 1; i <= ticks; ++i)
            f.TickAt((span * i + ticks - 1) / ticks);
        QVERIFY(f.Player().IsPlaying());
        QCOMPARE(f.Position(), frame * 3);
        QCOMPARE(f.Main().Controls().TrackBar->value(), frame * 3);
        QCOMPARE(f.Player().SkippedFrames(), skipped);
        const QString text = f.Transport().TimePanel->text();
        QVERIFY2(text.startsWith(QStringLiteral("Video frame %1 of %2  %3").arg(frame).arg(f.Player().FrameCount()).arg(time)),
            qPrintable(text));
        QVERIFY2(text.endsWith(QStringLiteral("Skipped: %1").arg(skipped)), qPrintable(text));
    }

    void slowFramesAreSkippedAtRealSpeed()
    {
        TPlaybackFixture f(25, 1);
        // Each frame takes 2.5 frame times to draw.
        TSlowTarget slow(f.Transport().WindowTarget(), f.Clock, 100'000'000);
        f.Player().SetTarget(slow);
        f.Player().Play(1);
        while (f.Clock.Now < 2 * Second) {
            f.Clock.Now += 1'000'000;
            f.Player().Tick();
        }
        // Wherever the last frame was drawn, it was the one due when drawing began.
        const int frame = f.Position();
        QVERIFY2(frame >= 48 && frame <= 50, qPrintable(QString::number(frame)));
        QVERIFY(slow.Shown >= 18 && slow.Shown <= 21);
        QCOMPARE(f.Player().SkippedFrames(), frame - slow.Shown);
        QVERIFY(f.Transport().TimePanel->text().endsWith(QStringLiteral("Skipped: %1").arg(frame - slow.Shown)));
    }

    void stepsOneFrameOfScrollRate_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("expected");
        QTest::newRow("right from 0") << 0 << int(Qt::Key_Right) << 7;
        QTest::newRow("right on a frame") << 14 << int(Qt::Key_Right) << 21;
        QTest::newRow("right between frames") << 10 << int(Qt::Key_Right) << 14;
        QTest::newRow("left on a frame") << 14 << int(Qt::Key_Left) << 7;
        QTest::newRow("left between frames") << 10 << int(Qt::Key_Left) << 7;
        QTest::newRow("left at 0") << 0 << int(Qt::Key_Left) << 0;
        QTest::newRow("home") << 10 << int(Qt::Key_Home) << 0;
        QTest::newRow("end") << 10 << int(Qt::Key_End) << -1;
        QTest::newRow("right at the end") << -1 << int(Qt::Key_Right) << -1;
    }
    void stepsOneFrameOfScrollRate()
    {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, expected);
        TPlaybackFixture f(25, 7);
        TMain &w = f.Main();
        // The last frame is the last one a generated video holds.
        const int last = GenerationPositions(w.Controls().TrackBar->maximum(), 7).back();
        w.Controls().TrackBar->setValue(start < 0 ? last : start);
        f.Press(w.Controls().TrackBar, key);
        QCOMPARE(f.Position(), expected < 0 ? last : expected);
        QCOMPARE(w.Controls().TrackBar->value(), f.Position());
        QVERIFY(!f.Player().IsPlaying());
    }

    void shuttleSpeeds_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("speed");
        QTest::newRow("L") << "L" << 1;
        QTest::newRow("LL") << "LL" << 2;
        QTest::newRow("LLL") << "LLL" << 4;
        QTest::newRow("LLLL stays at 4x") << "LLLL" << 4;
        QTest::newRow("J") << "J" << -1;
        QTest::newRow("JJJJ") << "JJJJ" << -4;
        QTest::newRow("J turns L around") << "LLJ" << -1;
        QTest::newRow("K pauses") << "LLK" << 0;
        QTest::newRow("L after K") << "JKL" << 1;
    }
    void shuttleSpeeds()
    {
        QFETCH(QString, keys);
        QFETCH(int, speed);
        TPlaybackFixture f(25, 2);
        f.Main().Controls().TrackBar->setValue(100);
        for (QChar key : keys)
            f.Press(f.Main().Controls().PreviewBox, key.unicode());
        QCOMPARE(f.Player().Speed(), speed);
        if (speed == 0)
            return;
        // Each shown frame moves speed frames, one shown frame per frame time.
        f.TickAt(Second / 25);
        f.TickAt(2 * Second / 25);
        QCOMPARE(f.Position(), 100 + 2 * speed * 2);
    }

    // Space and J/K/L play only with the preview focused, where its focus frame shows it;
    // the slider keeps the arrows, Home and End.
    void playKeysBelongToThePreview()
    {
        TPlaybackFixture f(25, 2);
        TMain &w = f.Main();
        for (int key : {int(Qt::Key_Space), int(Qt::Key_L), int(Qt::Key_J)}) {
            f.Press(w.Controls().TrackBar, key);
            QVERIFY(!f.Player().IsPlaying());
        }
        f.Press(w.Controls().PreviewBox, Qt::Key_Space);
        QVERIFY(f.Player().IsPlaying());
    }

    void heldKeysRepeatOnlyForSteps()
    {
        TPlaybackFixture f(25, 2);
        TMain &w = f.Main();
        const auto held = [&](int key) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(w.Controls().PreviewBox, &press);
        };
        f.Press(w.Controls().PreviewBox, Qt::Key_L);
        held(Qt::Key_L);
        held(Qt::Key_Space);
        QCOMPARE(f.Player().Speed(), 1);
        held(Qt::Key_Right);
        held(Qt::Key_Right);
        QCOMPARE(f.Position(), 4);
    }

    void loopsOrStopsAtTheEnd_data()
    {
        // Frames counted from 0; negative ones from the end (-1 is the last frame).
        QTest::addColumn<bool>("loop");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("frame");  // after three frame times
        QTest::addColumn<bool>("playing");
        QTest::newRow("stops on the last frame") << false << 1 << -2 << -1 << false;
        QTest::newRow("loops to the start") << true << 1 << -2 << 1 << true;
        QTest::newRow("backwards stops on frame 0") << false << -1 << 2 << 0 << false;
        QTest::newRow("backwards loops to the end") << true << -1 << 1 << -2 << true;
    }
    void loopsOrStopsAtTheEnd()
    {
        QFETCH(bool, loop);
        QFETCH(int, speed);
        QFETCH(int, start);
        QFETCH(int, frame);
        QFETCH(bool, playing);
        TPlaybackFixture f(24, 5);
        const int count = f.Player().FrameCount();
        const auto position = [count](int n) { return (n >= 0 ? n : count + n) * 5; };
        f.Transport().ActLoop->setChecked(loop);
        f.Main().Controls().TrackBar->setValue(position(start));
        f.Player().Play(speed);
        for (int i = 1; i <= 3; ++i)
            f.TickAt(i * Second / 24 + 1);
        QCOMPARE(f.Player().IsPlaying(), playing);
        QCOMPARE(f.Position(), position(frame));
        QCOMPARE(f.Player().SkippedFrames(), 0);
    }

    void playFromTheLastFrameStartsOver()
    {
        TPlaybackFixture f(25, 5);
        f.Transport().ActGoToEnd->trigger();
        QVERIFY(f.Position() > 0);
        f.Transport().ActPlay->trigger();
        QCOMPARE(f.Position(), 0);
        f.TickAt(Second / 25);
        QCOMPARE(f.Position(), 5);
    }

    void draggingTheSliderPauses()
    {
        TPlaybackFixture f(25, 2);
        TMain &w = f.Main();
        f.Player().Play(1);
        f.TickAt(Second / 5);
        QCOMPARE(f.Position(), 10);
        // The handle sits near the left end this early in the roll.
        QTest::mousePress(w.Controls().TrackBar, Qt::LeftButton, {}, QPoint(4, w.Controls().TrackBar->height() / 2));
        QVERIFY(!f.Player().IsPlaying());
        QTest::mouseRelease(w.Controls().TrackBar, Qt::LeftButton, {}, QPoint(4, w.Controls().TrackBar->height() / 2));
        const int held = f.Position();
        f.TickAt(Second);
        QCOMPARE(f.Position(), held);
    }

    void aWheelTurnWhilePlayingGoesOnFromThere()
    {
        TPlaybackFixture f(25, 2);
        f.Player().Play(1);
        f.TickAt(Second / 25);
        f.Main().Controls().TrackBar->setValue(60);  // what the wheel over the preview does
        f.TickAt(Second / 25 + 1);
        QCOMPARE(f.Position(), 60);
        f.TickAt(2 * Second / 25 + 2);
        QCOMPARE(f.Position(), 62);
    }

    void transportKeysStayOutOfTextFields()
    {
        TPlaybackFixture f(25, 2);
        TMain &w = f.Main();
        // The text field of a text element's page, the one typed in most.
        f.Focus(*f.Project().Children().front());
        auto *field = w.PropertyPages().PageTextElement->findChild<QLineEdit *>(QStringLiteral("TextText"));
        QVERIFY(field != nullptr);
        // Space, L and Alt+Space type in the field; none of them plays. Selecting the text
        // brings the roll to it on the next frame: that frame comes first.
        QTRY_VERIFY(!w.PreviewUpdatePending());
        const QString before = field->text();
        const int shown = f.Position();
        f.Press(field, Qt::Key_Space);
        f.Press(field, Qt::Key_L);
        f.Press(field, Qt::Key_Space, Qt::AltModifier);
        f.Press(field, Qt::Key_Right, Qt::AltModifier);
        QVERIFY(!f.Player().IsPlaying());
        QCOMPARE(f.Position(), shown);
        QVERIFY(field->text().startsWith(before + QLatin1Char(' ')));
        // The same in the tree's caption editor.
        TElementNode &image = f.AddImage(f.Project(), QStringLiteral("Logo"));
        w.Controls().ElementsTree->edit(f.Model().IndexOf(image));
        auto *caption = w.Controls().ElementsTree->findChild<QLineEdit *>();
        QVERIFY(caption != nullptr);
        f.Press(caption, Qt::Key_Space, Qt::AltModifier);
        f.Press(caption, Qt::Key_Space);
        QVERIFY(!f.Player().IsPlaying());
        QVERIFY(caption->text().contains(QLatin1Char(' ')));
        f.Press(caption, Qt::Key_Escape);
        // Plain Space elsewhere is not a transport key; Alt+Space and Alt+Right are.
        f.Press(w.Controls().ElementsTree, Qt::Key_Space);
        QVERIFY(!f.Player().IsPlaying());
        // Selecting scrolled the preview; start from the first frame so one step is exact.
        QTRY_VERIFY(!w.PreviewUpdatePending());
        w.Controls().TrackBar->setValue(0);
        f.Press(w.Controls().ElementsTree, Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(f.Position(), 2);
        f.Press(w.Controls().ElementsTree, Qt::Key_Space, Qt::AltModifier);
        QVERIFY(f.Player().IsPlaying());
        // On the preview, Space toggles.
        f.Press(w.Controls().PreviewBox, Qt::Key_Space);
        QVERIFY(!f.Player().IsPlaying());
        f.Press(w.Controls().PreviewBox, Qt::Key_Space);
        QVERIFY(f.Player().IsPlaying());
    }

    void editsShowInTheFollowingFrames()
    {
        TPlaybackFixture f(25, 2);
        IProject &project = *queryInterface<IProject>(f.Project().Element());
        f.Player().Play(1);
        f.TickAt(Second / 25);
        project.SetBackColor(0xFF204060);
        f.TickAt(2 * Second / 25);
        QCOMPARE(f.Main().FrameBitmap().pixel(0, 0), 0xFF204060u);
    }

    void generationTurnsPlaybackOff()
    {
        TPlaybackFixture f(25, 40);
        TMain &w = f.Main();
        QTemporaryDir folder;
        f.Player().Play(1);
        bool checked = false;
        QObject::connect(w.Controls().GenerationProgressBar, &QProgressBar::valueChanged, w.Controls().GenerationProgressBar, [&] {
            if (checked || !w.Generating())
                return;
            checked = true;
            QVERIFY(!f.Player().IsPlaying());
            QVERIFY(!f.Transport().ActPlay->isEnabled());
            // Neither the key nor a stray tick takes the preview from the run.
            f.Player().Play(1);
            f.Player().Tick();
            QVERIFY(!f.Player().IsPlaying());
        });
        f.Prompts.Files = {folder.filePath(QStringLiteral("run.avi"))};
        f.Prompts.Codecs = {QStringLiteral("MJPG")};
        w.Controls().ActGenerateFrames->trigger();
        QVERIFY(checked);
        QVERIFY(f.Prompts.Errors.isEmpty());
        QVERIFY(!f.Player().IsPlaying());
        QVERIFY(f.Transport().ActPlay->isEnabled());
    }
};

QTEST_MAIN(PlaybackTest)
#include "Playback.moc"
