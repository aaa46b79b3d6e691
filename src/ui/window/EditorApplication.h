#pragma once

#include <QApplication>
#include <functional>

namespace velmora {

// The editor's application object: an error that escapes an event handler is shown in the
// error box instead of ending the program.
class TEditorApplication : public QApplication
{
    Q_OBJECT
public:
    TEditorApplication(int &argc, char **argv);

    // Shows an escaped error's message; the default is a plain message box.
    std::function<void(const QString &)> ShowError;

    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace velmora
