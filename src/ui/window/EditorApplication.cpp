#include "ui/window/EditorApplication.h"

#include "core/error.h"

#include <QMessageBox>

namespace velmora {

TEditorApplication::TEditorApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    ShowError = [](const QString &message) { QMessageBox::critical(nullptr, QStringLiteral("Velmora"), message); };
}

bool TEditorApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const EVelmoraError &error) {
        ShowError(error.message());
    } catch (const std::exception &error) {
        ShowError(QString::fromLocal8Bit(error.what()));
    }
    return false;
}

} // namespace velmora
