#include "core/signoff/CardChecks.h"

#include "core/document/ElementTree.h"
#include "core/render/FrameRenderer.h"
#include "core/render/Timecode.h"
#include "core/render/Timeline.h"

#include <QColor>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

const QString CardReading = QStringLiteral("card-reading");
const QString CardSafe = QStringLiteral("card-safe");
const QString CardFlash = QStringLiteral("card-flash");

double Linear(int code)
{
    const double v = code / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// Mean relative luminance of a frame, sampled on a grid: flashes are about the whole screen.
double MeanLuminance(const QImage &frame)
{
    const int step = std::max(1, std::min(frame.width(), frame.height()) / 64);
    double sum = 0;
    int count = 0;
    for (int y = 0; y < frame.height(); y += step)
        for (int x = 0; x < frame.width(); x += step) {
            const QRgb p = frame.pixel(x, y);
            sum += 0.2126 * Linear(qRed(p)) + 0.7152 * Linear(qGreen(p)) + 0.0722 * Linear(qBlue(p));
            ++count;
        }
    return count > 0 ? sum / count : 0.0;
}

// The box of every pixel with any coverage.
QRect InkBox(const QImage &frame)
{
    int left = frame.width(), right = -1, top = frame.height(), bottom = -1;
    for (int y = 0; y < frame.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(frame.constScanLine(y));
        for (int x = 0; x < frame.width(); ++x)
            if (qAlpha(line[x]) > 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

int WorstFlashesPerSecond(const std::vector<double> &luminance, int frameRate)
{
    // Turning points of the curve; a change runs from one to the next.
    std::vector<std::size_t> turns;
    for (std::size_t i = 0; i < luminance.size(); ++i) {
        if (turns.empty()) {
            turns.push_back(i);
            continue;
        }
        if (luminance[i] == luminance[turns.back()])
            continue;
        if (turns.size() >= 2) {
            const double before = luminance[turns.back()] - luminance[turns[turns.size() - 2]];
            const double now = luminance[i] - luminance[turns.back()];
            if ((before > 0) == (now > 0)) {
                turns.back() = i;  // still going the same way
                continue;
            }
        }
        turns.push_back(i);
    }
    // The frames at which each qualifying change ends, and whether it rose.
    std::vector<std::pair<std::size_t, bool>> changes;
    for (std::size_t t = 1; t < turns.size(); ++t) {
        const double a = luminance[turns[t - 1]];
        const double b = luminance[turns[t]];
        if (std::abs(b - a) >= 0.1 && std::min(a, b) < 0.8)
            changes.emplace_back(turns[t], b > a);
    }
    std::vector<std::size_t> flashes;  // the frame each completed pair ends at
    for (std::size_t c = 1; c < changes.size(); ++c)
        if (changes[c].second != changes[c - 1].second) {
            flashes.push_back(changes[c].first);
            ++c;  // a change belongs to one flash
        }
    int worst = 0;
    for (std::size_t first = 0, last = 0; last < flashes.size(); ++last) {
        while (flashes[last] - flashes[first] >= std::size_t(std::max(1, frameRate)))
            ++first;
        worst = std::max(worst, int(last - first + 1));
    }
    return worst;
}

std::vector<TProblem> CheckCards(const TElementTree &tree, const TTimeline &timeline, const TPreflightOptions &options)
{
    std::vector<TProblem> problems;
    if (!timeline.Timed())
        return problems;
    const int rate = timeline.FrameRate();
    const TFilm &film = timeline.Film();
    const auto add = [&](const QString &id, const QString &message, const TTimelineSegment &card, qint64 frame) {
        TProblem problem{id, TSeverity::Error, message, card.Node};
        problem.Frame = frame;
        problem.Timecode = FormatTimecode(frame, rate);
        if (card.Row > 0)
            problem.Row = card.Row;
        problems.push_back(std::move(problem));
    };

    TFrameRenderer ink;  // coverage alone, to find where a card's ink lies
    ink.SetDrawBackground(false);
    TFrameRenderer seen;  // as delivered, for luminance
    std::vector<double> held(timeline.Segments().size(), 0.0);
    const QRect safe(TitleSafeMargin(film.Width), TitleSafeMargin(film.Height), film.Width - 2 * TitleSafeMargin(film.Width),
                     film.Height - 2 * TitleSafeMargin(film.Height));
    for (std::size_t i = 0; i < timeline.Segments().size(); ++i) {
        const TTimelineSegment &card = timeline.Segments()[i];
        held[i] = MeanLuminance(seen.RenderTimelineFrame(tree, timeline, card.Card ? card.HeldFrame() : card.Start, false));
        if (!card.Card)
            continue;
        if (card.Hold < card.ReadingHold)
            add(CardReading,
                QStringLiteral("%1 is held %2 s for %3 characters; reading them at %4 a second takes %5 s")
                    .arg(card.Name)
                    .arg(double(card.Hold) / rate, 0, 'f', 2)
                    .arg(card.Characters)
                    .arg(card.Timing.CharactersPerSecond)
                    .arg(double(card.ReadingHold) / rate, 0, 'f', 2),
                card, card.HeldFrame());
        const QRect box = InkBox(ink.RenderTimelineFrame(tree, timeline, card.HeldFrame(), false));
        if (!box.isNull() && !safe.contains(box)) {
            QStringList sides;
            if (box.left() < safe.left() || box.right() > safe.right())
                sides << QStringLiteral("across");
            if (box.top() < safe.top() || box.bottom() > safe.bottom())
                sides << QStringLiteral("down");
            add(CardSafe,
                QStringLiteral("%1 reaches outside title-safe (%2 %) %3: its ink runs from %4,%5 to %6,%7, title-safe from %8,%9 to %10,%11")
                    .arg(card.Name)
                    .arg(options.TitleSafePercent)
                    .arg(sides.join(QStringLiteral(" and ")))
                    .arg(box.left()).arg(box.top()).arg(box.right()).arg(box.bottom())
                    .arg(safe.left()).arg(safe.top()).arg(safe.right()).arg(safe.bottom()),
                card, card.HeldFrame());
        }
    }
    // A fade scales code values, so linear light goes with the level to the power of the gamma;
    // crawls are taken at their background's level.
    std::vector<double> curve(std::size_t(std::max<qint64>(0, timeline.FrameCount())), 0.0);
    for (std::size_t f = 0; f < curve.size(); ++f) {
        const TFrameParts parts = timeline.PartsAt(qint64(f));
        const auto level = [&](int index, qint64 local) {
            const TTimelineSegment &segment = timeline.Segments()[std::size_t(index)];
            return segment.Card ? held[std::size_t(index)] * std::pow(TTimeline::CardLevel(segment, local), 2.2)
                                : held[std::size_t(index)];
        };
        curve[f] = level(parts.Segment, parts.Local);
        if (parts.Under >= 0)
            curve[f] = curve[f] * parts.Mix + level(parts.Under, parts.UnderLocal) * (1 - parts.Mix);
    }
    if (const int flashes = WorstFlashesPerSecond(curve, rate); flashes > 3) {
        const auto worst = std::find_if(timeline.Segments().begin(), timeline.Segments().end(),
                                        [](const TTimelineSegment &s) { return s.Card; });
        add(CardFlash,
            QStringLiteral("the cards' fades flash %1 times in one second; more than 3 full-screen flashes a second can trigger "
                           "seizures: lengthen the fades or the holds")
                .arg(flashes),
            *worst, worst->Start);
    }
    return problems;
}

} // namespace velmora
