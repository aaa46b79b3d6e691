// Commands of the main window: actions, menus, tool bars and their enabling rules.
#include "ui/window/MainWindow.h"

#include "ui/credits/CreditCommands.h"
#include "ui/window/ClipboardCommands.h"
#include "ui/pages/PropertyPages.h"

#include "controls/PreviewPaintBox.h"
#include "core/edit/EditCommands.h"
#include "core/elements/ElementCard.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/elements/ElementText.h"
#include "ui/tree/ElementsTreeView.h"
#include "ui/panels/FindReplace.h"
#include "ui/panels/SpellingDialog.h"
#include "ui/tree/TreeEditor.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>

namespace velmora {

namespace {

// A gap of about two lines of credits at PAL size; the Fixed Height field sets it exactly.
constexpr int DefaultSpacerHeight = 48;

} // namespace

void TMain::CreateActions()
{
    const auto make = [this](const QString &caption, int icon, const char *name) {
        auto *action = new QAction(m_treeImages.Icon(icon), caption, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setIconVisibleInMenu(icon >= 0);
        return action;
    };
    const auto run = [this](QAction *action, auto handler) {
        connect(action, &QAction::triggered, this, [this, handler] { RunHandler([this, handler] { (this->*handler)(); }); });
    };

    ActNew = make(QStringLiteral("New Project"), TreeImageIndex::NewProject, "ActNew");
    run(ActNew, &TMain::ActNewExecute);
    ActLoad = make(QStringLiteral("&Open"), TreeImageIndex::Open, "ActLoad");
    run(ActLoad, &TMain::ActLoadExecute);
    ActSave = make(QStringLiteral("Save"), TreeImageIndex::Save, "ActSave");
    run(ActSave, &TMain::ActSaveExecute);
    ActSaveAs = make(QStringLiteral("Save &As"), TreeImageIndex::SaveAs, "ActSaveAs");
    run(ActSaveAs, &TMain::ActSaveAsExecute);
    ActNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    ActLoad->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    ActSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    ActSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));

