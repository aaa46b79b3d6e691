#include "ui/window/MainWindow.h"

#include "ui/panels/OutlinePanel.h"
#include "ui/preview/RollRuler.h"
#include "ui/panels/SpellingDialog.h"
#include "ui/credits/CreditCommands.h"
#include "ui/window/ClipboardCommands.h"
#include "ui/pages/PageCard.h"
#include "ui/pages/PageCreditBlock.h"
#include "core/credits/ElementCreditBlock.h"
#include "core/elements/ElementCard.h"

#include "controls/PreviewPaintBox.h"
#include "core/edit/TreeRules.h"
#include "ui/prompts/DialogPrompts.h"
#include "ui/tree/ElementTreeModel.h"
#include "ui/tree/ElementsTreeView.h"
#include "ui/panels/FindReplace.h"
#include "ui/panels/FontWarningPanel.h"
#include "ui/panels/SignoffPanel.h"
#include "ui/panels/StylesPanel.h"
#include "ui/preview/PreviewPainter.h"
#include "ui/pages/PropertyPages.h"
#include "ui/preview/Transport.h"
#include "ui/window/WindowPlaybackTarget.h"
#include "ui/tree/TreeEditor.h"

#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStatusBar>

namespace velmora {

namespace {

constexpr int ElementsDesignWidth = 185;
constexpr int PagesDesignWidth = 206;

} // namespace

TMain::TMain(QWidget *parent) : QMainWindow(parent), m_dialogs(std::make_unique<TDialogPrompts>(this))
{
    m_prompts = m_dialogs.get();
    m_context = std::make_unique<TEditorContext>(m_document);
    m_context->SetPrompts(*m_prompts);
    m_context->ShowError = [this](const QString &message) { ShowError(message); };
    m_context->ScheduleRedraw = [this] { SchedulePreviewUpdate(); };
    m_context->FocusedArea = [this] { return FocusedArea(); };
    connect(&m_context->Actions(), &TActionRegistry::Registered, this, &TMain::PlaceAction);
    setWindowTitle(QStringLiteral("Velmora - []"));
    resize(1062, 807);

    CreateActions();
    m_creditCommands = new TCreditCommands(*m_context, *this, *statusBar());
    CreateLayout();
    m_clipboard = new TClipboardCommands(*m_context, *m_treeEditor, m_treeImages, *this);
    connect(m_clipboard, &TClipboardCommands::Executed, this, &TMain::ArmIdleUpdate);
    EditCut1 = m_clipboard->EditCut1;
    EditCopy1 = m_clipboard->EditCopy1;
    EditPaste1 = m_clipboard->EditPaste1;
    EditSelectAll1 = m_clipboard->EditSelectAll1;
    EditDelete1 = m_clipboard->EditDelete1;
    CreateMenus();
    CreateToolBars();
    m_findReplace = new TFindReplace(*m_context, *this);
    m_spelling = new TSpellingDialog(*m_context, *this);
    CreateStatusBar();
    m_fontWarnings = new TFontWarningPanel(m_document, statusBar());
    statusBar()->addPermanentWidget(m_fontWarnings);
    m_playbackTarget = std::make_unique<TWindowPlaybackTarget>(*this);
    m_transport = new TTransport(*m_context, *m_playbackTarget, *PreviewBox, *TrackBar, *statusBar(), *this);
    m_signoff = new TSignoffPanel(*m_context, *m_creditCommands, *this);
    m_outline = new TOutlinePanel(*m_context, *m_treeEditor, *this);
    // Where the roll is shown, the edit commands act on the selected elements.
    for (QWidget *panel : {static_cast<QWidget *>(ElementsTree), pnlDisplay, static_cast<QWidget *>(m_outline->View)})
        m_clipboard->AddSelectionPanel(panel);
    m_stylesPanel = new TStylesPanel(*m_context, *m_treeEditor, *this);
    m_savedElementsWidth = ElementsDesignWidth;
    m_savedPagesWidth = PagesDesignWidth;

    FormCreate();
    KeepDefaultLayout();
}

TMain::~TMain()
{
    qApp->removeEventFilter(this);
    // The transport plays the window's target, which goes with the window's members.
    delete m_transport;
    // Focus and clipboard changes while the widgets go must not reach members already destroyed.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
    // The view and the editor hold the model's nodes; let them go before the document does.
    delete ElementsTree;
    m_treeEditor.reset();
}

void TMain::CreateLayout()
{
    PagesSplitter = new QSplitter(Qt::Horizontal);
    PagesSplitter->setObjectName(QStringLiteral("PagesSplitter"));
    PagesSplitter->addWidget(CreateDisplay());
    PagesSplitter->addWidget(CreatePages());
    PagesSplitter->setStretchFactor(0, 1);
    PagesSplitter->setStretchFactor(1, 0);
    PagesSplitter->setOpaqueResize(true);

    ElementsSplitter = new QSplitter(Qt::Horizontal, this);
    ElementsSplitter->setObjectName(QStringLiteral("ElementsSplitter"));
    ElementsSplitter->addWidget(CreateElementsPanel());
    ElementsSplitter->addWidget(PagesSplitter);
    ElementsSplitter->setStretchFactor(0, 0);
    ElementsSplitter->setStretchFactor(1, 1);
    ElementsSplitter->setOpaqueResize(true);

    const int centre = width() - ElementsDesignWidth - PagesDesignWidth;
    ElementsSplitter->setSizes({ElementsDesignWidth, centre + PagesDesignWidth});
    PagesSplitter->setSizes({centre, PagesDesignWidth});
    setCentralWidget(ElementsSplitter);
}

QWidget *TMain::CreateElementsPanel()
{
    ElementsPanel = new QWidget;
    ElementsPanel->setObjectName(QStringLiteral("ElementsPanel"));
    auto *layout = new QVBoxLayout(ElementsPanel);
    layout->setContentsMargins(0, 0, 0, 0);

    ElementsTree = new TElementsTreeView(ElementsPanel);
    ElementsTree->setObjectName(QStringLiteral("ElementsTree"));
    layout->addWidget(ElementsTree);
    TreeModel = new TElementTreeModel(m_document, m_treeImages, this);
    ElementsTree->setModel(TreeModel);

    m_treeEditor = std::make_unique<TTreeEditor>(*TreeModel, *ElementsTree,
        [this](const QString &question) { return m_prompts->Confirm(question); });
    m_treeEditor->SetErrorReport([this](const QString &message) { m_prompts->ShowError(message); });
    ElementsTree->SetEditor(m_treeEditor.get());

    connect(TreeModel, &TElementTreeModel::StructureChanged, this, [this] { SchedulePreviewUpdate(); });
    connect(TreeModel, &TElementTreeModel::CaptionNotStorable, this, [this](const QString &typed) {
        m_prompts->ShowError(QStringLiteral("\"%1\" cannot be stored as typed: a project file keeps names in the "
                                            "Western European character set, and the other characters become \"?\".")
                                 .arg(typed));
    });
    connect(m_treeEditor.get(), &TTreeEditor::Changed, this, &TMain::ElementsTreeChange);
    m_context->AttachTree(*TreeModel, *ElementsTree, [this] { RenderFrame(); });
    return ElementsPanel;
}

void TMain::ConnectDocument()
{
    // The window follows the document: every edit, undo and redo arrives here.
    connect(&m_document, &TDocument::Changed, this, [this](const TDocumentChange &change) {
        using TKind = TDocumentChange::TKind;
        if (change.Kind == TKind::TreeReset)
            RebuildTreeView();
        // The preview, status bar and time panel follow every change, moves included.
        if (change.Redraw)
            SchedulePreviewUpdate();
        else
            UpdateStatusBar();
        ArmIdleUpdate();
    });
    connect(&m_document, &TDocument::ModifiedChanged, this, &TMain::ArmIdleUpdate);
}

QWidget *TMain::CreatePages()
{
    m_propertyPages = std::make_unique<TPropertyPages>(*m_context, m_treeImages);
    TCreditBlockPage &blockPage = m_creditCommands->BlockPage();
    m_propertyPages->AddPage(TVmElementCreditBlock::Kind, &blockPage, [&blockPage](IElement &element) { blockPage.Fill(element); });
    auto *cardPage = new TCardPage(*m_context);
    m_propertyPages->AddPage(TVmElementCard::Kind, cardPage, [cardPage](IElement &element) { cardPage->Fill(&element); });
    connect(m_propertyPages.get(), &TPropertyPages::CurrentChanged, this, &TMain::ArmIdleUpdate);
    Pages = m_propertyPages->Pages;
    return Pages;
}

QWidget *TMain::CreateDisplay()
{
    pnlDisplay = new QWidget;
    pnlDisplay->setObjectName(QStringLiteral("pnlDisplay"));
    auto *layout = new QVBoxLayout(pnlDisplay);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PreviewBox = new TPreviewPaintBox(pnlDisplay);
    PreviewBox->setObjectName(QStringLiteral("PreviewBox"));
    layout->addWidget(PreviewBox, 1);
    connect(PreviewBox, &TPreviewPaintBox::OnPaint, this, [this] { PreviewBoxPaint(); });
    connect(PreviewBox, &TPreviewPaintBox::OnMouseWheel, this, &TMain::PreviewBoxMouseWheel);
    connect(PreviewBox, &TPreviewPaintBox::OnResize, this, [this] { UpdateStatusBar(); });

    TrackBar = new QSlider(Qt::Horizontal, pnlDisplay);
    TrackBar->setObjectName(QStringLiteral("TrackBar"));
    TrackBar->setFixedHeight(29);
    TrackBar->setTickPosition(QSlider::NoTicks);
    TrackBar->setRange(0, 1);
    TrackBar->setPageStep(10);
    layout->addWidget(TrackBar);
    // The slider shows the position model and moves it; the model's moves render.
    TPositionModel &position = m_context->Position();
    TrackBar->setRange(0, position.Maximum());
    connect(TrackBar, &QSlider::valueChanged, &position, &TPositionModel::SetValue);
    connect(&position, &TPositionModel::ValueChanged, this, [this](int value) {
        {
            const QSignalBlocker blocker(TrackBar);
            TrackBar->setValue(value);
        }
        if (!m_quietMove)
            TrackBarChange(value);
    });
    connect(&position, &TPositionModel::RangeChanged, this, [this](int maximum) {
        const QSignalBlocker blocker(TrackBar);
        TrackBar->setMaximum(maximum);
    });
    m_ruler = new TRollRuler(m_document, *TrackBar, pnlDisplay);
    layout->addWidget(m_ruler);

    layout->addWidget(CreateGeneratingPanel());

    m_previewUpdateTimer.setSingleShot(true);
    m_previewUpdateTimer.setInterval(50);
    connect(&m_previewUpdateTimer, &QTimer::timeout, this, [this] { RunHandler([this] { RenderFrame(); }); });
    return pnlDisplay;
}

QWidget *TMain::CreateGeneratingPanel()
{
    GeneratingPanel = new QWidget;
    GeneratingPanel->setObjectName(QStringLiteral("GeneratingPanel"));
    GeneratingPanel->setFixedHeight(71);
    auto *layout = new QHBoxLayout(GeneratingPanel);

    auto *icon = new QLabel(GeneratingPanel);
    icon->setPixmap(m_treeImages.Icon(TreeImageIndex::Project).pixmap(TreeImageSize, TreeImageSize));
    icon->setFixedSize(TreeImageSize, TreeImageSize);
    layout->addWidget(icon, 0, Qt::AlignTop);

    auto *progress = new QVBoxLayout;
    GeneratingOutputInfo = new QLabel(GeneratingPanel);
    GeneratingOutputInfo->setObjectName(QStringLiteral("GeneratingOutputInfo"));
    GeneratingOutputInfo->setWordWrap(true);
    progress->addWidget(GeneratingOutputInfo);
    GenerationProgressBar = new QProgressBar(GeneratingPanel);
    GenerationProgressBar->setObjectName(QStringLiteral("GenerationProgressBar"));
    progress->addWidget(GenerationProgressBar);
    layout->addLayout(progress, 1);

    CancelGenerationButton = new QPushButton(QStringLiteral("Cancel Generation"), GeneratingPanel);
    CancelGenerationButton->setObjectName(QStringLiteral("Button1"));
    CancelGenerationButton->setFixedSize(153, 25);
    layout->addWidget(CancelGenerationButton, 0, Qt::AlignRight | Qt::AlignVCenter);
    connect(CancelGenerationButton, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });

