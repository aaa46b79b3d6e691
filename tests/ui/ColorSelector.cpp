// The colour selector frame and its dialog, driven offscreen.
#include "controls/ColorSelectorDialogForm.h"
#include "controls/ColorSelectorFrame.h"
#include "controls/GDIPColorDisplay.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace velmora;

namespace {

struct TSelectorParts
{
    explicit TSelectorParts(TGDIPColorSelector &selector)
        : hue(selector.findChild<QSlider *>("TrackBarHue")),
          saturation(selector.findChild<QSlider *>("TrackBarSaturation")),
          value(selector.findChild<QSlider *>("TrackBarValue")),
          red(selector.findChild<QSpinBox *>("RedValueEdit")),
          green(selector.findChild<QSpinBox *>("GreenValueEdit")),
          blue(selector.findChild<QSpinBox *>("BlueValueEdit")),
          alpha(selector.findChild<QSpinBox *>("AlphaValueEdit")),
          hueReadout(selector.findChild<QLineEdit *>("editHueValue")),
          disc(selector.findChild<QLabel *>("ImageHS")),
          preview(selector.findChild<TGDIPColorDisplay *>("ColorPreview")),
          timer(selector.findChild<QTimer *>("TimerUpdate"))
    {
    }
    QSlider *hue, *saturation, *value;
    QSpinBox *red, *green, *blue, *alpha;
    QLineEdit *hueReadout;
    QLabel *disc;
    TGDIPColorDisplay *preview;
    QTimer *timer;
};

} // namespace

Q_DECLARE_METATYPE(quint32)

class ColorSelectorTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startsAsOpaqueCyan();
    void setColorMovesTheBars_data();
    void setColorMovesTheBars();
    void barsDriveTheFields_data();
    void barsDriveTheFields();
    void greyTypedInRgbMovesHueToZero();
    void alphaChangeUpdatesPreview();
    void burstIsReportedOnce();
    void rearmingDoesNotRestartTheTimer();
    void pickingOnTheDisc_data();
    void pickingOnTheDisc();
    void draggingFollowsUntilRelease();
    void zeroValueLeavesOnlyMarkers();
    void dialogReportsFinalColourOnClose_data();
    void dialogReportsFinalColourOnClose();
    void hexValues_data();
    void hexValues();
    void dialogTakesATypedHexValue();
    void dialogCommitsFieldBeingTyped();
};

void ColorSelectorTest::startsAsOpaqueCyan()
{
    TGDIPColorSelector selector;
    TSelectorParts parts(selector);
    QCOMPARE(selector.GetColor(), quint32(0xFF00FFFF));
    QCOMPARE(parts.hue->value(), 180);
    QCOMPARE(parts.hueReadout->text(), QStringLiteral("180"));
    QCOMPARE(parts.preview->GetColor(), quint32(0xFF00FFFF));
    QVERIFY(parts.timer->isActive());
}

void ColorSelectorTest::setColorMovesTheBars_data()
{
    QTest::addColumn<quint32>("color");
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("hueReadout");
    QTest::newRow("translucent red") << quint32(0x80FF0000) << 0 << 255 << 255 << "0";
    QTest::newRow("grey") << quint32(0xFF808080) << 0 << 0 << 128 << "0";
    QTest::newRow("pink") << quint32(0xFFFF0080) << 330 << 255 << 255 << "330";
    QTest::newRow("steel") << quint32(0xFF336699) << 210 << 170 << 153 << "210";
    // Its bars would give green 1, not 2: the fields must keep what was set.
    QTest::newRow("nearly blue") << quint32(0x400102C8) << 240 << 254 << 200 << "240";
}

void ColorSelectorTest::setColorMovesTheBars()
{
    QFETCH(quint32, color);
    QFETCH(int, hue);
    QFETCH(int, saturation);
    QFETCH(int, value);
    QFETCH(QString, hueReadout);
    TGDIPColorSelector selector;
    TSelectorParts parts(selector);
    selector.SetColor(color);
    QCOMPARE(selector.GetColor(), color);
    QCOMPARE(parts.hue->value(), hue);
    QCOMPARE(parts.saturation->value(), saturation);
    QCOMPARE(parts.value->value(), value);
    QCOMPARE(parts.hueReadout->text(), hueReadout);
    QCOMPARE(parts.preview->GetColor(), color);
}

void ColorSelectorTest::barsDriveTheFields_data()
{
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("value");
    QTest::addColumn<quint32>("color");
    QTest::addColumn<QString>("hueReadout");
    QTest::newRow("yellow") << 60 << 255 << 255 << quint32(0xFFFFFF00) << "60";
    QTest::newRow("orange") << 30 << 255 << 255 << quint32(0xFFFF8000) << "30";
    QTest::newRow("no saturation") << 200 << 0 << 100 << quint32(0xFF646464) << "0";
    QTest::newRow("hue 360") << 360 << 255 << 128 << quint32(0xFF800000) << "360";
}

