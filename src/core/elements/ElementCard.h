#pragma once

#include "core/elements/CardTransition.h"
#include "core/elements/ElementBase.h"

namespace velmora {

// Where a card's content sits within title-safe (90 % of the film's height).
enum class TCardPlacement { Centre, Top, Bottom };

// What a card holds apart from its content: how long it stays, how it comes and goes, and
// how its hold is worked out from reading when no time is given.
struct TCardTiming
{
    qint32 HoldFrames = 0;  // 0: from reading time
    TTransition In;
    TTransition Out;
    TCardPlacement Placement = TCardPlacement::Centre;
    qint32 MinimumHoldMs = 2000;   // reading time is never below this
    qint32 CharactersPerSecond = 15;

    bool operator==(const TCardTiming &) const = default;
};

// A held page of credits: its children are laid out as the roll's are and shown still, centred
// in title-safe, between a crawl's scrolling runs. In a walk of the whole roll it stacks its
// children like a column.
class TVmElementCard final : public TCaptionedElement, public IElementContainer
{
public:
    static const TElementKind Kind;

    TVmElementCard() : TCaptionedElement(QStringLiteral("Card")) {}
    const TElementKind &GetClass() const override { return Kind; }
    int GetImageIndex(int, TTreeImageKind) const override { return 2; }
    void SaveToStream(QIODevice &stream) const override;
    void LoadFromStream(QIODevice &stream) override;

    const TCardTiming &Timing() const { return m_timing; }
    void SetTiming(const TCardTiming &timing) { m_timing = timing; }

private:
    TCardTiming m_timing;
};

} // namespace velmora
