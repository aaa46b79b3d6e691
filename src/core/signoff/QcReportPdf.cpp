#include "core/signoff/QcReportPdf.h"

#include "core/error.h"
#include "core/signoff/DeliveredVideo.h"
#include "core/signoff/SearchableText.h"

#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>
#include <algorithm>
#include <map>
#include <set>

namespace velmora {

namespace {

constexpr double Margin = 42.0;   // points
constexpr double LinePoints = 9.0;
constexpr int Columns = 3;        // frames a row on the contact sheet

// The frames findings stand at, first ones first, at most MaxContactFrames.
std::map<qint64, QStringList> ContactFrames(const TQcReport &report, int &leftOut)
{
    std::map<qint64, QStringList> frames;
    leftOut = 0;
    // Small letters are found where they enter the screen; they are shown half a screen later.
    const qint64 toMiddle = report.Motion.Expected > 0 ? qint64(report.Stream.Height / 2.0 / report.Motion.Expected) : 0;
    for (const TQcFinding &finding : report.Findings) {
        if (finding.Frame < 0)
            continue;
        const qint64 frame = finding.Id == QLatin1String("squeeze")
                                 ? std::min(finding.Frame + toMiddle, std::max<qint64>(0, report.Frames - 1))
                                 : finding.Frame;
        auto found = frames.find(frame);
        if (found == frames.end()) {
            if (int(frames.size()) >= MaxContactFrames) {
                ++leftOut;
                continue;
            }
            found = frames.emplace(frame, QStringList()).first;
        }
        if (!found->second.contains(finding.Id))
            found->second.append(finding.Id);
    }
    return frames;
}

// The frames wanted, decoded once through the file, as grey pictures.
std::map<qint64, QImage> GrabFrames(const QString &fileName, const std::map<qint64, QStringList> &wanted)
{
    std::map<qint64, QImage> grabbed;
    if (wanted.empty())
        return grabbed;
    const qint64 last = wanted.rbegin()->first;
    qint64 index = 0;
    DecodeLuma(fileName, [&](const TLumaFrame &frame) {
        if (wanted.count(index) != 0) {
            QImage image(frame.Width, frame.Height, QImage::Format_Grayscale8);
            for (int y = 0; y < frame.Height; ++y)
                std::copy_n(frame.Row(y), frame.Width, image.scanLine(y));
            grabbed.emplace(index, std::move(image));
        }
        return ++index <= last;
    });
    return grabbed;
}

// Draws text wrapped to width from top; returns where the next line starts.
double DrawWrapped(QPainter &painter, const QString &text, double left, double top, double width)
{
    QTextLayout layout(text, painter.font(), painter.device());
    layout.beginLayout();
    double y = top;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y - top));
        y += line.height();
    }
    layout.endLayout();
    // Names in every script stay searchable in the report, as in the proof.
    DrawSearchable(painter, layout, QPointF(left, top), painter.pen().color());
    return y;
}

class TReportPages
{
public:
    TReportPages(QPdfWriter &writer, QPainter &painter) : m_writer(writer), m_painter(painter)
    {
        m_page = writer.pageLayout().fullRectPoints().size();
        m_y = Margin;
    }

    double Width() const { return m_page.width() - 2 * Margin; }
    double Bottom() const { return m_page.height() - Margin; }

    // Room for height points below, on this page or a new one.
    double Reserve(double height)
    {
        if (m_y + height > Bottom() && m_y > Margin) {
            m_writer.newPage();
            m_y = Margin;
        }
        return m_y;
    }
    void Line(const QString &text, double points = LinePoints, bool bold = false)
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(points);
        font.setBold(bold);
        m_painter.setFont(font);
        const QFontMetricsF metrics(font, m_painter.device());
        // A finding is kept whole on one page.
        const QRectF needed = metrics.boundingRect(QRectF(0, 0, Width(), 1e6), Qt::TextWordWrap, text);
        m_y = DrawWrapped(m_painter, text, Margin, Reserve(needed.height() + 2), Width()) + points * 0.35;
    }
    void Skip(double points) { m_y += points; }
    double Y() const { return m_y; }
    void SetY(double y) { m_y = y; }

private:
    QPdfWriter &m_writer;
    QPainter &m_painter;
    QSizeF m_page;
    double m_y;
};

QString FindingLine(const TQcFinding &finding)
{
    QString where = finding.Place;
    if (finding.Frame >= 0)
        where += (where.isEmpty() ? QString() : QStringLiteral(", ")) + QStringLiteral("frame %1 (%2)").arg(finding.Frame).arg(finding.Timecode);
    return QStringLiteral("%1 [%2]%3: %4")
        .arg(finding.Error ? QStringLiteral("error") : QStringLiteral("warning"), finding.Id,
             where.isEmpty() ? QString() : QStringLiteral(" ") + where, finding.Message);
}

} // namespace

