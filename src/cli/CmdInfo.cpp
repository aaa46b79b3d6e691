// velmora-cli info: what a project holds and how long its roll runs.
#include "cli/CliSupport.h"
#include "core/credits/ElementCreditBlock.h"
#include "core/interchange/ProjectJson.h"

#include "core/document/Document.h"
#include "core/elements/FontCoverage.h"
#include "core/elements/Interfaces.h"
#include "core/export/run/GenerationRun.h"
#include "core/render/FontWarnings.h"
#include "core/render/FrameRenderer.h"
#include "core/render/Timeline.h"
#include "core/render/LayoutPass.h"
#include "core/render/RunningTime.h"
#include "core/render/FrameRate.h"
#include "core/render/Timecode.h"

#include <QCommandLineParser>
#include <limits>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

namespace velmora::cli {

namespace {

// A string as JSON writes it. Names and roles are nearly always plain printable text, which
// needs no escaping; the rest goes through the JSON writer.
QString StringText(const QString &text)
{
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7f && c != QLatin1Char('"') && c != QLatin1Char('\\');
    });
    if (plain)
        return QLatin1Char('"') + text + QLatin1Char('"');
    return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
}

QString ValueText(const QJsonValue &value)
{
    if (value.isString())
        return StringText(value.toString());
    if (value.isObject()) {
        const QJsonObject size = value.toObject();
        const QString note = size.value(QStringLiteral("note")).toString();
        return QStringLiteral("%1 x %2%3")
            .arg(size.value(QStringLiteral("width")).toInt())
            .arg(size.value(QStringLiteral("height")).toInt())
            .arg(note.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(note));
    }
    if (value.isNull())
        return QStringLiteral("none");
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return QString::number(value.toDouble(), 'g', 12);
}

// The tree as indented text, one node at a time, so that a long roll is never held whole as
// JSON; printed in pieces as it grows.
void PrintNodeText(const TElementNode &node, int depth, QString &out)
{
    const TNodeFields fields = NodeFields(node, false);
    const auto field = [&fields](QLatin1String name) {
        const auto found = std::find_if(fields.begin(), fields.end(), [name](const auto &f) { return f.first == name; });
        return found == fields.end() ? QJsonValue() : found->second;
    };
    const QString indent(depth * 2, QLatin1Char(' '));
    out += indent + field(QLatin1String("kind")).toString();
    if (field(QLatin1String("expanded")).toBool())
        out += QStringLiteral(" [expanded]");
    if (field(QLatin1String("selected")).toBool())
        out += QStringLiteral(" [selected]");
    out += QLatin1Char('\n');
    for (const auto &[key, value] : fields) {
        if (key == QLatin1String("kind") || key == QLatin1String("expanded") || key == QLatin1String("selected"))
            continue;
        out += indent;
        out += QLatin1String("    ");
        out += key;
        out += QLatin1String(": ");
        out += ValueText(value);
        out += QLatin1Char('\n');
    }
    constexpr qsizetype PrintAbove = 1 << 20;
    if (out.size() > PrintAbove) {
        PrintOut(out);
        out.clear();
    }
    for (const auto &child : node.Children())
        PrintNodeText(*child, depth + 1, out);
}

// Each credit block: its sheet, rows, the time its rows take to pass and what it left out.
void CollectCreditBlocks(const TElementNode &node, int scrollRate, int frameRate, QJsonArray &out)
{
    if (const auto *block = dynamic_cast<const TVmElementCreditBlock *>(node.Element())) {
        const TCreditLayout &layout = block->LayoutFor(FilmOf(node));
        const qint64 frames = (qint64(layout.Height()) + scrollRate - 1) / std::max(1, scrollRate);
        out.append(QJsonObject{
            {QStringLiteral("sheet"), block->Source().SheetPath},
            {QStringLiteral("linked"), block->Linked()},
            {QStringLiteral("rows"), int(block->Rows().Rows.size())},
            {QStringLiteral("height"), layout.Height()},
            {QStringLiteral("running_time"), FormatTimecode(frames, frameRate)},
            {QStringLiteral("ignored_columns"), QJsonArray::fromStringList(block->Rows().IgnoredColumns)},
            {QStringLiteral("problem"), block->Problem()},
        });
    }
    for (std::size_t i = 0; i < node.ChildCount(); ++i)
        CollectCreditBlocks(*node.Child(i), scrollRate, frameRate, out);
}

