// The text page: filling, every handler, the colour dialog, the multi-line editor, fonts.
#include "PagesFixture.h"

#include "core/edit/StyleCommands.h"
#include "core/elements/ProjectStyle.h"

#include "ui/panels/FontWarningPanel.h"

#include <QLabel>

using namespace velmora;
using namespace velmora::test;

namespace {

TElementNode *TextOfNode(TPagesFixture &f)
{
    return f.TextNode;
}

IElementText &TextOf(TElementNode &node)
{
    return *queryInterface<IElementText>(node.Element());
}

QString TextIn(TElementNode &node)
{
    QString text;
    TextOf(node).GetText(text);
    return text;
}

IGDIPFont &FontOf(TElementNode &node)
{
    return *queryInterface<IGDIPFont>(node.Element());
}

const char *const MissingFont = "Nowhere Sans Display";

} // namespace

class PageTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fillsEveryControlAndMarksNothing()
    {
        TPagesFixture f;
        TElementNode &other = f.AddText(f.Project(), QStringLiteral("Other"));
        TElementNode &node = *f.TextNode;
        FontOf(node).SetFontName("DejaVu Serif");
        FontOf(node).SetFontSize(33);
        FontOf(node).SetColor(0xFF405060);
        TextOf(node).SetText(QStringLiteral("Director\r\nJane Roe"));
        auto *margins = queryInterface<IElementMargins>(node.Element());
        margins->SetTopOffset(-12);
        margins->SetUseFixedHeight(true);
        margins->SetFixedHeight(77);
        queryInterface<IElementHorizontalAlign>(node.Element())->SetHorizontalAlign(eaRight);
        queryInterface<IElementVerticalAlign>(node.Element())->SetVerticalAlign(eaBottom);
        queryInterface<IElementIndents>(node.Element())->SetLeftIndent(14);
        queryInterface<IElementIndents>(node.Element())->SetRightIndent(-3);
        f.Saved();
        // Another text first, so every control has to change.
        f.Select(other);
        f.Select(node);

        TPropertyPages &p = f.Pages();
        QCOMPARE(f.ShownPage(), f.Main().PropertyPages().PageTextElement);
        QCOMPARE(p.TextFont->GetSelectedFamily(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(p.TextFontSize->Value(), 33);
        QCOMPARE(p.TextColor->GetColor(), 0xFF405060u);
        // The one-line field keeps the line break, so typing in it keeps the lines.
        QCOMPARE(p.TextText->text(), QStringLiteral("Director\r\nJane Roe"));
        QCOMPARE(p.TextAlign->HAlign(), eaRight);
        QCOMPARE(p.TextAlign->VAlign(), eaBottom);
        QCOMPARE(p.TextTopOffset->Value(), -12);
        QCOMPARE(p.TextLeftIndent->Value(), 14);
        QCOMPARE(p.TextRightIndent->Value(), -3);
        QVERIFY(p.TextFixedHeightToggle->isChecked());
        QVERIFY(p.TextFixedHeight->isEnabled());
        QCOMPARE(p.TextFixedHeight->Value(), 77);
        QVERIFY(!f.Modified());
        QCOMPARE(TextIn(node), QStringLiteral("Director\r\nJane Roe"));
    }

    void handlersWriteTheirProperty()
    {
        const std::vector<THandlerRow> rows{
            {"text", [](TPagesFixture &f) {
                 f.Pages().TextText->selectAll();
                 QTest::keyClicks(f.Pages().TextText, QStringLiteral("Cast"));
             },
                {{"Text", QStringLiteral("Cast")}}},
            {"font size", [](TPagesFixture &f) { Type(f.Pages().TextFontSize, 36); }, {{"FontSize", 36}}},
            {"colour", [](TPagesFixture &f) {
                 f.Prompts.ColorReplies.push_back({{0xFF00FF00, 0x80FF0000}, true});
                 QTest::mouseClick(f.Pages().TextColor, Qt::LeftButton);
             },
                {{"Color", 0x80FF0000u}}},
            {"alignment", [](TPagesFixture &f) { f.Pages().TextAlign->ToolButton(8)->click(); },
                {{"HAlign", int(eaRight)}, {"VAlign", int(eaBottom)}}},
            {"top offset", [](TPagesFixture &f) { Type(f.Pages().TextTopOffset, -5); }, {{"TopOffset", -5}}},
            {"left indent", [](TPagesFixture &f) { Type(f.Pages().TextLeftIndent, 30); }, {{"LeftIndent", 30}}},
            {"right indent", [](TPagesFixture &f) { Type(f.Pages().TextRightIndent, -7); }, {{"RightIndent", -7}}},
            {"small caps", [](TPagesFixture &f) { f.Pages().TextSmallCaps->click(); }, {{"SmallCaps", true}}},
            {"fixed height on", [](TPagesFixture &f) { f.Pages().TextFixedHeightToggle->click(); },
                {{"UseFixedHeight", true}}},
            {"fixed height value", [](TPagesFixture &f) {
                 f.Pages().TextFixedHeightToggle->click();
                 Type(f.Pages().TextFixedHeight, 50);
             },
                {{"UseFixedHeight", true}, {"FixedHeight", 50}}},
            {"multi-line text", [](TPagesFixture &f) {
                 f.Prompts.TextReplies.push_back({{QStringLiteral("One\nTwo")}, true});
                 f.Pages().TextTextButton->click();
             },
                {{"Text", QStringLiteral("One\r\nTwo")}}},
        };
        CheckHandlerRows(rows, &TextOfNode);
    }

    void fontFamilyIsTheChosenEntry()
    {
        TPagesFixture f;
        f.Select(*f.TextNode);
        QTest::keyClick(f.Pages().TextFont, Qt::Key_Down);
        QByteArray name;
        FontOf(*f.TextNode).GetFontName(name);
        QCOMPARE(FromSystemCodePage(name), f.Pages().TextFont->GetSelectedFamily());
        QVERIFY(name != "Arial");
        QVERIFY(f.Modified());
        QVERIFY(f.PreviewScheduled());
    }

    void typingFollowsInTheTreeCaption()
    {
        TPagesFixture f;
        f.Select(*f.TextNode);
        f.Pages().TextText->selectAll();
        QTest::keyClicks(f.Pages().TextText, QStringLiteral("Music"));
        QCOMPARE(f.Model().data(f.Model().IndexOf(*f.TextNode), Qt::DisplayRole).toString(), QStringLiteral("Music"));
        QVERIFY(f.PreviewScheduled());
    }

    void statusBarNamesCharactersNoFontHas()
    {
        TPagesFixture f;
        f.Select(*f.TextNode);
        QLabel &warning = f.Main().FontWarnings();
        f.Pages().TextText->setText(QStringLiteral("봉준호 \uF8FF"));
        // Checked once typing pauses, and then without being asked.
        QTRY_VERIFY(!warning.isHidden());
        QCOMPARE(warning.text(), QStringLiteral("No font for U+F8FF in \"봉준호 \uF8FF\""));
        QVERIFY(!warning.text().contains("U+BD09"));
        QVERIFY(warning.toolTip().startsWith(QStringLiteral("The text \"봉준호 \uF8FF\" in the font \"")));
        QVERIFY(warning.toolTip().contains(QStringLiteral("\" has the character U+F8FF")));
        f.Pages().TextText->setText(QStringLiteral("봉준호"));
        QTRY_VERIFY(warning.isHidden());
    }

    void colourDialogCancel_data()
    {
        QTest::addColumn<QList<quint32>>("picks");
        QTest::newRow("colours tried") << QList<quint32>{0xFFFF0000, 0xFF0000FF};
        QTest::newRow("nothing tried") << QList<quint32>{};
    }
    void colourDialogCancel()
    {
        QFETCH(QList<quint32>, picks);
        TPagesFixture f;
        f.Select(*f.TextNode);
        const quint32 original = FontOf(*f.TextNode).GetColor();
        f.Prompts.ColorReplies.push_back({{picks.cbegin(), picks.cend()}, false});
        QTest::mouseClick(f.Pages().TextColor, Qt::LeftButton);
        QCOMPARE(FontOf(*f.TextNode).GetColor(), original);
        QCOMPARE(f.Pages().TextColor->GetColor(), original);
        // Putting the first colour back is an edit of its own.
        QVERIFY(f.Modified());
    }

    void multiLineEditorCancelRestoresTheText_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::newRow("edited then cancelled") << QStringList{QStringLiteral("Changed"), QStringLiteral("Changed\nmore")};
        QTest::newRow("cancelled at once") << QStringList{};
    }
    void multiLineEditorCancelRestoresTheText()
    {
        QFETCH(QStringList, edits);
        TPagesFixture f;
        TextOf(*f.TextNode).SetText(QStringLiteral("First\r\nSecond"));
        f.Saved();
        f.Select(*f.TextNode);
        f.Prompts.TextReplies.push_back({edits, false});
        f.Pages().TextTextButton->click();
        QCOMPARE(TextIn(*f.TextNode), QStringLiteral("First\r\nSecond"));
        QCOMPARE(f.Pages().TextText->text(), QStringLiteral("First\r\nSecond"));
        // Loading a non-empty text into the editor already counts as an edit.
        QVERIFY(f.Modified());
    }

    void multiLineEditorOkShowsTheTextInTheField()
    {
        TPagesFixture f;
        f.Select(*f.TextNode);
        f.Prompts.TextReplies.push_back({{QStringLiteral("Produced by\nVelmora")}, true});
        f.Pages().TextTextButton->click();
        QCOMPARE(f.Pages().TextText->text(), QStringLiteral("Produced by\r\nVelmora"));
        // Typing in the field now goes on from the edited text.
        f.Pages().TextText->end(false);
        QTest::keyClicks(f.Pages().TextText, QStringLiteral("!"));
        QCOMPARE(TextIn(*f.TextNode), QStringLiteral("Produced by\r\nVelmora!"));
    }

    void fixedHeightToggleKeepsTheStoredValue()
    {
        TPagesFixture f;
        auto *margins = queryInterface<IElementMargins>(f.TextNode->Element());
        margins->SetUseFixedHeight(true);
        margins->SetFixedHeight(120);
        f.Select(*f.TextNode);
        TPropertyPages &p = f.Pages();
        p.TextFixedHeightToggle->click();
        QVERIFY(!margins->GetUseFixedHeight());
        QVERIFY(!p.TextFixedHeight->isEnabled());
        QCOMPARE(margins->GetFixedHeight(), 120);
        p.TextFixedHeightToggle->click();
        QVERIFY(margins->GetUseFixedHeight());
        QVERIFY(p.TextFixedHeight->isEnabled());
        QCOMPARE(p.TextFixedHeight->Value(), 120);
    }

    void fontNotInstalledShowsTheErrorAndLeavesThePageUsable()
    {
        TPagesFixture f;
        TElementNode &other = f.AddText(f.Project(), QStringLiteral("Other"));
        FontOf(other).SetFontSize(20);
        FontOf(*f.TextNode).SetFontName(MissingFont);
        FontOf(*f.TextNode).SetFontSize(48);
        TextOf(*f.TextNode).SetText(QStringLiteral("Mine"));
        f.Saved();
        f.Select(other);
        f.Select(*f.TextNode);

        QCOMPARE(f.Prompts.Errors,
            QStringList{QStringLiteral("Font(%1) is not installed or is incompatible with GDI+").arg(QLatin1String(MissingFont))});
        QCOMPARE(f.ShownPage(), f.Main().PropertyPages().PageTextElement);
        QVERIFY(f.Main().PropertyPages().CurrentElement() == f.TextNode->Element());
        QVERIFY(!f.Main().PropertyPages().Filling());
        QVERIFY(!f.Modified());
        // The page shows this element, not the one shown before.
        TPropertyPages &p = f.Pages();
        QCOMPARE(p.TextFont->GetSelectedFamily(), QString());
        QCOMPARE(p.TextFontSize->Value(), 48);
        QCOMPARE(p.TextText->text(), QStringLiteral("Mine"));

        Type(p.TextFontSize, 60);
        QCOMPARE(FontOf(*f.TextNode).GetFontSize(), 60);
        QCOMPARE(FontOf(other).GetFontSize(), 20);
        QVERIFY(f.Modified());
        QByteArray name;
        FontOf(*f.TextNode).GetFontName(name);
        QCOMPARE(name, QByteArray(MissingFont));
    }

    // The page shows the style a text follows and sets it, as one step Undo takes back.
    void pageShowsAndSetsTheStyle()
    {
        TPagesFixture f;
        TProjectStyle title;
        title.Name = QStringLiteral("Title");
        title.FontSize = 40;
        QVERIFY(AddStyle(f.Main().Document(), title));
        f.Select(*f.TextNode);
        TPropertyPages &p = f.Pages();
        QCOMPARE(p.TextStyle->currentText(), QStringLiteral("(none)"));
        const int index = p.TextStyle->findText(QStringLiteral("Title"));
        QVERIFY(index > 0);
        p.TextStyle->setCurrentIndex(index);
        Q_EMIT p.TextStyle->activated(index);
        const auto *styled = queryInterface<IElementStyled>(f.TextNode->Element());
        QCOMPARE(styled->GetStyleName(), QStringLiteral("Title"));
        QCOMPARE(p.TextFontSize->Value(), 40);  // the page shows the new look
        QCOMPARE(f.Main().Controls().ActUndo->text(), QStringLiteral("Undo Apply Style"));
        f.Main().Controls().ActUndo->trigger();
        QVERIFY(styled->GetStyleName().isEmpty());
        QCOMPARE(p.TextStyle->currentText(), QStringLiteral("(none)"));
    }
};

QTEST_MAIN(PageTextTest)
#include "PageText.moc"
