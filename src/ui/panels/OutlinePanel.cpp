#include "ui/panels/OutlinePanel.h"

#include "core/credits/ElementCreditBlock.h"
#include "core/document/Document.h"
#include "core/edit/EditCommands.h"
#include "core/elements/Interfaces.h"
#include "ui/tree/TreeEditor.h"
#include "ui/window/EditorContext.h"

#include <QAction>
#include <QDockWidget>
#include <QFont>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QPalette>
#include <QScopedValueRollback>
#include <QTreeView>
#include <QUndoStack>

namespace velmora {

namespace {

// The one text element of a column, or null.
const TElementNode *OnlyText(const TElementNode &column)
{
    return column.ChildCount() == 1 && queryInterface<IElementText>(column.Child(0)->Element()) ? column.Child(0) : nullptr;
}

// node when its text is one visible line, which an edit in place can replace whole.
const TElementNode *EditableText(const TElementNode *node)
{
    return node != nullptr && VisibleLines(TextOf(*node)).size() == 1 ? node : nullptr;
}

bool IsWithin(const TElementNode *node, const TElementNode &ancestor)
{
    for (; node != nullptr; node = node->Parent())
        if (node == &ancestor)
            return true;
    return false;
}

TOutlineEntry EntryOf(const TCredit &credit)
{
    TOutlineEntry entry;
    entry.Kind = credit.Kind;
    entry.Node = credit.Node;
    const bool ownText = queryInterface<IElementText>(credit.Node->Element()) != nullptr;
    switch (credit.Kind) {
    case TCreditKind::Heading:
    case TCreditKind::Text:
        entry.Name = credit.Text;
        entry.NameText = EditableText(credit.Node);
        break;
    case TCreditKind::Role:
        entry.Role = credit.Role;
        entry.Name = credit.Names.join(QStringLiteral(", "));
        entry.RoleText = EditableText(OnlyText(*credit.Node->Child(0)));
        entry.NameText = EditableText(OnlyText(*credit.Node->Child(1)));
        break;
    case TCreditKind::Names:
        entry.Name = credit.Names.join(QStringLiteral(", "));
        entry.NameText = ownText ? EditableText(credit.Node) : nullptr;
        break;
    }
    return entry;
}

void AddBlockRows(const TElementNode &node, const TVmElementCreditBlock &block, std::vector<TOutlineEntry> &entries)
{
    for (const TCreditRow &row : block.Rows().Rows) {
        TOutlineEntry entry;
        entry.Node = &node;
        entry.Linked = true;
        switch (row.Kind) {
        case TCreditRowKind::Heading:
            entry.Kind = TCreditKind::Heading;
            entry.Name = VisibleLines(row[colText]).join(QLatin1Char(' '));
            break;
        case TCreditRowKind::Pair:
            entry.Kind = TCreditKind::Role;
            entry.Role = row.Continued ? QString() : VisibleLines(row[colRole]).join(QLatin1Char(' '));
            entry.Name = VisibleLines(row[colName]).join(QStringLiteral(", "));
            break;
        case TCreditRowKind::Names:
            entry.Kind = TCreditKind::Names;
            entry.Name = VisibleLines(row[colName]).join(QStringLiteral(", "));
            break;
        case TCreditRowKind::Text:
            entry.Name = VisibleLines(row[colText]).join(QLatin1Char(' '));
            break;
        case TCreditRowKind::Image:
        case TCreditRowKind::Logos:
        case TCreditRowKind::Gap:
        case TCreditRowKind::Card:
        case TCreditRowKind::Crawl:
            continue;
        }
        entries.push_back(std::move(entry));
    }
}

bool SpansLine(const TOutlineEntry &entry)
{
    return entry.Kind == TCreditKind::Heading || entry.Kind == TCreditKind::Text;
}

// Characters around a credit's words that belong to the layout, not the words.
bool IsPadding(QChar c)
{
    return c == QChar(0x2009) || c == QChar(0x2060) || c == QChar(0x200B) || c.isSpace();
}

// The caption a credit pair gets from its role and name.
QString PairCaption(const TElementNode &set)
{
    const auto first = [&set](std::size_t column) {
        const TElementNode *text = OnlyText(*set.Child(column));
        const QStringList lines = text ? VisibleLines(TextOf(*text)) : QStringList();
        return lines.isEmpty() ? QString() : lines.first();
    };
    return QStringLiteral("%1 / %2").arg(first(0), first(1));
}

// Sets node's text as one step; a credit pair named after its role and name is renamed with it.
void ChangeTextKeepingCaption(TDocument &document, const TElementNode &node, const QString &text)
{
    // The outline holds the document's own nodes as const; the change goes through a command.
    IElement *element = const_cast<TElementNode &>(node).Element();
    const TElementNode *column = node.Parent();
    TElementNode *set = column ? const_cast<TElementNode *>(column->Parent()) : nullptr;
    const bool renames = set != nullptr && set->Facets().ColumnSet && set->ChildCount() == 2
        && Fields::Caption.Get(*set->Element()) == PairCaption(*set);
    if (!renames) {
        ChangeValue(document, element, Fields::Text, text);
        return;
    }
    document.UndoStack().beginMacro(QString::fromLatin1(Fields::Text.Name));
    ChangeValue(document, element, Fields::Text, text);
    ChangeValue(document, set->Element(), Fields::Caption, PairCaption(*set));
    document.UndoStack().endMacro();
}

} // namespace

std::vector<TOutlineEntry> OutlineOf(const TElementNode &projectNode)
{
    std::vector<TOutlineEntry> entries;
    const std::vector<TCredit> credits = ExtractCredits(projectNode);
    std::size_t next = 0;
    // Credits come in roll order; linked blocks, which they leave out, go in between.
    for (const auto &child : projectNode.Children()) {
        if (const auto *block = dynamic_cast<const TVmElementCreditBlock *>(child->Element())) {
            AddBlockRows(*child, *block, entries);
            continue;
        }
        for (; next < credits.size() && IsWithin(credits[next].Node, *child); ++next)
            entries.push_back(EntryOf(credits[next]));
    }
    return entries;
}

QString ReplaceVisibleText(const QString &text, const QString &visible)
{
    qsizetype first = 0;
    while (first < text.size() && IsPadding(text[first]))
        ++first;
    qsizetype end = text.size();
    while (end > first && IsPadding(text[end - 1]))
        --end;
    return text.left(first) + visible.trimmed() + text.mid(end);
}

// --- model ----------------------------------------------------------------------------------------

void TOutlineModel::SetEntries(std::vector<TOutlineEntry> entries)
{
    const bool sameLines = entries.size() == m_entries.size()
        && std::equal(entries.begin(), entries.end(), m_entries.begin(), [](const TOutlineEntry &a, const TOutlineEntry &b) {
               return a.Node == b.Node && a.Kind == b.Kind;
           });
    if (sameLines) {
        m_entries = std::move(entries);
        if (!m_entries.empty())
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 1));
        return;
    }
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

