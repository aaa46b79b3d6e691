// Times the editor at work on a long roll, in a real window: a keystroke in the Text field
// until the preview has painted it, a slider step until its frame is painted, and opening
// and importing until the first frame is painted. Keys come at a typing pace, so that work the
// editor does after each pause (the ruler, the Problems panel, the outline) counts against
// the keys it delays. Prints median and worst of each.
#include "controls/PreviewPaintBox.h"
#include "core/document/Document.h"
#include "ui/credits/CreditCommands.h"
#include "ui/tree/ElementTreeModel.h"
#include "ui/tree/ElementsTreeView.h"
#include "ui/window/MainWindow.h"
#include "ui/panels/OutlinePanel.h"
#include "ui/prompts/ScriptedPrompts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace velmora;

namespace {

// Counts the preview's paints; the connection runs after the window's own painting.
struct TPaintWatch
{
    int Paints = 0;
    explicit TPaintWatch(TMain &window)
    {
        QObject::connect(window.Controls().PreviewBox, &TPreviewPaintBox::OnPaint, &window, [this] { ++Paints; });
    }
    // Runs the event loop until a paint after before, from the moment since started; the ms.
    double WaitForPaint(int before, const QElapsedTimer &since, int timeoutMs = 5000)
    {
        while (Paints == before && since.elapsed() < timeoutMs)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        return since.nsecsElapsed() / 1e6;
    }
};

// Runs the event loop for ms, as the time between two keys of a typist.
void Idle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void Report(const char *what, std::vector<double> ms, double goal)
{
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("%-34s median %7.1f ms   worst %7.1f ms   (%zu samples, goal < %.0f ms)\n", what, median, ms.back(), ms.size(),
                goal);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Editor latency on a long roll"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("project"), QStringLiteral("The project to open (.vmz)."));
    parser.addPositionalArgument(QStringLiteral("sheet"), QStringLiteral("A credit sheet to import into a new project."));
    const QCommandLineOption keys(QStringLiteral("keys"), QStringLiteral("Keys to type (30)."), QStringLiteral("n"), QStringLiteral("30"));
    const QCommandLineOption pace(QStringLiteral("pace"), QStringLiteral("Milliseconds between keys (150)."), QStringLiteral("ms"),
                                  QStringLiteral("150"));
    const QCommandLineOption outline(QStringLiteral("outline"), QStringLiteral("Keep View > Outline open."));
    parser.addOptions({keys, pace, outline});
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2 || !QFileInfo::exists(files[0]) || !QFileInfo::exists(files[1])) {
        std::fprintf(stderr, "usage: velmora-bench-editor PROJECT.vmz SHEET.csv [--keys N] [--pace MS] [--outline]\n");
        return 2;
    }

    TScriptedPrompts prompts;
    TMain window;
    window.SetPrompts(&prompts);
    window.resize(1280, 900);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    if (parser.isSet(outline))
        window.Outline().Dock->show();
    TPaintWatch watch(window);
    Idle(300);

    // Opening: the file read, the tree built and the first frame painted.
    std::vector<double> opens;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        const int before = watch.Paints;
        window.OpenProjectFile(files[0]);
        opens.push_back(watch.WaitForPaint(before, timer));
        if (!prompts.Errors.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(prompts.Errors.join(QLatin1Char('\n'))));
            return 1;
        }
        Idle(700);
    }
    std::printf("%s: %zu top-level elements\n", qPrintable(QFileInfo(files[0]).fileName()), window.Document().ProjectNode()->ChildCount());

    // A text in the middle of the roll, its Text field focused, typed into at a typist's pace.
    TElementNode &project = *window.Document().ProjectNode();
    TElementNode *text = nullptr;
    for (std::size_t i = project.ChildCount() / 2; i < project.ChildCount() && text == nullptr; ++i)
        if (queryInterface<IElementText>(project.Child(i)->Element()) != nullptr)
            text = project.Child(i);
    if (text == nullptr) {
        std::fprintf(stderr, "the project has no text element in its second half\n");
        return 1;
    }
    const QModelIndex index = window.Controls().TreeModel->IndexOf(*text);
    window.Controls().ElementsTree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    Idle(700);
    auto *field = window.findChild<QLineEdit *>(QStringLiteral("TextText"));
    field->setFocus();
    field->end(false);
    Idle(300);
    std::vector<double> typed;
    for (int k = 0; k < parser.value(keys).toInt(); ++k) {
        QElapsedTimer timer;
        timer.start();
        const int before = watch.Paints;
        QTest::keyClick(field, Qt::Key(Qt::Key_A + k % 26));
        typed.push_back(watch.WaitForPaint(before, timer));
        Idle(std::max(0, parser.value(pace).toInt() - int(timer.elapsed())));
    }
    Idle(1000);

    // Slider steps: a page at a time from the middle, as the keys on the slider move it.
    QSlider &slider = *window.Controls().TrackBar;
    slider.setValue(slider.maximum() / 2);
    slider.setFocus();
    Idle(300);
    std::vector<double> steps;
    for (int k = 0; k < 30; ++k) {
        QElapsedTimer timer;
        timer.start();
        const int before = watch.Paints;
        QTest::keyClick(&slider, Qt::Key_PageDown);
        steps.push_back(watch.WaitForPaint(before, timer));
        Idle(40);
    }

    // Importing the sheet into a new project, as copied elements.
    std::vector<double> imports;
    for (int run = 0; run < 3; ++run) {
        prompts.Answers = {true};
        window.Document().NewProject();
        Idle(700);
        QElapsedTimer timer;
        timer.start();
        const int before = watch.Paints;
        window.CreditCommands().ImportCredits(files[1]);
        imports.push_back(watch.WaitForPaint(before, timer));
        Idle(700);
    }

    Report("keystroke to preview", typed, 100);
    Report("slider step", steps, 50);
    Report("open project", opens, 1000);
    Report("import sheet", imports, 1000);
    return 0;
}
