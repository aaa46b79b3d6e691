// File > Import Credits... and Fit to Running Time... in the real window, and the speed warning.
#include "EditorFixture.h"

#include "core/render/LayoutPass.h"
#include "core/credits/ElementCreditBlock.h"
#include "core/elements/Drawing.h"
#include "core/export/run/GenerationRun.h"
#include "core/sheets/CreditStyles.h"
#include "core/render/FrameRenderer.h"
#include "core/render/Timecode.h"
#include "ui/CreditCommands.h"

#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QSlider>
#include <QTemporaryDir>

using namespace velmora;
using namespace velmora::test;

namespace {

struct TScriptedCreditPrompts : ICreditPrompts
{
    QString Sheet;
    QString RunningTime;
    QString Proposed;
    QStringList Messages;
    QString ChooseSheetFile() override { return Sheet; }
    QString AskRunningTime(const QString &proposed) override
    {
        Proposed = proposed;
        return RunningTime;
    }
    void ShowMessage(const QString &message) override { Messages << message; }
    bool EndGap = false;
    bool AllowEndGap(const QString &) override { return EndGap; }
};

QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return file.fileName();
}

int FrameCount(TMain &main)
{
    TFrameRenderer renderer;
    renderer.RenderFrame(main.Document().Tree(), 0, false);
    const auto *project = queryInterface<IProject>(main.Document().ProjectNode()->Element());
    return FrameCountFor(renderer.PositionRange(), project->GetScrollRate());
}

} // namespace

class CreditCommandsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void importInsertsAfterTheFocusedElementAndShowsTheBlock()
    {
        TEditorFixture f;
        TScriptedCreditPrompts prompts;
        f.Main().CreditCommands().SetPrompts(&prompts);
        TElementNode &first = f.AddText(f.Project(), "Opening");
        f.AddText(f.Project(), QString("Tall\r\n").repeated(30) + "end");
        f.AddText(f.Project(), "Closing");
        f.Focus(*f.Project().Child(1));
        QTemporaryDir dir;
        prompts.Sheet = WriteFile(dir, "c.csv", "Kind,Role,Name,Text\nheading,,,CAST\npair,Lead,Ada Achterberg,\n");
        WriteFile(dir, "c-styles.json", R"({"Heading": {"FontSize": 50}})"); // found beside the sheet
        // The command sits in the File menu.
        QMenu *file = f.Main().menuBar()->actions().first()->menu();
        QVERIFY(file->actions().contains(f.Main().CreditCommands().ActImportCredits));
        f.Main().CreditCommands().ActImportCredits->trigger();

        QVERIFY(f.Prompts.Errors.isEmpty());
        // A copy is one credit block named after the sheet, holding its rows and no path to it.
        QCOMPARE(f.Project().ChildCount(), std::size_t(4));
        QCOMPARE(NodeCaption(*f.Project().Child(2)), QString("c.csv"));
        const auto *block = dynamic_cast<const TVmElementCreditBlock *>(f.Project().Child(2)->Element());
        QVERIFY(block != nullptr);
        QVERIFY(!block->Linked());
        QCOMPARE(block->Rows().Rows.size(), std::size_t(2));
        QCOMPARE(f.Editor().FocusedNode(), f.Project().Child(2));
        QVERIFY(f.Main().Document().Modified());
        // The preview shows the block's start at its top: the film height plus the first two elements.
        TFrameRenderer renderer;
        renderer.RenderFrame(f.Main().Document().Tree(), 0, false);
        // The styles beside the sheet came along; their sizes follow the film (576 lines) as a
        // linked block's do.
        QCOMPARE(block->LayoutFor(FilmOf(f.Project())).Pieces().front().Lines.front().Layout->font().pixelSize(), RoundHalfEven(50 * 576 / 1080.0));
        QCOMPARE(f.Main().Controls().TrackBar->value(), 576 + queryInterface<IElementMargins>(first.Element())->GetFixedHeight()
                                                 + queryInterface<IElementMargins>(f.Project().Child(1)->Element())->GetFixedHeight());
        // The whole import is one step.
        QCOMPARE(f.Main().Document().UndoStack().undoText(), QString("Import Credits"));
        f.Main().Document().UndoStack().undo();
        QCOMPARE(f.Project().ChildCount(), std::size_t(3));
        QCOMPARE(f.Model().rowCount(f.Model().IndexOf(f.Project())), 3);
    }

    void importIntoTheStartingProjectTakesTheSheetsFilm()
    {
        QTemporaryDir dir;
        const QString sheet = WriteFile(dir, "c.csv", "Kind,Role,Name,Text\nheading,,,CAST\n");
        // The project the editor starts with becomes the sheet's HD 24 fps project, in the import's
        // one step; a film the user chose, or a project already worked on, keeps its size.
        struct TCase
        {
            const char *Name;
            int Template; // -1: as the editor starts
            bool LinkIt;
            int Width, Height, Rate;
        };
        const TCase cases[] = {
            {"starting project, copied", -1, false, 1920, 1080, 24},
            {"starting project, linked", -1, true, 1920, 1080, 24},
            {"PAL chosen", 4, false, 720, 576, 25},
            {"DCI Scope chosen", 3, true, 2048, 858, 24},
        };
        for (const TCase &c : cases) {
            TEditorFixture f;
            if (c.Template >= 0) {
                f.Prompts.Templates.push_back(c.Template);
                f.Main().Controls().ActNew->trigger();
            }
            if (c.LinkIt)
                f.Main().CreditCommands().LinkCredits(sheet);
            else
                f.Main().CreditCommands().ImportCredits(sheet);
            const auto *project = queryInterface<IProject>(f.Project().Element());
            QVERIFY2(project->GetWidth() == c.Width && project->GetHeight() == c.Height, c.Name);
            QCOMPARE(project->GetFrameRate(), c.Rate);
            QCOMPARE(f.Project().ChildCount(), std::size_t(1));
            QCOMPARE(f.Main().Document().UndoStack().count(), 1);
            // Copied or linked, the sheet is one block; only a linked one follows the file.
            const auto *block = dynamic_cast<const TVmElementCreditBlock *>(f.Project().Child(0)->Element());
            QVERIFY2(block != nullptr && block->Linked() == c.LinkIt, c.Name);
            if (c.Template < 0) {
                QCOMPARE(project->GetBackColor(), TArgb(0xFF000000));
                f.Main().Document().UndoStack().undo();
                QCOMPARE(project->GetWidth(), 720);
                QCOMPARE(project->GetFrameRate(), 25);
                QCOMPARE(f.Project().ChildCount(), std::size_t(0));
            }
        }
    }

    void badSheetChangesNothing()
    {
        TEditorFixture f;
        TScriptedCreditPrompts prompts;
        f.Main().CreditCommands().SetPrompts(&prompts);
        f.AddText(f.Project(), "Kept");
        f.Main().Document().SaveProjectAs(QTemporaryDir().filePath("x.vmz")); // clean state
        QTemporaryDir dir;
        prompts.Sheet = WriteFile(dir, "bad.csv", "Kind,Text\nheading,A\npaier,B\n");
        f.Main().CreditCommands().ActImportCredits->trigger();
        QCOMPARE(f.Prompts.Errors, QStringList{"bad.csv:3: unknown Kind \"paier\""});
        QCOMPARE(f.Project().ChildCount(), std::size_t(1));
    }

    void fitToRunningTimeHitsTheFrameCountAndSaysSo()
    {
        TEditorFixture f;
        TScriptedCreditPrompts prompts;
        f.Main().CreditCommands().SetPrompts(&prompts);
        for (int i = 0; i < 20; ++i)
            f.AddText(f.Project(), QString("Line %1").arg(i));
        prompts.RunningTime = "00:00:20:10"; // 510 frames at 25 fps
        f.Main().CreditCommands().ActFitRunningTime->trigger();
        QVERIFY(prompts.Proposed.startsWith("00:00:"));
        QCOMPARE(FrameCount(f.Main()), 510);
        QCOMPARE(prompts.Messages.size(), 1);
        QVERIFY(prompts.Messages[0].startsWith("Running time 00:00:20:10 (510 frames): scrolling "));
        // 20 short lines need a gap: the message says when the screen empties, and until when.
        const auto *project0 = queryInterface<IProject>(f.Project().Element());
        TFrameRenderer full;
        full.RenderFrame(f.Main().Document().Tree(), 0, false);
        const int gap = queryInterface<IElementMargins>(f.Project().Child(20)->Element())->GetFixedHeight();
        const qint64 emptyFrom = (full.PositionRange() - gap + project0->GetScrollRate() - 1) / project0->GetScrollRate();
        QVERIFY2(prompts.Messages[0].contains(QString(" The gap leaves the screen empty from %1 to the end (%2).")
                                                 .arg(FormatTimecode(emptyFrom, 25), FormatTimecode(510 - emptyFrom, 25))),
                 qPrintable(prompts.Messages[0]));
        QVERIFY(!prompts.Messages[0].contains("too fast"));
        QVERIFY(f.Main().Document().Modified());
        // Fitting again replaces the gap; one Undo takes back one fit, another the first one.
        const auto *fitted = queryInterface<IProject>(f.Project().Element());
        const int firstRate = fitted->GetScrollRate();
        prompts.RunningTime = "00:00:12:00";
        f.Main().CreditCommands().ActFitRunningTime->trigger();
        QCOMPARE(FrameCount(f.Main()), 300);
        QCOMPARE(f.Project().ChildCount(), std::size_t(21));
        QCOMPARE(f.Main().Document().UndoStack().undoText(), QString("Fit to Running Time"));
        f.Main().Document().UndoStack().undo();
        QCOMPARE(FrameCount(f.Main()), 510);
        QCOMPARE(fitted->GetScrollRate(), firstRate);
        f.Main().Document().UndoStack().undo();
        QCOMPARE(f.Project().ChildCount(), std::size_t(20));
        f.Main().Document().UndoStack().redo();
        QCOMPARE(FrameCount(f.Main()), 510);

        // Too long for 1 pixel per frame: nothing changes.
        const auto *project = queryInterface<IProject>(f.Project().Element());
        const int rate = project->GetScrollRate();
        const std::size_t children = f.Project().ChildCount();
        prompts.RunningTime = "01:00:00";
        f.Main().CreditCommands().ActFitRunningTime->trigger();
        QCOMPARE(project->GetScrollRate(), rate);
        QCOMPARE(f.Project().ChildCount(), children);
        QVERIFY(prompts.Messages.last().contains("cannot be met"));

        // A fit that has to scroll fast says so.
        prompts.RunningTime = "00:00:01:00";
        f.Main().CreditCommands().ActFitRunningTime->trigger();
        QVERIFY2(prompts.Messages.last().contains(". Scrolling too fast to read: "), qPrintable(prompts.Messages.last()));
    }

    // With a linked block the rest goes into its elastic spaces, as one step; black at the end
    // only when the user allows it.
    void fitWithCreditsAddsNoBlack()
    {
        TEditorFixture f;
        TScriptedCreditPrompts prompts;
        f.Main().CreditCommands().SetPrompts(&prompts);
        QTemporaryDir dir;
        QByteArray rows = "Kind,Role,Name,Text,Size\n";
        for (int section = 0; section < 5; ++section) {
            rows += "heading,,,SECTION " + QByteArray::number(section) + ",\n";
            for (int i = 0; i < 6; ++i)
                rows += "pair,Role " + QByteArray::number(i) + ",A Name,,\n";
            rows += "gap,,,,80\n";
        }
        f.Main().CreditCommands().LinkCredits(WriteFile(dir, "c.csv", rows));
        const int natural = FrameCount(f.Main());
        const auto *project = queryInterface<IProject>(f.Project().Element());
        const int rate = project->GetScrollRate();
        const int steps = f.Main().Document().UndoStack().count();
        prompts.RunningTime = FormatTimecode(natural + 30, project->GetFrameRate());
        f.Main().CreditCommands().ActFitRunningTime->trigger();
        QCOMPARE(FrameCount(f.Main()), natural + 30);
        QCOMPARE(f.Project().ChildCount(), std::size_t(1));  // no gap element
        QVERIFY2(prompts.Messages.last().contains("no black at the end"), qPrintable(prompts.Messages.last()));
        QCOMPARE(f.Main().Document().UndoStack().count(), steps + 1);
        f.Main().Document().UndoStack().undo();
        QCOMPARE(FrameCount(f.Main()), natural);
        QCOMPARE(project->GetScrollRate(), rate);

        // Far longer than the spaces can grow at 1 pixel a frame: refused, unless black is allowed.
        prompts.RunningTime = FormatTimecode(natural * rate * 3, project->GetFrameRate());
        f.Main().CreditCommands().ActFitRunningTime->trigger();
        QVERIFY2(prompts.Messages.last().contains("Nothing was changed"), qPrintable(prompts.Messages.last()));
        QCOMPARE(FrameCount(f.Main()), natural);
        prompts.EndGap = true;
        f.Main().CreditCommands().ActFitRunningTime->trigger();
        QVERIFY2(prompts.Messages.last().contains("gap at the end"), qPrintable(prompts.Messages.last()));
        QCOMPARE(FrameCount(f.Main()), natural * rate * 3);
        QCOMPARE(f.Project().ChildCount(), std::size_t(2));
        QVERIFY2(prompts.Messages.last().contains("gap at the end"), qPrintable(prompts.Messages.last()));
        f.Main().CreditCommands().SetPrompts(nullptr);
    }

    void statusBarWarnsAboutFastScrolling()
    {
        TEditorFixture f;
        auto *project = queryInterface<IProject>(f.Project().Element());
        QLabel *warning = f.Main().CreditCommands().SpeedWarningPanel;
        f.Main().UpdateStatusBar();
        QVERIFY(warning->isHidden());
        project->SetScrollRate(40); // 576 pixels at 25 fps cross in 0.6 s
        f.Main().UpdateStatusBar();
        QVERIFY(!warning->isHidden());
        QVERIFY(warning->toolTip().startsWith("Scrolling too fast to read"));
    }
};

QTEST_MAIN(CreditCommandsTest)
#include "CreditCommands.moc"
