#pragma once

#include "core/signoff/Credits.h"

#include <QAbstractTableModel>
#include <QObject>
#include <QTimer>
#include <functional>
#include <unordered_map>
#include <vector>

class QDockWidget;
class QTreeView;

class QMainWindow;

namespace velmora {

class TDocument;
class TElementNode;
class TEditorContext;
class TTreeEditor;

// One line of the outline: a credit of the roll, or a row of a linked sheet.
struct TOutlineEntry
{
    TCreditKind Kind = TCreditKind::Text;
    const TElementNode *Node = nullptr; // the element, column set or credit block
    QString Role;
    QString Name; // names, or the text of a heading or paragraph
    // The text elements an edit in place changes; null where the cell cannot be edited.
    const TElementNode *RoleText = nullptr;
    const TElementNode *NameText = nullptr;
    bool Linked = false; // a row of a linked sheet: edited in the sheet
};

// The credits of the roll under projectNode as outline lines, in roll order.
std::vector<TOutlineEntry> OutlineOf(const TElementNode &projectNode);

// text with its visible part replaced by visible, keeping the spacing that pads columns
// (thin spaces, word joiners) on each side.
QString ReplaceVisibleText(const QString &text, const QString &visible);

// The outline as two columns, role and name; headings and paragraphs take the whole line.
class TOutlineModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TOutlineModel(QObject *parent = nullptr) : QAbstractTableModel(parent) {}

    // Takes entries; the same lines with new words only repaint, others reset the view.
    void SetEntries(std::vector<TOutlineEntry> entries);
    void Clear();
    const std::vector<TOutlineEntry> &Entries() const { return m_entries; }
    // Called with the text element and its new full text when a cell is edited.
    std::function<void(const TElementNode &, const QString &)> EditText;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

private:
    const TElementNode *TextOf(const QModelIndex &index) const;
    std::vector<TOutlineEntry> m_entries;
};

// View > Outline: the credits as text beside the tree. Selecting a line selects its element
// (and so moves the preview); selecting in the tree selects its line; cells edit in place as
// undoable text changes.
class TOutlinePanel : public QObject
{
    Q_OBJECT
public:
    // Docks itself in window, follows treeEditor's focus, shows lines through context.
    TOutlinePanel(TEditorContext &context, TTreeEditor &treeEditor, QMainWindow &window);

    QDockWidget *Dock = nullptr;
    QTreeView *View = nullptr;
    TOutlineModel &Model() { return m_model; }
    // Builds the lines again now (they follow edits after a short pause).
    void Rebuild();
    // The line of node or of the nearest element above it that has one; -1 for none.
    int RowOf(const TElementNode *node) const;

private:
    void Forget();
    void ScheduleRebuild();
    void ShowTreeFocus();
    void FocusEntry(int row);

    TEditorContext &m_context;
    TTreeEditor &m_treeEditor;
    TOutlineModel m_model;
    std::unordered_map<const TElementNode *, int> m_rows;
    QTimer m_timer;
    bool m_syncing = false;
};

} // namespace velmora
