#pragma once

#include "cli/CliSupport.h"

#include <QCommandLineOption>
#include <QString>

class QCommandLineParser;

namespace velmora {
class TDocument;
}

namespace velmora::cli {

// The options with which a command takes a credit sheet in place of a project.
struct TSheetRollOptions
{
    QCommandLineOption Styles{QStringLiteral("styles"),
                              QStringLiteral("Styles for a sheet (JSON); default: NAME-styles.json beside NAME.csv, if any."),
                              QStringLiteral("styles.json")};
    QCommandLineOption Worksheet{QStringLiteral("sheet"), QStringLiteral("The worksheet of a workbook to read (default: the first)."),
                                 QStringLiteral("NAME")};
    QCommandLineOption Film{QStringLiteral("film"), QStringLiteral("Film size for a sheet (default 1920x1080)."), QStringLiteral("WxH")};
    QCommandLineOption Fps{QStringLiteral("fps"), QStringLiteral("Frames per second for a sheet, 1 to 100 (default 24)."),
                           QStringLiteral("N")};
    QCommandLineOption Duration{QStringLiteral("duration"),
                                QStringLiteral("Fit a sheet's roll to this running time: a whole scroll rate, the rest spread "
                                               "over the space between blocks."),
                                QStringLiteral("HH:MM:SS[:FF]")};
    QCommandLineOption EndGap{QStringLiteral("end-gap"),
                              QStringLiteral("With --duration: black at the end may take what the spaces between blocks cannot.")};

    // For a project, not a sheet: its linked sheets are not read again.
    QCommandLineOption StoredCredits = StoredCreditsOption();

    void AddTo(QCommandLineParser &parser) const;
};

// Fits the roll to --duration (if given) and the sheet's section times (if any) without black
// at the end unless --end-gap allows it; prints what was chosen. Throws EVelmoraError when the time cannot be met.
void FitToDuration(TDocument &document, const QCommandLineParser &parser, const TSheetRollOptions &options);

// Opens a project file, or builds a project around one credit block from a sheet
// (CSV, TSV, XLSX, ODS) with the sheet options; those are refused for a project.
void OpenRoll(TDocument &document, const QString &fileName, const QCommandLineParser &parser,
              const TSheetRollOptions &options);

} // namespace velmora::cli
