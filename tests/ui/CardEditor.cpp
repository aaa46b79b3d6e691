// Cards in the editor: Insert Card, the card page as undoable edits, and the preview showing
// a chosen card at its held frame.
#include "EditorFixture.h"

#include "core/elements/ElementCard.h"
#include "core/render/FrameRenderer.h"
#include "core/render/Timeline.h"

#include "ui/preview/Player.h"
#include "ui/preview/Transport.h"

#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>

using namespace velmora;
using namespace velmora::test;

namespace {

// A clock that moves only when told to.
struct TFakeClock : IPlaybackClock
{
    qint64 Now = 0;
    qint64 NowNanoseconds() const override { return Now; }
};

} // namespace

class CardEditorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void insertCardSetItsHoldAndSeeItHeld()
    {
        TEditorFixture f;
        f.AddText(f.Project(), QStringLiteral("CAMERA"));
        QVERIFY(f.Main().Controls().ActNewCard->isEnabled());
        TElementNode &cardNode = f.Add(f.Project(), f.Main().Controls().ActNewCard);
        auto *card = dynamic_cast<TVmElementCard *>(cardNode.Element());
        QVERIFY(card != nullptr);
        QCOMPARE(cardNode.Parent(), &f.Project());
        f.AddText(cardNode, QStringLiteral("Directed by Ada Achterberg"));
        QCOMPARE(cardNode.ChildCount(), std::size_t(1));
        // A card never goes inside another.
        f.Focus(*cardNode.Child(0));
        f.Main().UpdateActions();
        f.Main().Controls().ActNewCard->trigger();
        QCOMPARE(cardNode.ChildCount(), std::size_t(1));

        f.Focus(cardNode);
        auto *hold = f.Window->findChild<QSpinBox *>(QStringLiteral("CardHold"));
        QVERIFY(hold != nullptr);
        QCOMPARE(f.Main().Controls().Pages->currentWidget()->objectName(), QStringLiteral("PageCard"));
        hold->setValue(48);
        QCOMPARE(card->Timing().HoldFrames, 48);
        f.Window->Document().UndoStack().undo();
        QCOMPARE(card->Timing().HoldFrames, 0);
        f.Window->Document().UndoStack().redo();
        QCOMPARE(card->Timing().HoldFrames, 48);

        // Choosing the card brings the preview to its held frame, as a render of the timeline
        // draws it; a position stands for a frame of the timeline, fades included.
        f.Focus(*cardNode.Child(0));
        f.Main().RenderFrame();
        f.Focus(cardNode);
        f.Main().RenderFrame();
        const TTimeline timeline = TTimeline::Build(f.Window->Document().Tree());
        QVERIFY(timeline.Timed());
        const TTimelineSegment *segment = timeline.CardOf(&cardNode);
        QVERIFY(segment != nullptr);
        QCOMPARE(segment->Hold, qint64(48));
        const int rate = timeline.ScrollRate();
        QCOMPARE(f.Main().Context().Position().Value(), int(segment->HeldFrame() * rate));
        QCOMPARE(f.Main().Context().Position().Maximum(), int(timeline.FrameCount() * rate));
        TFrameRenderer renderer;
        for (const qint64 frame : {segment->HeldFrame(), segment->Start, timeline.FrameCount() - 1}) {
            f.Main().Context().Position().SetValue(int(frame * rate));
            f.Main().RenderFrame();
            const QImage expected = renderer.RenderTimelineFrame(f.Window->Document().Tree(), timeline, frame, false).copy();
            QCOMPARE(f.Main().Renderer().Frame(), expected);
        }
    }

    // Playing runs the timeline frame by frame: through the card's fade and hold, then the crawl.
    void playsAcrossACard()
    {
        TEditorFixture f;
        IProject &project = *queryInterface<IProject>(f.Project().Element());
        project.SetWidth(160);
        project.SetHeight(120);
        project.SetFrameRate(25);
        project.SetScrollRate(4);
        TElementNode &cardNode = f.Add(f.Project(), f.Main().Controls().ActNewCard);
        f.AddText(cardNode, QStringLiteral("Directed by"));
        dynamic_cast<TVmElementCard *>(cardNode.Element())->SetTiming({10, {TTransitionKind::Fade, 5}, {TTransitionKind::Push, 0}});
        f.AddText(f.Project(), QStringLiteral("CAMERA"));
        f.Main().RenderFrame();
        f.Main().Controls().TrackBar->setValue(0);
        f.Main().RenderFrame();
        const TTimeline timeline = TTimeline::Build(f.Window->Document().Tree());
        TFakeClock clock;
        TPlayer &player = f.Main().Transport().Player();
        player.SetClock(clock);
        QCOMPARE(qint64(player.FrameCount()), timeline.FrameCount());
        player.Play(1);
        TFrameRenderer renderer;
        for (const int frame : {2, 9, 17, 24}) {
            clock.Now = qint64(frame) * 1'000'000'000 / 25;
            player.Tick();
            QCOMPARE(f.Main().FramePosition(), frame * 4);
            const QImage expected = renderer.RenderTimelineFrame(f.Window->Document().Tree(), timeline, frame, false).copy();
            QCOMPARE(f.Main().Renderer().Frame(), expected);
        }
    }
};

QTEST_MAIN(CardEditorTest)
#include "CardEditor.moc"
