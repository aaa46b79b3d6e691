#pragma once

#include "core/document/Document.h"
#include "core/render/FrameRenderer.h"
#include "ui/window/EditorContext.h"
#include "ui/window/RecentFiles.h"
#include "ui/tree/TreeImages.h"

#include <QMainWindow>
#include <QTimer>
#include <QWheelEvent>
#include <array>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPainter;
class QProgressBar;
class QPushButton;
class QSlider;
class QSplitter;
class QStackedWidget;
class QToolBar;

namespace velmora {

class IEditorPrompts;
class TDialogPrompts;
class TClipboardCommands;
class TCreditCommands;
class TElementTreeModel;
class TElementsTreeView;
class TGenerationCommand;
class TPreviewPaintBox;
class TPropertyPages;
class TTimeline;
class TTransport;
class TWindowPlaybackTarget;
class TFontWarningPanel;
class TSignoffPanel;
class TStylesPanel;
class TFindReplace;
class TTreeEditor;
class TRollRuler;
class TOutlinePanel;
class TSpellingDialog;
struct TElementKind;
struct TPreviewFit;

// The widgets and commands of the main window. TMain builds and owns them; code outside the
// window reads them through TMain::Controls() and cannot re-seat them.
struct TMainControls
{
    TElementTreeModel *TreeModel = nullptr;
    TElementsTreeView *ElementsTree = nullptr;
    QWidget *ElementsPanel = nullptr;
    QSplitter *ElementsSplitter = nullptr;
    QSplitter *PagesSplitter = nullptr;
    QStackedWidget *Pages = nullptr;
    QWidget *pnlDisplay = nullptr;
    TPreviewPaintBox *PreviewBox = nullptr;
    QSlider *TrackBar = nullptr;
    QWidget *GeneratingPanel = nullptr;
    QLabel *GeneratingOutputInfo = nullptr;
    QProgressBar *GenerationProgressBar = nullptr;
    QPushButton *CancelGenerationButton = nullptr;
    std::array<QLabel *, 3> StatusPanels{};
    QToolBar *UpperToolBar = nullptr;
    QToolBar *LowerToolBar = nullptr;
    QMenu *ElementsTreePopup = nullptr;

    // Commands.
    QAction *ActNew = nullptr;
    QAction *ActLoad = nullptr;
    QAction *ActSave = nullptr;
    QAction *ActSaveAs = nullptr;
    QAction *ActUndo = nullptr;
    QAction *ActRedo = nullptr;
    QAction *ActNewText = nullptr;
    QAction *ActNewImage = nullptr;
    QAction *ActNewColumns = nullptr;
    QAction *ActNewCard = nullptr;
    QAction *ActNewColumn = nullptr;
    QAction *ActNewCreditPair = nullptr;
    QAction *ActNewSpacer = nullptr;
    QAction *ActShowPlaceholders = nullptr;
    QAction *ActShowSafeAreas = nullptr;
    QAction *ActZoomFit = nullptr;
    QAction *ActZoom50 = nullptr;
    QAction *ActZoom100 = nullptr;
    QAction *ActZoom200 = nullptr;
    QAction *ActShowElements = nullptr;
    QAction *ActShowProperties = nullptr;
    QAction *ActGenerateFrames = nullptr;
    QAction *EditCut1 = nullptr;
    QAction *EditCopy1 = nullptr;
    QAction *EditPaste1 = nullptr;
    QAction *EditSelectAll1 = nullptr;
    QAction *EditDelete1 = nullptr;
    QAction *ActAbout = nullptr;
    QAction *ActExit = nullptr;
};

// The editor's main window: element manager, preview and property pages over one document.
class TMain : public QMainWindow, private TMainControls
{
    Q_OBJECT
public:
    explicit TMain(QWidget *parent = nullptr);
    ~TMain() override;

    // --- document -------------------------------------------------------------------------------
    TDocument &Document() { return m_document; }
    // What the panels work with: document, roll position, command registry, Reveal.
    TEditorContext &Context() const { return *m_context; }
    // Opens fileName as the Open command does after its dialog; errors reach the error box.
    void OpenProjectFile(const QString &fileName);
    // Opens a project from the recent list, asking first about a changed project.
    void OpenRecentFile(const QString &fileName);
    TRecentFiles &RecentFiles() { return m_recentFiles; }
    QMenu *RecentFilesMenu() const { return m_recentMenu; }
    // Lists the recent projects in their menu; runs whenever the File menu opens.
    void FillRecentFilesMenu();
    // Rebuilds the element tree view from the document's tree (after New and Open).
    void RebuildTreeView();

