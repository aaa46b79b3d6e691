#include "core/signoff/DeliveredQc.h"

#include "core/document/ElementTree.h"
#include "core/elements/Interfaces.h"
#include "core/error.h"
#include "core/render/FrameRate.h"
#include "core/render/Timecode.h"
#include "core/signoff/DeliveredText.h"
#include "core/signoff/Preflight.h"
#include "core/signoff/RollMap.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// Luma steps smaller than this are noise from the codec, not the roll's text.
constexpr int PlainRange = 24;

bool HasText(const TLumaFrame &frame)
{
    int lowest = 255;
    int highest = 0;
    for (int y = 0; y < frame.Height; y += 2)
        for (int x = 0; x < frame.Width; x += 3) {
            const int sample = frame.Row(y)[x];
            lowest = std::min(lowest, sample);
            highest = std::max(highest, sample);
        }
    return highest - lowest >= PlainRange;
}

double MoveCost(const TLumaFrame &previous, const TLumaFrame &current, int move)
{
    qint64 total = 0;
    qint64 count = 0;
    for (int y = 0; y + move < current.Height; ++y) {
        const std::uint8_t *was = previous.Row(y + move);
        const std::uint8_t *now = current.Row(y);
        for (int x = 0; x < current.Width; x += 2)
            total += std::abs(int(was[x]) - int(now[x]));
        count += (current.Width + 1) / 2;
    }
    return count > 0 ? double(total) / double(count) : 0.0;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

class TQcChecker
{
public:
    TQcChecker(const QString &fileName, const TElementTree &tree) : m_fileName(fileName), m_map(MapRoll(tree))
    {
        const TElementNode *projectNode = tree.ProjectNode();
        const auto *project = projectNode ? queryInterface<IProject>(projectNode->Element()) : nullptr;
        if (project == nullptr)
            throw EVelmoraError(QStringLiteral("there is no project to check %1 against").arg(fileName));
        m_start = project->GetStartTimecode();
    }

    void CheckStructure(TQcReport &report)
    {
        const TDeliveredStream &stream = report.Stream;
        if (stream.Width != m_map.FilmWidth || stream.Height != m_map.FilmHeight)
            Add(report, QStringLiteral("size"), true,
                QStringLiteral("the picture is %1 x %2; the project is %3 x %4")
                    .arg(stream.Width).arg(stream.Height).arg(m_map.FilmWidth).arg(m_map.FilmHeight));
        if (std::abs(stream.Rate() - m_map.FrameRate) > 1e-3)
            Add(report, QStringLiteral("rate"), true,
                QStringLiteral("the rate is %1 frames a second; the project's is %2")
                    .arg(stream.RateNum > 0 ? QString::number(stream.Rate(), 'g', 6) : QStringLiteral("unknown"))
                    .arg(m_map.FrameRate));
        const QString start = m_start.isEmpty() ? QStringLiteral("00:00:00:00") : m_start;
        if (!stream.Timecode.isEmpty() && stream.Timecode != start)
            Add(report, QStringLiteral("timecode"), true,
                QStringLiteral("the first frame's timecode is %1; the roll starts at %2").arg(stream.Timecode, start));
        else if (stream.Timecode.isEmpty() && !m_start.isEmpty())
            Add(report, QStringLiteral("timecode"), false,
                QStringLiteral("the file carries no timecode; the roll starts at %1").arg(m_start));
        // Velmora tags YUV pictures BT.709, limited range; RGB pictures need no matrix.
        QStringList wrong;
        const auto expect = [&wrong](const QString &what, const QString &value, const QString &wanted) {
            if (value != wanted)
                wrong.append(QStringLiteral("%1 %2 (not %3)").arg(what, value, wanted));
        };
        if (!stream.Rgb) {
            expect(QStringLiteral("primaries"), stream.Primaries, QStringLiteral("bt709"));
            expect(QStringLiteral("transfer"), stream.Transfer, QStringLiteral("bt709"));
            expect(QStringLiteral("matrix"), stream.Matrix, QStringLiteral("bt709"));
            expect(QStringLiteral("range"), stream.Range, QStringLiteral("tv"));
        } else {
            for (const auto &[what, value] : {std::pair(QStringLiteral("primaries"), stream.Primaries),
                                              std::pair(QStringLiteral("transfer"), stream.Transfer)})
                if (value != QLatin1String("unknown") && value != QLatin1String("bt709") && value != QLatin1String("iec61966-2-1"))
                    wrong.append(QStringLiteral("%1 %2 (not bt709)").arg(what, value));
        }
        if (!wrong.isEmpty())
            Add(report, QStringLiteral("colour"), true, QStringLiteral("colour tags: %1").arg(wrong.join(QStringLiteral(", "))));
        if (stream.FieldOrder != QLatin1String("progressive") && stream.FieldOrder != QLatin1String("unknown"))
            Add(report, QStringLiteral("field-order"), true,
                QStringLiteral("the picture is interlaced (field order %1); the roll is progressive").arg(stream.FieldOrder));
        if (stream.AspectNum > 0 && stream.AspectNum != stream.AspectDen)
            Add(report, QStringLiteral("pixel-aspect"), true,
                QStringLiteral("pixels are %1:%2; the roll's are square").arg(stream.AspectNum).arg(stream.AspectDen));
    }

    void CheckFrameCount(TQcReport &report)
    {
        if (report.Frames != report.ExpectedFrames)
            Add(report, QStringLiteral("frame-count"), true,
                QStringLiteral("the file holds %1 frames; the roll has %2 (%3%4)")
                    .arg(report.Frames).arg(report.ExpectedFrames)
                    .arg(report.Frames > report.ExpectedFrames ? QStringLiteral("+") : QString())
                    .arg(report.Frames - report.ExpectedFrames));
    }

    // Each measured move against the roll's speed: repeats, drops, uneven steps and a speed
    // that is no whole number of lines (what resizing in post does to a crawl).
    void CheckMotion(TQcReport &report, const std::vector<std::pair<qint64, double>> &moves)
    {
        TQcMotion &motion = report.Motion;
        motion.Measurements = qint64(moves.size());
        std::vector<double> values;
        for (const auto &[frame, move] : moves)
            values.push_back(move);
        motion.Measured = Median(values);
        if (moves.empty())
            return;
        const double speed = motion.Measured;
        if (std::abs(speed - motion.Expected) > 0.25)
            Add(report, QStringLiteral("speed"), true,
                QStringLiteral("the roll moves %1 lines a frame; at %2 lines it should move %3")
                    .arg(QString::number(speed, 'f', 2)).arg(report.Stream.Height).arg(QString::number(motion.Expected, 'f', 2)));
        if (std::abs(speed - std::round(speed)) > 0.1)
            Add(report, QStringLiteral("judder"), true,
                QStringLiteral("the roll moves %1 lines a frame, not a whole number: each frame's text is resampled "
                               "at another phase and the crawl judders (resized or retimed after rendering?)")
                    .arg(QString::number(speed, 'f', 2)));
        TQcFinding uneven{QStringLiteral("uneven-motion"), true, {}, -1, {}, {}, {}};
        for (const auto &[frame, move] : moves) {
            if (speed >= 1.0 && std::abs(move) < 0.5)
                Add(report, QStringLiteral("repeated-frame"), true,
                    QStringLiteral("frame %1 repeats the frame before it").arg(frame), frame);
            else if (speed >= 1.0 && move > 1.5 * speed && std::abs(move - std::round(move / speed) * speed) <= std::max(1.0, 0.25 * speed))
                Add(report, QStringLiteral("dropped-frame"), true,
                    QStringLiteral("%1 missing before frame %2: the roll jumps %3 lines, %4 times its speed")
                        .arg(std::lround(move / speed) - 1 == 1 ? QStringLiteral("a frame is")
                                                               : QStringLiteral("%1 frames are").arg(std::lround(move / speed) - 1))
                        .arg(frame).arg(QString::number(move, 'f', 1)).arg(std::lround(move / speed)),
                    frame);
            else if (std::abs(move - speed) > 0.5)
                uneven.Frames.push_back(frame);
        }
        if (!uneven.Frames.empty()) {
            QStringList first;
            for (std::size_t i = 0; i < std::min<std::size_t>(5, uneven.Frames.size()); ++i)
                first.append(QString::number(uneven.Frames[i]));
            uneven.Message = QStringLiteral("%1 frames move by other than %2 lines (frames %3%4)")
                                 .arg(uneven.Frames.size()).arg(QString::number(speed, 'f', 2))
                                 .arg(first.join(QStringLiteral(", ")), uneven.Frames.size() > 5 ? QStringLiteral(", ...") : QString());
            uneven.Frame = uneven.Frames.front();
            uneven.Timecode = TimecodeOf(uneven.Frame, report);
            report.Findings.push_back(std::move(uneven));
        }
    }

    const TRollMap &Map() const { return m_map; }

    QString TimecodeOf(qint64 frame, const TQcReport &report) const
    {
        const QString start = report.Stream.Timecode.isEmpty() ? m_start : report.Stream.Timecode;
        try {
            if (!start.isEmpty())
                return TimecodeAfterStart(start, frame, TFrameRate{m_map.FrameRate, 1});
        } catch (const EVelmoraError &) {
            // A label the file made up: count from zero instead.
        }
        return FormatTimecode(frame, m_map.FrameRate);
    }

private:

    void Add(TQcReport &report, const QString &id, bool error, const QString &message, qint64 frame = -1) const
    {
        report.Findings.push_back({id, error, message, frame, frame >= 0 ? TimecodeOf(frame, report) : QString(), {}, {}});
    }

    QString m_fileName;
    TRollMap m_map;
    QString m_start;
};

// Letters too small once the picture is squeezed back, one finding a style, as preflight tells them.
void CheckSqueezedLetters(const TElementTree &tree, const TQcOptions &options, TQcReport &report)
{
    TPreflightOptions preflight;
    preflight.Squeeze = *options.Squeeze;
    preflight.MinimumCapLinesAt1080 = options.MinimumCapLinesAt1080;
    for (const QString &id : PreflightCheckIds())
        if (id != QLatin1String("small-text"))
            preflight.Ignore.append(id);
    for (const TProblem &problem : RunPreflight(tree, preflight)) {
        const TQcFinding finding{QStringLiteral("squeeze"), true, problem.Message, problem.Frame, problem.Timecode,
                           problem.Place.isEmpty() ? problem.Path : problem.Place, {}};
        report.Findings.push_back(finding);
    }
}

} // namespace

