#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class QAction;
class QDockWidget;
class QListWidget;
class QListWidgetItem;

namespace velmora {

class TMain;

// The editor's sign-off tools: the Problems panel, which runs the preflight checks of velmora-cli
// check on the open project whenever it changes, and File > Export Proof PDF...
class TSignoffPanel : public QObject
{
    Q_OBJECT
public:
    explicit TSignoffPanel(TMain &main);

    QDockWidget *Dock = nullptr;
    QListWidget *Problems = nullptr;
    QAction *ActExportProof = nullptr;

    // Runs the checks now (tests and a freshly opened file need not wait).
    void Update();
    // Selects the problem's element and moves the preview so that it is on screen.
    void ShowProblem(int row);
    // Writes the proof of the open project; errors reach the error box.
    void ExportProof(const QString &fileName);
    // Asks for the proof's file name (tests answer it); empty: cancelled.
    std::function<QString(const QString &proposed)> ChooseProofFile;

private:
    TMain &m_main;
    QTimer m_timer;
};

} // namespace velmora