// Each card and crawl with the frames it runs and, for a card, its hold and ways in and out.
QJsonArray SegmentsToJson(const TTimeline &timeline, int frameRate)
{
    QJsonArray out;
    for (const TTimelineSegment &segment : timeline.Segments()) {
        QJsonObject entry{
            {QStringLiteral("kind"), segment.Card ? QStringLiteral("card") : QStringLiteral("crawl")},
            {QStringLiteral("name"), segment.Name},
            {QStringLiteral("first_frame"), segment.Start},
            {QStringLiteral("last_frame"), segment.End() - 1},
            {QStringLiteral("start"), FormatTimecode(segment.Start, frameRate)},
            {QStringLiteral("frames"), segment.Length},
        };
        if (segment.Card) {
            entry.insert(QStringLiteral("hold"), segment.Hold);
            entry.insert(QStringLiteral("held_from"), segment.HeldFrame());
            entry.insert(QStringLiteral("hold_from_reading"), segment.HoldFromReading);
            entry.insert(QStringLiteral("reading_hold"), segment.ReadingHold);
            entry.insert(QStringLiteral("characters"), segment.Characters);
            entry.insert(QStringLiteral("in"), TransitionText(segment.Timing.In));
            entry.insert(QStringLiteral("out"), TransitionText(segment.Timing.Out));
        } else {
            entry.insert(QStringLiteral("height"), segment.Height);
        }
        out.append(entry);
    }
    return out;
}

QString SegmentLine(const QJsonObject &segment)
{
    const auto number = [&](const char *key) { return qint64(segment.value(QLatin1String(key)).toDouble()); };
    QString line = QStringLiteral("Segment: %1, frames %2 to %3 from %4")
                       .arg(segment.value(QStringLiteral("name")).toString())
                       .arg(number("first_frame"))
                       .arg(number("last_frame"))
                       .arg(segment.value(QStringLiteral("start")).toString());
    if (segment.value(QStringLiteral("kind")).toString() == QLatin1String("card"))
        line += QStringLiteral(", held %1 frames%2, in: %3, out: %4")
                    .arg(number("hold"))
                    .arg(segment.value(QStringLiteral("hold_from_reading")).toBool()
                             ? QStringLiteral(" (reading %1 characters)").arg(number("characters"))
                             : QString())
                    .arg(segment.value(QStringLiteral("in")).toString(), segment.value(QStringLiteral("out")).toString());
    else
        line += QStringLiteral(", %1 pixels").arg(number("height"));
    return line + QLatin1Char('\n');
}

} // namespace

