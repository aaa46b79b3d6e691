// What panels are given instead of the window: the shared roll position, Reveal and the
// registry the window lays commands out from.
#include "EditorFixture.h"

#include <QMenuBar>
#include <QSlider>
#include <QToolBar>

using namespace velmora;
using namespace velmora::test;

class EditorContextTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void positionIsSharedBySliderAndWindow()
    {
        TEditorFixture f;
        for (int i = 0; i < 30; ++i)
            f.AddText(f.Project(), QString("Somebody %1").arg(i));
        f.Main().RenderFrame();
        TPositionModel &position = f.Main().Context().Position();
        QSlider &slider = *f.Main().Controls().TrackBar;
        QVERIFY(position.Maximum() > 200);
        QCOMPARE(slider.maximum(), position.Maximum());
        // A move through the model renders and shows on the slider; the slider moves the model.
        const int renders = f.Main().RenderCount();
        position.SetValue(120);
        QCOMPARE(slider.value(), 120);
        QCOMPARE(f.Main().FramePosition(), 120);
        QVERIFY(f.Main().RenderCount() > renders);
        slider.setValue(60);
        QCOMPARE(position.Value(), 60);
        // Held within the range, and pulled down when the range shrinks below it.
        position.SetValue(-5);
        QCOMPARE(position.Value(), 0);
        position.SetValue(position.Maximum() + 1000);
        QCOMPARE(position.Value(), position.Maximum());
        position.SetMaximum(50);
        QCOMPARE(position.Value(), 50);
        QCOMPARE(slider.value(), 50);
        QCOMPARE(position.Frame(2), 25);
    }

    void revealSelectsTheNodeAndMovesTheRoll()
    {
        TEditorFixture f;
        TElementNode &columns = f.Add(f.Project(), f.Main().Controls().ActNewColumns);
        TElementNode &column = f.Add(columns, f.Main().Controls().ActNewColumn);
        TElementNode &inner = f.AddText(column, "Inner");
        for (int i = 0; i < 30; ++i)
            f.AddText(f.Project(), QString("Somebody %1").arg(i));
        TElementNode &last = *f.Project().Child(f.Project().ChildCount() - 1);
        f.View().collapseAll();
        // Nested: every fold above it opens, and it alone is selected.
        f.Main().Context().Reveal(inner);
        QCOMPARE(f.Editor().FocusedNode(), &inner);
        QVERIFY(f.View().isExpanded(f.Model().IndexOf(columns)));
        QVERIFY(f.View().isExpanded(f.Model().IndexOf(column)));
        QCOMPARE(f.View().selectionModel()->selectedRows().size(), 1);
        // With a place, the roll goes there even beyond the range drawn so far.
        f.Main().Context().Reveal(last, 400);
        QCOMPARE(f.Editor().FocusedNode(), &last);
        QCOMPARE(f.Main().FramePosition(), 400);
    }

    void registeredCommandsGoWhereTheyAsk()
    {
        TEditorFixture f;
        TActionRegistry &actions = f.Main().Context().Actions();
        auto *first = new QAction("First", &f.Main());
        first->setObjectName("ActFirst");
        auto *second = new QAction("Second", &f.Main());
        actions.Register(first, {.Menu = "&File", .Before = "ActExit"});
        actions.Register(second, {.Menu = "&Tools", .SeparatorBefore = true, .ToolBar = "UpperToolBar", .ToolBarBefore = "ActGenerateFrames"}, "ActSecond");
        QCOMPARE(actions.Find("ActFirst"), first);
        QCOMPARE(actions.Find("ActSecond"), second);
        QCOMPARE(actions.Find("ActNone"), nullptr);
        const auto menu = [&](const QString &title) -> QMenu * {
            for (QAction *item : f.Main().menuBar()->actions())
                if (item->text().remove('&') == title)
                    return item->menu();
            return nullptr;
        };
        const QList<QAction *> file = menu("File")->actions();
        QCOMPARE(file.indexOf(first) + 1, file.indexOf(f.Main().Controls().ActExit));
        // A menu that was not there is made, before Help, which stays last.
        QMenu *tools = menu("Tools");
        QVERIFY(tools != nullptr);
        QVERIFY(tools->actions().size() == 2 && tools->actions()[0]->isSeparator() && tools->actions()[1] == second);
        QCOMPARE(f.Main().menuBar()->actions().last()->text().remove('&'), QString("Help"));
        const QList<QAction *> bar = f.Main().Controls().UpperToolBar->actions();
        QCOMPARE(bar.indexOf(second) + 1, bar.indexOf(f.Main().Controls().ActGenerateFrames));
    }
};

QTEST_MAIN(EditorContextTest)
#include "EditorContext.moc"
