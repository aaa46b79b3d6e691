#include "ui/prompts/TemplateChooser.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace velmora {

TTemplateChooser::TTemplateChooser(QWidget *parent, const QStringList &names) : QDialog(parent)
{
    setObjectName(QStringLiteral("TemplateChooser"));
    setWindowTitle(QStringLiteral("New Project"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Film size and frame rate of the new project:"), this));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("Templates"));
    m_list->addItems(names);
    m_list->setCurrentRow(0);
    // A few short rows: the list needs no scrolling.
    m_list->setFixedHeight(m_list->sizeHintForRow(0) * int(names.size()) + 2 * m_list->frameWidth() + 4);
    layout->addWidget(m_list);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

int TTemplateChooser::Chosen() const
{
    return m_list->currentRow();
}

} // namespace velmora