int RunInfo(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows a project's element tree, its roll height and its frame count."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print one JSON object."));
    const QCommandLineOption stored = StoredCreditsOption();
    parser.addOptions({json, stored});
    QStringList files;
    if (!ParseArguments(parser, arguments, QStringLiteral("PROJECT.vmz"), files))
        return 0;

    // Reading a project holds its texts and pictures in memory; beyond this it would take
    // gigabytes to describe. A roll with its pictures is a few MB, 20,000 rows about 11 MB.
    constexpr qint64 MaxProjectMegabytes = 256;
    if (const qint64 size = QFileInfo(files.first()).size(); size > MaxProjectMegabytes << 20)
        throw EVelmoraError(QStringLiteral("%1 is %2 MB, more than info reads (%3 MB); a credit roll with its pictures "
                                           "is far smaller, so the file is damaged or holds pictures far larger than a frame")
                                .arg(files.first())
                                .arg(size >> 20)
                                .arg(MaxProjectMegabytes));
    TDocument document;
    OpenProjectFile(document, files.first(), parser.isSet(stored));
    const auto *project = queryInterface<IProject>(document.ProjectNode()->Element());

    // The roll height comes from the layout pass a render runs, without drawing a frame.
    TFrameRenderer renderer;
    renderer.MeasureRoll(document.Tree());
    const int rollHeight = renderer.RollHeight();
    const int range = renderer.PositionRange();
    const int scrollRate = RateInEffect(project->GetScrollRate(), QStringLiteral("scroll rate"));
    const int rate = RateInEffect(project->GetFrameRate(), QStringLiteral("frame rate"));
    // Cards and crawls run one after another; a roll without cards counts its positions.
    const TTimeline timeline = TTimeline::Build(document.Tree());
    const int frames = timeline.Timed() ? int(std::min<qint64>(timeline.FrameCount(), std::numeric_limits<int>::max()))
                                        : FrameCountFor(range, scrollRate);
    QJsonArray segments;
    if (timeline.Timed())
        segments = SegmentsToJson(timeline, rate);
    // The video's own rate: 29.97 for an NTSC project of 30, its timecode drop-frame.
    const TFrameRate videoRate = ProjectFrameRate(*project);

    QJsonArray blocks;
    CollectCreditBlocks(document.Tree().Root(), scrollRate, rate, blocks);

    QStringList warnings = UnknownFontWarnings(document.Tree().Root());
    // Shown, not refused: info is where a user finds out what makes the roll too tall.
    if (const QString tooTall = renderer.RollTooTallProblem(); !tooTall.isEmpty())
        warnings.append(tooTall);
    QJsonArray missingGlyphs;
    for (const TMissingGlyphs &missing : FindMissingGlyphs(document.Tree().Root())) {
        warnings.append(MissingGlyphsWarning(missing));
        QJsonArray characters;
        for (const char32_t character : missing.Characters)
            characters.append(CodePointList({character}));
        missingGlyphs.append(QJsonObject{
            {QStringLiteral("element"), missing.Element},
            {QStringLiteral("font"), missing.FontName},
            {QStringLiteral("characters"), characters},
        });
    }
    if (const QString speed = ScrollSpeedWarning(project->GetHeight(), rate, scrollRate); !speed.isEmpty())
        warnings.append(speed);
    const QString startTimecode = project->GetStartTimecode();
    if (const QString problem = StartTimecodeProblem(startTimecode, rate); !problem.isEmpty())
        warnings.append(QStringLiteral("the project's start timecode: %1").arg(problem));

    if (parser.isSet(json)) {
        QJsonArray nodes;
        for (const auto &node : document.Tree().Root().Children())
            nodes.append(NodeToJson(*node, true));
        QJsonObject info{
            {QStringLiteral("file"), files.first()},
            {QStringLiteral("roll_height"), rollHeight},
            {QStringLiteral("position_range"), range},
            {QStringLiteral("frame_count"), frames},
            {QStringLiteral("running_time"), ProjectTimecode(frames, videoRate)},
            {QStringLiteral("frame_rate"), videoRate.Text()},
            {QStringLiteral("warnings"), QJsonArray::fromStringList(warnings)},
            {QStringLiteral("missing_glyphs"), missingGlyphs},
            {QStringLiteral("nodes"), nodes},
            {QStringLiteral("credit_blocks"), blocks},
        };
        if (timeline.Timed())
            info.insert(QStringLiteral("segments"), segments);
        PrintOut(QString::fromUtf8(QJsonDocument(info).toJson(QJsonDocument::Indented)));
        return 0;
    }
    QString out = QStringLiteral("File: %1\n").arg(files.first());
    out += QStringLiteral("Film: %1 x %2, %3 frames per second, scrolling %4 pixels per frame\n")
               .arg(project->GetWidth())
               .arg(project->GetHeight())
               .arg(videoRate.Whole() ? RateText(videoRate) : QStringLiteral("%1 (%2)").arg(RateText(videoRate), videoRate.Text()))
               .arg(scrollRate);
    out += QStringLiteral("Roll height: %1 pixels; positions 0 to %2\n").arg(rollHeight).arg(range);
    out += QStringLiteral("Video: %1 frames, %2 seconds\n").arg(frames).arg(QString::number(double(frames) / videoRate.Value(), 'f', 2));
    out += QStringLiteral("Running time: %1\n").arg(ProjectTimecode(frames, videoRate));
    if (!startTimecode.isEmpty())
        out += QStringLiteral("Start timecode: %1\n").arg(startTimecode);
    for (const QJsonValue value : segments)
        out += SegmentLine(value.toObject());
    for (const QString &warning : warnings)
        out += QStringLiteral("Warning: %1\n").arg(warning);
    for (const QJsonValue value : blocks) {
        const QJsonObject block = value.toObject();
        out += QStringLiteral("Credit block: %1, %2 rows, %3 pixels, passing in %4\n")
                   .arg(block.value(QStringLiteral("linked")).toBool() ? block.value(QStringLiteral("sheet")).toString()
                                                                        : QStringLiteral("copied into the project"))
                   .arg(block.value(QStringLiteral("rows")).toInt())
                   .arg(block.value(QStringLiteral("height")).toInt())
                   .arg(block.value(QStringLiteral("running_time")).toString());
        const QJsonArray ignored = block.value(QStringLiteral("ignored_columns")).toArray();
        if (!ignored.isEmpty()) {
            QStringList names;
            for (const QJsonValue name : ignored)
                names.append(QStringLiteral("\"%1\"").arg(name.toString()));
            out += QStringLiteral("  Columns ignored: %1\n").arg(names.join(QStringLiteral(", ")));
        }
        if (const QString problem = block.value(QStringLiteral("problem")).toString(); !problem.isEmpty())
            out += QStringLiteral("  Problem: %1\n").arg(problem);
    }
    out += QStringLiteral("Elements:\n");
    for (const auto &node : document.Tree().Root().Children())
        PrintNodeText(*node, 1, out);
    PrintOut(out);
    return 0;
}

} // namespace velmora::cli