void ColorSelectorTest::barsDriveTheFields()
{
    QFETCH(int, hue);
    QFETCH(int, saturation);
    QFETCH(int, value);
    QFETCH(quint32, color);
    QFETCH(QString, hueReadout);
    TGDIPColorSelector selector;
    TSelectorParts parts(selector);
    parts.value->setValue(value);
    parts.saturation->setValue(saturation);
    parts.hue->setValue(hue);
    QCOMPARE(selector.GetColor(), color);
    // The RGB direction must not have pulled the bars back.
    QCOMPARE(parts.hue->value(), hue);
    QCOMPARE(parts.saturation->value(), saturation);
    QCOMPARE(parts.hueReadout->text(), hueReadout);
}

void ColorSelectorTest::greyTypedInRgbMovesHueToZero()
{
    TGDIPColorSelector selector;
    TSelectorParts parts(selector);
    parts.red->setValue(90);
    parts.green->setValue(90);
    parts.blue->setValue(90);
    QCOMPARE(parts.hue->value(), 0);
    QCOMPARE(parts.saturation->value(), 0);
    QCOMPARE(parts.value->value(), 90);
    QCOMPARE(selector.GetColor(), quint32(0xFF5A5A5A));
}

void ColorSelectorTest::alphaChangeUpdatesPreview()
{
    TGDIPColorSelector selector;
    TSelectorParts parts(selector);
    selector.TimerUpdateTimer();
    parts.alpha->setValue(10);
    QCOMPARE(parts.preview->GetColor(), quint32(0x0A00FFFF));
    QVERIFY(parts.timer->isActive());
}

void ColorSelectorTest::burstIsReportedOnce()
{
    TGDIPColorSelector selector;
    TSelectorParts parts(selector);
    QSignalSpy spy(&selector, &TGDIPColorSelector::OnChange);
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(1).value<quint32>(), quint32(0xFF00FFFF));
    spy.clear();

    parts.hue->setValue(0);
    parts.value->setValue(128);
    parts.alpha->setValue(200);
    selector.SetColor(0x7F102030);
    QVERIFY(spy.wait(5000));
    QTest::qWait(300);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<QObject *>(), &selector);
    QCOMPARE(spy.at(0).at(1).value<quint32>(), quint32(0x7F102030));
}

void ColorSelectorTest::rearmingDoesNotRestartTheTimer()
{
    TGDIPColorSelector selector;
    TSelectorParts parts(selector);
    selector.TimerUpdateTimer();
    QVERIFY(!parts.timer->isActive());
    parts.red->setValue(10);
    const int before = parts.timer->remainingTime();
    // No events are processed meanwhile, so the timer cannot fire.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20) {
    }
    parts.red->setValue(20);
    QVERIFY(parts.timer->isActive());
    QVERIFY2(parts.timer->remainingTime() < before, "the timer was restarted");
}

void ColorSelectorTest::pickingOnTheDisc_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<QString>("hueReadout");
    QTest::newRow("centre") << QPoint(55, 55) << 360 << 0 << "0";
    QTest::newRow("drawn rim, right") << QPoint(105, 55) << 360 << 232 << "360";
    QTest::newRow("top edge") << QPoint(55, 0) << 90 << 255 << "90";
    QTest::newRow("left, half way") << QPoint(30, 55) << 180 << 116 << "180";
    QTest::newRow("below right") << QPoint(75, 75) << 315 << 130 << "315";
}

void ColorSelectorTest::pickingOnTheDisc()
{
    QFETCH(QPoint, point);
    QFETCH(int, hue);
    QFETCH(int, saturation);
    QFETCH(QString, hueReadout);
    TGDIPColorSelector selector;
    TSelectorParts parts(selector);
    QTest::mousePress(parts.disc, Qt::LeftButton, {}, point);
    QTest::mouseRelease(parts.disc, Qt::LeftButton, {}, point);
    QCOMPARE(parts.hue->value(), hue);
    QCOMPARE(parts.saturation->value(), saturation);
    QCOMPARE(parts.hueReadout->text(), hueReadout);
    // The fields follow the bars.
    QCOMPARE(parts.red->value() == parts.green->value() && parts.green->value() == parts.blue->value(),
             saturation == 0);
}

void ColorSelectorTest::draggingFollowsUntilRelease()
{
    TGDIPColorSelector selector;
    TSelectorParts parts(selector);
    QTest::mousePress(parts.disc, Qt::LeftButton, {}, QPoint(55, 10));
    QCOMPARE(parts.hue->value(), 90);
    QTest::mouseMove(parts.disc, QPoint(10, 55));
    QCOMPARE(parts.hue->value(), 180);
    QTest::mouseRelease(parts.disc, Qt::LeftButton, {}, QPoint(10, 55));
    QTest::mouseMove(parts.disc, QPoint(55, 100));
    QCOMPARE(parts.hue->value(), 180);
}

