#include "ui/MainWindow.h"

#include "ui/CreditCommands.h"

#include "controls/PreviewPaintBox.h"
#include "core/render/ContentSizes.h"
#include "ui/DialogPrompts.h"
#include "ui/ElementTreeModel.h"
#include "ui/ElementsTreeView.h"
#include "ui/PropertyPages.h"
#include "ui/Transport.h"
#include "ui/TreeEditor.h"

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
    setWindowTitle(QStringLiteral("Velmora - []"));
    resize(1062, 807);

    CreateActions();
    m_creditCommands = new TCreditCommands(*this);
    CreateLayout();
    CreateMenus();
    CreateToolBars();
    CreateStatusBar();
    m_transport = new TTransport(*this);
    SavedElementsWidth = ElementsDesignWidth;
    SavedPagesWidth = PagesDesignWidth;

    FillContentSizes();

    m_currentElement = nullptr;
    FillingPanels = true;
    Pages->setCurrentWidget(PageNone);
    m_generating = false;

    FormCreate();
}

TMain::~TMain()
{
    qApp->removeEventFilter(this);
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
    TreeModel = new TElementTreeModel(m_document.Tree(), m_treeImages, this);
    ElementsTree->setModel(TreeModel);

    TTreeEditHooks hooks;
    hooks.MarkModified = [this] { MarkModified(); };
    hooks.Confirm = [this](const QString &question) { return m_prompts->Confirm(question); };
    m_treeEditor = std::make_unique<TTreeEditor>(*TreeModel, *ElementsTree, std::move(hooks));
    ElementsTree->SetEditor(m_treeEditor.get());

    connect(TreeModel, &TElementTreeModel::StructureChanged, this, [this] { SchedulePreviewUpdate(); });
    connect(TreeModel, &TElementTreeModel::NodeAboutToBeRemoved, this, &TMain::ElementsTreeNodeRemoving);
    connect(TreeModel, &TElementTreeModel::CaptionEdited, this, [this] {
        MarkModified();
        SchedulePreviewUpdate();
    });
    connect(m_treeEditor.get(), &TTreeEditor::Changed, this, &TMain::ElementsTreeChange);
    return ElementsPanel;
}

QWidget *TMain::CreatePages()
{
    Pages = new QStackedWidget;
    Pages->setObjectName(QStringLiteral("Pages"));
    m_propertyPages = std::make_unique<TPropertyPages>(*this);
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
    connect(TrackBar, &QSlider::valueChanged, this, &TMain::TrackBarChange);

    layout->addWidget(CreateGeneratingPanel());

    PreviewUpdateTimer.setSingleShot(true);
    PreviewUpdateTimer.setInterval(50);
    connect(&PreviewUpdateTimer, &QTimer::timeout, this, [this] { RunHandler([this] { RenderFrame(); }); });
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
    const std::array<const char *, 3> texts{"Dimensions", "Frames: ", "Zoom"};
    for (std::size_t i = 0; i < StatusPanels.size(); ++i) {
        StatusPanels[i] = new QLabel(QString::fromLatin1(texts[i]), statusBar());
        // The panels grow for texts longer than their width.
        StatusPanels[i]->setMinimumWidth(widths[i]);
        statusBar()->addWidget(StatusPanels[i]);
    }
    statusBar()->setObjectName(QStringLiteral("Status"));
}

void TMain::FillContentSizes()
{
    const QSignalBlocker blocker(ProjectContentSize);
    ProjectContentSize->setUpdatesEnabled(false);
    ProjectContentSize->clear();
    ProjectContentSize->addItems(ContentSizeListItems());
    ProjectContentSize->setUpdatesEnabled(true);
}

void TMain::FormCreate()
{
    m_framePosition = 0;
    m_rollHeight = 0;
    m_zoomPercent = 0;
    m_rangeGuard = false;

    m_document.OnTitleChanged = [this](const QString &title) { setWindowTitle(title); };
    m_document.NewProject();
    m_document.UpdateTitle();
    RebuildTreeView();
    m_dialogs->SetProjectFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));

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
}

void TMain::ShowError(const QString &message)
{
    m_prompts->ShowError(message);
}

void TMain::MarkModified()
{
    m_document.MarkModified();
    ArmIdleUpdate();
}

void TMain::RebuildTreeView()
{
    m_currentElement = nullptr;
    Pages->setCurrentWidget(PageNone);
    TreeModel->Reset();
    m_treeEditor->ApplyTreeState();
    ArmIdleUpdate();
}

void TMain::ShowElementProperties(IElement *element)
{
    // Setting the controls runs their handlers; the guard keeps them from writing back.
    FillingPanels = true;
    const auto lower = qScopeGuard([this] { FillingPanels = false; });
    m_currentElement = element;
    Pages->setCurrentWidget(PageNone);
    m_propertyPages->Fill(element);
}

void TMain::ElementsTreeChange()
{
    const TElementNode *node = m_treeEditor->FocusedNode();
    if (node != nullptr && node->IsSelected())
        RunHandler([&] { ShowElementProperties(node->Element()); });
    SchedulePreviewUpdate();
    ArmIdleUpdate();
}

void TMain::ElementsTreeNodeRemoving(TElementNode *node)
{
    // The pages must not keep an element whose node is going.
    std::function<bool(const TElementNode &)> holds = [&](const TElementNode &n) {
        if (n.Element() == m_currentElement)
            return true;
        for (const auto &child : n.Children())
            if (holds(*child))
                return true;
        return false;
    };
    if (m_currentElement != nullptr && holds(*node)) {
        m_currentElement = nullptr;
        Pages->setCurrentWidget(PageNone);
        ArmIdleUpdate();
    }
}

} // namespace velmora
