// velmora-cli still and strip: single frames and the whole roll as images.
#include "cli/CliSupport.h"

#include "core/document/Document.h"
#include "core/elements/Interfaces.h"
#include "core/export/formats/OutputTarget.h"
#include "core/render/FrameRenderer.h"
#include "core/render/LayoutPass.h"
#include "core/render/Timeline.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <limits>

namespace velmora::cli {

namespace {

QCommandLineOption OutputOption(const QString &valueName)
{
    return QCommandLineOption({QStringLiteral("o"), QStringLiteral("output")},
                              QStringLiteral("The image file to write, in the format its extension names (PNG without one)."),
                              valueName);
}

// The image format an output name asks for; refused, with the extensions that work, when
// Qt cannot write it here.
QByteArray ImageFormatFor(const QString &fileName)
{
    const QByteArray suffix = QFileInfo(fileName).suffix().toLower().toLatin1();
    if (suffix.isEmpty())
        return QByteArrayLiteral("png");
    const QList<QByteArray> writable = QImageWriter::supportedImageFormats();
    if (writable.contains(suffix))
        return suffix;
    QStringList names;
    for (const QByteArray &name : writable)
        names << QString::fromLatin1(name);
    throw EUsageError(QStringLiteral("cannot write \"%1\": images can be written as %2")
                          .arg(fileName, names.join(QStringLiteral(", "))));
}

// Writes the image beside the target and puts it in place once it is whole, in the format
// the target's extension names.
void SaveImage(const QImage &image, TOutputTarget &target)
{
    const QByteArray format = ImageFormatFor(target.FileName());
    QFile file(target.WritePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EVelmoraError(QString::fromLatin1(DocumentMessages::CannotCreate).arg(target.FileName(), file.errorString()));
    QImageWriter writer(&file, format);
    // Formats without alpha (JPEG, BMP) get the frame as it looks over black, not a guess.
    const bool keepsAlpha = format == "png" || format == "tif" || format == "tiff" || format == "webp";
    const bool written = writer.write(keepsAlpha ? image : image.convertToFormat(QImage::Format_RGB32));
    file.close();
    // The file's own error names the system's reason; the image writer only knows it failed.
    if (file.error() != QFileDevice::NoError)
        throw EVelmoraError(QString::fromLatin1(DocumentMessages::CannotCreate).arg(target.FileName(), file.errorString()));
    if (!written)
        throw EVelmoraError(QString::fromLatin1(DocumentMessages::CannotCreate).arg(target.FileName(), writer.errorString()));
    target.Commit();
}

// The sequence as one tall image: each card as a framed page at its held frame, each crawl's
// elements stacked as the plain roll's are, in the order they run.
QImage TimelineStrip(const TElementTree &tree, const TTimeline &timeline, quint32 backColor)
{
    const TFilm &film = timeline.Film();
    // Pages are set apart from the crawl by a rule this far from their edge.
    const int margin = std::max(4, film.Height / 40);
    qint64 height = 0;
    for (const TTimelineSegment &segment : timeline.Segments())
        height += segment.Card ? qint64(film.Height) + 2 * margin : segment.Height;
    const QString tooLarge = ImageSizeProblem(film.Width, std::max<qint64>(1, height), QStringLiteral("A roll"));
    if (!tooLarge.isEmpty())
        throw EVelmoraError(tooLarge);
    QImage strip(film.Width, int(std::max<qint64>(1, height)), QImage::Format_ARGB32_Premultiplied);
    if (strip.isNull())
        throw EVelmoraError(QStringLiteral("A roll of %1 x %2 pixels is too large for one image").arg(film.Width).arg(height));
    strip.fill(QColor::fromRgba(backColor));
    TFrameRenderer renderer;
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    TLayoutPass pass(film);
    qint32 top = 0;
    for (const TTimelineSegment &segment : timeline.Segments()) {
        if (!segment.Card) {
            DrawTimelineItems(painter, pass, segment.Items, top, false);
            top += segment.Height;
            continue;
        }
        const QImage &page = renderer.RenderTimelineFrame(tree, timeline, segment.HeldFrame(), false);
        // The page's frame is drawn inside its edge, scaled down so the rule has room.
        const QRect area(margin, top + margin, film.Width - 2 * margin, film.Height);
        const QRectF scaled(area.x(), area.y(), area.width(), double(film.Height) * area.width() / film.Width);
        painter.drawImage(scaled, page);
        painter.setPen(QPen(QColor(128, 128, 128), std::max(1, margin / 4)));
        painter.drawRect(scaled.adjusted(-margin / 2.0, -margin / 2.0, margin / 2.0, margin / 2.0));
        top += film.Height + 2 * margin;
    }
    return strip;
}

} // namespace

int RunStill(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes the frame at a roll position, or frame N of the run, as an image."));
    const QCommandLineOption output = OutputOption(QStringLiteral("FRAME.png"));
    const QCommandLineOption position({QStringLiteral("p"), QStringLiteral("position")},
                                      QStringLiteral("Pixels the roll has moved up (0 to film height + roll height)."),
                                      QStringLiteral("P"));
    const QCommandLineOption frameNumber(QStringLiteral("frame"),
                                         QStringLiteral("The frame of the run, from 0; cards and crawls count alike."),
                                         QStringLiteral("N"));
    const QCommandLineOption placeholders(QStringLiteral("placeholders"), QStringLiteral("Outline every element."));
    const QCommandLineOption stored = StoredCreditsOption();
    parser.addOptions({output, position, frameNumber, placeholders, stored});
    QStringList files;
    if (!ParseArguments(parser, arguments, QStringLiteral("PROJECT.vmz"), files))
        return 0;
    const QString target = RequiredValue(parser, QStringLiteral("output"));
    ImageFormatFor(target);  // refused before the project is even read
    if (parser.isSet(position) == parser.isSet(frameNumber))
        throw EUsageError(QStringLiteral("give the frame by --position or by --frame, one of them"));
    const bool byFrame = parser.isSet(frameNumber);
    const int at = byFrame ? ParseInt(QStringLiteral("frame"), parser.value(frameNumber), 0, std::numeric_limits<int>::max())
                           : ParseInt(QStringLiteral("position"), parser.value(position), 0, std::numeric_limits<int>::max());

    TOutputTarget::RefuseInput(target, files.first());
    TDocument document;
    OpenProjectFile(document, files.first(), parser.isSet(stored));
    RefuseUnreadableCredits(document);
    RefuseOutputOnInputs(target, RollInputs(document, files.first()));
    const auto *project = queryInterface<IProject>(document.ProjectNode()->Element());
    const QString tooLarge = ImageSizeProblem(project->GetWidth(), project->GetHeight(), QStringLiteral("A frame"));
    if (!tooLarge.isEmpty())
        throw EVelmoraError(tooLarge);
    TFrameRenderer renderer;
    const TTimeline timeline = TTimeline::Build(document.Tree());
    if (!byFrame && timeline.Timed())
        throw EUsageError(QStringLiteral("%1 holds cards, whose frames stand still: give --frame (0 to %2) rather than a position")
                              .arg(files.first())
                              .arg(timeline.FrameCount() - 1));
    // Past the range the frame is only background: refused rather than written as if it showed the roll.
    renderer.MeasureRoll(document.Tree());
    RefuseTooTallRoll(document, &renderer);
    if (byFrame && at >= timeline.FrameCount())
        throw EUsageError(QStringLiteral("--frame %1 is past the end of the roll: its frames run from 0 to %2")
                              .arg(at)
                              .arg(timeline.FrameCount() - 1));
    if (!byFrame && at > renderer.PositionRange())
        throw EUsageError(QStringLiteral("--position %1 is past the end of the roll: its positions run from 0 to %2")
                              .arg(at)
                              .arg(renderer.PositionRange()));
    TOutputTarget outputFile(target);
    const QImage &frame = byFrame ? renderer.RenderTimelineFrame(document.Tree(), timeline, at, parser.isSet(placeholders))
                                  : renderer.RenderFrame(document.Tree(), at, parser.isSet(placeholders));
    if (frame.isNull())
        throw EVelmoraError(QStringLiteral("The frame of %1 cannot be drawn: not enough memory").arg(files.first()));
    SaveImage(frame, outputFile);
    return 0;
}

int RunStrip(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes the whole roll as one tall image on the project's background colour."));
    const QCommandLineOption output = OutputOption(QStringLiteral("ROLL.png"));
    const QCommandLineOption stored = StoredCreditsOption();
    parser.addOptions({output, stored});
    QStringList files;
    if (!ParseArguments(parser, arguments, QStringLiteral("PROJECT.vmz"), files))
        return 0;
    const QString target = RequiredValue(parser, QStringLiteral("output"));
    ImageFormatFor(target);

    TOutputTarget::RefuseInput(target, files.first());
    TDocument document;
    OpenProjectFile(document, files.first(), parser.isSet(stored));
    RefuseUnreadableCredits(document);
    RefuseOutputOnInputs(target, RollInputs(document, files.first()));
    TOutputTarget outputFile(target);
    const TElementNode &projectNode = *document.ProjectNode();
    const auto *project = queryInterface<IProject>(projectNode.Element());

    const TTimeline timeline = TTimeline::Build(document.Tree());
    if (timeline.Timed()) {
        SaveImage(TimelineStrip(document.Tree(), timeline, project->GetBackColor()), outputFile);
        return 0;
    }
    TFrameRenderer renderer;
    renderer.MeasureRoll(document.Tree());
    RefuseTooTallRoll(document, &renderer);
    const int width = std::max(1, project->GetWidth());
    const int height = std::max(1, renderer.RollHeight());
    const QString tooLarge = ImageSizeProblem(width, height, QStringLiteral("A roll"));
    if (!tooLarge.isEmpty())
        throw EVelmoraError(tooLarge);
    QImage strip(width, height, QImage::Format_ARGB32_Premultiplied);
    if (strip.isNull())
        throw EVelmoraError(QStringLiteral("A roll of %1 x %2 pixels is too large for one image").arg(width).arg(height));
    strip.fill(QColor::fromRgba(project->GetBackColor()));
    {
        // The elements stack from the top as in a frame; the background picture belongs to
        // the frame, not the roll, so only the colour lies under them.
        QPainter painter(&strip);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        TLayoutPass pass(FilmOf(projectNode));
        const TLayoutRect band{0, 0, width, std::max(1, project->GetHeight())};
        qint32 top = 0;
        for (const auto &child : projectNode.Children())
            top = pass.RenderNode(*child, painter, band, top);
    }
    SaveImage(strip, outputFile);
    return 0;
}

} // namespace velmora::cli
