#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class QAction;
class QDockWidget;
class QListWidget;
class QListWidgetItem;
class QTabWidget;

class QMainWindow;

namespace velmora {

class TCreditCommands;
class TEditorContext;

// The editor's sign-off tools: the Problems panel, which runs the preflight checks of velmora-cli
// check on the open project whenever it changes; File > Export Proof PDF...; and File > Compare
// With..., which lists what changed from another version to the open project in the panel.
class TSignoffPanel : public QObject
{
    Q_OBJECT
public:
    // Docks itself in window; sheet problems come from credits' live link.
    TSignoffPanel(TEditorContext &context, TCreditCommands &credits, QMainWindow &window);

    QDockWidget *Dock = nullptr;
    QTabWidget *Tabs = nullptr;
    QListWidget *Problems = nullptr;
    QListWidget *Changes = nullptr;
    QAction *ActExportProof = nullptr;
    QAction *ActCompare = nullptr;

    // Runs the checks now (tests and a freshly opened file need not wait).
    void Update();
    // Selects the element of the item (a problem or a change) and moves the preview to it.
    void ShowItem(QListWidgetItem *item);
    // Lists the changes from the project or sheet fileName (the older version) to the open
    // project in the Changes tab; errors reach the error box.
    void CompareWith(const QString &fileName);
    // Writes the proof of the open project; errors reach the error box.
    void ExportProof(const QString &fileName);
    // Asks for the proof's file name (tests answer it); empty: cancelled.
    std::function<QString(const QString &proposed)> ChooseProofFile;
    // Asks for the version to compare with; empty: cancelled.
    std::function<QString()> ChooseCompareFile;

private:
    TEditorContext &m_context;
    TCreditCommands &m_credits;
    QWidget &m_window;
    QTimer m_timer;
};

} // namespace velmora
