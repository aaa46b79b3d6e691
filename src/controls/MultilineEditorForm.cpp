#include "controls/MultilineEditorForm.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QVBoxLayout>

namespace velmora {

namespace {

enum class TEditIcon { Undo, Cut, Copy, Paste, Delete, SelectAll };

// Small drawn icons for the edit commands.
QIcon EditIcon(TEditIcon kind)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 60, 120);
    painter.setPen(QPen(ink, 1.5));
    switch (kind) {
    case TEditIcon::Undo:
        painter.drawArc(QRectF(3, 4, 10, 9), 90 * 16, -200 * 16);
        painter.drawLine(QPointF(8, 4), QPointF(5, 2));
        painter.drawLine(QPointF(8, 4), QPointF(5, 7));
        break;
    case TEditIcon::Cut:
        painter.drawEllipse(QRectF(2, 10, 4, 4));
        painter.drawEllipse(QRectF(10, 10, 4, 4));
        painter.drawLine(QPointF(5, 10), QPointF(11, 1));
        painter.drawLine(QPointF(11, 10), QPointF(5, 1));
        break;
    case TEditIcon::Copy:
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(2, 2, 8, 10));
        painter.drawRect(QRectF(6, 5, 8, 10));
        break;
    case TEditIcon::Paste:
        painter.setBrush(QColor(220, 190, 120));
        painter.drawRect(QRectF(2, 3, 10, 12));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(7, 7, 7, 8));
        break;
    case TEditIcon::Delete:
        painter.setPen(QPen(QColor(190, 30, 30), 2));
        painter.drawLine(QPointF(3, 3), QPointF(13, 13));
        painter.drawLine(QPointF(13, 3), QPointF(3, 13));
        break;
    case TEditIcon::SelectAll:
        painter.setPen(QPen(ink, 1, Qt::DashLine));
        painter.drawRect(QRectF(2.5, 2.5, 11, 11));
        break;
    }
    return QIcon(QPixmap::fromImage(image));
}

} // namespace

// Line breaks of any kind turned into single line feeds, as the text area holds them.
static QString ToLineFeeds(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

QString NormaliseLineBreaks(const QString &text)
{
    QString lines = ToLineFeeds(text);
    lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return lines;
}

TMultilineEditor::TMultilineEditor(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Edit Text"));
    resize(750, 520);
    setSizeGripEnabled(true);

    m_editor = new QPlainTextEdit(this);
    m_editor->setObjectName(QStringLiteral("Editor"));
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    CreateActions();

    auto *toolBar = new QToolBar(this);
    toolBar->setIconSize(QSize(16, 16));
    toolBar->addAction(EditUndo1);
    toolBar->addSeparator();
    toolBar->addActions({EditCut1, EditCopy1, EditPaste1});
    toolBar->addSeparator();
    toolBar->addAction(EditDelete1);

    auto *popup = new QMenu(this);
    popup->addAction(EditUndo1);
    popup->addSeparator();
    popup->addActions({EditCut1, EditCopy1, EditPaste1});
    popup->addSeparator();
    popup->addAction(EditDelete1);
    popup->addSeparator();
    popup->addAction(EditSelectAll1);
    m_editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_editor, &QWidget::customContextMenuRequested, this,
            [this, popup](const QPoint &pos) { popup->exec(m_editor->viewport()->mapToGlobal(pos)); });

    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("ButtonOk"));
    ok->setFixedSize(75, 25);
    ok->setDefault(true);
    ok->setAutoDefault(false);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    cancel->setFixedSize(75, 25);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttonStrip = new QWidget(this);
    buttonStrip->setFixedHeight(31);
    auto *buttons = new QHBoxLayout(buttonStrip);
    buttons->setContentsMargins(4, 3, 4, 3);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setSizeGripEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(m_editor, 1);
    layout->addWidget(buttonStrip);
    layout->addWidget(m_statusBar);

    connect(m_editor, &QPlainTextEdit::textChanged, this, &TMultilineEditor::EditorChange);
    m_editor->setFocus();
}

