// Commands of the main window: actions, menus, tool bars and their enabling rules.
#include "ui/window/MainWindow.h"

#include "ui/credits/CreditCommands.h"
#include "ui/pages/PropertyPages.h"

#include "controls/PreviewPaintBox.h"
#include "core/edit/EditCommands.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/elements/ElementText.h"
#include "ui/tree/ElementsTreeView.h"
#include "ui/panels/FindReplace.h"
#include "ui/panels/SpellingDialog.h"
#include "ui/tree/TreeEditor.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>

namespace velmora {

namespace {

// A gap of about two lines of credits at PAL size; the Fixed Height field sets it exactly.
constexpr int DefaultSpacerHeight = 48;

// The line edit of a focused text field, also inside spin edits and editable combos.
QLineEdit *FocusedLineEdit(QWidget *focus)
{
    if (auto *edit = qobject_cast<QLineEdit *>(focus))
        return edit;
    if (qobject_cast<QAbstractSpinBox *>(focus) != nullptr)
        return focus->findChild<QLineEdit *>();
    return nullptr;
}

bool ClipboardHasText()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText();
}

// The rules of a multi-line text field (rich or plain).
template <typename Edit>
bool TextEditEnabled(const Edit &edit, TEditCommand command)
{
    switch (command) {
    case TEditCommand::Cut:
    case TEditCommand::Delete:
        return edit.textCursor().hasSelection() && !edit.isReadOnly();
    case TEditCommand::Copy:
        return edit.textCursor().hasSelection();
    case TEditCommand::Paste:
        return !edit.isReadOnly() && edit.canPaste();
    case TEditCommand::SelectAll:
        return !edit.document()->isEmpty();
    }
    return false;
}

template <typename Edit>
void TextEditExecute(Edit &edit, TEditCommand command)
{
    switch (command) {
    case TEditCommand::Cut:
        edit.cut();
        break;
    case TEditCommand::Copy:
        edit.copy();
        break;
    case TEditCommand::Paste:
        edit.paste();
        break;
    case TEditCommand::SelectAll:
        edit.selectAll();
        break;
    case TEditCommand::Delete:
        edit.textCursor().removeSelectedText();
        break;
    }
}

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

    const auto edit = [this, &make](const QString &caption, int icon, const char *name, QKeySequence key,
                          const QString &hint, TEditCommand command) {
        QAction *action = make(caption, icon, name);
        action->setShortcut(key);
        action->setToolTip(hint.section(QLatin1Char('|'), 0, 0));
        action->setStatusTip(hint.section(QLatin1Char('|'), 1));
        connect(action, &QAction::triggered, this, [this, command] { RunHandler([this, command] { EditExecute(command); }); });
        return action;
    };
    EditCut1 = edit(QStringLiteral("Cu&t"), TreeImageIndex::Cut, "EditCut1", QKeySequence(Qt::CTRL | Qt::Key_X),
        QStringLiteral("Cut|Cuts the selection and puts it on the Clipboard"), TEditCommand::Cut);
    EditCopy1 = edit(QStringLiteral("&Copy"), TreeImageIndex::Copy, "EditCopy1", QKeySequence(Qt::CTRL | Qt::Key_C),
        QStringLiteral("Copy|Copies the selection and puts it on the Clipboard"), TEditCommand::Copy);
    EditPaste1 = edit(QStringLiteral("&Paste"), TreeImageIndex::Paste, "EditPaste1", QKeySequence(Qt::CTRL | Qt::Key_V),
        QStringLiteral("Paste|Inserts Clipboard contents"), TEditCommand::Paste);
    EditSelectAll1 = edit(QStringLiteral("Select &All"), -1, "EditSelectAll1", QKeySequence(Qt::CTRL | Qt::Key_A),
        QStringLiteral("Select All|Selects the entire document"), TEditCommand::SelectAll);
    EditDelete1 = edit(QStringLiteral("&Delete"), TreeImageIndex::Delete, "EditDelete1", QKeySequence(Qt::Key_Delete),
        QStringLiteral("Delete|Erases the selection"), TEditCommand::Delete);

    ActAbout = make(QStringLiteral("About Velmora ..."), -1, "ActAbout");
    run(ActAbout, &TMain::ActAboutExecute);
    ActExit = make(QStringLiteral("E&xit"), -1, "ActExit");
    connect(ActExit, &QAction::triggered, this, &QWidget::close);

    // Shortcuts work wherever the focus is in the window.
    addActions({EditCut1, EditCopy1, EditPaste1, EditSelectAll1, EditDelete1});
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
    m_findReplace->AddTo(*edit);
    m_spelling->AddTo(*edit);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addActions({ActShowPlaceholders, ActShowSafeAreas});
    view->addSeparator();
    view->addActions({ActZoomFit, ActZoom50, ActZoom100, ActZoom200});
    view->addSeparator();
    view->addActions({ActShowElements, ActShowProperties});

