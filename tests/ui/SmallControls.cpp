// Swatch, buffered canvas, preview surface, font list and spin edit, driven offscreen.
#include "controls/GDIPColorDisplay.h"
#include "controls/GDIPFontCombo.h"
#include "controls/GPWinControl.h"
#include "controls/PreviewPaintBox.h"
#include "controls/VelmoraSpinEdit.h"
#include "core/error.h"

#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

using namespace velmora;

namespace {

bool IsGreyInTile(int x, int y)
{
    return (x < 7 && y < 7) || (x >= 8 && y >= 8);
}

// Tile colour at a swatch position: copies mirrored every other time across and down.
QRgb CheckerAt(int x, int y)
{
    int tx = x % 30;
    int ty = y % 30;
    if (tx >= 15)
        tx = 29 - tx;
    if (ty >= 15)
        ty = 29 - ty;
    return IsGreyInTile(tx, ty) ? qRgb(128, 128, 128) : qRgb(255, 255, 255);
}

QImage Render(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// Sends one wheel notch; true when the widget kept the event for itself.
bool SendWheel(QWidget *widget, int delta, Qt::KeyboardModifiers modifiers)
{
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
    return event.isAccepted();
}

} // namespace

class SmallControlsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void checkerTileLayout();
    void swatchShowsCheckerAndColour_data();
    void swatchShowsCheckerAndColour();
    void swatchClickIsReported();
    void canvasKeepsItsBufferUntilResized();
    void previewBoxRaisesPaintAndKeepsWheel();
    void fontComboSelectsIgnoringCase();
    void fontComboRejectsUnknownFamily();
    void fontComboUserPickRaisesChange();
    void spinEditWheel_data();
    void spinEditWheel();
    void spinEditValueRules();
    void spinEditCorrectsOnFocusLoss();
    void spinEditReportsEachTypedChangeOnce();
};

void SmallControlsTest::checkerTileLayout()
{
    const QImage tile = TGDIPColorDisplay::MakeCheckerTile();
    QCOMPARE(tile.size(), QSize(15, 15));
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 15; ++x)
            QCOMPARE(tile.pixel(x, y), IsGreyInTile(x, y) ? qRgb(128, 128, 128) : qRgb(255, 255, 255));
}

void SmallControlsTest::swatchShowsCheckerAndColour_data()
{
    QTest::addColumn<quint32>("color");
    QTest::newRow("transparent") << quint32(0x00FF0000);
    QTest::newRow("opaque") << quint32(0xFF2060A0);
    QTest::newRow("half") << quint32(0x80000000);
}

