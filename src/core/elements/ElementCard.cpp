#include "core/elements/ElementCard.h"

#include "core/elements/ElementKind.h"
#include "core/elements/ElementError.h"
#include "core/typedfiler/TypedFiler.h"

#include <algorithm>

namespace velmora {

namespace {

// The caption, then the hold, the two transitions, the placement and the reading rule.
constexpr quint32 CardRecordVersion = 1;
constexpr qint32 MaxHoldFrames = 24 * 60 * 60 * 100;

void WriteTransition(TTypedFiler &filer, const TTransition &transition)
{
    filer.WriteInteger(qint32(transition.Kind));
    filer.WriteInteger(transition.Frames);
}

TTransition ReadTransition(TTypedFiler &filer)
{
    const qint32 kind = filer.ReadInteger();
    const qint32 frames = filer.ReadInteger();
    if (kind < 0 || kind > qint32(TTransitionKind::Push))
        throw EElementError(QStringLiteral("A card's transition has an unknown kind %1").arg(kind));
    TTransition transition{TTransitionKind(kind), 0};
    // A cut and a push have no length; the others keep one within bounds, whatever the file says.
    if (transition.Kind == TTransitionKind::Fade || transition.Kind == TTransitionKind::Dissolve)
        transition.Frames = std::clamp(frames, 1, MaxTransitionFrames);
    return transition;
}

} // namespace

constinit const TElementKind TVmElementCard::Kind{
    "TVmElementCard", []() -> std::unique_ptr<IElement> { return std::make_unique<TVmElementCard>(); }};

void TVmElementCard::SaveToStream(QIODevice &stream) const
{
    SaveCaptionRecord(stream);
    TTypedFiler filer(&stream);
    filer.WriteVersion(CardRecordVersion);
    filer.WriteInteger(m_timing.HoldFrames);
    WriteTransition(filer, m_timing.In);
    WriteTransition(filer, m_timing.Out);
    filer.WriteInteger(qint32(m_timing.Placement));
    filer.WriteInteger(m_timing.MinimumHoldMs);
    filer.WriteInteger(m_timing.CharactersPerSecond);
}

void TVmElementCard::LoadFromStream(QIODevice &stream)
{
    LoadCaptionRecord(stream);
    TTypedFiler filer(&stream);
    const quint32 version = filer.ReadVersion();
    if (version < 1 || version > CardRecordVersion)
        throw EElementError(QStringLiteral("A card record of version %1 is newer than this Velmora reads").arg(version));
    TCardTiming timing;
    timing.HoldFrames = std::clamp(filer.ReadInteger(), 0, MaxHoldFrames);
    timing.In = ReadTransition(filer);
    timing.Out = ReadTransition(filer);
    const qint32 placement = filer.ReadInteger();
    timing.Placement = placement >= 0 && placement <= qint32(TCardPlacement::Bottom) ? TCardPlacement(placement)
                                                                                      : TCardPlacement::Centre;
    timing.MinimumHoldMs = std::clamp(filer.ReadInteger(), 0, 60 * 60 * 1000);
    timing.CharactersPerSecond = std::clamp(filer.ReadInteger(), 1, 1000);
    m_timing = timing;
}

} // namespace velmora
