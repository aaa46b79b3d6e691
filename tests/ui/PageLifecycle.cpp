// The pages across selections: which page shows, the fill guard, removal of the shown element,
// and the pages' fit in the window.
#include "PagesFixture.h"

#include <QScrollArea>

using namespace velmora;
using namespace velmora::test;

class PageLifecycleTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachKindShowsItsPage()
    {
        TPagesFixture f;
        TElementNode &columns = f.Add(f.Project(), f.Main().Controls().ActNewColumns);
        TElementNode &column = f.Add(columns, f.Main().Controls().ActNewColumn);
        const std::vector<std::pair<TElementNode *, QWidget *>> rows{
            {f.TextNode, f.Main().PropertyPages().PageTextElement},
            {f.ImageNode, f.Main().PropertyPages().PageImage},
            {&f.Project(), f.Main().PropertyPages().PageProject},
            {&columns, f.Main().PropertyPages().PageNone},
            {&column, f.Main().PropertyPages().PageNone},
            {f.TextNode, f.Main().PropertyPages().PageTextElement},
        };
        f.Saved();
        for (const auto &[node, page] : rows) {
            f.Select(*node);
            QCOMPARE(f.ShownPage(), page);
            QVERIFY(f.Main().PropertyPages().CurrentElement() == node->Element());
        }
        QVERIFY(!f.Modified());
    }

    void pageControlsWriteNothingBeforeTheFirstSelection()
    {
        TEditorFixture f;
        TPropertyPages &p = f.Main().PropertyPages();
        QVERIFY(f.Main().PropertyPages().Filling());
        p.ProjectWidth->SetValue(1234);
        p.TextText->setText(QStringLiteral("typed"));
        p.ImageSpecificDims->setChecked(true);
        QVERIFY(!f.Main().Document().Modified());
        QCOMPARE(queryInterface<IProject>(f.Project().Element())->GetWidth(), 720);
    }

    void deletingTheShownElementLeavesNoPageWritingToIt()
    {
        TPagesFixture f;
        f.Select(*f.TextNode);
        const IElement *removed = f.TextNode->Element();
        f.Prompts.Answers.push_back(true);
        f.Editor().DeleteSelection();
        QVERIFY(f.Main().PropertyPages().CurrentElement() != removed);
        QVERIFY(f.ShownPage() != f.Main().PropertyPages().PageTextElement);

        // Whatever is still on the text page no longer reaches any element.
        f.Saved();
        TPropertyPages &p = f.Pages();
        p.TextText->setText(QStringLiteral("ghost"));
        p.TextFontSize->SetValue(99);
        p.TextFixedHeightToggle->click();
        p.TextAlign->ToolButton(4)->click();
        QVERIFY(!f.Modified());
    }

    void removalEmptiesCurrentElement_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("delete") << "delete";
        QTest::newRow("new project") << "new";
        QTest::newRow("open project") << "open";
    }
    void removalEmptiesCurrentElement()
    {
        QFETCH(QString, how);
        TPagesFixture f;
        f.Select(*f.ImageNode);
        if (how == QLatin1String("delete")) {
            // Removing the node through the document, as Delete does.
            RemoveNodes(f.Main().Document(), {f.ImageNode});
        } else if (how == QLatin1String("new")) {
            f.Main().Controls().ActNew->trigger();
        } else {
            f.Main().OpenProjectFile(f.Folder.filePath(QStringLiteral("roll.vmz")));
        }
        QVERIFY(f.Main().PropertyPages().CurrentElement() == nullptr);
        QCOMPARE(f.ShownPage(), f.Main().PropertyPages().PageNone);
        f.Main().UpdateActions();
        QVERIFY(!f.Main().PropertyPages().ActLoadImage->isEnabled());
        // The thumbnail has nothing left to paint from.
        f.Pages().ImagePreview->repaint();
        QVERIFY(f.Prompts.Errors.isEmpty());
    }

    void pagesFitTheirWidth()
    {
        TPagesFixture f;
        f.LoadPicture(f.PictureFile(QStringLiteral("photo.png"), QSize(400, 300)));
        const QString shots = qEnvironmentVariable("VELMORA_PAGE_SHOTS");
        const std::vector<std::pair<TElementNode *, const char *>> rows{
            {&f.Project(), "project"}, {f.TextNode, "text"}, {f.ImageNode, "image"}};
        QCOMPARE(f.Main().Controls().Pages->width(), 206);
        for (const auto &[node, name] : rows) {
            f.Select(*node);
            QCoreApplication::processEvents();
            auto *box = f.ShownPage()->findChild<QScrollArea *>();
            QVERIFY2(box != nullptr, name);
            if (!shots.isEmpty())
                f.Main().grab().save(QStringLiteral("%1/%2.png").arg(shots, QLatin1String(name)));
            QVERIFY2(box->widget()->minimumSizeHint().width() <= box->viewport()->width(), name);
            QCOMPARE(f.Main().Controls().Pages->width(), 206);
        }
    }
};

QTEST_MAIN(PageLifecycleTest)
#include "PageLifecycle.moc"
