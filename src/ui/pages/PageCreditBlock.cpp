#include "ui/pages/PageCreditBlock.h"

#include "ui/credits/CreditCommands.h"
#include "ui/window/EditorContext.h"

#include "core/credits/ElementCreditBlock.h"
#include "core/document/Document.h"
#include "core/document/ElementTree.h"
#include "core/error.h"
#include "core/sheets/SheetReader.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QStackedWidget>

namespace velmora {

namespace {

TElementNode *NodeOf(TElementNode &node, const IElement *element)
{
    if (node.Element() == element)
        return &node;
    for (std::size_t i = 0; i < node.ChildCount(); ++i)
        if (TElementNode *found = NodeOf(*node.Child(i), element))
            return found;
    return nullptr;
}

QLabel *PathLabel()
{
    auto *label = new QLabel;
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

TCreditBlockPage::TCreditBlockPage(TEditorContext &context, TCreditCommands &commands) : m_context(context), m_commands(commands)
{
    setObjectName(QStringLiteral("PageCreditBlock"));
    SheetPath = PathLabel();
    Worksheet = new QComboBox;
    Worksheet->setObjectName(QStringLiteral("CreditWorksheet"));
    StylesPath = PathLabel();
    Summary = PathLabel();
    auto *layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Sheet:"), SheetPath);
    layout->addRow(QStringLiteral("Worksheet:"), Worksheet);
    layout->addRow(QStringLiteral("Styles:"), StylesPath);
    layout->addRow(Summary);
    // Only a choice the user makes reads the sheet again; filling the list does not.
    connect(Worksheet, &QComboBox::activated, this, [this](int index) {
        TElementNode *node = m_node;
        const QString name = Worksheet->itemData(index).toString();
        if (node != nullptr && !name.isEmpty())
            m_context.Run([&] { m_commands.ChooseWorksheet(*node, name); });
    });
}

void TCreditBlockPage::Fill(IElement &element)
{
    const auto *block = dynamic_cast<const TVmElementCreditBlock *>(&element);
    m_node = block ? NodeOf(m_context.Document().Tree().Root(), &element) : nullptr;
    if (block == nullptr || m_node == nullptr)
        return;
    const TCreditSource &source = block->Source();
    SheetPath->setText(block->Linked() ? source.SheetPath : QStringLiteral("none: the rows are kept in the project"));
    StylesPath->setText(source.StylesPath.isEmpty() ? (source.StylesJson.isEmpty() ? QStringLiteral("built-in")
                                                                                     : QStringLiteral("kept in the project"))
                                                    : source.StylesPath);
    // The workbook's worksheets as the file has them now; the block's own stays listed even when
    // the file is gone, so the page says what the block reads.
    QStringList names;
    try {
        if (block->Linked())
            names = WorksheetNames(block->SheetFilePath());
    } catch (const EVelmoraError &) {
    }
    const QString current = source.Worksheet.isEmpty() && !names.isEmpty() ? names.front() : source.Worksheet;
    if (!current.isEmpty() && !names.contains(current))
        names.prepend(current);
    Worksheet->clear();
    for (const QString &name : names)
        Worksheet->addItem(name, name);
    if (names.isEmpty())
        Worksheet->addItem(QStringLiteral("(one table)"));
    Worksheet->setCurrentIndex(std::max(0, int(names.indexOf(current))));
    Worksheet->setEnabled(names.size() > 1);
    QString summary = QStringLiteral("%1 rows").arg(block->Rows().Rows.size());
    if (!block->Rows().IgnoredColumns.isEmpty())
        summary += QStringLiteral("; columns left out: %1").arg(block->Rows().IgnoredColumns.join(QStringLiteral(", ")));
    if (!block->Problem().isEmpty())
        summary += QStringLiteral("\n") + block->Problem();
    Summary->setText(summary);
}

} // namespace velmora
