#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace velmora {

class TElementNode;
class TElementTree;

enum class TSeverity { Error, Warning, Note };

// One thing to mend (or to know) before a roll is delivered.
struct TProblem
{
    QString Id; // the check that found it, as --ignore names it
    TSeverity Severity = TSeverity::Error;
    QString Message;
    const TElementNode *Node = nullptr; // the element concerned, if one is
    QString Path;                       // NodePath of Node
    QString Element;                    // its caption
    qint64 Frame = -1;                  // the frame where it enters the screen, if it has one
    QString Timecode;                   // that frame as a timecode
    QString Place;                      // a credit block's row: "feature.csv:569:C"
    int Row = 0;                        // that row's number in the sheet; 0 for other problems
    std::vector<int> Rows;              // every row a problem of one cause stands for (a small style)
};

struct TPreflightOptions
{
    std::optional<qint64> TargetFrames; // the running time the roll must have
    QStringList Ignore;                 // ids of checks not to run
    double MinimumCapLinesAt1080 = 20.0;
    // The share of its height the picture is shown at (a broadcaster's squeeze-back puts the
    // credits in a corner at 50 % or less): letters are measured as the viewer sees them.
    double Squeeze = 1.0;
    double MinimumSecondsOnScreen = 5.0;
    int TitleSafePercent = 90;
    int ActionSafePercent = 93;
    double HeadBlackSeconds = 0.0;          // black the roll must open with; 0: not checked
    double TailBlackSeconds = 0.0;          // black it must end with; 0: not checked
    std::optional<int> MaxCreditSeconds;    // how long the credits may run for the programme
};

// Every check, by id, in the order they run.
const QStringList &PreflightCheckIds();

// Runs the checks on the tree's roll, problems in check order, each check's in roll order.
std::vector<TProblem> RunPreflight(const TElementTree &tree, const TPreflightOptions &options);

const char *SeverityName(TSeverity severity);

} // namespace velmora
