// The 3 x 3 alignment picker, driven offscreen.
#include "controls/AlignmentFrame.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace velmora;

class AlignmentsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void clickSetsBothAndRaisesEvent_data();
    void clickSetsBothAndRaisesEvent();
    void clickOnPressedCellStillRaises();
    void settersMoveThePressedCellSilently();
    void unassignedShowsAllNineCells();
    void middleRowOnlyAndBack();
    void glyphsDifferPerCell();

private:
    static int PressedIndex(const TAlignments &picker);
};

int AlignmentsTest::PressedIndex(const TAlignments &picker)
{
    int pressed = -1;
    for (int index = 0; index < 9; ++index) {
        if (picker.ToolButton(index)->isChecked()) {
            if (pressed != -1)
                return -2;
            pressed = index;
        }
    }
    return pressed;
}

void AlignmentsTest::clickSetsBothAndRaisesEvent_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("hAlign");
    QTest::addColumn<int>("vAlign");
    QTest::newRow("top left") << 0 << 6 << int(eaLeft) << int(eaTop);
    QTest::newRow("top centre") << 1 << 7 << int(eaCenter) << int(eaTop);
    QTest::newRow("top right") << 2 << 8 << int(eaRight) << int(eaTop);
    QTest::newRow("middle left") << 3 << 3 << int(eaLeft) << int(eaMiddle);
    QTest::newRow("middle centre") << 4 << 4 << int(eaCenter) << int(eaMiddle);
    QTest::newRow("middle right") << 5 << 5 << int(eaRight) << int(eaMiddle);
    QTest::newRow("bottom left") << 6 << 0 << int(eaLeft) << int(eaBottom);
    QTest::newRow("bottom centre") << 7 << 1 << int(eaCenter) << int(eaBottom);
    QTest::newRow("bottom right") << 8 << 2 << int(eaRight) << int(eaBottom);
}

void AlignmentsTest::clickSetsBothAndRaisesEvent()
{
    QFETCH(int, index);
    QFETCH(int, tag);
    QFETCH(int, hAlign);
    QFETCH(int, vAlign);
    TAlignments picker;
    picker.SetAllowVerticalAlign(true);
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QSignalSpy spy(&picker, &TAlignments::OnAlignmentChange);
    QToolButton *button = picker.ToolButton(index);
    QCOMPARE(button->objectName(), QStringLiteral("ToolButton%1").arg(index + 1));
    QCOMPARE(button->property("tag").toInt(), tag);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<QObject *>(), &picker);
    QCOMPARE(int(spy.at(0).at(1).value<TElementHAlignment>()), hAlign);
    QCOMPARE(int(spy.at(0).at(2).value<TElementVAlignment>()), vAlign);
    QCOMPARE(int(picker.HAlign()), hAlign);
    QCOMPARE(int(picker.VAlign()), vAlign);
    QCOMPARE(PressedIndex(picker), index);
}

void AlignmentsTest::clickOnPressedCellStillRaises()
{
    TAlignments picker;
    picker.SetAllowVerticalAlign(true);
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    picker.SetHAlign(eaRight);
    picker.SetVAlign(eaBottom);
    QSignalSpy spy(&picker, &TAlignments::OnAlignmentChange);
    // The button toggles itself off first; the picker presses it again.
    QTest::mouseClick(picker.ToolButton(8), Qt::LeftButton);
    QTest::mouseClick(picker.ToolButton(8), Qt::LeftButton);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(1).value<TElementHAlignment>(), eaRight);
    QCOMPARE(spy.at(1).at(2).value<TElementVAlignment>(), eaBottom);
    QCOMPARE(PressedIndex(picker), 8);
}

void AlignmentsTest::settersMoveThePressedCellSilently()
{
    TAlignments picker;
    QSignalSpy spy(&picker, &TAlignments::OnAlignmentChange);
    // Until first set, the stored design state shows: top centre pressed.
    QCOMPARE(PressedIndex(picker), 1);
    QCOMPARE(picker.HAlign(), eaRight);
    QCOMPARE(picker.VAlign(), eaTop);
    picker.SetHAlign(eaLeft);
    QCOMPARE(PressedIndex(picker), 0);
    picker.SetVAlign(eaMiddle);
    QCOMPARE(PressedIndex(picker), 3);
    picker.SetHAlign(eaCenter);
    picker.SetVAlign(eaBottom);
    QCOMPARE(PressedIndex(picker), 7);
    QCOMPARE(spy.count(), 0);
}

void AlignmentsTest::unassignedShowsAllNineCells()
{
    TAlignments picker;
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QVERIFY(!picker.AllowVerticalAlign());
    for (int index = 0; index < 9; ++index)
        QVERIFY(picker.ToolButton(index)->isVisible());
    QCOMPARE(picker.size(), QSize(69, 66));
}

void AlignmentsTest::middleRowOnlyAndBack()
{
    TAlignments picker;
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    picker.SetAllowVerticalAlign(false);
    QCOMPARE(picker.size(), QSize(69, 22));
    for (int index = 0; index < 9; ++index)
        QCOMPARE(picker.ToolButton(index)->isVisible(), index >= 3 && index <= 5);

    QSignalSpy spy(&picker, &TAlignments::OnAlignmentChange);
    for (int index = 3; index <= 5; ++index)
        QTest::mouseClick(picker.ToolButton(index), Qt::LeftButton);
    QCOMPARE(spy.count(), 3);
    for (int k = 0; k < 3; ++k) {
        QCOMPARE(int(spy.at(k).at(1).value<TElementHAlignment>()), k);
        QCOMPARE(spy.at(k).at(2).value<TElementVAlignment>(), eaMiddle);
    }
    // A top alignment set in code presses a hidden button: none visible is pressed.
    picker.SetVAlign(eaTop);
    for (int index = 3; index <= 5; ++index)
        QVERIFY(!picker.ToolButton(index)->isChecked());

    picker.SetAllowVerticalAlign(true);
    QVERIFY(picker.AllowVerticalAlign());
    QCOMPARE(picker.size(), QSize(69, 66));
    for (int index = 0; index < 9; ++index)
        QVERIFY(picker.ToolButton(index)->isVisible());
}

void AlignmentsTest::glyphsDifferPerCell()
{
    QList<QImage> glyphs;
    for (int tag = 0; tag < 9; ++tag) {
        const QImage glyph = TAlignments::AlignmentGlyph(tag);
        QCOMPARE(glyph.size(), QSize(16, 16));
        QVERIFY(!glyphs.contains(glyph));
        glyphs.append(glyph);
    }
}

QTEST_MAIN(AlignmentsTest)
#include "Alignments.moc"
