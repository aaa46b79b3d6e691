#include "ui/pages/PageCard.h"

#include "ui/window/EditorContext.h"

#include "core/document/Document.h"
#include "core/edit/EditCommands.h"
#include "core/elements/ElementCard.h"
#include "core/render/Timecode.h"
#include "core/render/Timeline.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QStackedWidget>

namespace velmora {

namespace {

// The kinds offered, in TTransitionKind's order; a card cannot come in by a push.
const char *const TransitionNames[] = {"Cut", "Fade", "Dissolve", "Push"};

QComboBox *TransitionCombo(const char *name, bool push)
{
    auto *combo = new QComboBox;
    combo->setObjectName(QLatin1String(name));
    for (int i = 0; i < (push ? 4 : 3); ++i)
        combo->addItem(QLatin1String(TransitionNames[i]));
    return combo;
}

QSpinBox *Spin(const char *name, int minimum, int maximum, const QString &suffix)
{
    auto *spin = new QSpinBox;
    spin->setObjectName(QLatin1String(name));
    spin->setRange(minimum, maximum);
    spin->setSuffix(suffix);
    return spin;
}

} // namespace

TCardPage::TCardPage(TEditorContext &context) : m_context(context)
{
    setObjectName(QStringLiteral("PageCard"));
    Hold = Spin("CardHold", 0, 24 * 60 * 60 * 100, QStringLiteral(" frames"));
    Hold->setSpecialValueText(QStringLiteral("Reading"));
    InKind = TransitionCombo("CardInKind", false);
    InFrames = Spin("CardInFrames", 1, MaxTransitionFrames, QStringLiteral(" frames"));
    OutKind = TransitionCombo("CardOutKind", true);
    OutFrames = Spin("CardOutFrames", 1, MaxTransitionFrames, QStringLiteral(" frames"));
    Placement = new QComboBox;
    Placement->setObjectName(QStringLiteral("CardPlacement"));
    // Within title-safe.
    Placement->addItems({QStringLiteral("Centre"), QStringLiteral("Top"), QStringLiteral("Bottom")});
    MinimumHold = Spin("CardMinimumHold", 0, 60 * 60 * 1000, QStringLiteral(" ms"));
    MinimumHold->setSingleStep(100);
    Rate = Spin("CardReadingRate", 1, 1000, QStringLiteral(" chars/s"));
    Summary = new QLabel;
    Summary->setObjectName(QStringLiteral("CardSummary"));
    Summary->setWordWrap(true);
    // The page keeps the width of the others; the summary wraps within it.
    Summary->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto *layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Hold:"), Hold);
    layout->addRow(QStringLiteral("In:"), InKind);
    layout->addRow(QString(), InFrames);
    layout->addRow(QStringLiteral("Out:"), OutKind);
    layout->addRow(QString(), OutFrames);
    layout->addRow(QStringLiteral("Place:"), Placement);
    layout->addRow(QStringLiteral("Least:"), MinimumHold);
    layout->addRow(QStringLiteral("Rate:"), Rate);
    layout->addRow(Summary);
    for (QWidget *field : std::initializer_list<QWidget *>{Hold, InKind, InFrames, OutKind, OutFrames, Placement, MinimumHold, Rate}) {
        field->setMinimumWidth(0);
        field->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }
    for (QSpinBox *spin : {Hold, InFrames, OutFrames, MinimumHold, Rate})
        connect(spin, &QSpinBox::valueChanged, this, [this] { Apply(); });
    for (QComboBox *combo : {InKind, OutKind, Placement})
        connect(combo, &QComboBox::currentIndexChanged, this, [this] { Apply(); });
}

void TCardPage::Apply()
{
    if (m_filling || m_card == nullptr)
        return;
    TCardTiming timing = m_card->Timing();
    timing.HoldFrames = Hold->value();
    const auto transition = [](QComboBox *kind, QSpinBox *frames) {
        const auto chosen = TTransitionKind(std::max(0, kind->currentIndex()));
        const bool timed = chosen == TTransitionKind::Fade || chosen == TTransitionKind::Dissolve;
        frames->setEnabled(timed);
        return TTransition{chosen, timed ? frames->value() : 0};
    };
    timing.In = transition(InKind, InFrames);
    timing.Out = transition(OutKind, OutFrames);
    timing.Placement = TCardPlacement(std::max(0, Placement->currentIndex()));
    timing.MinimumHoldMs = MinimumHold->value();
    timing.CharactersPerSecond = Rate->value();
    TVmElementCard *card = m_card;
    m_context.Run([&] { ChangeValue(m_context.Document(), card, Fields::CardTiming, timing); });
}

void TCardPage::Fill(IElement *element)
{
    m_card = dynamic_cast<TVmElementCard *>(element);
    if (m_card == nullptr)
        return;
    const QScopedValueRollback filling(m_filling, true);
    const TCardTiming &timing = m_card->Timing();
    Hold->setValue(timing.HoldFrames);
    InKind->setCurrentIndex(int(timing.In.Kind));
    InFrames->setValue(std::max(1, timing.In.Frames));
    InFrames->setEnabled(timing.In.Frames > 0);
    OutKind->setCurrentIndex(int(timing.Out.Kind));
    OutFrames->setValue(std::max(1, timing.Out.Frames));
    OutFrames->setEnabled(timing.Out.Frames > 0);
    Placement->setCurrentIndex(int(timing.Placement));
    MinimumHold->setValue(timing.MinimumHoldMs);
    Rate->setValue(timing.CharactersPerSecond);
    // What the timeline makes of it: the transitions it settled and where the card runs.
    const TTimeline timeline = TTimeline::Build(m_context.Document().Tree());
    QString summary;
    for (const TTimelineSegment &segment : timeline.Segments())
        if (segment.Card && segment.Node != nullptr && segment.Node->Element() == m_card) {
            const int rate = timeline.FrameRate();
            summary = QStringLiteral("Held %1 frames (%2 s%3), on screen %4 to %5; in: %6, out: %7")
                          .arg(segment.Hold)
                          .arg(double(segment.Hold) / rate, 0, 'f', 2)
                          .arg(segment.HoldFromReading ? QStringLiteral(", reading") : QString())
                          .arg(FormatTimecode(segment.Start, rate), FormatTimecode(segment.End(), rate),
                               TransitionText(segment.Timing.In), TransitionText(segment.Timing.Out));
        }
    Summary->setText(summary);
}

} // namespace velmora
