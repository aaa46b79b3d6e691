// velmora-screenshots PROJECT.vmz OUTDIR: opens the editor on a sample project, goes through
// the steps the user manual describes and saves each picture the manual shows into OUTDIR.
// It drives the window only as a user would (tree selection, commands, dialogs), so the
// pictures follow the editor as it changes. docs/make-screenshots.sh runs it under Xvfb.
#include "ui/window/EditorApplication.h"
#include "ui/window/MainWindow.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

using velmora::TMain;

// Lets queued work (the 50 ms preview refresh, repaints) run for ms milliseconds.
void Settle(int ms = 300)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

class TScreenshots
{
public:
    TScreenshots(TMain &window, const QString &outDir) : m_window(window), m_outDir(outDir) {}

    // Selects the tree node whose caption starts with caption, as a click does.
    void Select(const QString &caption)
    {
        auto *tree = Find<QAbstractItemView>("ElementsTree");
        QAbstractItemModel *model = tree->model();
        const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, caption, 1,
                                                   Qt::MatchStartsWith | Qt::MatchCaseSensitive | Qt::MatchRecursive | Qt::MatchWrap);
        if (found.isEmpty()) {
            Fail(QStringLiteral("no element \"%1\" in the sample project").arg(caption));
            return;
        }
        tree->setFocus();
        tree->selectionModel()->setCurrentIndex(found.first(), QItemSelectionModel::ClearAndSelect);
        tree->scrollTo(found.first());
        Settle();
    }

    // Moves the roll to fraction (0 to 1) of its range.
    void ShowPosition(double fraction)
    {
        auto *slider = Find<QSlider>("TrackBar");
        slider->setValue(int(slider->maximum() * fraction));
        Settle();
    }

    void Save(QWidget &widget, const QString &name)
    {
        const QString path = QDir(m_outDir).filePath(name);
        if (!widget.grab().save(path))
            Fail(QStringLiteral("cannot write %1").arg(path));
        else
            std::printf("%s\n", qPrintable(path));
    }
    void SaveWindow(const QString &name) { Save(m_window, name); }

    // Runs Generate; answers the output file dialog with a file in OUTDIR, hands the first
    // other dialog of the run (the codec choice) to onDialog and accepts any after it.
    // Runs Generate: onFormat gets the format dialog, onCodec the AVI codec dialog (each once;
    // a missing handler accepts), the file dialog gets a name in the output folder.
    void Generate(const std::function<void(QDialog &)> &onFormat, const std::function<void(QDialog &)> &onCodec)
    {
        QTimer poll;
        poll.setInterval(100);
        QDialog *handed = nullptr;
        bool busy = false;  // the handlers let events run, this timer's among them
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (busy || !dialog || !dialog->isVisible())
                return;
            if (auto *files = qobject_cast<QFileDialog *>(dialog)) {
                QFile::remove(QDir(m_outDir).filePath(QStringLiteral("screenshot-run.avi")));
                // selectFile leaves the name field alone while it has the focus.
                files->setDirectory(m_outDir);
                if (auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                    name->setText(QStringLiteral("screenshot-run.avi"));
                else
                    files->selectFile(QStringLiteral("screenshot-run.avi"));
                static_cast<QDialog *>(files)->accept();
            } else if (auto *box = qobject_cast<QMessageBox *>(dialog)) {
                box->accept();
            } else if (dialog != handed) {
                handed = dialog;
                const bool format = dialog->objectName() == QStringLiteral("DeliveryDialog");
                const std::function<void(QDialog &)> &handler = format ? onFormat : onCodec;
                if (!handler) {
                    dialog->accept();
                    return;
                }
                busy = true;
                Settle(200);
                handler(*dialog);
                busy = false;
            } else {
                dialog->accept();
            }
        });
        poll.start();
        Find<QAction>("ActGenerateFrames")->trigger();
        poll.stop();
        QFile::remove(QDir(m_outDir).filePath(QStringLiteral("screenshot-run.avi")));
    }

    int Failures() const { return m_failures; }

    // The window's widget or command of that object name. The driver reaches the editor as a user
    // does, through what is on screen, so it needs none of the window's internals.
    template <typename T>
    T *Find(const char *name)
    {
        T *found = m_window.findChild<T *>(QLatin1String(name));
        if (!found) {
            std::fprintf(stderr, "velmora-screenshots: the editor has no %s\n", name);
            std::exit(1);
        }
        return found;
    }

private:
    void Fail(const QString &message)
    {
        std::fprintf(stderr, "velmora-screenshots: %s\n", qPrintable(message));
        ++m_failures;
    }

    TMain &m_window;
    QString m_outDir;
    int m_failures = 0;
};

} // namespace

int main(int argc, char **argv)
{
    velmora::TEditorApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmora-screenshots PROJECT.vmz OUTDIR\n");
        return 2;
    }
    const QString project = QString::fromLocal8Bit(argv[1]);
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(outDir);

    // A dialog nobody answers would keep the driver waiting for ever.
    QTimer::singleShot(120000, [] {
        std::fprintf(stderr, "velmora-screenshots: still running after two minutes; a dialog went unanswered?\n");
        std::_Exit(1);
    });

    TMain window;
    window.resize(1062, 807);
    window.show();
    window.OpenProjectFile(project);
    Settle(500);
    TScreenshots shots(window, outDir);

    // The window as it opens a project: the project page and the title at the top of the roll.
    shots.Select(QStringLiteral("The Lighthouse Keeper"));
    shots.ShowPosition(0.12);
    shots.SaveWindow(QStringLiteral("editor.png"));

    shots.Select(QStringLiteral("THE LIGHTHOUSE KEEPER"));
    shots.ShowPosition(0.22);
    shots.SaveWindow(QStringLiteral("text-page.png"));

    shots.Select(QStringLiteral("Studio logo"));
    shots.ShowPosition(0.16);
    shots.SaveWindow(QStringLiteral("image-page.png"));

    // Columns with their outlines: the placeholders show how the width is shared.
    shots.Select(QStringLiteral("Crew"));
    QAction *placeholders = shots.Find<QAction>("ActShowPlaceholders");
    placeholders->trigger();
    shots.ShowPosition(0.3);
    shots.SaveWindow(QStringLiteral("columns.png"));
    placeholders->trigger();
    shots.ShowPosition(0.12);

    // The format choice of Generate, then the AVI codec choice, cancelled.
    shots.Select(QStringLiteral("The Lighthouse Keeper"));
    shots.Generate(
        [&](QDialog &dialog) {
            shots.Save(dialog, QStringLiteral("generate-format.png"));
            dialog.accept();
        },
        [&](QDialog &dialog) {
            shots.Save(dialog, QStringLiteral("codec-options.png"));
            dialog.reject();
        });
    // A run under way, stopped after its first frames; with a quick codec, so that the
    // frames already handed to the encoder are written soon after the stop.
    shots.Generate(nullptr, [&](QDialog &dialog) {
        if (auto *codecs = dialog.findChild<QComboBox *>(QStringLiteral("CodecList"))) {
            const int quick = codecs->findText(QStringLiteral("Motion JPEG"), Qt::MatchStartsWith);
            if (quick >= 0)
                codecs->setCurrentIndex(quick);
        }
        QTimer::singleShot(1200, &window, [&] {
            shots.SaveWindow(QStringLiteral("generating.png"));
            shots.Find<QAbstractButton>("Button1")->click();
        });
        dialog.accept();
    });
    Settle(200);
    window.close();
    return shots.Failures() == 0 ? 0 : 1;
}