void TMultilineEditor::CreateActions()
{
    struct TCommand
    {
        QAction **action;
        const char *name;
        QString caption;
        QString hint;
        QKeySequence shortcut;
        TEditIcon icon;
    };
    const TCommand commands[] = {
        {&EditUndo1, "EditUndo1", QStringLiteral("&Undo"), QStringLiteral("Undo|Reverts the last action"),
         QKeySequence(Qt::CTRL | Qt::Key_Z), TEditIcon::Undo},
        {&EditCut1, "EditCut1", QStringLiteral("Cu&t"),
         QStringLiteral("Cut|Cuts the selection and puts it on the Clipboard"), QKeySequence(Qt::CTRL | Qt::Key_X),
         TEditIcon::Cut},
        {&EditCopy1, "EditCopy1", QStringLiteral("&Copy"),
         QStringLiteral("Copy|Copies the selection and puts it on the Clipboard"), QKeySequence(Qt::CTRL | Qt::Key_C),
         TEditIcon::Copy},
        {&EditPaste1, "EditPaste1", QStringLiteral("&Paste"), QStringLiteral("Paste|Inserts Clipboard contents"),
         QKeySequence(Qt::CTRL | Qt::Key_V), TEditIcon::Paste},
        {&EditSelectAll1, "EditSelectAll1", QStringLiteral("Select &All"),
         QStringLiteral("Select All|Selects the entire document"), QKeySequence(Qt::CTRL | Qt::Key_A),
         TEditIcon::SelectAll},
        {&EditDelete1, "EditDelete1", QStringLiteral("&Delete"), QStringLiteral("Delete|Erases the selection"),
         QKeySequence(Qt::Key_Delete), TEditIcon::Delete},
    };
    for (const TCommand &command : commands) {
        auto *action = new QAction(EditIcon(command.icon), command.caption, this);
        action->setObjectName(QLatin1String(command.name));
        action->setShortcut(command.shortcut);
        // The hint's short part is the tool tip, the long part goes to the status bar.
        const QStringList parts = command.hint.split(QLatin1Char('|'));
        action->setToolTip(parts.first());
        action->setStatusTip(parts.last());
        // The editor handles these keys itself while it has the focus.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        *command.action = action;
        addAction(action);
    }
    connect(EditUndo1, &QAction::triggered, m_editor, &QPlainTextEdit::undo);
    connect(EditCut1, &QAction::triggered, m_editor, &QPlainTextEdit::cut);
    connect(EditCopy1, &QAction::triggered, m_editor, &QPlainTextEdit::copy);
    connect(EditPaste1, &QAction::triggered, m_editor, &QPlainTextEdit::paste);
    connect(EditSelectAll1, &QAction::triggered, m_editor, &QPlainTextEdit::selectAll);
    connect(EditDelete1, &QAction::triggered, m_editor, [this] { m_editor->textCursor().removeSelectedText(); });

    EditUndo1->setEnabled(false);
    EditCut1->setEnabled(false);
    EditCopy1->setEnabled(false);
    EditDelete1->setEnabled(false);
    connect(m_editor, &QPlainTextEdit::undoAvailable, EditUndo1, &QAction::setEnabled);
    for (QAction *action : {EditCut1, EditCopy1, EditDelete1})
        connect(m_editor, &QPlainTextEdit::copyAvailable, action, &QAction::setEnabled);
}

QString TMultilineEditor::Text() const
{
    return NormaliseLineBreaks(m_editor->toPlainText());
}

void TMultilineEditor::LoadText(const QString &text)
{
    const QString normalised = NormaliseLineBreaks(text);
    if (normalised == Text())
        return;
    {
        const QScopedValueRollback loading(m_loading, true);
        m_editor->setPlainText(ToLineFeeds(text));
    }
    EditorChange();
}

void TMultilineEditor::EditorChange()
{
    if (m_loading)
        return;
    Q_EMIT OnTextChange(this, Text());
}

bool TMultilineEditor::event(QEvent *event)
{
    // A dialog has no main window to show status tips: show them in our own bar.
    if (event->type() == QEvent::StatusTip) {
        m_statusBar->showMessage(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QDialog::event(event);
}

} // namespace velmora
