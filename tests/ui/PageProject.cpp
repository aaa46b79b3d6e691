// The project page: filling, film size, background colour and image, rates.
#include "PagesFixture.h"

#include "core/elements/ContentSizes.h"

#include <QLineEdit>
#include <QMenu>
#include <QUndoStack>

using namespace velmora;
using namespace velmora::test;

namespace {

TElementNode *ProjectNodeOf(TPagesFixture &f)
{
    return &f.Project();
}

IProject &ProjectOf(TPagesFixture &f)
{
    return *queryInterface<IProject>(f.Project().Element());
}

} // namespace

class PageProjectTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fillsEveryControlAndMarksNothing()
    {
        TPagesFixture f;
        IProject &project = ProjectOf(f);
        project.SetContentSize(0);
        project.SetWidth(640);
        project.SetHeight(360);
        project.SetBackColor(0x80102030);
        project.SetFrameRate(30);
        project.SetScrollRate(4);
        queryInterface<IProjectBackground>(&project)->SetWrapMode(3);
        f.Select(*f.TextNode);
        f.Select(f.Project());

        TPropertyPages &p = f.Pages();
        QCOMPARE(f.ShownPage(), f.Main().PropertyPages().PageProject);
        QVERIFY(f.Main().PropertyPages().CurrentElement() == f.Project().Element());
        QCOMPARE(p.ProjectContentSize->currentIndex(), 0);
        QCOMPARE(p.ProjectWidth->Value(), 640);
        QCOMPARE(p.ProjectHeight->Value(), 360);
        QVERIFY(p.ProjectWidth->isEnabled() && p.ProjectHeight->isEnabled());
        QCOMPARE(p.ProjectBackColor->GetColor(), 0x80102030u);
        QCOMPARE(p.ProjectBackgroundWrapMode->currentIndex(), 3);
        QCOMPARE(p.ProjectFrameRate->Value(), 30);
        QCOMPARE(p.ProjectScrollRate->Value(), 4);
        QVERIFY(!f.Modified());
        QVERIFY(!f.Main().windowTitle().contains(QLatin1Char('*')));
        QVERIFY(!f.Main().PropertyPages().Filling());
    }

    void filmSizeEnablingAndValues_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("custom") << 0 << 0 << true << 500 << 400;
        QTest::newRow("standard shows its row's size") << 7 << 7 << false << 1280 << 720;
        QTest::newRow("last row of the first list") << 16 << 16 << false << 1400 << 768;
        QTest::newRow("HD 1080p") << 17 << 17 << false << 1920 << 1080;
        QTest::newRow("DCI Scope") << 18 << 18 << false << 2048 << 858;
        QTest::newRow("DCI 4K, last row") << 21 << 21 << false << 4096 << 2160;
        QTest::newRow("beyond the list") << 25 << 0 << true << 500 << 400;
        QTest::newRow("negative") << -1 << 0 << true << 500 << 400;
    }
    void filmSizeEnablingAndValues()
    {
        QFETCH(int, stored);
        QFETCH(int, shown);
        QFETCH(bool, enabled);
        QFETCH(int, width);
        QFETCH(int, height);
        TPagesFixture f;
        IProject &project = ProjectOf(f);
        project.SetContentSize(stored);
        project.SetWidth(500);
        project.SetHeight(400);
        f.Select(f.Project());
        TPropertyPages &p = f.Pages();
        QCOMPARE(p.ProjectContentSize->currentIndex(), shown);
        QCOMPARE(p.ProjectWidth->isEnabled(), enabled);
        QCOMPARE(p.ProjectHeight->isEnabled(), enabled);
        QCOMPARE(p.ProjectWidth->Value(), width);
        QCOMPARE(p.ProjectHeight->Value(), height);
        // The fill writes nothing: neither the index nor the size.
        QCOMPARE(project.GetContentSize(), stored);
        QCOMPARE(project.GetWidth(), 500);
        QVERIFY(!f.Modified());
    }

    void handlersWriteTheirProperty()
    {
        const std::vector<THandlerRow> rows{
            {"standard film size", [](TPagesFixture &f) { Choose(f.Pages().ProjectContentSize, 1); },
                {{"ContentSize", 1}, {"Width", 352}, {"Height", 288}}},
            {"custom film size keeps the size", [](TPagesFixture &f) { Choose(f.Pages().ProjectContentSize, 0); },
                {{"ContentSize", 0}}},
            {"width under the custom size",
                [](TPagesFixture &f) {
                    Choose(f.Pages().ProjectContentSize, 0);
                    Type(f.Pages().ProjectWidth, 1000);
                },
                {{"ContentSize", 0}, {"Width", 1000}}},
            {"height under the custom size",
                [](TPagesFixture &f) {
                    Choose(f.Pages().ProjectContentSize, 0);
                    Type(f.Pages().ProjectHeight, 300);
                },
                {{"ContentSize", 0}, {"Height", 300}}},
            {"wrap mode", [](TPagesFixture &f) { Choose(f.Pages().ProjectBackgroundWrapMode, 1); }, {{"WrapMode", 1}}},
            {"frame rate", [](TPagesFixture &f) { Type(f.Pages().ProjectFrameRate, 30); }, {{"FrameRate", 30}}, false},
            {"scroll rate", [](TPagesFixture &f) { Type(f.Pages().ProjectScrollRate, 7); }, {{"ScrollRate", 7}}, false},
            {"background colour tried and chosen",
                [](TPagesFixture &f) {
                    f.Prompts.ColorReplies.push_back({{0xFF00FF00, 0xFF112233}, true});
                    QTest::mouseClick(f.Pages().ProjectBackColor, Qt::LeftButton);
                },
                {{"BackColor", 0xFF112233u}}},
            {"background image", [](TPagesFixture &f) {
                 f.Prompts.Files.push_back(f.PictureFile(QStringLiteral("back.png"), QSize(40, 30)));
                 f.Pages().ProjectLoadBackgroundButton->click();
             },
                {{"Background", true}}},
        };
        CheckHandlerRows(rows, &ProjectNodeOf);
    }

    void standardSizeDisablesTheSizeFields()
    {
        TPagesFixture f;
        f.Select(f.Project());
        TPropertyPages &p = f.Pages();
        Choose(p.ProjectContentSize, 0);
        Type(p.ProjectWidth, 999);
        Choose(p.ProjectContentSize, 11);
        QVERIFY(!p.ProjectWidth->isEnabled() && !p.ProjectHeight->isEnabled());
        QCOMPARE(p.ProjectWidth->Value(), 640);
        Choose(p.ProjectContentSize, 0);
        QVERIFY(p.ProjectWidth->isEnabled() && p.ProjectHeight->isEnabled());
        QCOMPARE(p.ProjectWidth->Value(), 640);
        QCOMPARE(ProjectOf(f).GetWidth(), 640);
    }

    void ratesRefreshTheStatusBarAtOnce()
    {
        TPagesFixture f;
        f.Select(f.Project());
        for (TVelmoraSpinEdit *rate : {f.Pages().ProjectFrameRate, f.Pages().ProjectScrollRate}) {
            f.Main().Controls().StatusPanels[0]->setText(QStringLiteral("stale"));
            Type(rate, 12);
            QCOMPARE(f.Main().Controls().StatusPanels[0]->text(), QStringLiteral("Dimensions: 720 x 576"));
            QVERIFY(!f.PreviewScheduled());
        }
    }

    void backgroundColourCancelRestoresAndMarksNothing()
    {
        TPagesFixture f;
        f.Select(f.Project());
        const quint32 original = ProjectOf(f).GetBackColor();
        f.Prompts.ColorReplies.push_back({{0xFFFF0000, 0xFF00FF00}, false});
        QTest::mouseClick(f.Pages().ProjectBackColor, Qt::LeftButton);
        QCOMPARE(ProjectOf(f).GetBackColor(), original);
        QCOMPARE(f.Pages().ProjectBackColor->GetColor(), original);
        QVERIFY(!f.Modified());
        QVERIFY(f.PreviewScheduled());
    }

    void backgroundImageCommandsAndThumbnail()
    {
        TPagesFixture f;
        f.Select(f.Project());
        TPropertyPages &p = f.Pages();
        // A loaded or cleared picture comes with a new element, so the old one can come back on undo.
        const auto background = [&f] { return queryInterface<IProjectBackground>(f.Project().Element()); };

        // Cancelled: nothing loaded, but the page is filled again and the document marked.
        p.ProjectLoadBackgroundButton->click();
        QVERIFY(background()->GetBackground() == nullptr);
        QVERIFY(f.Modified());
        f.Main().UpdateActions();
        QVERIFY(!f.Main().PropertyPages().ActProjectClearImage->isEnabled());

        f.Prompts.Files.push_back(f.PictureFile(QStringLiteral("back.png"), QSize(400, 300), Qt::blue));
        f.Main().PropertyPages().ActProjectLoadImage->trigger();
        QVERIFY(background()->GetBackground() != nullptr);
        f.Main().UpdateActions();
        QVERIFY(f.Main().PropertyPages().ActProjectClearImage->isEnabled());
        QVERIFY(p.ProjectBackgroundPopup->actions().contains(f.Main().PropertyPages().ActProjectClearImage));

        // 184 x 143 inside the border: the picture is fitted to the width, 138 high from y = 2.
        p.ProjectBackgroundpreview->repaint();
        const QImage &thumb = p.ProjectBackgroundpreview->Buffer();
        QCOMPARE(thumb.size(), QSize(184, 143));
        QCOMPARE(QColor(thumb.pixel(92, 71)), QColor(Qt::blue));
        QCOMPARE(QColor(thumb.pixel(0, 2)), QColor(Qt::blue));
        QCOMPARE(QColor(thumb.pixel(183, 139)), QColor(Qt::blue));
        QCOMPARE(qAlpha(thumb.pixel(92, 1)), 0);
        QCOMPARE(qAlpha(thumb.pixel(92, 140)), 0);

        f.Saved();
        f.Main().PropertyPages().ActProjectClearImage->trigger();
        QVERIFY(background()->GetBackground() == nullptr);
        QVERIFY(f.Modified());
        p.ProjectBackgroundpreview->repaint();
        QCOMPARE(qAlpha(p.ProjectBackgroundpreview->Buffer().pixel(92, 71)), 0);
        f.Main().UpdateActions();
        QVERIFY(!f.Main().PropertyPages().ActProjectClearImage->isEnabled());
    }

    void sizeTypedBelowTheRangeStillRenders()
    {
        TPagesFixture f;
        f.Select(f.Project());
        Choose(f.Pages().ProjectContentSize, 0);
        Type(f.Pages().ProjectWidth, 0);
        QCOMPARE(ProjectOf(f).GetWidth(), 0);
        f.Main().RenderFrame();
        QVERIFY(!f.Main().FrameBitmap().isNull());
        // Leaving the field puts the range back into the project.
        f.Pages().ProjectWidth->setFocus();
        f.Pages().ProjectHeight->setFocus();
        QCOMPARE(ProjectOf(f).GetWidth(), 2);
    }

    // The start timecode is one undo step when the entry is done; a wrong one is refused with a
    // message, shows the stored start again and leaves the document as it was.
    void startTimecodeIsOneStepAndRefusesWhatIsNoTimecode_data()
    {
        QTest::addColumn<int>("frameRate");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("error");
        QTest::newRow("hour") << 25 << QStringLiteral(" 01:00:00:00 ") << QStringLiteral("01:00:00:00") << QString();
        QTest::newRow("drop-frame at 30") << 30 << QStringLiteral("01:00:00;00") << QStringLiteral("01:00:00;00") << QString();
        QTest::newRow("frame past the rate") << 25 << QStringLiteral("01:00:00:25") << QString() << QStringLiteral("25 frames per second");
        QTest::newRow("drop-frame at 25") << 25 << QStringLiteral("01:00:00;00") << QString() << QStringLiteral("needs 30000/1001");
        QTest::newRow("words") << 25 << QStringLiteral("one hour") << QString() << QStringLiteral("not a timecode");
    }
    void startTimecodeIsOneStepAndRefusesWhatIsNoTimecode()
    {
        QFETCH(int, frameRate);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, error);
        TPagesFixture f;
        ProjectOf(f).SetFrameRate(frameRate);
        f.Saved();
        f.Select(f.Project());
        TPropertyPages &p = f.Pages();
        QCOMPARE(p.ProjectStartTimecode->text(), QString());
        QUndoStack &undo = f.Main().Document().UndoStack();
        const int steps = undo.count();

        p.ProjectStartTimecode->setFocus();
        QTest::keyClicks(p.ProjectStartTimecode, typed);
        QCOMPARE(ProjectOf(f).GetStartTimecode(), QString());  // nothing while typing
        QTest::keyClick(p.ProjectStartTimecode, Qt::Key_Return);
        QCOMPARE(ProjectOf(f).GetStartTimecode(), stored);
        QCOMPARE(p.ProjectStartTimecode->text(), stored);
        if (!error.isEmpty()) {
            QCOMPARE(f.Prompts.Errors.size(), 1);
            QVERIFY2(f.Prompts.Errors.first().contains(error), qPrintable(f.Prompts.Errors.first()));
            QCOMPARE(undo.count(), steps);
            QVERIFY(!f.Modified());
            return;
        }
        QVERIFY(f.Prompts.Errors.isEmpty());
        QCOMPARE(undo.count(), steps + 1);
        QCOMPARE(undo.undoText(), QStringLiteral("Change Start Timecode"));
        QVERIFY(f.Modified());
        // Finishing again without a change adds no step.
        QTest::keyClick(p.ProjectStartTimecode, Qt::Key_Return);
        QCOMPARE(undo.count(), steps + 1);
        undo.undo();
        QCOMPARE(ProjectOf(f).GetStartTimecode(), QString());
        QCOMPARE(p.ProjectStartTimecode->text(), QString());
        QVERIFY(!f.Modified());
        undo.redo();
        QCOMPARE(p.ProjectStartTimecode->text(), stored);
    }
};

QTEST_MAIN(PageProjectTest)
#include "PageProject.moc"
