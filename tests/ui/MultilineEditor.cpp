// The multi-line text editor dialog, driven offscreen.
#include "controls/MultilineEditorForm.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace velmora;

class MultilineEditorTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadNormalisesAndReportsOnce_data();
    void loadNormalisesAndReportsOnce();
    void loadingTheSameTextReportsNothing();
    void typingReportsEveryChange();
    void deleteCommandErasesSelection();
    void buttonsAndKeysClose_data();
    void buttonsAndKeysClose();
};

void MultilineEditorTest::loadNormalisesAndReportsOnce_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");
    QTest::newRow("line feeds") << "one\ntwo\nthree" << "one\r\ntwo\r\nthree";
    QTest::newRow("mixed") << "a\rb\r\nc\nd" << "a\r\nb\r\nc\r\nd";
    QTest::newRow("already CR LF") << "x\r\ny" << "x\r\ny";
    QTest::newRow("trailing and blank lines") << "\n\nend\n" << "\r\n\r\nend\r\n";
    QTest::newRow("wide characters") << QStringLiteral("Ωμέγα\n日本") << QStringLiteral("Ωμέγα\r\n日本");
}

void MultilineEditorTest::loadNormalisesAndReportsOnce()
{
    QFETCH(QString, text);
    QFETCH(QString, stored);
    TMultilineEditor editor;
    QCOMPARE(editor.windowTitle(), QStringLiteral("Edit Text"));
    QSignalSpy spy(&editor, &TMultilineEditor::OnTextChange);
    editor.LoadText(text);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<QObject *>(), &editor);
    QCOMPARE(spy.at(0).at(1).toString(), stored);
    QCOMPARE(editor.Text(), stored);
}

void MultilineEditorTest::loadingTheSameTextReportsNothing()
{
    TMultilineEditor editor;
    QSignalSpy spy(&editor, &TMultilineEditor::OnTextChange);
    editor.LoadText(QString());
    QCOMPARE(spy.count(), 0);
    editor.LoadText(QStringLiteral("a\nb"));
    editor.LoadText(QStringLiteral("a\r\nb"));
    QCOMPARE(spy.count(), 1);
}

void MultilineEditorTest::typingReportsEveryChange()
{
    TMultilineEditor editor;
    editor.LoadText(QStringLiteral("ab"));
    QSignalSpy spy(&editor, &TMultilineEditor::OnTextChange);
    editor.Editor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor.Editor(), "c");
    QTest::keyClick(editor.Editor(), Qt::Key_Return);
    QTest::keyClicks(editor.Editor(), "d");
    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy.last().at(1).toString(), QStringLiteral("abc\r\nd"));
    // Enter inside the text area breaks the line; it does not close the dialog.
    QVERIFY(editor.result() == 0);
}

void MultilineEditorTest::deleteCommandErasesSelection()
{
    TMultilineEditor editor;
    editor.LoadText(QStringLiteral("keep drop"));
    QCOMPARE(editor.EditDelete1->text(), QStringLiteral("&Delete"));
    QVERIFY(!editor.EditDelete1->isEnabled());
    QTextCursor cursor = editor.Editor()->textCursor();
    cursor.setPosition(4);
    cursor.setPosition(9, QTextCursor::KeepAnchor);
    editor.Editor()->setTextCursor(cursor);
    QVERIFY(editor.EditDelete1->isEnabled());
    QSignalSpy spy(&editor, &TMultilineEditor::OnTextChange);
    editor.EditDelete1->trigger();
    QCOMPARE(editor.Text(), QStringLiteral("keep"));
    QCOMPARE(spy.count(), 1);
    editor.EditUndo1->trigger();
    QCOMPARE(editor.Text(), QStringLiteral("keep drop"));
}

void MultilineEditorTest::buttonsAndKeysClose_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    QTest::newRow("Ok button") << "ButtonOk" << int(QDialog::Accepted);
    QTest::newRow("Cancel button") << "ButtonCancel" << int(QDialog::Rejected);
    QTest::newRow("Escape") << "Escape" << int(QDialog::Rejected);
    QTest::newRow("Enter off the text") << "Enter" << int(QDialog::Accepted);
}

void MultilineEditorTest::buttonsAndKeysClose()
{
    QFETCH(QString, how);
    QFETCH(int, result);
    TMultilineEditor editor;
    editor.show();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    if (how == QLatin1String("Escape")) {
        QTest::keyClick(editor.Editor(), Qt::Key_Escape);
    } else if (how == QLatin1String("Enter")) {
        auto *cancel = editor.findChild<QPushButton *>("ButtonCancel");
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
    } else {
        auto *button = editor.findChild<QPushButton *>(how);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QCOMPARE(editor.result(), result);
    QVERIFY(!editor.isVisible());
}

QTEST_MAIN(MultilineEditorTest)
#include "MultilineEditor.moc"