    // --- prompts and errors ---------------------------------------------------------------------
    IEditorPrompts &Prompts() const { return *m_prompts; }
    // Replaces the prompts (tests answer them); null restores the dialogs.
    void SetPrompts(IEditorPrompts *prompts);
    TDialogPrompts &Dialogs() const { return *m_dialogs; }
    // Runs a handler; an error it raises is shown in the error box and the window stays usable.
    template <typename Handler>
    void RunHandler(Handler &&handler);
    void ShowError(const QString &message);

    // --- preview --------------------------------------------------------------------------------
    // Arms the 50 ms one-shot refresh; arming it again while it runs neither restarts nor extends it.
    void SchedulePreviewUpdate();
    bool PreviewUpdatePending() const { return m_previewUpdateTimer.isActive(); }
    // Drops an armed refresh without rendering.
    void CancelPreviewUpdate() { m_previewUpdateTimer.stop(); }
    // Renders the frame at FramePosition, updates the range and status bar, repaints the preview.
    void RenderFrame();
    // timeline: a roll's timeline already built for this frame (null: built here if it has cards).
    void UpdateStatusBar(const TTimeline *timeline = nullptr);
    void SetPositionRange(int maximum);
    const QImage &FrameBitmap() const { return m_renderer.Frame(); }
    TFrameRenderer &Renderer() { return m_renderer; }
    // The position model holds the position and its range; the renderer the roll height of the last frame.
    int FramePosition() const { return m_context->Position().Value(); }
    int RollHeight() const { return m_renderer.RollHeight(); }
    // The zoom the preview shows the frame at now, and the choice behind it (PreviewZoomFit or a percentage).
    int ZoomPercent() const;
    int ZoomChoice() const { return m_zoomChoice; }
    void SetZoomChoice(int choice);
    // One step up (steps > 0) or down the zoom choices, as Ctrl+wheel does.
    void StepZoom(int steps);
    // Renders done so far, for tests that count them.
    int RenderCount() const { return m_renderCount; }
    bool ShowPlaceholders() const;

    // --- property pages -------------------------------------------------------------------------
    // The pages and the element they show.
    TPropertyPages &PropertyPages() const { return *m_propertyPages; }

    // --- generating -----------------------------------------------------------------------------
    bool Generating() const { return m_context->Generating(); }
    bool CancelRequested() const { return m_cancelRequested; }
    void SetCancelRequested(bool on) { m_cancelRequested = on; }
    // The Generate command and the choices it offers next.
    TGenerationCommand &Generation();
    // Enters or leaves the generating state: side panels hidden, slider replaced, commands disabled.
    void SetGenerating(bool on);
    // Moves the slider to position and renders that frame once, as each frame of a run is shown.
    void ShowFrameAt(int position);

    // Real-time playback of the preview: player, transport commands and time panel.
    TTransport &Transport() const { return *m_transport; }
    TFontWarningPanel &FontWarnings() const { return *m_fontWarnings; }
    TSignoffPanel &Signoff() const { return *m_signoff; }
    TStylesPanel &StylesPanel() const { return *m_stylesPanel; }

    // Restores the layout, view and Generate choices of the last session, and saves them when
    // the window closes from now on (the editor does; tests and screenshots start afresh).
    void RememberSettings();
    // View > Reset Layout: docks, tool bars and side panels as a fresh start has them.
    void ResetLayout();

    // Writes what RememberSettings restores, when the window remembers them.
    void SaveSettings();

    // Re-evaluates the enabled and checked state of every command now.
    void UpdateActions();
    // Closes the window unless generating or the user keeps a modified project.
    bool FormCloseQuery();

