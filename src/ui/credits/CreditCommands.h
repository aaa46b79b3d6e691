#pragma once

#include "core/elements/ProjectTemplates.h"
#include "core/render/RunningTime.h"
#include "core/elements/ProjectStyle.h"

#include <QObject>
#include <QTimer>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QWidget;

namespace velmora {

class TCreditBlockPage;
struct TCreditSource;
class TCreditLink;
class TElementNode;
class TEditorContext;

// A sheet row as a reload finds it again: its number and what its cells say.
struct TCreditRowText
{
    int Number = 0;
    QString Content;
};

// The number of the row in rows that is anchor after a reload: the one saying the same
// between the same neighbours (before, after), nearest its old number; anchor's own number
// when no row says the same.
int RowWithIdentity(const std::vector<TCreditRowText> &rows, const TCreditRowText &anchor, const QString &before,
    const QString &after);

// The questions the credit commands ask, so tests can answer them.
class ICreditPrompts
{
public:
    virtual ~ICreditPrompts() = default;
    // A sheet to import; empty: cancelled.
    virtual QString ChooseSheetFile() = 0;
    // The running time to fit ("HH:MM:SS[:FF]"), proposed first; empty: cancelled.
    virtual QString AskRunningTime(const QString &proposed) = 0;
    // What a command did.
    virtual void ShowMessage(const QString &message) = 0;
    // Whether a fit that credit blocks cannot absorb (problem says why) may end in black.
    virtual bool AllowEndGap(const QString &) { return false; }
    // Whether an import links the sheet (one block that follows the file) or copies its rows
    // (a block that keeps them and follows no file); empty: cancelled. Prompts that do not ask
    // copy, as imports always did.
    enum class TImportMode { Link, Copy };
    virtual std::optional<TImportMode> ChooseImportMode() { return TImportMode::Copy; }
    // Which worksheet of a workbook with several to read; empty: cancelled. Prompts that do not
    // ask take the first, as the command line does.
    virtual QString ChooseWorksheet(const QStringList &names) { return names.value(0); }
};

// File > Import Credits... and File > Fit to Running Time..., and the scroll speed warning
// of the status bar. Both commands change the document in one step.
class TCreditCommands : public QObject
{
    Q_OBJECT
public:
    // The commands of window; the speed warning and reload messages go into statusBar.
    TCreditCommands(TEditorContext &context, QWidget &window, QStatusBar &statusBar);
    ~TCreditCommands() override;

    QAction *ActImportCredits = nullptr;
    QAction *ActFitRunningTime = nullptr;
    QAction *ActUnlinkCredits = nullptr;

    // Adds the commands to menu before the action before (or at its end).
    void AddTo(QMenu &menu, QAction *before);
    // Replaces the prompts (tests answer them); null restores the dialogs.
    void SetPrompts(ICreditPrompts *prompts);

    // Copies worksheet (empty: the first) of fileName into a credit block at the focused point:
    // it looks as a linked one would but keeps its rows and follows no file. Focuses the block and
    // moves the preview to its start. A bad sheet changes nothing; its error reaches the error box.
    void ImportCredits(const QString &fileName, const QString &worksheet = QString());
    // Inserts worksheet (empty: the first) of fileName as one linked credit block at the focused
    // point, in one step.
    void LinkCredits(const QString &fileName, const QString &worksheet = QString());
    // Reads the block of node from another worksheet of its workbook, in one step. A worksheet
    // that does not read changes nothing; its error reaches the error box.
    void ChooseWorksheet(TElementNode &node, const QString &worksheet);
    // Selects the block of node and moves the preview to where its sheet row (or the nearest
    // row above it) is drawn, a quarter of the way down.
    void ShowSheetRow(const TElementNode &node, int row);
    // The property page of a credit block: its sheet, worksheet and styles.
    TCreditBlockPage &BlockPage();
    // Turns the focused credit block into ordinary elements, in one step.
    void UnlinkFocusedCredits();
    // Follows the linked sheets of the document.
    TCreditLink &Link() { return *m_link; }
    // Fits the roll to the running time text; says what was chosen or why nothing was done.
    void FitRunningTime(const QString &runningTime);

    // The status bar's speed warning for the current project, empty when the speed is fine.
    QString SpeedWarning() const;
    // Shows it in the status bar (the label hides when there is nothing to say).
    void UpdateSpeedWarning();
    QLabel *SpeedWarningPanel = nullptr;
    // What the last reload of a linked sheet did, shown for a few seconds beside the status
    // panels so the frame, timecode and running time stay in view.
    QLabel *ReloadPanel = nullptr;

private:
    void ActImportCreditsExecute();
    void ActFitRunningTimeExecute();
    QString FitMessage(const TRunningTimeFit &fit, int rate);
    // Inserts one block of source at the focused point with the sheet's styles the project lacks.
    void AddCreditBlock(TCreditSource source);
    // Puts nodes in at the focused point as one step, with the styles the project lacks,
    // focuses the first and shows it at the top; with a film, the project takes it in the
    // same step.
    void InsertAtFocus(std::vector<std::unique_ptr<TElementNode>> nodes, const TProjectStyles &styles,
                       const std::optional<TTemplateSettings> &film = std::nullopt);

    void ShowReloadMessage(const QString &message);

    TEditorContext &m_context;
    std::unique_ptr<ICreditPrompts> m_dialogs;
    ICreditPrompts *m_prompts = nullptr;
    TCreditLink *m_link = nullptr;
    TCreditBlockPage *m_page = nullptr;
    // The credit at the top of the preview before a reload: its block, sheet row and how far
    // into it the frame's top was, so that it stays in place.
    struct TPreviewAnchor
    {
        TElementNode *Block = nullptr;
        int Row = 0;
        // The row's cells and its neighbours': rows inserted above renumber it, and the same
        // words may stand in other rows too.
        QString Content;
        QString Before;
        QString After;
        int Offset = 0;
    };
    TPreviewAnchor m_anchor;
    QTimer m_reloadMessageTimer;
    void RememberPreviewCredit();
    void RestorePreviewCredit();
};

} // namespace velmora
