#include "ui/panels/FindReplace.h"

#include "core/document/Document.h"
#include "ui/panels/DialogPlacement.h"
#include "ui/window/EditorContext.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velmora {

TFindReplace::TFindReplace(TEditorContext &context, QWidget &window) : QDialog(&window), m_context(context)
{
    setObjectName(QStringLiteral("FindReplace"));
    setWindowTitle(QStringLiteral("Find and Replace"));
    // The roll stays usable while the dialog is open: find, look, edit, find again.
    setModal(false);
    auto *form = new QFormLayout(this);
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindText"));
    form->addRow(QStringLiteral("Find:"), FindEdit);
    ReplaceEdit = new QLineEdit(this);
    ReplaceEdit->setObjectName(QStringLiteral("ReplaceText"));
    form->addRow(QStringLiteral("Replace with:"), ReplaceEdit);
    MatchCase = new QCheckBox(QStringLiteral("Match case"), this);
    WholeWord = new QCheckBox(QStringLiteral("Whole words only"), this);
    form->addRow(MatchCase);
    form->addRow(WholeWord);
    Result = new QLabel(this);
    Result->setObjectName(QStringLiteral("FindResult"));
    form->addRow(Result);
    auto *buttons = new QDialogButtonBox(this);
    FindNextButton = buttons->addButton(QStringLiteral("Find Next"), QDialogButtonBox::ActionRole);
    ReplaceButton = buttons->addButton(QStringLiteral("Replace"), QDialogButtonBox::ActionRole);
    ReplaceAllButton = buttons->addButton(QStringLiteral("Replace All"), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Close);
    FindNextButton->setDefault(true);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    connect(FindNextButton, &QPushButton::clicked, this, [this] { FindNext(); });
    connect(ReplaceButton, &QPushButton::clicked, this, [this] { m_context.Run([this] { ReplaceCurrent(); }); });
    connect(ReplaceAllButton, &QPushButton::clicked, this, [this] { m_context.Run([this] { ReplaceEverywhere(); }); });

    ActFind = new QAction(QStringLiteral("&Find..."), &window);
    ActFind->setObjectName(QStringLiteral("ActFind"));
    ActFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(ActFind, &QAction::triggered, this, [this] { Open(false); });
    ActReplace = new QAction(QStringLiteral("&Replace..."), &window);
    ActReplace->setObjectName(QStringLiteral("ActReplace"));
    ActReplace->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    connect(ActReplace, &QAction::triggered, this, [this] { Open(true); });
    // Their shortcuts work wherever the focus is in the window.
    window.addActions({ActFind, ActReplace});
    context.Actions().Register(ActFind, {.Menu = QStringLiteral("&Edit"), .SeparatorBefore = true});
    context.Actions().Register(ActReplace, {.Menu = QStringLiteral("&Edit")});
}

void TFindReplace::Open(bool replace)
{
    show();
    raise();
    activateWindow();
    QLineEdit *field = replace && !FindEdit->text().isEmpty() ? ReplaceEdit : FindEdit;
    field->setFocus();
    field->selectAll();
}

TFindOptions TFindReplace::Options() const
{
    return TFindOptions{MatchCase->isChecked(), WholeWord->isChecked()};
}

bool TFindReplace::FindNext()
{
    TDocument &document = m_context.Document();
    const QString what = FindEdit->text();
    TElementNode *hit = NextTextNode(document.Tree().Root(), m_context.Document().Tree().FocusedNode(), what, Options());
    if (hit == nullptr) {
        Result->setText(what.isEmpty() ? QString() : QStringLiteral("\"%1\" is in no text.").arg(what));
        return false;
    }
    const std::size_t count = FindTextNodes(document.Tree().Root(), what, Options()).size();
    Result->setText(count == 1 ? QStringLiteral("1 text matches.") : QStringLiteral("%1 texts match.").arg(count));
    m_context.Reveal(*hit);
    KeepClearOfFocused(*this, m_context);
    return true;
}

void TFindReplace::ReplaceCurrent()
{
    if (TElementNode *focused = m_context.Document().Tree().FocusedNode())
        ReplaceInNode(m_context.Document(), *focused, FindEdit->text(), ReplaceEdit->text(), Options());
    FindNext();
}

void TFindReplace::ReplaceEverywhere()
{
    const int replaced = ReplaceAll(m_context.Document(), m_context.Document().Tree().Root(), FindEdit->text(), ReplaceEdit->text(), Options());
    Result->setText(replaced == 1 ? QStringLiteral("1 replacement made.") : QStringLiteral("%1 replacements made.").arg(replaced));
}

} // namespace velmora