    // --- controls -------------------------------------------------------------------------------
    const TMainControls &Controls() const { return *this; }
    TTreeEditor &TreeEditor() const { return *m_treeEditor; }
    TCreditCommands &CreditCommands() const { return *m_creditCommands; }
    TFindReplace &FindReplace() const { return *m_findReplace; }
    QLabel *RunningTimePanel() const { return m_runningTime; }
    // Timecodes and headings under the slider.
    TRollRuler &Ruler() const { return *m_ruler; }
    // View > Outline: the credits as text.
    TOutlinePanel &Outline() const { return *m_outline; }
    TSpellingDialog &Spelling() const { return *m_spelling; }
    // Widths the side panels get back when shown again.
    int SavedPagesWidth() const { return m_savedPagesWidth; }
    int SavedElementsWidth() const { return m_savedElementsWidth; }
    const TTreeImages &TreeImages() const { return m_treeImages; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Construction, one region at a time.
    void CreateLayout();
    QWidget *CreateElementsPanel();
    QWidget *CreatePages();
    QWidget *CreateDisplay();
    QWidget *CreateGeneratingPanel();
    void CreateStatusBar();
    void resizeEvent(QResizeEvent *event) override;
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void FormCreate();
    void ConnectDocument();
    void KeepDefaultLayout();

    // Commands.
    void ActNewExecute();
    void ActLoadExecute();
    void ActSaveExecute();
    void ActSaveAsExecute();
    // Puts the project's file first in the recent list once it was opened or saved.
    void RememberProjectFile();
    void AddElement(const TElementKind &kind);
    void ActShowElementsExecute();
    void ActShowPropertiesExecute();
    void ActAboutExecute();
    void ActGenerateFramesExecute();
    void ArmIdleUpdate();

    // Element tree.
    void ElementsTreeChange();

    // Preview.
    void PreviewBoxPaint();
    void PaintSafeAreas(QPainter &canvas, const QRect &frame);
    void PreviewBoxMouseWheel(QWheelEvent *event);
    void CreateZoomActions();
    // Where the frame lies in the preview box at the current zoom.
    TPreviewFit CurrentFit() const;
    // The focused element's band across the shown frame, in screen coordinates.
    QRect FocusedArea() const;
    // Shows the speed warning as an icon (its text in the tooltip) when the status bar has no room for it.
    void CompactSpeedWarning();
    // After New and Open: the roll from its start, with the new project's range, time and zoom.
    void ShowNewProject();
    void TrackBarChange(int position);
    // Moves the roll without the render a move asks for: the caller renders.
    void SetPositionQuietly(int position);
    // Puts a command a panel registered into its menu and tool bar.
    void PlaceAction(QAction *action, const TActionPlace &place);

    // Side panels.
    void ToggleSidePanel(bool hide, QSplitter *splitter, int panelIndex, int &savedWidth);

    TTreeImages m_treeImages;
    int m_savedPagesWidth = 0;
    int m_savedElementsWidth = 0;
    QTimer m_previewUpdateTimer;
    TDocument m_document;
    std::unique_ptr<TEditorContext> m_context;
    bool m_quietMove = false;
    std::unique_ptr<TDialogPrompts> m_dialogs;
    IEditorPrompts *m_prompts = nullptr;
    std::unique_ptr<TTreeEditor> m_treeEditor;
    TCreditCommands *m_creditCommands = nullptr; // owned as a child object
    TClipboardCommands *m_clipboard = nullptr;    // Cut, Copy, Paste, Select All, Delete
    TFindReplace *m_findReplace = nullptr;        // a child dialog of the window
    std::unique_ptr<TPropertyPages> m_propertyPages;
    bool m_cancelRequested = false;
    TFrameRenderer m_renderer;
    int m_zoomChoice = 0;
    // Set when the focused node changes: the next frame scrolls to show it.
    bool m_showFocused = false;
    QLabel *m_runningTime = nullptr;
    TRecentFiles m_recentFiles;
    QMenu *m_recentMenu = nullptr;
    struct TLayout
    {
        QByteArray State;
        QByteArray ElementsSplitter;
        QByteArray PagesSplitter;
    };
    TLayout m_defaultLayout;      // the window as built, for Reset Layout
    bool m_remembersSettings = false;
    bool m_rangeGuard = false;
    int m_renderCount = 0;
    QTimer m_idleTimer;
    TGenerationCommand *m_generation = nullptr;  // a child of the window, made on first use
    std::unique_ptr<TWindowPlaybackTarget> m_playbackTarget;
    TTransport *m_transport = nullptr;            // a child of the window
    TFontWarningPanel *m_fontWarnings = nullptr;  // in the status bar
    TSignoffPanel *m_signoff = nullptr;           // Problems panel and proof export
    TStylesPanel *m_stylesPanel = nullptr;        // the project's styles
    TRollRuler *m_ruler = nullptr;                // under the slider
    TOutlinePanel *m_outline = nullptr;           // a dock, hidden until asked for
    TSpellingDialog *m_spelling = nullptr;        // a child dialog of the window
};

template <typename Handler>
void TMain::RunHandler(Handler &&handler)
{
    m_context->Run(std::forward<Handler>(handler));
}

} // namespace velmora
