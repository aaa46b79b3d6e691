#include "ui/window/ClipboardCommands.h"

#include "ui/tree/TreeEditor.h"
#include "ui/tree/TreeImages.h"
#include "ui/window/EditorContext.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace velmora {

namespace {

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

bool LineEditEnabled(const QLineEdit &edit, TEditCommand command)
{
    switch (command) {
    case TEditCommand::Cut:
    case TEditCommand::Delete:
        return edit.hasSelectedText() && !edit.isReadOnly();
    case TEditCommand::Copy:
        return edit.hasSelectedText();
    case TEditCommand::Paste:
        return !edit.isReadOnly() && ClipboardHasText();
    case TEditCommand::SelectAll:
        return !edit.text().isEmpty();
    }
    return false;
}

// The same five gestures on any text field: a line edit, or a rich or plain text edit.
template <typename Edit>
void TextExecute(Edit &edit, TEditCommand command)
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
        if constexpr (std::is_same_v<Edit, QLineEdit>)
            edit.del();
        else
            edit.textCursor().removeSelectedText();
        break;
    }
}

} // namespace

TClipboardCommands::TClipboardCommands(TEditorContext &context, TTreeEditor &treeEditor, const TTreeImages &images, QWidget &window)
    : QObject(&window), m_context(context), m_treeEditor(treeEditor)
{
    const auto make = [&](const QString &caption, int icon, const char *name, QKeySequence key, const QString &hint,
                          TEditCommand command) {
        auto *action = new QAction(images.Icon(icon), caption, &window);
        action->setObjectName(QString::fromLatin1(name));
        action->setIconVisibleInMenu(icon >= 0);
        action->setShortcut(key);
        action->setToolTip(hint.section(QLatin1Char('|'), 0, 0));
        action->setStatusTip(hint.section(QLatin1Char('|'), 1));
        connect(action, &QAction::triggered, this, [this, command] { m_context.Run([this, command] { Execute(command); }); });
        window.addAction(action);
        return action;
    };
    EditCut1 = make(QStringLiteral("Cu&t"), TreeImageIndex::Cut, "EditCut1", QKeySequence(Qt::CTRL | Qt::Key_X),
        QStringLiteral("Cut|Cuts the selection and puts it on the Clipboard"), TEditCommand::Cut);
    EditCopy1 = make(QStringLiteral("&Copy"), TreeImageIndex::Copy, "EditCopy1", QKeySequence(Qt::CTRL | Qt::Key_C),
        QStringLiteral("Copy|Copies the selection and puts it on the Clipboard"), TEditCommand::Copy);
    EditPaste1 = make(QStringLiteral("&Paste"), TreeImageIndex::Paste, "EditPaste1", QKeySequence(Qt::CTRL | Qt::Key_V),
        QStringLiteral("Paste|Inserts Clipboard contents"), TEditCommand::Paste);
    EditSelectAll1 = make(QStringLiteral("Select &All"), -1, "EditSelectAll1", QKeySequence(Qt::CTRL | Qt::Key_A),
        QStringLiteral("Select All|Selects the entire document"), TEditCommand::SelectAll);
    EditDelete1 = make(QStringLiteral("&Delete"), TreeImageIndex::Delete, "EditDelete1", QKeySequence(Qt::Key_Delete),
        QStringLiteral("Delete|Erases the selection"), TEditCommand::Delete);
}

void TClipboardCommands::UpdateActions()
{
    EditCut1->setEnabled(Enabled(TEditCommand::Cut));
    EditCopy1->setEnabled(Enabled(TEditCommand::Copy));
    EditPaste1->setEnabled(Enabled(TEditCommand::Paste));
    EditSelectAll1->setEnabled(Enabled(TEditCommand::SelectAll));
    EditDelete1->setEnabled(Enabled(TEditCommand::Delete));
}

bool TClipboardCommands::ServesSelection(const QWidget *focus) const
{
    // With no focus (a menu or tool bar clicked) the commands act on what is selected.
    if (focus == nullptr)
        return true;
    return std::any_of(m_panels.begin(), m_panels.end(), [focus](const QWidget *panel) {
        return panel != nullptr && (panel == focus || panel->isAncestorOf(focus));
    });
}

bool TClipboardCommands::SelectionEnabled(TEditCommand command) const
{
    switch (command) {
    case TEditCommand::Cut:
        return m_treeEditor.CanCut();
    case TEditCommand::Copy:
    case TEditCommand::Delete:
        return m_treeEditor.CanCopy();
    case TEditCommand::Paste:
        return m_treeEditor.CanPaste();
    case TEditCommand::SelectAll:
        return m_treeEditor.CanSelectAll();
    }
    return false;
}

bool TClipboardCommands::Enabled(TEditCommand command) const
{
    QWidget *focus = QApplication::focusWidget();
    if (QLineEdit *edit = FocusedLineEdit(focus))
        return LineEditEnabled(*edit, command);
    if (auto *rich = qobject_cast<QTextEdit *>(focus))
        return TextEditEnabled(*rich, command);
    if (auto *plain = qobject_cast<QPlainTextEdit *>(focus))
        return TextEditEnabled(*plain, command);
    return ServesSelection(focus) && SelectionEnabled(command);
}

void TClipboardCommands::Execute(TEditCommand command)
{
    // A shortcut may fire while the command is disabled for the focused control.
    if (!Enabled(command))
        return;
    QWidget *focus = QApplication::focusWidget();
    if (QLineEdit *edit = FocusedLineEdit(focus)) {
        TextExecute(*edit, command);
    } else if (auto *rich = qobject_cast<QTextEdit *>(focus)) {
        TextExecute(*rich, command);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(focus)) {
        TextExecute(*plain, command);
    } else {
        switch (command) {
        case TEditCommand::Cut:
            m_treeEditor.CutToClipboard();
            break;
        case TEditCommand::Copy:
            m_treeEditor.CopyToClipboard();
            break;
        case TEditCommand::Paste:
            m_treeEditor.PasteFromClipboard();
            break;
        case TEditCommand::SelectAll:
            m_treeEditor.SelectAll();
            break;
        case TEditCommand::Delete:
            m_treeEditor.DeleteSelection();
            break;
        }
    }
    Q_EMIT Executed();
}

} // namespace velmora
