// The Velmora editor.
#include "ui/EditorApplication.h"
#include "ui/MainWindow.h"
#include "ui/Prompts.h"
#include "ui/SplashScreen.h"

#include <QCommandLineParser>
#include <QTimer>

namespace {

// Saves a picture of the window once it has settled, for scripted checks of its look.
void ScheduleScreenshot(velmora::TMain &window, const QString &path)
{
    QTimer::singleShot(1500, &window, [&window, path] { window.grab().save(path); });
}

} // namespace

int main(int argc, char **argv)
{
    velmora::TEditorApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/velmora/velmora.svg")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Velmora credit roll editor"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("project"), QStringLiteral("Project file (.vmz) to open."),
                                 QStringLiteral("[project]"));
    parser.process(app);

    velmora::TMain window;
    app.ShowError = [&window](const QString &message) { window.ShowError(message); };

    if (qEnvironmentVariableIsEmpty("VELMORA_NO_SPLASH")) {
        velmora::TSplashScreen splash;
        splash.exec();
    }

    window.show();
    if (!parser.positionalArguments().isEmpty())
        window.OpenProjectFile(parser.positionalArguments().constFirst());
    const QString screenshot = qEnvironmentVariable("VELMORA_SCREENSHOT");
    if (!screenshot.isEmpty())
        ScheduleScreenshot(window, screenshot);
    return QApplication::exec();
}
