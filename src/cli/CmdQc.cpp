// velmora-cli qc: checks the file that was delivered against the roll it should hold.
#include "cli/CliSupport.h"
#include "core/render/Timeline.h"
#include "cli/ProgressBar.h"
#include "cli/SheetRoll.h"

#include "core/document/Document.h"
#include "core/export/formats/OutputTarget.h"
#include "core/signoff/DeliveredQc.h"
#include "core/signoff/QcReportPdf.h"

#include <QCommandLineParser>
#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>
#include <unistd.h>

namespace velmora::cli {

namespace {

const char *const QcHelp = R"(Checks a delivered video (any file FFmpeg reads: MOV, MXF, MP4, MKV, an image
sequence by its pattern) against the roll of a project or a credit sheet.

Structure: size, rate, frame count, start timecode, colour tags (BT.709, limited range for
YUV), field order and pixel aspect, each against the project.
Motion: the move of the crawl between consecutive frames, measured on the luma; a speed that
is no whole number of lines (judder, as resizing or retiming in post makes), uneven steps,
dropped and repeated frames, each with its frame and timecode.
Text: each credit read back with OCR (Tesseract) at the frame where it stands in the middle of
the screen; credits missing, wrong or garbled are listed with their sheet row and timecode.
Latin, Devanagari, Arabic, Hebrew, Thai, Cyrillic, Greek, Chinese, Japanese and Korean credits
are read with their script's data; credits that mix scripts, or whose data is not installed,
are counted as unread.

Squeeze (--squeeze 50%): letters measured as they show when the picture is squeezed back to
a share of its height, each style too small there a finding.

Exit code 0: the file matches the roll; 1: something differs (listed); 2: an error.)";

QJsonObject FindingJson(const TQcFinding &finding)
{
    QJsonObject object{{QStringLiteral("id"), finding.Id},
                       {QStringLiteral("severity"), finding.Error ? QStringLiteral("error") : QStringLiteral("warning")},
                       {QStringLiteral("message"), finding.Message}};
    if (!finding.Place.isEmpty())
        object.insert(QStringLiteral("place"), finding.Place);
    if (finding.Frame >= 0) {
        object.insert(QStringLiteral("frame"), finding.Frame);
        object.insert(QStringLiteral("timecode"), finding.Timecode);
    }
    if (!finding.Frames.empty()) {
        QJsonArray frames;
        for (const qint64 frame : finding.Frames)
            frames.append(frame);
        object.insert(QStringLiteral("frames"), frames);
    }
    return object;
}

QJsonObject ReportJson(const QString &file, const TQcReport &report)
{
    const TDeliveredStream &stream = report.Stream;
    QJsonArray findings;
    for (const TQcFinding &finding : report.Findings)
        findings.append(FindingJson(finding));
    QJsonArray readings;
    for (const TQcReading &reading : report.Readings)
        readings.append(QJsonObject{{QStringLiteral("place"), reading.Place},
                                    {QStringLiteral("frame"), reading.Frame},
                                    {QStringLiteral("expected"), reading.Expected},
                                    {QStringLiteral("read"), reading.Read},
                                    {QStringLiteral("distance"), reading.Distance}});
    return {{QStringLiteral("file"), file},
            {QStringLiteral("stream"),
             QJsonObject{{QStringLiteral("format"), stream.Format},
                         {QStringLiteral("codec"), stream.Codec},
                         {QStringLiteral("width"), stream.Width},
                         {QStringLiteral("height"), stream.Height},
                         {QStringLiteral("rate"), QStringLiteral("%1/%2").arg(stream.RateNum).arg(stream.RateDen)},
                         {QStringLiteral("timecode"), stream.Timecode},
                         {QStringLiteral("primaries"), stream.Primaries},
                         {QStringLiteral("transfer"), stream.Transfer},
                         {QStringLiteral("matrix"), stream.Matrix},
                         {QStringLiteral("range"), stream.Range},
                         {QStringLiteral("field_order"), stream.FieldOrder},
                         {QStringLiteral("pixel_aspect"), QStringLiteral("%1:%2").arg(stream.AspectNum).arg(stream.AspectDen)}}},
            {QStringLiteral("frames"), report.Frames},
            {QStringLiteral("expected_frames"), report.ExpectedFrames},
            {QStringLiteral("motion"),
             QJsonObject{{QStringLiteral("expected"), report.Motion.Expected},
                         {QStringLiteral("measured"), report.Motion.Measured},
                         {QStringLiteral("measurements"), report.Motion.Measurements}}},
            {QStringLiteral("readings"), readings},
            {QStringLiteral("unread"), report.Unread},
            {QStringLiteral("missing_ocr_data"), QJsonArray::fromStringList(report.MissingOcrData)},
            {QStringLiteral("findings"), findings}};
}

} // namespace

