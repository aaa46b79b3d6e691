#include "core/render/Timeline.h"

#include "core/credits/ElementCreditBlock.h"
#include "core/document/ElementTree.h"
#include "core/render/FrameRenderer.h"
#include "core/render/LayoutPass.h"
#include "core/render/Timecode.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

bool Dissolves(const TTransition &transition)
{
    return transition.Kind == TTransitionKind::Dissolve;
}

// Items stacked from 0 as a walk of their parent would stack them; returns the bottom.
qint32 StackItems(std::vector<TTimelineItem> &items, const TFilm &film)
{
    QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&pixel);
    TLayoutPass pass(film);
    pass.MeasureOnly = true;
    qint32 bottom = 0;
    for (TTimelineItem &item : items) {
        item.Top = bottom;
        if (item.Block != nullptr)
            item.Height = item.Block->SegmentLayoutFor(film, item.Segment).Height();
        else
            item.Height = ClampToInt32(qint64(pass.RenderNode(*item.Node, painter, TLayoutRect{0, 0, film.Width, film.Height}, bottom)) - bottom);
        bottom = SaturatingAdd(bottom, item.Height);
    }
    return bottom;
}

// Where a card's ink lies below its items' top: a sheet's card from its laid-out pieces
// (the space above a heading is not ink), an element card from its children's bands.
std::pair<qint32, qint32> InkBand(const TTimelineSegment &card, const TFilm &film)
{
    if (card.Items.size() == 1 && card.Items.front().Block != nullptr) {
        const TTimelineItem &item = card.Items.front();
        const auto &pieces = item.Block->SegmentLayoutFor(film, item.Segment).Pieces();
        qint32 top = std::numeric_limits<qint32>::max();
        qint32 bottom = std::numeric_limits<qint32>::min();
        for (const TCreditLayout::TPiece &piece : pieces)
            if (!piece.Lines.empty() || piece.HasPicture()) {
                top = std::min(top, piece.Top);
                bottom = std::max(bottom, piece.Bottom);
            }
        if (top <= bottom)
            return {top, bottom};
    }
    return {0, card.Height};
}

void PlaceCard(TTimelineSegment &card, const TFilm &film)
{
    card.Height = StackItems(card.Items, film);
    const auto [inkTop, inkBottom] = InkBand(card, film);
    card.Height = inkBottom - inkTop;
    const qint32 margin = TitleSafeMargin(film.Height);
    const qint32 safeHeight = film.Height - 2 * margin;
    qint32 top = margin + (safeHeight - card.Height) / 2;
    if (card.Timing.Placement == TCardPlacement::Top)
        top = margin;
    else if (card.Timing.Placement == TCardPlacement::Bottom)
        top = film.Height - margin - card.Height;
    card.DrawTop = top - inkTop;
    card.InkTop = top;
    card.InkBottom = top + card.Height;
}

// Characters a reader reads in node and below: texts, and the rows of credit blocks.
int TextCharacters(const TElementNode &node)
{
    int characters = 0;
    if (const auto *text = queryInterface<IElementText>(node.Element())) {
        QString value;
        text->GetText(value);
        characters += int(value.simplified().size());
    } else if (const auto *block = dynamic_cast<const TVmElementCreditBlock *>(node.Element())) {
        characters += ReadingCharacters(block->Rows());
    }
    for (const auto &child : node.Children())
        characters += TextCharacters(*child);
    return characters;
}

QString SheetName(const TVmElementCreditBlock &block)
{
    return QFileInfo(block.Rows().SheetName).fileName();
}

} // namespace

qint32 TitleSafeMargin(qint32 filmSize)
{
    return qint32(std::lround(filmSize * 0.05));
}

qint64 TTimelineSegment::LeadIn() const
{
    if (!Card || Timing.In.Kind == TTransitionKind::Cut || Timing.In.Kind == TTransitionKind::Push)
        return 0;
    return Timing.In.Frames;
}

qint64 TTimelineSegment::LeadOut() const
{
    if (!Card || Timing.Out.Kind == TTransitionKind::Cut || Timing.Out.Kind == TTransitionKind::Push)
        return 0;
    return Timing.Out.Frames;
}

qint64 TTimeline::ReadingFrames(int characters, const TCardTiming &timing, int frameRate)
{
    const double seconds = std::max(timing.MinimumHoldMs / 1000.0, double(characters) / std::max(1, timing.CharactersPerSecond));
    return std::max<qint64>(1, qint64(std::ceil(seconds * frameRate - 1e-9)));
}

bool TTimeline::HasCards(const TElementTree &tree)
{
    const TElementNode *projectNode = tree.ProjectNode();
    if (projectNode == nullptr)
        return false;
    return std::any_of(projectNode->Children().begin(), projectNode->Children().end(), [](const auto &child) {
        const IElement *element = child->Element();
        const auto *block = dynamic_cast<const TVmElementCreditBlock *>(element);
        return dynamic_cast<const TVmElementCard *>(element) != nullptr
            || (block != nullptr && std::any_of(block->Segments().begin(), block->Segments().end(),
                                                [](const TCreditSegment &segment) { return segment.Card; }));
    });
}

