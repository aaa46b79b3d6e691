#pragma once

#include "core/elements/ElementCard.h"
#include "core/elements/Interfaces.h"

#include <QString>
#include <QtGlobal>
#include <vector>

class QPainter;

namespace velmora {

class TElementNode;
class TElementTree;
class TVmElementCreditBlock;

// Something a segment draws: an element (a card's child, or a roll element of a crawl) or one
// card or crawl of a sheet's credit block; Top is below the segment's own top.
struct TTimelineItem
{
    const TElementNode *Node = nullptr;
    const TVmElementCreditBlock *Block = nullptr;  // with Segment: a part of a sheet
    std::size_t Segment = 0;
    qint32 Top = 0;
    qint32 Height = 0;
};

// One card or one scrolling run of the roll, and where it stands on the timeline.
struct TTimelineSegment
{
    bool Card = false;
    std::vector<TTimelineItem> Items;
    // A crawl: the roll's height. A card: the height of its content, from the top of its first
    // ink to the bottom of its last.
    qint32 Height = 0;
    // A card: where its items' top goes in the frame, and where its ink then lies.
    qint32 DrawTop = 0;
    qint32 InkTop = 0;
    qint32 InkBottom = 0;
    TCardTiming Timing;          // transitions as the timeline settled them
    qint64 Hold = 0;             // frames held still
    qint64 ReadingHold = 0;      // what reading its characters at the card's rate takes (frames)
    bool HoldFromReading = false;
    int Characters = 0;
    qint64 Start = 0;            // first frame
    qint64 Length = 0;           // frames, transitions included; a crawl's frame k is at position (k + 1) x rate
    const TElementNode *Node = nullptr;  // the card element, or the credit block a sheet's card is in
    int Row = 0;                 // a sheet's card: its card row
    QString Name;                // for messages: "card 2 (sheet.csv:14)"

    qint64 End() const { return Start + Length; }
    // Frames before the hold: a fade in, or held frames a dissolve lays over the segment before.
    qint64 LeadIn() const;
    // Frames after the hold: a fade out, or held frames a dissolve lays under the segment after.
    qint64 LeadOut() const;
    // The first frame of the hold on the timeline.
    qint64 HeldFrame() const { return Start + LeadIn(); }
};

// What one frame of the timeline is made of.
struct TFrameParts
{
    int Segment = 0;
    qint64 Local = 0;     // frame within the segment
    int Under = -1;       // a segment dissolving away beneath it, or -1
    qint64 UnderLocal = 0;
    double Mix = 1.0;     // the weight of Segment over Under
    int Pushed = -1;      // a card pushed up by the crawl, or -1
    qint32 PushedTop = 0; // where the pushed card's items' top is
};

// The roll as a sequence of held cards and scrolling crawls. A roll without cards is one crawl
// and is not timed: it renders position by position exactly as it always has.
class TTimeline
{
public:
    // Lays out every card and crawl of the tree's project (cards among the project's elements,
    // and the cards of a credit sheet's card rows) for the project's film. The tree is only read.
    static TTimeline Build(const TElementTree &tree);
    // Whether the tree's project holds a card (an element, or a sheet's card rows); cheap,
    // nothing is laid out.
    static bool HasCards(const TElementTree &tree);

    bool Timed() const { return m_timed; }
    qint64 FrameCount() const { return m_frameCount; }
    const std::vector<TTimelineSegment> &Segments() const { return m_segments; }
    int ScrollRate() const { return m_scrollRate; }
    int FrameRate() const { return m_frameRate; }
    const TFilm &Film() const { return m_film; }

    // The card element segment that node is, or lies in; null for anything else.
    const TTimelineSegment *CardOf(const TElementNode *node) const;

    // Frame f's parts; f is clamped to the timeline.
    TFrameParts PartsAt(qint64 frame) const;
    // The fade level of a card's local frame: 0 black, 1 the card in full.
    static double CardLevel(const TTimelineSegment &card, qint64 local);
    // The segment frame f lies in (the later one where two overlap).
    int SegmentAt(qint64 frame) const;

    // Frames a hold of reading takes for characters at the timing's rate, never below its minimum.
    static qint64 ReadingFrames(int characters, const TCardTiming &timing, int frameRate);

    // Changes the holds (one per card, in order) and places the segments again; used by fitting.
    void SetHolds(const std::vector<qint64> &holds);
    // Changes the crawls' scroll rate and places the segments again; used by fitting.
    void SetScrollRate(int scrollRate);

private:
    void Place();

    std::vector<TTimelineSegment> m_segments;
    TFilm m_film;
    int m_scrollRate = 1;
    int m_frameRate = 25;
    qint64 m_frameCount = 0;
    bool m_timed = false;
};

struct TLayoutPass;

// Draws items with their segment's top at top, through pass (an element) or the sheet's
// layout of that part (a credit block's card or crawl). With skipFar, items more than a film
// height outside the frame are left out.
void DrawTimelineItems(QPainter &painter, const TLayoutPass &pass, const std::vector<TTimelineItem> &items, qint32 top,
                       bool skipFar);

// Title-safe: the middle 90 % of the film, in each direction.
qint32 TitleSafeMargin(qint32 filmSize);

} // namespace velmora