void TOutlineModel::Clear()
{
    if (m_entries.empty())
        return;
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

int TOutlineModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int TOutlineModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

const TElementNode *TOutlineModel::TextOf(const QModelIndex &index) const
{
    const TOutlineEntry &entry = m_entries[std::size_t(index.row())];
    if (SpansLine(entry))
        return index.column() == 0 ? entry.NameText : nullptr;
    return index.column() == 0 ? entry.RoleText : entry.NameText;
}

QVariant TOutlineModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || std::size_t(index.row()) >= m_entries.size())
        return {};
    const TOutlineEntry &entry = m_entries[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (SpansLine(entry))
            return index.column() == 0 ? entry.Name : QString();
        return index.column() == 0 ? entry.Role : entry.Name;
    case Qt::FontRole:
        if (entry.Kind == TCreditKind::Heading) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::ForegroundRole:
        return entry.Linked ? QVariant(QPalette().color(QPalette::Disabled, QPalette::Text)) : QVariant();
    case Qt::ToolTipRole:
        return entry.Linked ? QStringLiteral("From a linked sheet: edit the sheet, the roll follows it") : QVariant();
    default:
        return {};
    }
}

QVariant TOutlineModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("Role") : QStringLiteral("Name");
}

Qt::ItemFlags TOutlineModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (TextOf(index) != nullptr)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool TOutlineModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !EditText)
        return false;
    const TElementNode *text = TextOf(index);
    const QString words = value.toString().trimmed();
    if (text == nullptr || words.isEmpty() || words == data(index, Qt::EditRole).toString())
        return false;
    EditText(*text, ReplaceVisibleText(velmora::TextOf(*text), words));
    return true;
}

// --- panel ----------------------------------------------------------------------------------------