TTimeline TTimeline::Build(const TElementTree &tree)
{
    TTimeline timeline;
    const TElementNode *projectNode = tree.ProjectNode();
    const IProject *project = projectNode ? queryInterface<IProject>(projectNode->Element()) : nullptr;
    if (project == nullptr)
        return timeline;
    timeline.m_film = FilmOf(*projectNode);
    timeline.m_scrollRate = std::max(1, project->GetScrollRate());
    timeline.m_frameRate = std::max(1, project->GetFrameRate());
    const TFilm &film = timeline.m_film;

    std::vector<TTimelineSegment> &segments = timeline.m_segments;
    const auto crawl = [&]() -> TTimelineSegment & {
        if (segments.empty() || segments.back().Card)
            segments.emplace_back();
        return segments.back();
    };
    int cards = 0;
    for (const auto &child : projectNode->Children()) {
        const IElement *element = child->Element();
        if (const auto *card = dynamic_cast<const TVmElementCard *>(element)) {
            TTimelineSegment segment;
            segment.Card = true;
            segment.Node = child.get();
            segment.Timing = card->Timing();
            for (const auto &grandchild : child->Children())
                segment.Items.push_back({grandchild.get()});
            QString caption;
            card->GetCaption(-1, caption);
            segment.Name = QStringLiteral("card %1 (%2)").arg(++cards).arg(caption);
            segments.push_back(std::move(segment));
            continue;
        }
        const auto *block = dynamic_cast<const TVmElementCreditBlock *>(element);
        if (block == nullptr || block->Segments().empty()) {
            crawl().Items.push_back({child.get()});
            continue;
        }
        std::size_t blockCards = 0;
        for (std::size_t i = 0; i < block->Segments().size(); ++i) {
            const TCreditSegment &part = block->Segments()[i];
            if (!part.Card) {
                crawl().Items.push_back({child.get(), block, i});
                continue;
            }
            TTimelineSegment segment;
            segment.Card = true;
            segment.Node = child.get();
            segment.Row = part.Start.Number;
            segment.Items.push_back({child.get(), block, i});
            segment.Timing.In = part.Transitions.In;
            segment.Timing.Out = part.Transitions.Out;
            segment.Timing.HoldFrames = qint32(std::min<qint64>(CardTimeCell(block->Rows(), part.Start, timeline.m_frameRate),
                                                                std::numeric_limits<qint32>::max()));
            // A fit's hold stands for what the sheet says.
            if (blockCards < block->CardHolds().size() && block->CardHolds()[blockCards] > 0)
                segment.Timing.HoldFrames = block->CardHolds()[blockCards];
            ++blockCards;
            segment.Characters = ReadingCharacters(part.Rows);
            segment.Name = QStringLiteral("card %1 (%2:%3)").arg(++cards).arg(SheetName(*block)).arg(part.Start.Number);
            segments.push_back(std::move(segment));
        }
    }
    timeline.m_timed = cards > 0;
    if (!timeline.m_timed) {
        // The roll as it always was: one crawl over the whole project, measured as a render would.
        TFrameRenderer measure;
        measure.MeasureRoll(tree);
        segments.assign(1, TTimelineSegment{});
        segments.front().Height = measure.RollHeight();
        segments.front().Name = QStringLiteral("crawl");
        segments.front().Length = FrameCountFor(measure.PositionRange(), timeline.m_scrollRate);
        timeline.m_frameCount = segments.front().Length;
        return timeline;
    }

    int crawls = 0;
    for (TTimelineSegment &segment : segments) {
        if (!segment.Card) {
            segment.Height = StackItems(segment.Items, film);
            segment.Name = QStringLiteral("crawl %1").arg(++crawls);
            continue;
        }
        PlaceCard(segment, film);
        if (segment.Characters == 0)
            for (const TTimelineItem &item : segment.Items)
                if (item.Node != nullptr && item.Block == nullptr)
                    segment.Characters += TextCharacters(*item.Node);
        segment.ReadingHold = ReadingFrames(segment.Characters, segment.Timing, timeline.m_frameRate);
        segment.HoldFromReading = segment.Timing.HoldFrames <= 0;
        segment.Hold = segment.HoldFromReading ? segment.ReadingHold : segment.Timing.HoldFrames;
    }
    // Transitions settle between neighbours: a dissolve on either side of a boundary is the
    // boundary's, at the longer length; one with nothing on its far side is a fade; a push
    // needs a crawl after it.
    for (std::size_t i = 0; i < segments.size(); ++i) {
        TTimelineSegment &segment = segments[i];
        if (!segment.Card)
            continue;
        TTimelineSegment *before = i > 0 ? &segments[i - 1] : nullptr;
        TTimelineSegment *after = i + 1 < segments.size() ? &segments[i + 1] : nullptr;
        if (Dissolves(segment.Timing.In) && before == nullptr)
            segment.Timing.In.Kind = TTransitionKind::Fade;
        if (Dissolves(segment.Timing.Out) && after == nullptr)
            segment.Timing.Out.Kind = TTransitionKind::Fade;
        if (segment.Timing.Out.Kind == TTransitionKind::Push && (after == nullptr || after->Card))
            segment.Timing.Out = {};
        if (after != nullptr && after->Card && (Dissolves(segment.Timing.Out) || Dissolves(after->Timing.In))) {
            const int frames = std::max(Dissolves(segment.Timing.Out) ? segment.Timing.Out.Frames : 0,
                                        Dissolves(after->Timing.In) ? after->Timing.In.Frames : 0);
            segment.Timing.Out = after->Timing.In = {TTransitionKind::Dissolve, frames};
        }
    }
    timeline.Place();
    return timeline;
}