bool TQcReport::HasErrors() const
{
    return std::any_of(Findings.begin(), Findings.end(), [](const TQcFinding &finding) { return finding.Error; });
}

std::optional<double> MeasureVerticalMove(const TLumaFrame &previous, const TLumaFrame &current, int largest)
{
    if (previous.Width != current.Width || previous.Height != current.Height || current.Height < 4 || !HasText(previous)
        || !HasText(current))
        return std::nullopt;
    largest = std::clamp(largest, 1, current.Height / 2);
    std::vector<double> costs;
    for (int move = 0; move <= largest; ++move)
        costs.push_back(MoveCost(previous, current, move));
    const int best = int(std::min_element(costs.begin(), costs.end()) - costs.begin());
    double offset = 0.0;
    if (best > 0 && best < largest) {
        const double before = costs[std::size_t(best) - 1];
        const double at = costs[std::size_t(best)];
        const double after = costs[std::size_t(best) + 1];
        const double curve = before - 2.0 * at + after;
        if (curve > 1e-9)
            offset = std::clamp(0.5 * (before - after) / curve, -0.5, 0.5);
    }
    return best + offset;
}

TQcReport CheckDelivered(const QString &fileName, const TElementTree &tree, const TQcOptions &options,
                         const std::function<void(qint64, qint64)> &progress)
{
    TQcChecker checker(fileName, tree);
    TCreditTextCheck text(tree, checker.Map(), options);
    TQcReport report;
    report.Stream = ProbeDelivered(fileName);
    report.ExpectedFrames = checker.Map().FrameCount();
    report.Motion.Expected = double(checker.Map().ScrollRate) * report.Stream.Height / std::max(1, checker.Map().FilmHeight);
    checker.CheckStructure(report);

    // A dropped frame shows as a move of twice the speed or more: search well past it.
    const int largest = int(std::ceil(3.0 * report.Motion.Expected)) + 4;
    std::vector<std::pair<qint64, double>> moves;
    TLumaFrame previous;
    qint64 index = 0;
    report.Frames = DecodeLuma(fileName, [&](const TLumaFrame &frame) {
        if (index > 0)
            if (const auto move = MeasureVerticalMove(previous, frame, largest))
                moves.emplace_back(index, *move);
        text.Visit(index, frame, report, [&](qint64 at) { return checker.TimecodeOf(at, report); });
        previous = frame;
        ++index;
        if (progress)
            progress(index, report.ExpectedFrames);
        return true;
    });
    report.Unread = text.Unread();
    report.MissingOcrData = text.MissingData();
    checker.CheckFrameCount(report);
    checker.CheckMotion(report, moves);
    if (options.Squeeze)
        CheckSqueezedLetters(tree, options, report);
    // Errors first, each kind in frame order.
    std::stable_sort(report.Findings.begin(), report.Findings.end(),
                     [](const TQcFinding &a, const TQcFinding &b) { return a.Error && !b.Error; });
    return report;
}

} // namespace velmora
