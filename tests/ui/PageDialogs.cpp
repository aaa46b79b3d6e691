// The colour dialog and the multi-line editor as the pages open them: real modal dialogs,
// answered from a timer the way a user would answer them.
#include "controls/ColorSelectorDialogForm.h"
#include "controls/MultilineEditorForm.h"
#include "ui/prompts/DialogPrompts.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

using namespace velmora;

namespace {

// Runs answer on the modal dialog of type T as soon as it is up.
template <typename T>
void WhenShown(std::function<void(T &)> answer)
{
    QTimer::singleShot(0, qApp, [answer] {
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        answer(*dialog);
    });
}

} // namespace

class PageDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void colourDialogReportsLiveAndAnswers_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("ok") << true;
        QTest::newRow("cancel") << false;
    }
    void colourDialogReportsLiveAndAnswers()
    {
        QFETCH(bool, accept);
        TDialogPrompts prompts(nullptr);
        QList<quint32> reported;
        WhenShown<TColorSelectorDialog>([accept](TColorSelectorDialog &dialog) {
            QCOMPARE(dialog.Frame()->GetColor(), 0xFF102030u);
            dialog.SetColor(0x80C0FFEE);
            accept ? dialog.accept() : dialog.reject();
        });
        const std::optional<quint32> chosen =
            prompts.ChooseColor(0xFF102030, [&](quint32 color) { reported << color; });
        QCOMPARE(chosen.has_value(), accept);
        if (accept)
            QCOMPARE(*chosen, 0x80C0FFEEu);
        // The colour picked reached the caller while the dialog was open, also when it is cancelled.
        QVERIFY(!reported.isEmpty());
        QCOMPARE(reported.last(), 0x80C0FFEEu);
    }

    void multilineEditorReportsEveryChange_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("ok") << true;
        QTest::newRow("cancel") << false;
    }
    void multilineEditorReportsEveryChange()
    {
        QFETCH(bool, accept);
        TDialogPrompts prompts(nullptr);
        QStringList reported;
        WhenShown<TMultilineEditor>([accept](TMultilineEditor &editor) {
            QCOMPARE(editor.Text(), QStringLiteral("Cast\r\nCrew"));
            editor.Editor()->setPlainText(QStringLiteral("Cast\nCrew\nThanks"));
            accept ? editor.accept() : editor.reject();
        });
        const bool ok = prompts.EditMultilineText(QStringLiteral("Cast\nCrew"), [&](const QString &text) { reported << text; });
        QCOMPARE(ok, accept);
        // Loading the text is the first change, with its line breaks made CR LF.
        QCOMPARE(reported, (QStringList{QStringLiteral("Cast\r\nCrew"), QStringLiteral("Cast\r\nCrew\r\nThanks")}));
    }
};

QTEST_MAIN(PageDialogsTest)
#include "PageDialogs.moc"