    QMenu *elements = menuBar()->addMenu(QStringLiteral("Ele&ments"));
    elements->addActions({ActNewText, ActNewImage, ActNewColumns, ActNewColumn});
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
    LowerToolBar->addActions({ActNewColumns, ActNewColumn});
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
    const bool editing = !m_generating;
    for (QAction *action : {ActNew, ActLoad, ActSaveAs, ActShowPlaceholders, ActShowElements, ActShowProperties, ActGenerateFrames})
        action->setEnabled(editing);
    ActSave->setEnabled(m_document.Modified() && editing);

    ActNewText->setEnabled(m_treeEditor->AcceptsChild(TVmElementText::Kind));
    ActNewImage->setEnabled(m_treeEditor->AcceptsChild(TVmElementImage::Kind));
    ActNewColumns->setEnabled(m_treeEditor->AcceptsChild(TVmElementColumns::Kind));
    ActNewColumn->setEnabled(m_treeEditor->AcceptsChild(TVmElementColumn::Kind));
    ActNewCreditPair->setEnabled(m_treeEditor->AcceptsChild(TVmElementColumns::Kind));
    ActNewSpacer->setEnabled(m_treeEditor->AcceptsChild(TVmElementImage::Kind));

    m_propertyPages->UpdateActions();

    EditCut1->setEnabled(EditEnabled(TEditCommand::Cut));
    EditCopy1->setEnabled(EditEnabled(TEditCommand::Copy));
    EditPaste1->setEnabled(EditEnabled(TEditCommand::Paste));
    EditSelectAll1->setEnabled(EditEnabled(TEditCommand::SelectAll));
    EditDelete1->setEnabled(EditEnabled(TEditCommand::Delete));
    ActAbout->setEnabled(true);
}

bool TMain::EditEnabled(TEditCommand command) const
{
    QWidget *focus = QApplication::focusWidget();
    if (focus == nullptr)
        return false;
    if (focus == ElementsTree) {
        switch (command) {
        case TEditCommand::Cut:
        case TEditCommand::Copy:
        case TEditCommand::Delete:
            return m_treeEditor->CanCopy();
        case TEditCommand::Paste:
            return m_treeEditor->CanPaste();
        case TEditCommand::SelectAll:
            return m_treeEditor->CanSelectAll();
        }
    }
    if (QLineEdit *edit = FocusedLineEdit(focus)) {
        switch (command) {
        case TEditCommand::Cut:
        case TEditCommand::Delete:
            return edit->hasSelectedText() && !edit->isReadOnly();
        case TEditCommand::Copy:
            return edit->hasSelectedText();
        case TEditCommand::Paste:
            return !edit->isReadOnly() && ClipboardHasText();
        case TEditCommand::SelectAll:
            return !edit->text().isEmpty();
        }
    }
    if (auto *rich = qobject_cast<QTextEdit *>(focus))
        return TextEditEnabled(*rich, command);
    if (auto *plain = qobject_cast<QPlainTextEdit *>(focus))
        return TextEditEnabled(*plain, command);
    return false;
}

void TMain::EditExecute(TEditCommand command)
{
    // A shortcut may fire while the command is disabled for the focused control.
    if (!EditEnabled(command))
        return;
    QWidget *focus = QApplication::focusWidget();
    if (focus == ElementsTree) {
        switch (command) {
        case TEditCommand::Cut:
            m_treeEditor->CutToClipboard();
            break;
        case TEditCommand::Copy:
            m_treeEditor->CopyToClipboard();
            break;
        case TEditCommand::Paste:
            m_treeEditor->PasteFromClipboard();
            break;
        case TEditCommand::SelectAll:
            m_treeEditor->SelectAll();
            break;
        case TEditCommand::Delete:
            m_treeEditor->DeleteSelection();
            break;
        }
    } else if (QLineEdit *edit = FocusedLineEdit(focus)) {
        switch (command) {
        case TEditCommand::Cut:
            edit->cut();
            break;
        case TEditCommand::Copy:
            edit->copy();
            break;
        case TEditCommand::Paste:
            edit->paste();
            break;
        case TEditCommand::SelectAll:
            edit->selectAll();
            break;
        case TEditCommand::Delete:
            edit->del();
            break;
        }
    } else if (auto *rich = qobject_cast<QTextEdit *>(focus)) {
        TextEditExecute(*rich, command);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(focus)) {
        TextEditExecute(*plain, command);
    }
    ArmIdleUpdate();
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