void TTimeline::Place()
{
    qint64 at = 0;
    m_frameCount = 0;
    for (std::size_t i = 0; i < m_segments.size(); ++i) {
        TTimelineSegment &segment = m_segments[i];
        if (segment.Card) {
            segment.Length = segment.LeadIn() + segment.Hold + segment.LeadOut();
        } else {
            // Between cards a crawl shows no empty frame: its first frame already has the top
            // of its content in, its last the end of it still in (positions s, 2s, ... below
            // film height + roll height). The transitions around it own the black.
            segment.Length = std::max(1, FrameCountFor(ClampToInt32(qint64(m_film.Height) + segment.Height), m_scrollRate) - 1);
        }
        // A dissolve lays the start of this segment over the end of the one before.
        qint64 overlap = 0;
        if (i > 0) {
            const TTimelineSegment &before = m_segments[i - 1];
            if (before.Card && Dissolves(before.Timing.Out))
                overlap = before.Timing.Out.Frames;
            else if (segment.Card && Dissolves(segment.Timing.In))
                overlap = segment.Timing.In.Frames;
            overlap = std::min({overlap, before.Length, segment.Length});
        }
        segment.Start = std::max<qint64>(0, at - overlap);
        at = segment.End();
        m_frameCount = std::max(m_frameCount, at);
    }
}

void TTimeline::SetHolds(const std::vector<qint64> &holds)
{
    std::size_t next = 0;
    for (TTimelineSegment &segment : m_segments)
        if (segment.Card && next < holds.size())
            segment.Hold = std::max<qint64>(1, holds[next++]);
    Place();
}

void TTimeline::SetScrollRate(int scrollRate)
{
    m_scrollRate = std::max(1, scrollRate);
    Place();
}

const TTimelineSegment *TTimeline::CardOf(const TElementNode *node) const
{
    for (; node != nullptr; node = node->Parent())
        if (dynamic_cast<const TVmElementCard *>(node->Element()) != nullptr)
            for (const TTimelineSegment &segment : m_segments)
                if (segment.Card && segment.Node == node)
                    return &segment;
    return nullptr;
}

int TTimeline::SegmentAt(qint64 frame) const
{
    int found = 0;
    for (std::size_t i = 0; i < m_segments.size(); ++i)
        if (m_segments[i].Start <= frame)
            found = int(i);
    return found;
}

double TTimeline::CardLevel(const TTimelineSegment &card, qint64 local)
{
    const qint64 in = card.LeadIn();
    if (local < in)
        return card.Timing.In.Kind == TTransitionKind::Fade ? double(local) / double(in) : 1.0;
    const qint64 out = local - in - card.Hold;
    if (out < 0 || card.Timing.Out.Kind != TTransitionKind::Fade)
        return 1.0;
    // The last frame of a fade out is black, as the first of a fade in is.
    return std::max(0.0, 1.0 - double(out + 1) / double(card.LeadOut()));
}

TFrameParts TTimeline::PartsAt(qint64 frame) const
{
    TFrameParts parts;
    if (m_segments.empty())
        return parts;
    frame = std::clamp<qint64>(frame, 0, std::max<qint64>(0, m_frameCount - 1));
    parts.Segment = SegmentAt(frame);
    const TTimelineSegment &segment = m_segments[std::size_t(parts.Segment)];
    parts.Local = frame - segment.Start;
    if (parts.Segment == 0)
        return parts;
    const TTimelineSegment &before = m_segments[std::size_t(parts.Segment) - 1];
    if (frame < before.End()) {
        // Within a dissolve: the weight of the newcomer grows a step a frame, neither end a copy.
        const qint64 overlap = before.End() - segment.Start;
        parts.Under = parts.Segment - 1;
        parts.UnderLocal = frame - before.Start;
        parts.Mix = double(parts.Local + 1) / double(overlap + 1);
    } else if (before.Card && before.Timing.Out.Kind == TTransitionKind::Push && !segment.Card) {
        // The card moves up with the crawl from the frame after its hold, at the crawl's speed.
        const qint64 top = qint64(before.DrawTop) - (parts.Local + 1) * m_scrollRate;
        if (top + (before.InkBottom - before.DrawTop) > 0) {
            parts.Pushed = parts.Segment - 1;
            parts.PushedTop = ClampToInt32(top);
        }
    }
    return parts;
}

} // namespace velmora
