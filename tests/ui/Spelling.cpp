// Check Spelling: Hunspell's verdict on the roll's texts, corrections as undo steps, and the
// project's names kept beside its file.
#include "EditorFixture.h"

#include "core/signoff/Credits.h"
#include "ui/panels/SpellingDialog.h"

#include <QBuffer>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUndoStack>

using namespace velmora;
using namespace velmora::test;

namespace {

QByteArray FileBytes(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class SpellingTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        if (!TSpellChecker(QStringLiteral("en_US")).Available())
            QSKIP("the en_US dictionary (hunspell-en-us) is not installed");
    }

    void wordsWorthChecking_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("plain") << "Directed by Ada" << QStringList{"Directed", "by", "Ada"};
        QTest::newRow("apostrophes and hyphens stay inside")
            << QString::fromUtf8("Ada\u2019s mother-in-law") << QStringList{QString::fromUtf8("Ada\u2019s"), "mother", "in", "law"};
        QTest::newRow("digits and single letters left out") << "Shot on 35mm by J. Li in 3D" << QStringList{"Shot", "on", "by", "Li", "in"};
        QTest::newRow("column padding") << QString::fromUtf8("\u2009\u2009Grip\u2060\r\nBest Boy") << QStringList{"Grip", "Best", "Boy"};
    }
    void wordsWorthChecking()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QStringList found;
        for (const TTextWord &word : WordsOf(text)) {
            QCOMPARE(text.mid(word.Start, word.Length), word.Word);
            found << word.Word;
        }
        QCOMPARE(found, words);
    }

    void dictionaryVerdicts()
    {
        const TSpellChecker checker(QStringLiteral("en_US"));
        QVERIFY(checker.IsCorrect("Directed"));
        QVERIFY(checker.IsCorrect(QString::fromUtf8("director\u2019s")));
        QVERIFY(!checker.IsCorrect("Direcetd"));
        QVERIFY(checker.Suggestions("Direcetd").contains("Directed"));
        const auto wrong = checker.Misspelled("Teh Eskildsen family", {QStringLiteral("Eskildsen")});
        QCOMPARE(wrong.size(), std::size_t(1));
        QCOMPARE(wrong[0].Word, QString("Teh"));
    }

    void checksCorrectsAndKeepsNamesBesideTheProject()
    {
        TEditorFixture f;
        TSpellingDialog &spelling = f.Main().Spelling();
        TElementNode &first = f.AddText(f.Project(), "Directed by Eskildsen");
        TElementNode &second = f.AddText(f.Project(), "Teh end");
        QTemporaryDir dir;
        const QString project = dir.filePath("roll.vmz");
        f.Main().Document().SaveProjectAs(project);
        const QByteArray savedBytes = FileBytes(project);
        QVERIFY(!QFile::exists(dir.filePath("roll-names.txt"))); // no names, no file
        f.Focus(first);

        // The first unknown word is selected in the tree, in its line.
        f.Main().findChild<QAction *>("ActCheckSpelling")->trigger();
        QCOMPARE(spelling.CurrentNode(), &first);
        QCOMPARE(spelling.CurrentWord().Word, QString("Eskildsen"));
        QCOMPARE(f.Editor().FocusedNode(), &first);
        QVERIFY(spelling.WordLabel->text().contains("<b>Eskildsen</b>"));
        // A name goes to the project's names, written beside it; the project file is unchanged.
        spelling.AddNameButton->click();
        QCOMPARE(FileBytes(dir.filePath("roll-names.txt")), QByteArray("Eskildsen\n"));
        QCOMPARE(FileBytes(project), savedBytes);
        // The next word is corrected as one undo step.
        QCOMPARE(spelling.CurrentNode(), &second);
        QCOMPARE(spelling.CurrentWord().Word, QString("Teh"));
        const auto the = spelling.SuggestionList->findItems("The", Qt::MatchExactly);
        QVERIFY(!the.isEmpty());
        spelling.SuggestionList->setCurrentItem(the.first()); // a suggestion picked is the change
        QCOMPARE(spelling.ChangeTo->text(), QString("The"));
        spelling.ChangeButton->click();
        QCOMPARE(TextOf(second), QString("The end"));
        QCOMPARE(spelling.CurrentNode(), nullptr);
        QCOMPARE(spelling.Result->text(), QString("No unknown words in the texts."));
        f.Main().Document().UndoStack().undo();
        QCOMPARE(TextOf(second), QString("Teh end"));

        // Save As takes the names along; opening the project brings them back; New forgets them.
        const QString copy = dir.filePath("copy.vmz");
        f.Main().Document().SaveProjectAs(copy);
        QCOMPARE(FileBytes(dir.filePath("copy-names.txt")), QByteArray("Eskildsen\n"));
        f.Prompts.Answers = {true, true};
        f.Main().Controls().ActNew->trigger();
        QTRY_VERIFY(spelling.ProjectNames().Words().isEmpty());
        f.Main().OpenProjectFile(project);
        QTRY_COMPARE(spelling.ProjectNames().Words(), QStringList{"Eskildsen"});
        QCOMPARE(FileBytes(dir.filePath("roll-names.txt")), QByteArray("Eskildsen\n"));
        f.Focus(*f.Project().Child(0));
        QVERIFY(spelling.FindNext());
        QCOMPARE(spelling.CurrentWord().Word, QString("Teh"));
    }

    // F7 from a credit pair starts inside it; the names the roll credits pass unless asked
    // for, and Add All Names accepts them all in one step.
    void startsAtTheSelectionAndLeavesNamesAlone()
    {
        TEditorFixture f;
        TSpellingDialog &spelling = f.Main().Spelling();
        f.AddText(f.Project(), "Teh opening");
        f.Focus(f.Project());
        TElementNode *pair = f.Main().TreeEditor().AddSubtree(MakeCreditPair("Gafer", "Quarnstrom Vbelkaj"), "Add Credit Pair");
        QVERIFY(pair != nullptr);
        f.AddText(f.Project(), "Thnaks to all");
        QTemporaryDir dir;
        const QString project = dir.filePath("roll.vmz");
        f.Main().Document().SaveProjectAs(project);

        f.Focus(*pair);
        f.Main().findChild<QAction *>("ActCheckSpelling")->trigger();
        QCOMPARE(spelling.CurrentWord().Word, QString("Gafer"));  // the role, not "Teh" above
        QVERIFY(spelling.FindNext());
        QCOMPARE(spelling.CurrentWord().Word, QString("Thnaks"));  // the names were passed
        spelling.CheckNames->setChecked(true);
        f.Focus(*pair);
        f.Main().findChild<QAction *>("ActCheckSpelling")->trigger();
        QVERIFY(spelling.FindNext());
        QCOMPARE(spelling.CurrentWord().Word, QString("Quarnstrom"));

        QCOMPARE(spelling.AddAllNames(), 2);
        QCOMPARE(FileBytes(dir.filePath("roll-names.txt")), QByteArray("Quarnstrom\nVbelkaj\n"));
        QCOMPARE(spelling.AddAllNames(), 0);
        f.Focus(*pair);
        f.Main().findChild<QAction *>("ActCheckSpelling")->trigger();
        QVERIFY(spelling.FindNext());
        QCOMPARE(spelling.CurrentWord().Word, QString("Thnaks"));
    }
};

QTEST_MAIN(SpellingTest)
#include "Spelling.moc"
