#pragma once

#include <QObject>
#include <vector>

class QAction;
class QWidget;

namespace velmora {

class TEditorContext;
class TTreeEditor;
class TTreeImages;

// The five edit commands.
enum class TEditCommand { Cut, Copy, Paste, SelectAll, Delete };

// Edit > Cut, Copy, Paste, Select All and Delete. In a text field they work on its text; in
// the panels that show the roll (tree, outline, preview) they work on the selected elements,
// whichever of them has the focus.
class TClipboardCommands : public QObject
{
    Q_OBJECT
public:
    // The actions are children of window, so their shortcuts work wherever its focus is.
    TClipboardCommands(TEditorContext &context, TTreeEditor &treeEditor, const TTreeImages &images, QWidget &window);

    // A focus inside panel makes the commands serve the element selection.
    void AddSelectionPanel(QWidget *panel) { m_panels.push_back(panel); }
    bool Enabled(TEditCommand command) const;
    void Execute(TEditCommand command);
    void UpdateActions();

    QAction *EditCut1 = nullptr;
    QAction *EditCopy1 = nullptr;
    QAction *EditPaste1 = nullptr;
    QAction *EditSelectAll1 = nullptr;
    QAction *EditDelete1 = nullptr;

Q_SIGNALS:
    // A command ran; the states of the others may have changed.
    void Executed();

private:
    bool ServesSelection(const QWidget *focus) const;
    bool SelectionEnabled(TEditCommand command) const;

    TEditorContext &m_context;
    TTreeEditor &m_treeEditor;
    std::vector<QWidget *> m_panels;
};

} // namespace velmora