void ColorSelectorTest::zeroValueLeavesOnlyMarkers()
{
    TGDIPColorSelector selector;
    TSelectorParts parts(selector);
    parts.saturation->setValue(128);
    parts.value->setValue(0);
    selector.TimerUpdateTimer();
    const QImage disc = selector.DiscImage();
    QCOMPARE(disc.size(), QSize(101, 101));
    int grey = 0;
    for (int y = 0; y < disc.height(); ++y) {
        for (int x = 0; x < disc.width(); ++x) {
            const QRgb pixel = disc.pixel(x, y);
            QVERIFY(pixel == qRgb(0, 0, 0) || pixel == qRgb(128, 128, 128));
            grey += pixel == qRgb(128, 128, 128);
        }
    }
    QVERIFY(grey > 100);
    // Black is shown transparent, so only the markers are opaque on screen.
    const QImage shown = parts.disc->pixmap().toImage();
    QCOMPARE(qAlpha(shown.pixel(2, 2)), 0);
    QCOMPARE(qAlpha(shown.pixel(50, 25)), 255);
}

void ColorSelectorTest::dialogReportsFinalColourOnClose_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("ok") << true;
    QTest::newRow("cancel") << false;
}

void ColorSelectorTest::dialogReportsFinalColourOnClose()
{
    QFETCH(bool, accept);
    TColorSelectorDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Choose Color"));
    QList<quint32> reported;
    dialog.SetColorChangeHandler([&](QObject *sender, quint32 color) {
        QCOMPARE(sender, dialog.Frame());
        reported.append(color);
    });
    dialog.SetColor(0xFF112233);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTRY_VERIFY(!reported.isEmpty());
    QCOMPARE(reported.first(), quint32(0xFF112233));
    reported.clear();

    TSelectorParts parts(*dialog.Frame());
    parts.hue->setValue(0);
    parts.saturation->setValue(255);
    parts.value->setValue(255);
    auto *button = dialog.findChild<QPushButton *>(accept ? "ButtonOk" : "ButtonCancel");
    QCOMPARE(button->text(), accept ? QStringLiteral("Ok") : QStringLiteral("Cancel"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(dialog.result(), accept ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(reported, QList<quint32>{0xFFFF0000});
    QVERIFY(!parts.timer->isActive());
}

void ColorSelectorTest::dialogCommitsFieldBeingTyped()
{
    TColorSelectorDialog dialog;
    QList<quint32> reported;
    dialog.SetColorChangeHandler([&](QObject *, quint32 color) { reported.append(color); });
    dialog.SetColor(0xFF000000);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    TSelectorParts parts(*dialog.Frame());
    parts.red->setFocus();
    parts.red->selectAll();
    QTest::keyClicks(parts.red, "200");
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!reported.isEmpty());
    QCOMPARE(reported.last(), quint32(0xFFC80000));
    QCOMPARE(parts.value->value(), 200);
}

void ColorSelectorTest::hexValues_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<qint64>("expected"); // -1: not a colour
    QTest::newRow("RRGGBB keeps the opacity") << "#1a2B3c" << qint64(0x801A2B3C);
    QTest::newRow("without #") << "ff8000" << qint64(0x80FF8000);
    QTest::newRow("AARRGGBB") << "#FF102030" << qint64(0xFF102030);
    QTest::newRow("spaces around") << "  #000000 " << qint64(0x80000000);
    QTest::newRow("short form") << "#fff" << qint64(-1);
    QTest::newRow("not hex") << "#12345g" << qint64(-1);
    QTest::newRow("seven digits") << "#1234567" << qint64(-1);
    QTest::newRow("empty") << "" << qint64(-1);
}

void ColorSelectorTest::hexValues()
{
    QFETCH(QString, typed);
    QFETCH(qint64, expected);
    const auto color = ParseHexColor(typed, 0x80FFFFFF);
    QCOMPARE(color.has_value(), expected >= 0);
    if (color)
        QCOMPARE(qint64(*color), expected);
}

void ColorSelectorTest::dialogTakesATypedHexValue()
{
    TColorSelectorDialog dialog;
    QList<quint32> reported;
    dialog.SetColorChangeHandler([&](QObject *, quint32 color) { reported.append(color); });
    dialog.SetColor(0xFF000000);
    QCOMPARE(dialog.HexEdit()->text(), QStringLiteral("#000000"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.HexEdit()->setFocus();
    dialog.HexEdit()->selectAll();
    QTest::keyClicks(dialog.HexEdit(), "#3366cc");
    // Enter takes the value and closes with OK.
    QTest::keyClick(dialog.HexEdit(), Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!reported.isEmpty());
    QCOMPARE(reported.last(), quint32(0xFF3366CC));
    // Something unreadable puts back the colour shown.
    dialog.HexEdit()->setText(QStringLiteral("blue"));
    QMetaObject::invokeMethod(dialog.HexEdit(), "editingFinished");
    QCOMPARE(dialog.HexEdit()->text(), QStringLiteral("#3366CC"));
    QCOMPARE(dialog.Frame()->GetColor(), 0xFF3366CCu);
}

QTEST_MAIN(ColorSelectorTest)
#include "ColorSelector.moc"
