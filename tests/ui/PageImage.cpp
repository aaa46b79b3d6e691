// The image page: filling, loading, specific dimensions with the aspect ratio, thumbnail.
#include "PagesFixture.h"

using namespace velmora;
using namespace velmora::test;

namespace {

TElementNode *ImageOfNode(TPagesFixture &f)
{
    return f.ImageNode;
}

IElementImage &ImageOf(TElementNode &node)
{
    return *queryInterface<IElementImage>(node.Element());
}

} // namespace

class PageImageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fillsEveryControlAndMarksNothing()
    {
        TPagesFixture f;
        const QString path = f.PictureFile(QStringLiteral("logo.png"), QSize(64, 32));
        IElementImage &image = ImageOf(*f.ImageNode);
        image.LoadFromFile(path);
        image.SetSpecificDims(true);
        image.SetWidth(128);
        image.SetHeight(50);
        auto *margins = queryInterface<IElementMargins>(f.ImageNode->Element());
        margins->SetTopOffset(9);
        queryInterface<IElementHorizontalAlign>(f.ImageNode->Element())->SetHorizontalAlign(eaLeft);
        queryInterface<IElementVerticalAlign>(f.ImageNode->Element())->SetVerticalAlign(eaMiddle);
        f.Saved();
        f.Select(*f.TextNode);
        f.Select(*f.ImageNode);

        TPropertyPages &p = f.Pages();
        QCOMPARE(f.ShownPage(), f.Main().PropertyPages().PageImage);
        QVERIFY(p.ImageSpecificDims->isChecked());
        QVERIFY(p.ImageWidth->isEnabled() && p.ImageHeight->isEnabled());
        QCOMPARE(p.ImageWidth->Value(), 128);
        QCOMPARE(p.ImageHeight->Value(), 50);
        QCOMPARE(p.ImageFilename->text(), path);
        QCOMPARE(p.ImageFilename->toolTip(), path);
        QCOMPARE(p.ImageAlign->HAlign(), eaLeft);
        QCOMPARE(p.ImageAlign->VAlign(), eaMiddle);
        QCOMPARE(p.ImageTopOffset->Value(), 9);
        QVERIFY(!p.ImageFixedHeightToggle->isChecked());
        QVERIFY(!p.ImageFixedHeight->isEnabled());
        // The fill ran the width and height handlers under the guard: the aspect was not applied.
        QCOMPARE(image.GetHeight(), 50);
        QVERIFY(!f.Modified());
    }

    void withoutSpecificDimensionsTheSizeIsShownDisabled()
    {
        TPagesFixture f;
        f.LoadPicture(f.PictureFile(QStringLiteral("wide.png"), QSize(300, 100)));
        QVERIFY(!f.Pages().ImageSpecificDims->isChecked());
        QVERIFY(!f.Pages().ImageWidth->isEnabled());
        QVERIFY(!f.Pages().ImageHeight->isEnabled());
        QCOMPARE(f.Pages().ImageWidth->Value(), 300);
        QCOMPARE(f.Pages().ImageHeight->Value(), 100);
    }

    void handlersWriteTheirProperty()
    {
        const std::vector<THandlerRow> rows{
            {"specific dimensions", [](TPagesFixture &f) { f.Pages().ImageSpecificDims->click(); },
                {{"SpecificDims", true}}},
            {"alignment", [](TPagesFixture &f) { f.Pages().ImageAlign->ToolButton(0)->click(); },
                {{"HAlign", int(eaLeft)}}},
            {"top offset", [](TPagesFixture &f) { Type(f.Pages().ImageTopOffset, -40); }, {{"TopOffset", -40}}},
            // The same range as a text's: an image can be pulled over a whole frame too.
            {"far top offset", [](TPagesFixture &f) { Type(f.Pages().ImageTopOffset, -5000); }, {{"TopOffset", -5000}}},
            {"fixed height on", [](TPagesFixture &f) { f.Pages().ImageFixedHeightToggle->click(); },
                {{"UseFixedHeight", true}}},
            {"fixed height value", [](TPagesFixture &f) {
                 f.Pages().ImageFixedHeightToggle->click();
                 Type(f.Pages().ImageFixedHeight, 64);
             },
                {{"UseFixedHeight", true}, {"FixedHeight", 64}}},
            {"width without a picture skips the aspect", [](TPagesFixture &f) {
                 f.Pages().ImageSpecificDims->click();
                 Type(f.Pages().ImageWidth, 90);
             },
                {{"SpecificDims", true}, {"ImageWidth", 90}}},
            {"height without a picture skips the aspect", [](TPagesFixture &f) {
                 f.Pages().ImageSpecificDims->click();
                 Type(f.Pages().ImageHeight, 70);
             },
                {{"SpecificDims", true}, {"ImageHeight", 70}}},
        };
        CheckHandlerRows(rows, &ImageOfNode);
    }

    void aspectRatioFollows_data()
    {
        QTest::addColumn<bool>("widthTyped");
        QTest::addColumn<int>("typed");
        QTest::addColumn<bool>("maintain");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("width 200") << true << 200 << true << 200 << 150;
        QTest::newRow("width 333 truncates 249.75") << true << 333 << true << 333 << 249;
        QTest::newRow("height 150") << false << 150 << true << 200 << 150;
        QTest::newRow("height 100 truncates 133.3") << false << 100 << true << 133 << 100;
        QTest::newRow("not maintained") << true << 200 << false << 200 << 300;
    }
    void aspectRatioFollows()
    {
        QFETCH(bool, widthTyped);
        QFETCH(int, typed);
        QFETCH(bool, maintain);
        QFETCH(int, width);
        QFETCH(int, height);
        TPagesFixture f;
        f.LoadPicture(f.PictureFile(QStringLiteral("photo.png"), QSize(400, 300)));
        TPropertyPages &p = f.Pages();
        // Unchecked through its caption, as a click on the words does.
        if (!maintain)
            QTest::mouseClick(f.Main().PropertyPages().PageImage->findChild<QLabel *>(QStringLiteral("ImageMaintainAspectCaption")), Qt::LeftButton);
        QCOMPARE(p.ImageMaintainAspect->isChecked(), maintain);
        p.ImageSpecificDims->click();
        Type(widthTyped ? p.ImageWidth : p.ImageHeight, typed);
        IElementImage &image = ImageOf(*f.ImageNode);
        QCOMPARE(image.GetWidth(), width);
        QCOMPARE(image.GetHeight(), height);
        QCOMPARE(p.ImageWidth->Value(), width);
        QCOMPARE(p.ImageHeight->Value(), height);
        QVERIFY(f.Modified());
    }

    void thinPictureKeepsTheFollowingSideInRange()
    {
        // 2000 wide would ask for 200000 high: the stored height stays what the field can show.
        TPagesFixture f;
        f.LoadPicture(f.PictureFile(QStringLiteral("strip.png"), QSize(4, 400)));
        TPropertyPages &p = f.Pages();
        p.ImageSpecificDims->click();
        Type(p.ImageWidth, 2000);
        QCOMPARE(ImageOf(*f.ImageNode).GetHeight(), 20000);
        QCOMPARE(p.ImageHeight->Value(), 20000);
    }

    void zeroSizedPictureSkipsTheAspect()
    {
        TPagesFixture f;
        const QString broken = f.Folder.filePath(QStringLiteral("broken.png"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
        file.close();
        f.LoadPicture(broken);
        QVERIFY(ImageOf(*f.ImageNode).GetImage() != nullptr);
        TPropertyPages &p = f.Pages();
        p.ImageSpecificDims->click();
        Type(p.ImageWidth, 120);
        QCOMPARE(ImageOf(*f.ImageNode).GetWidth(), 120);
        QCOMPARE(ImageOf(*f.ImageNode).GetHeight(), 0);
    }

    void loadImageFillsThePageAndTheCaption()
    {
        TPagesFixture f;
        const QString path = f.PictureFile(QStringLiteral("studio.png"), QSize(400, 300), Qt::green);
        f.LoadPicture(path);
        TPropertyPages &p = f.Pages();
        QCOMPARE(p.ImageFilename->text(), path);
        QCOMPARE(p.ImageWidth->Value(), 400);
        QCOMPARE(f.Model().data(f.Model().IndexOf(*f.ImageNode), Qt::DisplayRole).toString(), QStringLiteral("studio.png"));
        QVERIFY(f.Modified());

        // 185 x 89: fitted to the height, 119 wide, centred from x = 33.
        p.ImagePreview->repaint();
        const QImage &thumb = p.ImagePreview->Buffer();
        QCOMPARE(thumb.size(), QSize(185, 89));
        QCOMPARE(QColor(thumb.pixel(34, 44)), QColor(Qt::green));
        QCOMPARE(QColor(thumb.pixel(150, 44)), QColor(Qt::green));
        QCOMPARE(qAlpha(thumb.pixel(31, 44)), 0);
        QCOMPARE(qAlpha(thumb.pixel(153, 44)), 0);

        // Another image element without a picture does not show this one.
        TElementNode &empty = f.AddImage(f.Project(), QStringLiteral("Empty"));
        f.Select(empty);
        p.ImagePreview->repaint();
        QCOMPARE(qAlpha(p.ImagePreview->Buffer().pixel(92, 44)), 0);
    }

    void cancelledLoadStillRefillsAndMarks()
    {
        TPagesFixture f;
        f.Select(*f.ImageNode);
        f.Main().UpdateActions();
        QVERIFY(f.Main().PropertyPages().ActLoadImage->isEnabled());
        // Changed behind the page's back: the refill shows it.
        ImageOf(*f.ImageNode).SetWidth(55);
        f.Main().PropertyPages().ActLoadImage->trigger();
        QVERIFY(ImageOf(*f.ImageNode).GetImage() == nullptr);
        QCOMPARE(f.Pages().ImageWidth->Value(), 55);
        QVERIFY(f.Modified());
        QVERIFY(f.PreviewScheduled());
        f.Select(*f.TextNode);
        f.Main().UpdateActions();
        QVERIFY(!f.Main().PropertyPages().ActLoadImage->isEnabled());
    }
};

QTEST_MAIN(PageImageTest)
#include "PageImage.moc"