TOutlinePanel::TOutlinePanel(TEditorContext &context, TTreeEditor &treeEditor, QMainWindow &window)
    : QObject(&window), m_context(context), m_treeEditor(treeEditor)
{
    View = new QTreeView;
    View->setObjectName(QStringLiteral("OutlineView"));
    View->setModel(&m_model);
    View->setRootIsDecorated(false);
    View->setAlternatingRowColors(true);
    View->setUniformRowHeights(true);
    View->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    View->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    View->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    Dock = new QDockWidget(QStringLiteral("Outline"), &window);
    Dock->setObjectName(QStringLiteral("OutlinePanel"));
    Dock->setWidget(View);
    window.addDockWidget(Qt::RightDockWidgetArea, Dock);
    Dock->hide();
    Dock->toggleViewAction()->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    m_context.Actions().Register(Dock->toggleViewAction(), {.Menu = QStringLiteral("&View")}, QStringLiteral("ViewOutline"));

    m_model.EditText = [this](const TElementNode &node, const QString &text) {
        m_context.Run([&] { ChangeTextKeepingCaption(m_context.Document(), node, text); });
    };
    connect(&m_model, &QAbstractItemModel::modelReset, this, [this] {
        for (int row = 0; row < m_model.rowCount(); ++row)
            View->setFirstColumnSpanned(row, QModelIndex(), SpansLine(m_model.Entries()[std::size_t(row)]));
    });
    connect(View->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { FocusEntry(current.row()); });
    connect(&m_treeEditor, &TTreeEditor::Changed, this, &TOutlinePanel::ShowTreeFocus);

    // Nodes about to go take their lines with them at once; the rest follows after a pause.
    TDocument &document = m_context.Document();
    connect(&document, &TDocument::NodeAboutToBeRemoved, this, &TOutlinePanel::Forget);
    connect(&document, &TDocument::NodeAboutToBeMoved, this, &TOutlinePanel::Forget);
    connect(&document, &TDocument::TreeAboutToBeReset, this, &TOutlinePanel::Forget);
    connect(&document, &TDocument::Changed, this, [this](const TDocumentChange &change) {
        if (change.Kind == TDocumentChange::TKind::ElementReplaced)
            Forget();
        ScheduleRebuild();
    });
    m_timer.setSingleShot(true);
    m_timer.setInterval(150);
    connect(&m_timer, &QTimer::timeout, this, &TOutlinePanel::Rebuild);
    connect(Dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            Rebuild();
    });
}

void TOutlinePanel::Forget()
{
    m_rows.clear();
    m_model.Clear();
    ScheduleRebuild();
}

void TOutlinePanel::ScheduleRebuild()
{
    // A hidden outline costs nothing; it is built when shown.
    if (!Dock->isHidden())
        m_timer.start();
}

void TOutlinePanel::Rebuild()
{
    m_timer.stop();
    const TElementNode *project = m_context.Document().ProjectNode();
    {
        const QScopedValueRollback syncing(m_syncing, true);
        m_model.SetEntries(project ? OutlineOf(*project) : std::vector<TOutlineEntry>{});
    }
    m_rows.clear();
    const auto &entries = m_model.Entries();
    for (std::size_t row = 0; row < entries.size(); ++row)
        for (const TElementNode *node : {entries[row].Node, entries[row].RoleText, entries[row].NameText})
            if (node != nullptr)
                m_rows.emplace(node, int(row));
    ShowTreeFocus();
}

int TOutlinePanel::RowOf(const TElementNode *node) const
{
    for (; node != nullptr; node = node->Parent())
        if (const auto found = m_rows.find(node); found != m_rows.end())
            return found->second;
    return -1;
}

void TOutlinePanel::ShowTreeFocus()
{
    if (m_syncing || Dock->isHidden())
        return;
    const int row = RowOf(m_treeEditor.FocusedNode());
    if (row < 0 || row == View->currentIndex().row())
        return;
    const QScopedValueRollback syncing(m_syncing, true);
    const QModelIndex index = m_model.index(row, 0);
    View->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    View->scrollTo(index);
}

void TOutlinePanel::FocusEntry(int row)
{
    if (m_syncing || row < 0 || std::size_t(row) >= m_model.Entries().size())
        return;
    const QScopedValueRollback syncing(m_syncing, true);
    m_context.Reveal(*m_model.Entries()[std::size_t(row)].Node);
}

} // namespace velmora