void WriteQcReportPdf(const QString &fileName, const TQcReportHead &head, const TQcReport &report)
{
    int leftOut = 0;
    const std::map<qint64, QStringList> wanted = ContactFrames(report, leftOut);
    const std::map<qint64, QImage> frames = GrabFrames(head.Delivered, wanted);

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EVelmoraError(QStringLiteral("cannot create %1: %2").arg(fileName, file.errorString()));
    QPdfWriter writer(&file);
    writer.setResolution(72);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    writer.setTitle(QStringLiteral("QC of %1").arg(QFileInfo(head.Delivered).fileName()));
    writer.setCreator(QStringLiteral("Velmora"));
    QPainter painter;
    if (!painter.begin(&writer))
        throw EVelmoraError(QStringLiteral("cannot create %1: the PDF cannot be drawn").arg(fileName));
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    TReportPages pages(writer, painter);

    const TDeliveredStream &stream = report.Stream;
    pages.Line(QStringLiteral("QC report: %1").arg(QFileInfo(head.Delivered).fileName()), 16, true);
    pages.Line(QStringLiteral("Checked against %1 on %2").arg(QFileInfo(head.Against).fileName(), head.Date));
    pages.Line(QStringLiteral("%1, %2 x %3, %4/%5 frames per second, %6 frames (the roll has %7), timecode %8")
                   .arg(stream.Codec)
                   .arg(stream.Width)
                   .arg(stream.Height)
                   .arg(stream.RateNum)
                   .arg(stream.RateDen)
                   .arg(report.Frames)
                   .arg(report.ExpectedFrames)
                   .arg(stream.Timecode.isEmpty() ? QStringLiteral("none") : stream.Timecode));
    pages.Line(QStringLiteral("Crawl: %1 lines a frame measured, %2 expected; %3 credits read back%4")
                   .arg(QString::number(report.Motion.Measured, 'f', 2), QString::number(report.Motion.Expected, 'f', 2))
                   .arg(report.Readings.size())
                   .arg(report.Unread > 0 ? QStringLiteral(", %1 left unread (no OCR data)").arg(report.Unread) : QString()));
    pages.Skip(6);
    const qsizetype errors = std::count_if(report.Findings.begin(), report.Findings.end(), [](const TQcFinding &f) { return f.Error; });
    pages.Line(report.Findings.empty()
                   ? QStringLiteral("No findings: the file holds the roll.")
                   : QStringLiteral("%1 findings (%2 errors, %3 warnings)").arg(report.Findings.size()).arg(errors).arg(qsizetype(report.Findings.size()) - errors),
               12, true);
    for (const TQcFinding &finding : report.Findings)
        pages.Line(FindingLine(finding));

    if (!frames.empty()) {
        pages.Skip(10);
        pages.Line(leftOut > 0 ? QStringLiteral("Frames (the first %1; %2 more findings not shown)").arg(frames.size()).arg(leftOut)
                               : QStringLiteral("Frames"),
                   12, true);
        const double gap = 8.0;
        const double cellWidth = (pages.Width() - gap * (Columns - 1)) / Columns;
        int column = 0;
        double rowTop = pages.Y();
        double rowHeight = 0.0;
        QFont label(QStringLiteral("DejaVu Sans"));
        label.setPointSizeF(7.0);
        for (const auto &[index, image] : frames) {
            const double pictureHeight = cellWidth * image.height() / std::max(1, image.width());
            const double cellHeight = pictureHeight + 2 * 9.0;
            if (column == 0) {
                pages.SetY(rowTop + rowHeight);
                rowTop = pages.Reserve(cellHeight + gap);
                rowHeight = 0.0;
            }
            const double left = Margin + column * (cellWidth + gap);
            const QRectF picture(left, rowTop, cellWidth, pictureHeight);
            painter.drawImage(picture, image);
            painter.setPen(Qt::black);
            painter.drawRect(picture);
            painter.setFont(label);
            painter.drawText(QRectF(left, rowTop + pictureHeight + 1, cellWidth, 18), Qt::AlignLeft | Qt::TextWordWrap,
                             QStringLiteral("frame %1: %2").arg(index).arg(wanted.at(index).join(QStringLiteral(", "))));
            rowHeight = std::max(rowHeight, cellHeight + gap);
            column = (column + 1) % Columns;
        }
    }
    painter.end();
    if (!file.commit())
        throw EVelmoraError(QStringLiteral("cannot write %1: %2").arg(fileName, file.errorString()));
}

} // namespace velmora
