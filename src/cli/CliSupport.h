#pragma once

#include "core/error.h"

#include <QString>
#include <QStringList>

namespace velmora {

namespace cli {

// A command line that cannot be run as given (exit code 2).
class EUsageError : public EVelmoraError
{
public:
    using EVelmoraError::EVelmoraError;
};

inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;

// Writes "velmora-cli: <message>" to stderr.
void PrintError(const QString &message);
void PrintOut(const QString &text);

// A project's frame or scroll rate as renders use it: values below 1 count as 1, with a warning.
int RateInEffect(int stored, const QString &what);

// Parses a whole number within [minimum, maximum] for option; throws EUsageError otherwise.
int ParseInt(const QString &option, const QString &text, int minimum, int maximum);

// Each subcommand takes its own arguments (the command name first, as QCommandLineParser expects).
int RunInfo(const QStringList &arguments);
int RunImport(const QStringList &arguments);
int RunStill(const QStringList &arguments);
int RunStrip(const QStringList &arguments);
int RunRender(const QStringList &arguments);
int RunFormats(const QStringList &arguments);
int RunRepair(const QStringList &arguments);
int RunJoin(const QStringList &arguments);
int RunCheck(const QStringList &arguments);
int RunProof(const QStringList &arguments);
int RunDiff(const QStringList &arguments);
int RunQc(const QStringList &arguments);

} // namespace cli
} // namespace velmora

class QCommandLineOption;
class QCommandLineParser;

namespace velmora {
class IProject;
class TDocument;
class TFrameRenderer;
}

namespace velmora::cli {

// Builds a sheet's project in document the way import does: film (WxH), styles from a file if named.
void BuildFromSheet(TDocument &document, const QString &source, const QString &stylesFile, const QString &film,
                    const QString &worksheet = QString());
// Opens a project file, or builds a sheet's project in memory around one credit block, as a
// linking import makes it (HD film; styles from stylesFile, else NAME-styles.json beside the
// sheet, else the built-in ones). A project's blocks carry their own styles: stylesFile given
// with a project is a usage error.
void OpenRoll(const QString &file, TDocument &document, const QString &stylesFile = QString(), bool storedCredits = false);

// Prints once on stderr what the credit blocks of the document had to make up for (unknown styles).
void PrintCreditWarnings(const TDocument &document);

// --stored-credits: render a linked project's credits as the project stored them.
QCommandLineOption StoredCreditsOption();
// Opens a project file. Unless storedCredits, each linked sheet that changed since the project
// was saved is read again, and each one read or unreadable is told in one line on stderr.
void OpenProjectFile(TDocument &document, const QString &file, bool storedCredits);

// Every file the roll opened from file reads: file itself, and the sheets, styles files and
// pictures of its credit blocks.
QStringList RollInputs(const TDocument &document, const QString &file);
// Refuses (EUsageError) an output that is one of inputs, whatever names lead to them; called
// before anything is written.
void RefuseOutputOnInputs(const QString &output, const QStringList &inputs);
// Throws EVelmoraError naming every credit block that cannot be drawn as its sheet says (a
// block that did not read back, a missing picture).
void RefuseUnreadableCredits(const TDocument &document);

// Throws when the roll is taller than positions can count; measured stands for a renderer that
// measured it already, else the document's roll is measured here.
void RefuseTooTallRoll(const TDocument &document, const TFrameRenderer *measured = nullptr);

// Parses a subcommand's arguments; prints the help and returns false for --help.
// positionals are the arguments after the command name: count of them (one or two), or none
// when positionalName is empty.
bool ParseArguments(QCommandLineParser &parser, const QStringList &arguments, const QString &positionalName,
                    QStringList &positionals, int count = 1);
// The value of a required option.
QString RequiredValue(const QCommandLineParser &parser, const QString &option);

// Sets the project's film size from "WIDTHxHEIGHT" (and the content size that matches it).
void ApplyFilm(IProject &project, const QString &text);
// A sheet's project: black, named after the sheet, film (default 1920x1080), 24 frames a second.
void StartSheetProject(TDocument &document, const QString &sheet, const QString &film);

} // namespace velmora::cli
