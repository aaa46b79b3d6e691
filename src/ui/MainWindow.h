#pragma once

#include "core/document/Document.h"
#include "core/render/FrameRenderer.h"
#include "ui/TreeImages.h"

#include <QMainWindow>
#include <QTimer>
#include <QWheelEvent>
#include <array>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSlider;
class QSplitter;
class QStackedWidget;
class QToolBar;

namespace velmora {

class IEditorPrompts;
class TDialogPrompts;
class TCreditCommands;
class TElementTreeModel;
class TElementsTreeView;
class TGenerationCommand;
class TPreviewPaintBox;
class TPropertyPages;
class TTransport;
class TTreeEditor;
struct TElementKind;

// The five edit commands that the focused control serves.
enum class TEditCommand { Cut, Copy, Paste, SelectAll, Delete };

// The editor's main window: element manager, preview and property pages over one document.
class TMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMain(QWidget *parent = nullptr);
    ~TMain() override;

    // --- document -------------------------------------------------------------------------------
    TDocument &Document() { return m_document; }
    // Sets the modified flag and refreshes the title; every edit ends here.
    void MarkModified();
    // Opens fileName as the Open command does after its dialog; errors reach the error box.
    void OpenProjectFile(const QString &fileName);
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
    // Renders the frame at FramePosition, updates the range and status bar, repaints the preview.
    void RenderFrame();
    void UpdateStatusBar();
    void SetPositionRange(int maximum);
    const QImage &FrameBitmap() const { return m_renderer.Frame(); }
    TFrameRenderer &Renderer() { return m_renderer; }
    int FramePosition() const { return m_framePosition; }
    int RollHeight() const { return m_rollHeight; }
    int ZoomPercent() const { return m_zoomPercent; }
    // Renders done so far, for tests that count them.
    int RenderCount() const { return m_renderCount; }
    bool ShowPlaceholders() const;

    // --- property pages -------------------------------------------------------------------------
    // The element the pages show; null until an element is selected and after its node goes.
    IElement *CurrentElement() const { return m_currentElement; }
    // True while the pages are filled from CurrentElement; page handlers then write nothing.
    bool FillingPanels = true;
    // Makes element CurrentElement and shows its page filled from it ("Nothing Selected" for
    // kinds without a page). Raises the error of a font that is not installed, page shown.
    void ShowElementProperties(IElement *element);
    TPropertyPages &PropertyPages() const { return *m_propertyPages; }

    // --- generating -----------------------------------------------------------------------------
    bool Generating() const { return m_generating; }
    bool CancelRequested() const { return m_cancelRequested; }
    void SetCancelRequested(bool on) { m_cancelRequested = on; }
    // Enters or leaves the generating state: side panels hidden, slider replaced, commands disabled.
    void SetGenerating(bool on);
    // Moves the slider to position and renders that frame once, as each frame of a run is shown.
    void ShowFrameAt(int position);

    // Real-time playback of the preview: player, transport commands and time panel.
    TTransport &Transport() const { return *m_transport; }

    // Re-evaluates the enabled and checked state of every command now.
    void UpdateActions();
    // Closes the window unless generating or the user keeps a modified project.
    bool FormCloseQuery();

    // --- controls (names as the rest of the editor knows them) ---------------------------------
    TTreeEditor &TreeEditor() const { return *m_treeEditor; }
    TCreditCommands &CreditCommands() const { return *m_creditCommands; }
    TElementTreeModel *TreeModel = nullptr;
    TElementsTreeView *ElementsTree = nullptr;
    QWidget *ElementsPanel = nullptr;
    QSplitter *ElementsSplitter = nullptr;
    QSplitter *PagesSplitter = nullptr;
    QStackedWidget *Pages = nullptr;
    QWidget *PageProject = nullptr;
    QWidget *PageTextElement = nullptr;
    QWidget *PageImage = nullptr;
    QWidget *PageNone = nullptr;
    QComboBox *ProjectContentSize = nullptr;
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
    QTimer PreviewUpdateTimer;

    // --- commands -------------------------------------------------------------------------------
    QAction *ActNew = nullptr;
    QAction *ActLoad = nullptr;
    QAction *ActSave = nullptr;
    QAction *ActSaveAs = nullptr;
    QAction *ActNewText = nullptr;
    QAction *ActNewImage = nullptr;
    QAction *ActNewColumns = nullptr;
    QAction *ActNewColumn = nullptr;
    QAction *ActLoadImage = nullptr;
    QAction *ActProjectLoadImage = nullptr;
    QAction *ActProjectClearImage = nullptr;
    QAction *ActShowPlaceholders = nullptr;
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

    int SavedPagesWidth = 0;
    int SavedElementsWidth = 0;
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
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void FillContentSizes();
    void FormCreate();

    // Commands.
    void ActNewExecute();
    void ActLoadExecute();
    void ActSaveExecute();
    void ActSaveAsExecute();
    void AddElement(const TElementKind &kind);
    void ActShowElementsExecute();
    void ActShowPropertiesExecute();
    void ActAboutExecute();
    void ActGenerateFramesExecute();
    void ArmIdleUpdate();
    // Document commands that may replace the tree rebuild the view whether they succeed or fail.
    template <typename Command>
    void RunTreeReplacing(Command &&command);

    // Edit commands, served by the focused control.
    bool EditEnabled(TEditCommand command) const;
    void EditExecute(TEditCommand command);

    // Element tree.
    void ElementsTreeChange();
    void ElementsTreeNodeRemoving(TElementNode *node);

    // Preview.
    void PreviewBoxPaint();
    void PreviewBoxMouseWheel(QWheelEvent *event);
    void TrackBarChange(int position);

    // Side panels.
    void ToggleSidePanel(bool hide, QSplitter *splitter, int panelIndex, int &savedWidth);

    TTreeImages m_treeImages;
    TDocument m_document;
    std::unique_ptr<TDialogPrompts> m_dialogs;
    IEditorPrompts *m_prompts = nullptr;
    std::unique_ptr<TTreeEditor> m_treeEditor;
    TCreditCommands *m_creditCommands = nullptr; // owned as a child object
    std::unique_ptr<TPropertyPages> m_propertyPages;
    IElement *m_currentElement = nullptr;
    bool m_generating = false;
    bool m_cancelRequested = false;
    TFrameRenderer m_renderer;
    bool m_hasFrame = false;
    int m_framePosition = 0;
    int m_rollHeight = 0;
    int m_zoomPercent = 0;
    bool m_rangeGuard = false;
    int m_renderCount = 0;
    QTimer m_idleTimer;
    TGenerationCommand *m_generation = nullptr;  // a child of the window, made on first use
    TTransport *m_transport = nullptr;            // a child of the window
};

template <typename Handler>
void TMain::RunHandler(Handler &&handler)
{
    try {
        handler();
    } catch (const EVelmoraError &error) {
        ShowError(error.message());
    } catch (const std::exception &error) {
        ShowError(QString::fromLocal8Bit(error.what()));
    }
}

} // namespace velmora