    GeneratingPanel->hide();
    return GeneratingPanel;
}

void TMain::CreateStatusBar()
{
    const std::array<int, 3> widths{150, 125, 50};
    const std::array<const char *, 3> texts{"Dimensions", "Scroll: ", "Zoom"};
    for (std::size_t i = 0; i < StatusPanels.size(); ++i) {
        StatusPanels[i] = new QLabel(QString::fromLatin1(texts[i]), statusBar());
        // The panels grow for texts longer than their width.
        StatusPanels[i]->setMinimumWidth(widths[i]);
        statusBar()->addWidget(StatusPanels[i]);
    }
    StatusPanels[1]->setObjectName(QStringLiteral("ScrollPosition"));
    StatusPanels[1]->setToolTip(QStringLiteral("Scroll position of the roll in pixels (the slider), and its last position"));
    m_runningTime = new QLabel(QStringLiteral("Running Time: "), statusBar());
    m_runningTime->setObjectName(QStringLiteral("RunningTime"));
    m_runningTime->setToolTip(QStringLiteral("Length of the video, HH:MM:SS:FF at the project's frame rate"));
    statusBar()->addWidget(m_runningTime);
    statusBar()->setObjectName(QStringLiteral("Status"));
}

void TMain::FormCreate()
{
    m_zoomChoice = PreviewZoomFit;
    m_rangeGuard = false;

    // Qt takes "[*]" in a title for its own modified marker and hides it; doubled, it shows as written.
    m_document.OnTitleChanged = [this](QString title) { setWindowTitle(title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"))); };
    ConnectDocument();
    m_document.NewProject();
    m_dialogs->SetProjectFile([this] { return m_document.ProjectFileName(); });

    // Command states follow the application's idle moments: after input, focus and clipboard changes.
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(0);
    connect(&m_idleTimer, &QTimer::timeout, this, &TMain::UpdateActions);
    qApp->installEventFilter(this);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TMain::ArmIdleUpdate);
    connect(qApp, &QApplication::focusChanged, this, &TMain::ArmIdleUpdate);
    UpdateActions();
}

void TMain::SetPrompts(IEditorPrompts *prompts)
{
    m_prompts = prompts != nullptr ? prompts : m_dialogs.get();
    m_context->SetPrompts(*m_prompts);
}

void TMain::ShowError(const QString &message)
{
    m_prompts->ShowError(message);
}

void TMain::RebuildTreeView()
{
    m_propertyPages->Clear();
    m_treeEditor->ApplyTreeState();
    ShowNewProject();
    ArmIdleUpdate();
}

void TMain::ElementsTreeChange()
{
    m_showFocused = true;
    const TElementNode *node = m_treeEditor->FocusedNode();
    if (node != nullptr && node->IsSelected())
        RunHandler([&] { m_propertyPages->Show(node->Element()); });
    SchedulePreviewUpdate();
    ArmIdleUpdate();
}

} // namespace velmora
