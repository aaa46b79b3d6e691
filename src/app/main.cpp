// The Velmora editor.
#include "ui/window/EditorApplication.h"
#include "controls/PreviewPaintBox.h"
#include "ui/window/MainWindow.h"
#include "ui/prompts/Prompts.h"
#include "ui/window/SplashScreen.h"

#include <QCommandLineParser>
#include <QFile>
#include <QSlider>
#include <QTextStream>
#include <QTimer>
#include <csignal>

namespace {

// Saves a picture of the window once it has settled, for scripted checks of its look.
void ScheduleScreenshot(velmora::TMain &window, const QString &path)
{
    QTimer::singleShot(1500, &window, [&window, path] { window.grab().save(path); });
}

// Writes where the preview and the slider lie on the screen, for scripted checks on a real display.
void ScheduleLayoutReport(velmora::TMain &window, const QString &path)
{
    QTimer::singleShot(1500, &window, [&window, path] {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
            return;
        QTextStream out(&file);
        const velmora::TMainControls &controls = window.Controls();
        for (const auto &[name, widget] : {std::pair<const char *, QWidget *>{"preview", controls.PreviewBox}, {"slider", controls.TrackBar}}) {
            const QPoint origin = widget->mapToGlobal(QPoint(0, 0));
            out << name << ' ' << origin.x() << ' ' << origin.y() << ' ' << widget->width() << ' ' << widget->height() << '\n';
        }
    });
}

} // namespace

int main(int argc, char **argv)
{
    // Past a file size limit a video write fails with its reason instead of ending the editor.
    std::signal(SIGXFSZ, SIG_IGN);
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
    // Scripted checks of the window's look start from the layout as built.
    if (qEnvironmentVariableIsEmpty("VELMORA_SCREENSHOT"))
        window.RememberSettings();

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
    const QString layout = qEnvironmentVariable("VELMORA_LAYOUT_FILE");
    if (!layout.isEmpty())
        ScheduleLayoutReport(window, layout);
    return QApplication::exec();
}
