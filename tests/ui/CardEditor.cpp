// Cards in the editor: Insert Card, the card page as undoable edits, and the preview showing
// a chosen card at its held frame.
#include "EditorFixture.h"

#include "core/elements/ElementCard.h"
#include "core/render/FrameRenderer.h"
#include "core/render/Timeline.h"

#include <QSpinBox>
#include <QStackedWidget>

using namespace velmora;
using namespace velmora::test;

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

        // With the card chosen the preview shows its held frame, as a render of the timeline does.
        f.Focus(cardNode);
        f.Main().RenderFrame();
        const TTimeline timeline = TTimeline::Build(f.Window->Document().Tree());
        QVERIFY(timeline.Timed());
        const TTimelineSegment *segment = timeline.CardOf(&cardNode);
        QVERIFY(segment != nullptr);
        QCOMPARE(segment->Hold, qint64(48));
        TFrameRenderer renderer;
        const QImage expected = renderer.RenderTimelineFrame(f.Window->Document().Tree(), timeline, segment->HeldFrame(), false).copy();
        QCOMPARE(f.Main().Renderer().Frame(), expected);
    }
};

QTEST_MAIN(CardEditorTest)
#include "CardEditor.moc"