void SmallControlsTest::swatchShowsCheckerAndColour()
{
    QFETCH(quint32, color);
    TGDIPColorDisplay swatch;
    QCOMPARE(swatch.GetColor(), quint32(0x99FFFFFF));
    swatch.resize(47, 33);
    swatch.SetColor(color);
    const QImage shown = Render(swatch);
    const int alpha = int(color >> 24);
    const QColor ink = QColor::fromRgba(color);
    // Red of the fill at a position: the colour blended over the checkerboard.
    auto fillRed = [&](int x, int y) { return (qRed(CheckerAt(x, y)) * (255 - alpha) + ink.red() * alpha) / 255; };
    for (int y = 1; y < 32; ++y) {
        for (int x = 1; x < 46; ++x) {
            const QRgb pixel = shown.pixel(x, y);
            if (alpha == 0)
                QCOMPARE(pixel, CheckerAt(x, y));
            else if (alpha == 255)
                QCOMPARE(pixel, ink.rgb());
            else
                QVERIFY2(qAbs(qRed(pixel) - fillRed(x, y)) <= 1, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    }
    // The outline: grey 153 at alpha 128 over the edge pixels all round.
    for (const QPoint edge : {QPoint(0, 0), QPoint(46, 32), QPoint(46, 16), QPoint(20, 0), QPoint(0, 20)}) {
        const int expected = (fillRed(edge.x(), edge.y()) * 127 + 153 * 128) / 255;
        QVERIFY2(qAbs(qRed(shown.pixel(edge)) - expected) <= 2, qPrintable(QStringLiteral("%1,%2").arg(edge.x()).arg(edge.y())));
    }
}

void SmallControlsTest::swatchClickIsReported()
{
    TGDIPColorDisplay swatch;
    swatch.resize(30, 20);
    QSignalSpy spy(&swatch, &TGDIPColorDisplay::OnClick);
    QTest::mouseClick(&swatch, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(spy.count(), 1);
}

void SmallControlsTest::canvasKeepsItsBufferUntilResized()
{
    TGDIPCanvas canvas;
    canvas.resize(20, 10);
    QVERIFY(canvas.Buffer().isNull());
    bool drawRed = true;
    int paints = 0;
    connect(&canvas, &TGDIPCanvas::OnPaint, &canvas, [&](QPainter *painter) {
        ++paints;
        QCOMPARE(canvas.Canvas(), painter);
        if (drawRed)
            painter->fillRect(0, 0, 20, 10, Qt::red);
    });
    Render(canvas);
    QCOMPARE(paints, 1);
    QCOMPARE(canvas.Buffer().size(), QSize(20, 10));
    QCOMPARE(canvas.Buffer().pixel(5, 5), qRgb(255, 0, 0));
    QVERIFY(canvas.Canvas() == nullptr);

    // A paint that draws nothing shows what the buffer held.
    drawRed = false;
    QCOMPARE(Render(canvas).pixel(5, 5), qRgb(255, 0, 0));
    // After a resize the buffer is new and transparent.
    canvas.resize(25, 12);
    Render(canvas);
    QCOMPARE(canvas.Buffer().size(), QSize(25, 12));
    QCOMPARE(canvas.Buffer().pixel(5, 5), qRgba(0, 0, 0, 0));
    canvas.FreeBuffer();
    QVERIFY(canvas.Buffer().isNull());
}

void SmallControlsTest::previewBoxRaisesPaintAndKeepsWheel()
{
    QWidget parent;
    auto *box = new TPreviewPaintBox(&parent);
    box->resize(40, 30);
    QVERIFY(box->testAttribute(Qt::WA_OpaquePaintEvent));
    QVERIFY(box->focusPolicy() & Qt::TabFocus);
    QVERIFY(box->focusPolicy() & Qt::ClickFocus);
    QFont font(QStringLiteral("DejaVu Sans"), 13);
    box->setFont(font);
    box->SetColor(QColor(10, 20, 30));
    QObject *sender = nullptr;
    connect(box, &TPreviewPaintBox::OnPaint, box, [&](QObject *who) {
        sender = who;
        QVERIFY(box->Canvas() != nullptr);
        QCOMPARE(box->Canvas()->font().pointSize(), 13);
        QCOMPARE(box->Canvas()->brush().color(), QColor(10, 20, 30));
        box->Canvas()->fillRect(box->rect(), box->Canvas()->brush());
    });
    const QImage shown = Render(*box);
    QCOMPARE(sender, box);
    QCOMPARE(shown.pixel(20, 15), qRgb(10, 20, 30));

    int wheels = 0;
    connect(box, &TPreviewPaintBox::OnMouseWheel, box, [&](QWheelEvent *event) {
        ++wheels;
        QCOMPARE(event->angleDelta().y(), 120);
    });
    QSignalSpy resized(box, &TPreviewPaintBox::OnResize);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    resized.clear();
    QVERIFY(SendWheel(box, 120, Qt::NoModifier));
    QCOMPARE(wheels, 1);
    box->resize(50, 30);
    QCOMPARE(resized.count(), 1);
}

void SmallControlsTest::fontComboSelectsIgnoringCase()
{
    TGDIPFontCombo combo;
    QVERIFY(combo.count() > 3);
    QCOMPARE(combo.GetSelectedFamily(), QString());
    QSignalSpy spy(&combo, &TGDIPFontCombo::OnChange);
    combo.SelectFamily(QStringLiteral("dejavu SANS"));
    QCOMPARE(combo.GetSelectedFamily(), QStringLiteral("DejaVu Sans"));
    combo.SelectFamily(QStringLiteral("ARIAL"));
    QCOMPARE(combo.GetSelectedFamily(), QStringLiteral("Arial"));
    combo.SelectFamily(QStringLiteral("times new roman"));
    QCOMPARE(combo.GetSelectedFamily(), QStringLiteral("Times New Roman"));
    QCOMPARE(spy.count(), 0);
    // Each family is listed once, also after a refill.
    combo.FillFamilies();
    QCOMPARE(combo.findText(QStringLiteral("Courier New")) >= 0, true);
    QStringList entries;
    for (int index = 0; index < combo.count(); ++index)
        entries.append(combo.itemText(index).toLower());
    entries.removeDuplicates();
    QCOMPARE(entries.size(), combo.count());
}

void SmallControlsTest::fontComboRejectsUnknownFamily()
{
    TGDIPFontCombo combo;
    combo.SelectFamily(QStringLiteral("DejaVu Sans"));
    try {
        combo.SelectFamily(QStringLiteral("No Such Face"));
        QFAIL("no error");
    } catch (const EVelmoraError &error) {
        QCOMPARE(error.message(), QStringLiteral("Font(No Such Face) is not installed or is incompatible with GDI+"));
    }
    QCOMPARE(combo.GetSelectedFamily(), QStringLiteral("DejaVu Sans"));
}

void SmallControlsTest::fontComboUserPickRaisesChange()
{
    TGDIPFontCombo combo;
    combo.SelectFamily(QStringLiteral("DejaVu Sans"));
    QSignalSpy spy(&combo, &TGDIPFontCombo::OnChange);
    const int before = combo.currentIndex();
    QTest::keyClick(&combo, before + 1 < combo.count() ? Qt::Key_Down : Qt::Key_Up);
    QCOMPARE(spy.count(), 1);
    QVERIFY(combo.currentIndex() != before);
}

void SmallControlsTest::spinEditWheel_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("delta");
    QTest::addColumn<bool>("control");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("changes");
    QTest::newRow("control up to the limit") << 1020 << 120 << true << false << 1024 << 1;
    QTest::newRow("down at the minimum") << 1 << -120 << false << false << 1 << 0;
    QTest::newRow("plain up") << 500 << 120 << false << false << 501 << 1;
    QTest::newRow("control down") << 500 << -120 << true << false << 492 << 1;
    QTest::newRow("zero delta steps down") << 500 << 0 << false << false << 499 << 1;
    QTest::newRow("read-only still steps") << 500 << 120 << false << true << 501 << 1;
}

void SmallControlsTest::spinEditWheel()
{
    QFETCH(int, start);
    QFETCH(int, delta);
    QFETCH(bool, control);
    QFETCH(bool, readOnly);
    QFETCH(int, result);
    QFETCH(int, changes);
    QWidget parent;
    auto *edit = new TVelmoraSpinEdit(&parent);
    edit->SetMinValue(1);
    edit->SetMaxValue(1024);
    edit->SetValue(start);
    edit->setReadOnly(readOnly);
    QSignalSpy spy(edit, &TVelmoraSpinEdit::OnChange);
    QVERIFY(SendWheel(edit, delta, control ? Qt::ControlModifier : Qt::NoModifier));
    QCOMPARE(edit->Value(), result);
    QCOMPARE(spy.count(), changes);
}

void SmallControlsTest::spinEditValueRules()
{
    TVelmoraSpinEdit edit;
    edit.SetMinValue(-10);
    edit.SetMaxValue(10);
    QSignalSpy spy(&edit, &TVelmoraSpinEdit::OnChange);
    edit.SetValue(50);
    QCOMPARE(edit.Value(), 10);
    QCOMPARE(spy.count(), 1);
    edit.SetValue(10);
    QCOMPARE(spy.count(), 1);
    edit.findChild<QLineEdit *>()->setText(QString());
    QCOMPARE(edit.Value(), -10);
    QCOMPARE(spy.count(), 2);

    edit.SetIncrement(3);
    edit.SetValue(0);
    edit.stepUp();
    QCOMPARE(edit.Value(), 3);
    edit.stepDown();
    edit.stepDown();
    QCOMPARE(edit.Value(), -3);

    // Equal limits mean no limit.
    edit.SetMinValue(0);
    edit.SetMaxValue(0);
    edit.SetValue(123456);
    QCOMPARE(edit.Value(), 123456);
    edit.SetValue(-99);
    QCOMPARE(edit.Value(), -99);
}

void SmallControlsTest::spinEditCorrectsOnFocusLoss()
{
    TVelmoraSpinEdit edit;
    edit.SetMinValue(10);
    edit.SetMaxValue(100);
    edit.SetValue(50);
    edit.findChild<QLineEdit *>()->setText(QStringLiteral("5"));
    QCOMPARE(edit.Value(), 5);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &out);
    QCOMPARE(edit.Value(), 10);
    QCOMPARE(edit.text(), QStringLiteral("10"));
}

void SmallControlsTest::spinEditReportsEachTypedChangeOnce()
{
    TVelmoraSpinEdit edit;
    edit.SetMinValue(0);
    edit.SetMaxValue(100);
    edit.SetValue(5);
    edit.selectAll();
    QSignalSpy spy(&edit, &TVelmoraSpinEdit::OnChange);
    QTest::keyClicks(&edit, "42");
    QCOMPARE(spy.count(), 2);
    QCOMPARE(edit.Value(), 42);
    QTest::keyClick(&edit, Qt::Key_Up);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(edit.Value(), 43);
}

QTEST_MAIN(SmallControlsTest)
#include "SmallControls.moc"
