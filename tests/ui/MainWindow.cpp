// The main window: layout, commands and their enabling, title, closing, side panels, generating.
#include "EditorFixture.h"

#include <QClipboard>

#include "ui/window/AboutBox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTemporaryDir>

using namespace velmora;
using namespace velmora::test;

class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsWithTheDesignLayout()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        QCOMPARE(f.ShownTitle(), QStringLiteral("Velmora - []"));
        QCOMPARE(w.Controls().ElementsPanel->width(), 185);
        QCOMPARE(w.Controls().Pages->width(), 206);
        QCOMPARE(w.SavedElementsWidth(), 185);
        QCOMPARE(w.SavedPagesWidth(), 206);
        QCOMPARE(w.Controls().Pages->currentWidget(), w.PropertyPages().PageNone);
        QCOMPARE(w.Controls().TrackBar->height(), 29);
        QCOMPARE(w.Controls().TrackBar->pageStep(), 10);
        QVERIFY(w.Controls().GeneratingPanel->isHidden());
        QCOMPARE(w.Controls().GeneratingPanel->height(), 71);
        QCOMPARE(w.Controls().CancelGenerationButton->size(), QSize(153, 25));
        QVERIFY(!w.Generating());
        QVERIFY(w.PropertyPages().CurrentElement() == nullptr);
        // A new project: one project node, nothing focused or selected.
        QCOMPARE(f.Model().rowCount(), 1);
        QVERIFY(f.Editor().FocusedNode() == nullptr);
        QVERIFY(f.Editor().SelectedNodes().empty());
    }

    void fillsTheFilmSizeList()
    {
        TEditorFixture f;
        const QComboBox *sizes = f.Main().PropertyPages().ProjectContentSize;
        QCOMPARE(sizes->count(), 25);
        QCOMPARE(sizes->itemText(0), QStringLiteral("Custom"));
        QCOMPARE(sizes->itemText(5), QStringLiteral("DVD PAL (720 x 576)"));
        QCOMPARE(sizes->itemText(11), QStringLiteral("Screen (640 x 480)"));
        QCOMPARE(sizes->itemText(16), QStringLiteral("Wide Screen (1400 x 768)"));
        // The modern sizes follow the old rows, which keep their places.
        QCOMPARE(sizes->itemText(17), QStringLiteral("HD 1080p (1920 x 1080)"));
        QCOMPARE(sizes->itemText(18), QStringLiteral("DCI Scope (2048 x 858)"));
        QCOMPARE(sizes->itemText(19), QStringLiteral("DCI Flat (1998 x 1080)"));
        QCOMPARE(sizes->itemText(20), QStringLiteral("UHD (3840 x 2160)"));
        QCOMPARE(sizes->itemText(21), QStringLiteral("DCI 4K (4096 x 2160)"));
        QCOMPARE(sizes->itemText(7), QStringLiteral("HD 720p (1280 x 720)"));
        QCOMPARE(sizes->itemText(24), QStringLiteral("DCI 4K Scope (4096 x 1716)"));
        // Filling the list wrote nothing to the project.
        QVERIFY(!f.Main().Document().Modified());
    }

    void commandsCarryTheirCaptionsAndShortcuts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<QString>("toolTip");
        QTest::newRow("new") << "ActNew" << "New Project" << "Ctrl+N" << "";
        QTest::newRow("open") << "ActLoad" << "&Open" << "Ctrl+O" << "";
        QTest::newRow("save") << "ActSave" << "Save" << "Ctrl+S" << "";
        QTest::newRow("save as") << "ActSaveAs" << "Save &As" << "Ctrl+Shift+S" << "";
        QTest::newRow("undo") << "ActUndo" << "Undo" << "Ctrl+Z" << "Undo";
        QTest::newRow("redo") << "ActRedo" << "Redo" << "Ctrl+Shift+Z; Ctrl+Y" << "Redo";
        QTest::newRow("text") << "ActNewText" << "New Text Element" << "" << "";
        QTest::newRow("clear") << "ActProjectClearImage" << "Clear Background Image" << "" << "";
        QTest::newRow("about") << "ActAbout" << "About Velmora ..." << "" << "";
        QTest::newRow("cut") << "EditCut1" << "Cu&t" << "Ctrl+X" << "Cut";
        QTest::newRow("select all") << "EditSelectAll1" << "Select &All" << "Ctrl+A" << "Select All";
        QTest::newRow("delete") << "EditDelete1" << "&Delete" << "Del" << "Delete";
    }
    void commandsCarryTheirCaptionsAndShortcuts()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, shortcut);
        QFETCH(QString, toolTip);
        TEditorFixture f;
        const auto *action = f.Main().findChild<QAction *>(name);
        QVERIFY(action != nullptr);
        QCOMPARE(action->text(), caption);
        QCOMPARE(QKeySequence::listToString(action->shortcuts()), shortcut);
        if (!toolTip.isEmpty())
            QCOMPARE(action->toolTip(), toolTip);
    }

    void elementCommandsFollowTheFocusedElement()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        const auto enabled = [&w] {
            w.UpdateActions();
            const TMainControls &c = w.Controls();
            return QList<bool>{c.ActNewText->isEnabled(), c.ActNewImage->isEnabled(), c.ActNewColumns->isEnabled(), c.ActNewColumn->isEnabled()};
        };
        QCOMPARE(enabled(), (QList<bool>{false, false, false, false}));
        TElementNode &columns = f.Add(f.Project(), w.Controls().ActNewColumns);
        TElementNode &column = f.Add(columns, w.Controls().ActNewColumn);
        TElementNode &text = f.AddText(column, QStringLiteral("A"));
        TElementNode &image = f.AddImage(column, QStringLiteral("I"));
        // Inside what takes the element, otherwise after the focused one.
        f.Focus(f.Project());
        QCOMPARE(enabled(), (QList<bool>{true, true, true, false}));
        f.Focus(columns);
        QCOMPARE(enabled(), (QList<bool>{true, true, true, true}));
        f.Focus(column);
        QCOMPARE(enabled(), (QList<bool>{true, true, true, true}));
        f.Focus(text);
        QCOMPARE(enabled(), (QList<bool>{true, true, true, false}));
        f.Focus(image);
        QCOMPARE(enabled(), (QList<bool>{true, true, true, false}));
        // Load Image follows the element the pages show.
        QVERIFY(w.PropertyPages().ActLoadImage->isEnabled());
        f.Focus(text);
        w.UpdateActions();
        QVERIFY(!w.PropertyPages().ActLoadImage->isEnabled());
    }

    void editCommandsServeTheFocusedControl()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        auto *field = new QLineEdit(QStringLiteral("credits"), w.statusBar());
        w.statusBar()->addWidget(field);
        field->show();

        f.Focus(f.Project());
        QGuiApplication::clipboard()->clear();
        w.UpdateActions();
        // The project alone can be copied but not cut.
        QVERIFY(!w.Controls().EditCut1->isEnabled() && w.Controls().EditCopy1->isEnabled() && w.Controls().EditDelete1->isEnabled());
        QVERIFY(w.Controls().EditSelectAll1->isEnabled());
        QVERIFY(!w.Controls().EditPaste1->isEnabled()); // nothing to paste
        w.Controls().EditCopy1->trigger();
        w.UpdateActions();
        QVERIFY(!w.Controls().EditPaste1->isEnabled()); // a project goes nowhere
        f.Focus(f.AddText(f.Project(), QStringLiteral("T")));
        w.UpdateActions();
        w.Controls().EditCopy1->trigger();
        f.Focus(f.Project());
        w.UpdateActions();
        QVERIFY(w.Controls().EditPaste1->isEnabled());

        field->setFocus();
        field->deselect();
        w.UpdateActions();
        QVERIFY(!w.Controls().EditCut1->isEnabled() && !w.Controls().EditCopy1->isEnabled() && !w.Controls().EditDelete1->isEnabled());
        QVERIFY(w.Controls().EditSelectAll1->isEnabled());
        w.Controls().EditSelectAll1->trigger();
        QCOMPARE(field->selectedText(), QStringLiteral("credits"));
        w.UpdateActions();
        QVERIFY(w.Controls().EditDelete1->isEnabled());
        w.Controls().EditDelete1->trigger();
        QCOMPARE(field->text(), QString());
        // The tree was left alone.
        QCOMPARE(f.Model().rowCount(), 1);

        // A field of the pages that takes no text serves neither the text nor the elements.
        auto *toggle = w.findChild<QWidget *>(QStringLiteral("ProjectContentSize"));
        QVERIFY(toggle != nullptr);
        toggle->setFocus();
        w.UpdateActions();
        QVERIFY(!w.Controls().EditPaste1->isEnabled() && !w.Controls().EditSelectAll1->isEnabled());
    }

    void titleAndSaveFollowEditsAndSaves()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("roll.vmz"));
        w.UpdateActions();
        QVERIFY(!w.Controls().ActSave->isEnabled());

        f.AddText(f.Project(), QStringLiteral("A"));
        QCOMPARE(f.ShownTitle(), QStringLiteral("Velmora - [*]"));
        w.UpdateActions();
        QVERIFY(w.Controls().ActSave->isEnabled());

        f.Prompts.Files.push_back(file);
        w.Controls().ActSave->trigger(); // never saved: behaves as Save As
        QCOMPARE(f.Prompts.Errors, QStringList());
        QCOMPARE(f.ShownTitle(), QStringLiteral("Velmora - [%1]").arg(file));
        w.UpdateActions();
        QVERIFY(!w.Controls().ActSave->isEnabled());

        f.AddText(f.Project(), QStringLiteral("B"));
        QCOMPARE(f.ShownTitle(), QStringLiteral("Velmora - [*%1]").arg(file));
        w.UpdateActions();
        w.Controls().ActSave->trigger();
        QCOMPARE(f.ShownTitle(), QStringLiteral("Velmora - [%1]").arg(file));
        QVERIFY(f.Prompts.Files.empty());

        // New on a modified project asks first; No keeps everything.
        f.AddText(f.Project(), QStringLiteral("C"));
        f.Prompts.Answers = {false};
        w.Controls().ActNew->trigger();
        QCOMPARE(f.Prompts.Questions.last(), QStringLiteral("The project has changed, are you sure you want to create a new project"));
        QCOMPARE(f.Project().ChildCount(), 3u);
        f.Prompts.Answers = {true};
        w.Controls().ActNew->trigger();
        QCOMPARE(f.Model().rowCount(), 1);
        QCOMPARE(f.Model().rowCount(f.Model().index(0, 0)), 0);
        QCOMPARE(f.ShownTitle(), QStringLiteral("Velmora - []"));
        w.UpdateActions();
        QVERIFY(!w.Controls().ActSave->isEnabled());
    }

    void openRestoresFlagsAndReportsDamage()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("roll.vmz"));
        TElementNode &column = f.Add(f.Add(f.Project(), w.Controls().ActNewColumns), w.Controls().ActNewColumn);
        f.AddText(column, QStringLiteral("Inside"));
        f.View().collapse(f.Model().IndexOf(column));
        f.Focus(column);
        f.Prompts.Files.push_back(file);
        w.Controls().ActSaveAs->trigger();

        f.Prompts.Files.push_back(file);
        w.Controls().ActLoad->trigger();
        QVERIFY(f.Prompts.Errors.isEmpty());
        QVERIFY(f.Editor().FocusedNode() == nullptr);
        const std::vector<TElementNode *> selected = f.Editor().SelectedNodes();
        QCOMPARE(selected.size(), 1u);
        QCOMPARE(NodeCaption(*selected.front()), QStringLiteral("Column"));
        QVERIFY(f.View().selectionModel()->isSelected(f.Model().IndexOf(*selected.front())));
        QVERIFY(!f.View().isExpanded(f.Model().IndexOf(*selected.front())));
        QVERIFY(f.View().isExpanded(f.Model().IndexOf(*selected.front()->Parent())));

        QFile damaged(dir.filePath(QStringLiteral("damaged.vmz")));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("NOTAROLL!and more");
        damaged.close();
        f.Prompts.Files.push_back(damaged.fileName());
        w.Controls().ActLoad->trigger();
        QCOMPARE(f.Prompts.Errors.size(), 1);
        QVERIFY(f.Prompts.Errors[0].startsWith(QStringLiteral("The file \"%1\" could not be loaded.").arg(damaged.fileName())));
        QVERIFY(f.Prompts.Errors[0].endsWith(QStringLiteral("Invalid file type")));
        QCOMPARE(f.Model().rowCount(), 1);
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project"));
        QCOMPARE(f.ShownTitle(), QStringLiteral("Velmora - []"));
        // The window stays usable.
        f.AddText(f.Project(), QStringLiteral("After"));
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project(After)"));
    }

    void closingFollowsTheRules()
    {
        {
            TEditorFixture f;
            QVERIFY(f.Main().close());
            QVERIFY(f.Prompts.Questions.isEmpty());
        }
        TEditorFixture f;
        f.AddText(f.Project(), QStringLiteral("A"));
        f.Prompts.Answers = {false};
        QVERIFY(!f.Main().close());
        QCOMPARE(f.Prompts.Questions, QStringList{QStringLiteral("The project has changed, are you sure you want to close Velmora")});
        QVERIFY(f.Main().isVisible());

        f.Main().SetGenerating(true);
        QVERIFY(!f.Main().close());
        QCOMPARE(f.Prompts.Questions.size(), 1); // refused without asking
        f.Main().SetGenerating(false);

        f.Prompts.Answers = {true};
        f.Main().Controls().ActExit->trigger();
        QVERIFY(!f.Main().isVisible());
    }

    void sidePanelsReturnToTheirWidths()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        // A width set with the splitter is what the next hide keeps.
        QList<int> sizes = w.Controls().ElementsSplitter->sizes();
        w.Controls().ElementsSplitter->setSizes({240, sizes[0] + sizes[1] - 240});
        QCOMPARE(w.Controls().ElementsPanel->width(), 240);
        w.Controls().ActShowElements->trigger();
        QVERIFY(w.Controls().ActShowElements->isChecked());
        QCOMPARE(w.Controls().ElementsPanel->width(), 0);
        QVERIFY(w.Controls().ElementsSplitter->handle(1)->isHidden());
        w.Controls().ActShowElements->trigger();
        QCOMPARE(w.Controls().ElementsPanel->width(), 240);
        QVERIFY(!w.Controls().ElementsSplitter->handle(1)->isHidden());

        w.Controls().ActShowProperties->trigger();
        QCOMPARE(w.Controls().Pages->width(), 0);
        w.Controls().ActShowProperties->trigger();
        QCOMPARE(w.Controls().Pages->width(), 206);

        // The splitter lays itself out between the two toggles.
        w.Controls().ActShowProperties->trigger();
        QTest::qWait(20);
        w.Controls().ActShowProperties->trigger();
        QCOMPARE(w.Controls().Pages->width(), 206);
    }

    void generatingStateLocksTheDocument()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        // A panel hidden before the run comes back at its width afterwards.
        w.Controls().ActShowProperties->trigger();
        w.SetGenerating(true);
        QVERIFY(w.Generating());
        QVERIFY(w.Controls().ActShowElements->isChecked() && w.Controls().ActShowProperties->isChecked());
        QCOMPARE(w.Controls().ElementsPanel->width(), 0);
        QCOMPARE(w.Controls().Pages->width(), 0);
        QVERIFY(w.Controls().GeneratingPanel->isVisible());
        QVERIFY(w.Controls().TrackBar->isHidden());
        const TMainControls &c = w.Controls();
        for (QAction *action : {c.ActNew, c.ActLoad, c.ActSave, c.ActSaveAs, c.ActShowPlaceholders, c.ActShowElements, c.ActShowProperties,
                 c.ActGenerateFrames})
            QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
        QVERIFY(w.Controls().ActAbout->isEnabled() && w.PropertyPages().ActProjectLoadImage->isEnabled());
        // Element commands keep their own rule while generating.
        f.Focus(f.Project());
        w.UpdateActions();
        QVERIFY(w.Controls().ActNewText->isEnabled());

        QVERIFY(!w.CancelRequested());
        w.Controls().CancelGenerationButton->click();
        QVERIFY(w.CancelRequested());

        w.SetGenerating(false);
        QVERIFY(!w.Controls().ActShowElements->isChecked() && !w.Controls().ActShowProperties->isChecked());
        QCOMPARE(w.Controls().ElementsPanel->width(), 185);
        QCOMPARE(w.Controls().Pages->width(), 206);
        QVERIFY(w.Controls().GeneratingPanel->isHidden());
        QVERIFY(w.Controls().TrackBar->isVisible());
        QVERIFY(w.Controls().ActNew->isEnabled() && w.Controls().ActGenerateFrames->isEnabled());
    }

    void enablingFollowsIdleMomentsByItself()
    {
        TEditorFixture f;
        TMain &w = f.Main();
        f.AddText(f.Project(), QStringLiteral("A"));
        // No explicit update: the idle re-evaluation enables Save.
        QTRY_VERIFY(w.Controls().ActSave->isEnabled());
    }

    void aboutShowsTheVersion_data()
    {
        QTest::addColumn<QList<int>>("version");
        QTest::addColumn<QString>("text");
        QTest::newRow("release") << QList<int>{2, 0, 1, 446} << "Version 2.0.1 Build 446";
        QTest::newRow("no release") << QList<int>{2, 0, 0, 7} << "Version 2.0 Build 7";
    }
    void aboutShowsTheVersion()
    {
        QFETCH(QList<int>, version);
        QFETCH(QString, text);
        QCOMPARE(AboutVersionText(version[0], version[1], version[2], version[3]), text);
        TAbout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Velmora"));
        QVERIFY(about.VersionLabel->text().startsWith(QStringLiteral("Version ")));
        QCOMPARE(about.size(), QSize(400, 300));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindow.moc"