    // The stack names the step ("Undo Change Font Size") and enables the actions itself; the
    // tool bar shows the short caption. Undo stays available while a video is being made.
    const auto step = [this](QAction *action, int icon, const char *name, const QString &caption, QList<QKeySequence> keys) {
        action->setObjectName(QString::fromLatin1(name));
        action->setIcon(m_treeImages.Icon(icon));
        action->setIconText(caption);
        action->setShortcuts(keys);
        connect(action, &QAction::changed, action, [action] {
            if (action->toolTip() != action->text())
                action->setToolTip(action->text());
        });
        return action;
    };
    QUndoStack &stack = m_document.UndoStack();
    ActUndo = step(stack.createUndoAction(this), TreeImageIndex::Undo, "ActUndo", QStringLiteral("Undo"),
        {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    ActRedo = step(stack.createRedoAction(this), TreeImageIndex::Redo, "ActRedo", QStringLiteral("Redo"),
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    const auto element = [this, &make](const QString &caption, int icon, const char *name, const TElementKind &kind) {
        QAction *action = make(caption, icon, name);
        connect(action, &QAction::triggered, this, [this, &kind] { RunHandler([this, &kind] { AddElement(kind); }); });
        return action;
    };
    ActNewText = element(QStringLiteral("New Text Element"), TreeImageIndex::Text, "ActNewText", TVmElementText::Kind);
    ActNewImage = element(QStringLiteral("New Image"), TreeImageIndex::Image, "ActNewImage", TVmElementImage::Kind);
    ActNewColumns = element(QStringLiteral("New Columns"), TreeImageIndex::Columns, "ActNewColumns", TVmElementColumns::Kind);
    ActNewColumn = element(QStringLiteral("New Column"), TreeImageIndex::Column, "ActNewColumn", TVmElementColumn::Kind);
    ActNewCard = element(QStringLiteral("Insert Card"), TreeImageIndex::Column, "ActNewCard", TVmElementCard::Kind);
    ActNewCard->setToolTip(QStringLiteral("A held page of credits between the crawl's runs"));
    // A credit in one step instead of columns, two columns and two texts built by hand.
    ActNewCreditPair = make(QStringLiteral("New Credit Pair"), TreeImageIndex::Columns, "ActNewCreditPair");
    ActNewCreditPair->setToolTip(QStringLiteral("A role and a name side by side"));
    ActNewCreditPair->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    connect(ActNewCreditPair, &QAction::triggered, this, [this] {
        RunHandler([this] { m_treeEditor->AddSubtree(MakeCreditPair(QStringLiteral("Role"), QStringLiteral("Name")), QStringLiteral("Add Credit Pair")); });
    });
    ActNewSpacer = make(QStringLiteral("New Spacer"), TreeImageIndex::Image, "ActNewSpacer");
    ActNewSpacer->setToolTip(QStringLiteral("Empty space between credits; its Fixed Height is the gap"));
    connect(ActNewSpacer, &QAction::triggered, this, [this] {
        RunHandler([this] { m_treeEditor->AddSubtree(MakeSpacer(DefaultSpacerHeight), QStringLiteral("Add Spacer")); });
    });

    ActShowPlaceholders = make(QStringLiteral("Placeholders"), TreeImageIndex::Placeholders, "ActShowPlaceholders");
    ActShowPlaceholders->setCheckable(true);
    connect(ActShowPlaceholders, &QAction::triggered, this, [this] { SchedulePreviewUpdate(); });
    CreateZoomActions();
    ActShowSafeAreas = make(QStringLiteral("Safe Areas"), -1, "ActShowSafeAreas");
    ActShowSafeAreas->setCheckable(true);
    ActShowSafeAreas->setToolTip(QStringLiteral("Action-safe (93%) and title-safe (90%) frames over the preview"));
    connect(ActShowSafeAreas, &QAction::triggered, this, [this] { PreviewBox->update(); });
    ActShowElements = make(QStringLiteral("Element Manager"), TreeImageIndex::ElementManager, "ActShowElements");
    ActShowElements->setCheckable(true);
    run(ActShowElements, &TMain::ActShowElementsExecute);
    ActShowProperties = make(QStringLiteral("Property Panel"), TreeImageIndex::PropertyPanel, "ActShowProperties");
    ActShowProperties->setCheckable(true);
    run(ActShowProperties, &TMain::ActShowPropertiesExecute);
    ActGenerateFrames = make(QStringLiteral("Generate"), TreeImageIndex::Project, "ActGenerateFrames");
    run(ActGenerateFrames, &TMain::ActGenerateFramesExecute);

    ActAbout = make(QStringLiteral("About Velmora ..."), -1, "ActAbout");
    run(ActAbout, &TMain::ActAboutExecute);
    ActExit = make(QStringLiteral("E&xit"), -1, "ActExit");
    connect(ActExit, &QAction::triggered, this, &QWidget::close);
}

void TMain::CreateMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addActions({ActNew});
    file->addSeparator();
    file->addAction(ActLoad);
    m_recentMenu = file->addMenu(QStringLiteral("Open &Recent"));
    m_recentMenu->setObjectName(QStringLiteral("RecentFilesMenu"));
    connect(file, &QMenu::aboutToShow, this, &TMain::FillRecentFilesMenu);
    file->addActions({ActSave, ActSaveAs});
    file->addSeparator();
    file->addAction(ActExit);
    m_creditCommands->AddTo(*file, ActExit);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addActions({ActUndo, ActRedo});
    edit->addSeparator();
    edit->addActions({EditCut1, EditCopy1, EditPaste1});
    edit->addSeparator();
    edit->addAction(EditSelectAll1);
    edit->addSeparator();
    edit->addAction(EditDelete1);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addActions({ActShowPlaceholders, ActShowSafeAreas});
    view->addSeparator();
    view->addActions({ActZoomFit, ActZoom50, ActZoom100, ActZoom200});
    view->addSeparator();
    view->addActions({ActShowElements, ActShowProperties});
    QAction *resetLayout = view->addAction(QStringLiteral("Reset &Layout"));
    resetLayout->setObjectName(QStringLiteral("ActResetLayout"));
    resetLayout->setStatusTip(QStringLiteral("Docks, tool bars and side panels as a fresh start has them"));
    connect(resetLayout, &QAction::triggered, this, &TMain::ResetLayout);

    QMenu *elements = menuBar()->addMenu(QStringLiteral("Ele&ments"));
    elements->addActions({ActNewText, ActNewImage, ActNewColumns, ActNewColumn, ActNewCard});
    elements->addSeparator();
    elements->addActions({ActNewCreditPair, ActNewSpacer});

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(ActAbout);

    ElementsTreePopup = new QMenu(this);
    ElementsTreePopup->addActions({ActNewText, ActNewColumns, ActNewColumn, ActNewImage, ActNewCreditPair, ActNewSpacer});
    ElementsTreePopup->addSeparator();
    ElementsTreePopup->addActions({EditCut1, EditCopy1, EditPaste1});
    ElementsTreePopup->addSeparator();
    ElementsTreePopup->addAction(EditSelectAll1);
    ElementsTreePopup->addSeparator();
    ElementsTreePopup->addAction(EditDelete1);
    connect(ElementsTree, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        UpdateActions();
        ElementsTreePopup->popup(ElementsTree->viewport()->mapToGlobal(pos));
    });

    for (QMenu *menu : {file, edit, view, elements, help})
        connect(menu, &QMenu::aboutToShow, this, &TMain::UpdateActions);
}

void TMain::CreateToolBars()
{
    UpperToolBar = addToolBar(QStringLiteral("Commands"));
    UpperToolBar->setObjectName(QStringLiteral("UpperToolBar"));
    UpperToolBar->setMovable(false);
    UpperToolBar->setIconSize(QSize(TreeImageSize, TreeImageSize));
    UpperToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    UpperToolBar->addAction(ActNew);
    UpperToolBar->addSeparator();
    UpperToolBar->addActions({ActLoad, ActSave});
    UpperToolBar->addSeparator();
    UpperToolBar->addActions({ActUndo, ActRedo});
    UpperToolBar->addSeparator();
    UpperToolBar->addActions({ActShowPlaceholders, ActShowElements, ActShowProperties});
    UpperToolBar->addSeparator();
    UpperToolBar->addAction(ActGenerateFrames);
    for (QAction *action : UpperToolBar->actions())
        if (QWidget *button = UpperToolBar->widgetForAction(action); button != nullptr && !action->isSeparator())
            button->setMinimumHeight(44);
    UpperToolBar->widgetForAction(ActGenerateFrames)->setFixedWidth(90);

    addToolBarBreak();
    LowerToolBar = addToolBar(QStringLiteral("Elements"));
    LowerToolBar->setObjectName(QStringLiteral("LowerToolBar"));
    LowerToolBar->setMovable(false);
    LowerToolBar->setIconSize(QSize(TreeImageSize, TreeImageSize));
    LowerToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    LowerToolBar->addActions({ActNewColumns, ActNewColumn, ActNewCard});
    LowerToolBar->addSeparator();
    LowerToolBar->addActions({ActNewText, ActNewImage});
    LowerToolBar->addSeparator();
    LowerToolBar->addActions({EditCut1, EditCopy1, EditPaste1, EditDelete1});
    LowerToolBar->addSeparator();
    for (QAction *action : LowerToolBar->actions())
        if (QWidget *button = LowerToolBar->widgetForAction(action); button != nullptr && !action->isSeparator())
            button->setFixedSize(31, 30);
}

void TMain::AddElement(const TElementKind &kind)
{
    m_treeEditor->AddElement(kind);
}

void TMain::UpdateActions()
{
    const bool editing = !Generating();
    for (QAction *action : {ActNew, ActLoad, ActSaveAs, ActShowPlaceholders, ActShowElements, ActShowProperties, ActGenerateFrames})
        action->setEnabled(editing);
    ActSave->setEnabled(m_document.Modified() && editing);

    ActNewText->setEnabled(m_treeEditor->AcceptsChild(TVmElementText::Kind));
    ActNewImage->setEnabled(m_treeEditor->AcceptsChild(TVmElementImage::Kind));
    ActNewColumns->setEnabled(m_treeEditor->AcceptsChild(TVmElementColumns::Kind));
    ActNewColumn->setEnabled(m_treeEditor->AcceptsChild(TVmElementColumn::Kind));
    ActNewCard->setEnabled(m_treeEditor->AcceptsChild(TVmElementCard::Kind));
    ActNewCreditPair->setEnabled(m_treeEditor->AcceptsChild(TVmElementColumns::Kind));
    ActNewSpacer->setEnabled(m_treeEditor->AcceptsChild(TVmElementImage::Kind));

    m_propertyPages->UpdateActions();

    m_clipboard->UpdateActions();
    ActAbout->setEnabled(true);
}

void TMain::ArmIdleUpdate()
{
    if (!m_idleTimer.isActive())
        m_idleTimer.start();
}

bool TMain::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Drop:
    case QEvent::WindowActivate:
        ArmIdleUpdate();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace velmora