int RunQc(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(QcHelp));
    const QCommandLineOption against(QStringLiteral("against"), QStringLiteral("The project or credit sheet the file should hold."),
                                     QStringLiteral("PROJECT|SHEET"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the findings as JSON."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("No progress."));
    const QCommandLineOption noText(QStringLiteral("no-text"), QStringLiteral("Leave out reading the credits back (OCR)."));
    const QCommandLineOption squeeze(QStringLiteral("squeeze"),
                                     QStringLiteral("Check that letters stay readable when the picture is squeezed back to P % of "
                                                    "its height (a broadcaster's promo beside the credits), e.g. 50%."),
                                     QStringLiteral("P%"));
    const QCommandLineOption pdf(QStringLiteral("report"),
                                 QStringLiteral("Also write the findings as a PDF, with a contact sheet of the frames they stand at."),
                                 QStringLiteral("REPORT.pdf"));
    const QCommandLineOption styles = TSheetRollOptions().Styles;
    const QCommandLineOption stored = StoredCreditsOption();
    parser.addOptions({against, json, quiet, noText, squeeze, pdf, styles, stored});
    QStringList files;
    if (!ParseArguments(parser, arguments, QStringLiteral("DELIVERED"), files))
        return 0;
    const QString roll = RequiredValue(parser, QStringLiteral("against"));
    TQcOptions options;
    options.ReadText = !parser.isSet(noText);
    if (parser.isSet(squeeze)) {
        QString percent = parser.value(squeeze).trimmed();
        if (percent.endsWith(QLatin1Char('%')))
            percent.chop(1);
        options.Squeeze = ParseInt(QStringLiteral("squeeze"), percent, 1, 100) / 100.0;
    }
    TDocument document;
    TQcReport report;
    // Whatever keeps the check from being made is an error (2), never a finding (1).
    try {
        if (parser.isSet(pdf)) {
            TOutputTarget::RefuseInput(parser.value(pdf), files.first());
            TOutputTarget::RefuseInput(parser.value(pdf), roll);
        }
        OpenRoll(roll, document, parser.value(styles), parser.isSet(stored));
        if (parser.isSet(pdf))
            RefuseOutputOnInputs(parser.value(pdf), RollInputs(document, roll));
        // The check follows a scrolling roll's motion frame by frame; held cards would read as
        // a roll that stopped, so a roll with cards is refused rather than misjudged.
        if (TTimeline::HasCards(document.Tree()))
            throw EVelmoraError(QStringLiteral("%1 holds cards: qc checks the motion of a roll that only scrolls, and cannot "
                                               "check a sequence of cards and crawls yet").arg(roll));
        std::optional<TProgressBar> counted;
        report = CheckDelivered(files.first(), document.Tree(), options, [&](qint64 done, qint64 total) {
            if (!counted)
                counted.emplace(int(std::max<qint64>(total, 1)), !parser.isSet(quiet) && !parser.isSet(json) && isatty(STDERR_FILENO));
            counted->Update(int(std::min(done, std::max<qint64>(total, 1))));
        });
        if (counted)
            counted->Finish();
        if (parser.isSet(pdf))
            WriteQcReportPdf(parser.value(pdf), {files.first(), roll, QDate::currentDate().toString(Qt::ISODate)}, report);
    } catch (const EVelmoraError &e) {
        throw EUsageError(e.message());
    }
    if (parser.isSet(json)) {
        PrintOut(QString::fromUtf8(QJsonDocument(ReportJson(files.first(), report)).toJson()));
    } else {
        for (const TQcFinding &finding : report.Findings)
            PrintOut(QStringLiteral("%1 [%2]%3: %4\n")
                         .arg(finding.Error ? QStringLiteral("error") : QStringLiteral("warning"), finding.Id,
                              (finding.Place.isEmpty() ? QString() : QLatin1Char(' ') + finding.Place)
                                  + (finding.Frame >= 0 ? QStringLiteral(" frame %1 (%2)").arg(finding.Frame).arg(finding.Timecode) : QString()),
                              finding.Message));
        PrintOut(QStringLiteral("%1: %2 x %3, %4 frames (the roll has %5), moving %6 lines a frame (%7 expected); "
                                "%8 credits read, %9 findings\n")
                     .arg(files.first())
                     .arg(report.Stream.Width)
                     .arg(report.Stream.Height)
                     .arg(report.Frames)
                     .arg(report.ExpectedFrames)
                     .arg(QString::number(report.Motion.Measured, 'f', 2), QString::number(report.Motion.Expected, 'f', 2))
                     .arg(report.Readings.size())
                     .arg(report.Findings.size()));
        if (report.Unread > 0)
            PrintOut(QStringLiteral("%1 credits in scripts without OCR data were not read%2\n")
                         .arg(report.Unread)
                         .arg(report.MissingOcrData.isEmpty()
                                  ? QString()
                                  : QStringLiteral(" (Debian: %1)").arg(report.MissingOcrData.join(QStringLiteral(", ")))));
    }
    return report.Findings.empty() ? 0 : ExitFailure;
}

} // namespace velmora::cli
