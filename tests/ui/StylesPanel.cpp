// View > Styles in the real window: sheet imports bring their styles, the panel's edits
// restyle every text that follows a style as one step, Apply to Selection, and new texts.
#include "EditorFixture.h"

#include "core/render/LayoutPass.h"
#include "core/credits/ElementCreditBlock.h"
#include "core/edit/StyleCommands.h"
#include "core/render/FrameRenderer.h"
#include "core/edit/StyleLooks.h"
#include "ui/CreditCommands.h"
#include "ui/StylesPanel.h"

#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QUndoStack>

using namespace velmora;
using namespace velmora::test;

namespace {

struct TSheetPrompts : ICreditPrompts
{
    QString Sheet;
    TImportMode Mode = TImportMode::Copy;
    QString ChooseSheetFile() override { return Sheet; }
    QString AskRunningTime(const QString &) override { return {}; }
    void ShowMessage(const QString &) override {}
    std::optional<TImportMode> ChooseImportMode() override { return Mode; }
};

// A window with a sheet (a heading, a pair, a custom-styled text) imported by copy or link:
// either way one credit block.
struct TStyledRoll : TEditorFixture
{
    QTemporaryDir dir;  // a linked sheet stays where it was read

    explicit TStyledRoll(ICreditPrompts::TImportMode mode)
    {
        // A 576-line film chosen from the templates: the import keeps it (the starting project
        // would take the sheet's HD film).
        Prompts.Templates.push_back(4);
        Main().Controls().ActNew->trigger();
        Import(*this, mode, dir);
    }
    // Imports the sheet, written into dir, into f's project at its focus.
    static void Import(TEditorFixture &f, ICreditPrompts::TImportMode mode, const QTemporaryDir &dir)
    {
        TSheetPrompts sheet;
        sheet.Mode = mode;
        sheet.Sheet = Write(dir, "c.csv", "Kind,Role,Name,Text,Style\nheading,,,CAST,\npair,Lead,Ada Lund,,\ntext,,,Thanks,Small print\n");
        Write(dir, "c-styles.json", R"({"Heading": {"FontSize": 54, "Color": "#FFCC00"},
                                        "Small print": {"FontName": "DejaVu Sans", "FontSize": 18}})");
        f.Main().CreditCommands().SetPrompts(&sheet);
        f.Main().CreditCommands().ActImportCredits->trigger();
        f.Main().CreditCommands().SetPrompts(nullptr);
    }
    static QString Write(const QTemporaryDir &dir, const char *name, const QByteArray &bytes)
    {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }
    TStylesPanel &Panel() { return Main().StylesPanel(); }
    QStringList Listed()
    {
        QStringList names;
        for (int row = 0; row < Panel().List->count(); ++row)
            names << Panel().List->item(row)->text();
        return names;
    }
    TProjectStyle Look(const TElementNode &node) { return LookOf(*node.Element()); }
    QUndoStack &Stack() { return Main().Document().UndoStack(); }
    // The line of the imported block that says text, as the block last drew it at the film's size.
    const TCreditLayout::TLine &Line(const QString &text)
    {
        TFrameRenderer renderer;
        renderer.RenderFrame(Main().Document().Tree(), 0, false);
        static const TCreditLayout::TLine none;
        const auto *block = dynamic_cast<const TVmElementCreditBlock *>(Project().Child(0)->Element());
        if (block == nullptr)
            return none;
        for (const TCreditLayout::TPiece &piece : block->LayoutFor(FilmOf(Project())).Pieces())
            for (const TCreditLayout::TLine &line : piece.Lines)
                if (line.Layout->text() == text)
                    return line;
        return none;
    }
    int Pixels(const QString &text) { return Line(text).Layout ? Line(text).Layout->font().pixelSize() : -1; }
};

// Types text over a field's contents and presses Return, as the user does.
void Type(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

} // namespace

class StylesPanelTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void importBringsTheSheetsStylesAndAStyleEditRestylesAllItsTextsAsOneStep()
    {
        TStyledRoll f(ICreditPrompts::TImportMode::Copy);
        QVERIFY(f.Prompts.Errors.isEmpty());
        // The dock is listed in View and hidden until asked for.
        QMenu *view = nullptr;
        for (QAction *menu : f.Main().menuBar()->actions())
            if (menu->text().remove('&') == "View")
                view = menu->menu();
        QVERIFY(view && view->actions().contains(f.Panel().Dock->toggleViewAction()));
        QVERIFY(f.Panel().Dock->isHidden());
        f.Panel().Dock->toggleViewAction()->trigger();
        QVERIFY(f.Panel().Dock->isVisible());

        QCOMPARE(f.Listed(), (QStringList{"Heading", "Role", "Name", "Names", "Text", "Small print"}));
        // The import is still one step, the styles with it, sized for the 576-line film as the
        // copied block draws them (54 becomes 29, 18 becomes 10).
        QCOMPARE(f.Stack().count(), 1);
        QCOMPARE(f.Line("CAST").StyleName, QString("Heading"));
        QCOMPARE(f.Pixels("CAST"), 29);
        QCOMPARE(f.Line("Thanks").StyleName, QString("Small print"));
        QCOMPARE(f.Pixels("Thanks"), 10);

        f.Panel().ChooseStyle("heading");
        QCOMPARE(f.Main().Document().CurrentStyle(), QString("Heading"));
        QCOMPARE(f.Panel().SizeEdit->value(), 29);
        QCOMPARE(f.Panel().ColorEdit->text(), QString("#FFCC00"));
        // Spinning up three times and typing a colour: two steps, the block's headings follow.
        f.Panel().SizeEdit->setFocus();
        for (int i = 0; i < 3; ++i)
            f.Panel().SizeEdit->stepUp();
        Type(f.Panel().ColorEdit, "#80ff8000");  // the spin box is done when the focus leaves
        QCOMPARE(f.Pixels("CAST"), 32);
        QCOMPARE(f.Line("CAST").Color.rgba(), 0x80FF8000u);
        QCOMPARE(f.Pixels("Thanks"), 10);
        QCOMPARE(f.Stack().count(), 3);
        f.Stack().undo();
        QCOMPARE(f.Line("CAST").Color.rgba(), 0xFFFFCC00u);
        f.Stack().undo();
        QCOMPARE(f.Pixels("CAST"), 29);
        QCOMPARE(f.Panel().SizeEdit->value(), 29);

        // A colour that does not read changes nothing and shows the style again.
        Type(f.Panel().ColorEdit, "orange");
        QCOMPARE(f.Panel().ColorEdit->text(), QString("#FFCC00"));
        QCOMPARE(f.Stack().index(), 1);
    }

    void aProjectsOwnStyleWinsOverTheSheetsOnImport()
    {
        TEditorFixture f;
        TProjectStyle heading;
        heading.Name = "heading";
        heading.FontSize = 70;
        heading.FontName = "DejaVu Serif";
        QVERIFY(AddStyle(f.Main().Document(), heading));
        QTemporaryDir dir;
        TStyledRoll::Import(f, ICreditPrompts::TImportMode::Copy, dir);
        // Into the starting project, which takes the sheet's HD film: 70 pixels as they stand.
        TFrameRenderer renderer;
        renderer.RenderFrame(f.Main().Document().Tree(), 0, false);
        const auto *block = dynamic_cast<const TVmElementCreditBlock *>(f.Project().Child(0)->Element());
        QVERIFY(block != nullptr);
        const QFont font = block->LayoutFor(FilmOf(f.Project())).Pieces().front().Lines.front().Layout->font();
        QCOMPARE(font.pixelSize(), 70);
        QCOMPARE(font.family(), QString("DejaVu Serif"));
        const TProjectStyles &styles = ProjectStylesOf(f.Main().Document().Tree());
        QCOMPARE(FindProjectStyle(styles, "Heading")->FontSize, 70);
        QCOMPARE(styles.size(), std::size_t(6));
    }

    void applyToSelectionRenameDeleteAndNewTexts()
    {
        TStyledRoll f(ICreditPrompts::TImportMode::Copy);
        TElementNode &a = f.AddText(f.Project(), "A");
        TElementNode &b = f.AddText(f.Project(), "B");
        f.Panel().ChooseStyle("Small print");
        f.View().selectionModel()->select(f.Model().IndexOf(a), QItemSelectionModel::ClearAndSelect);
        f.View().selectionModel()->select(f.Model().IndexOf(b), QItemSelectionModel::Select);
        const int steps = f.Stack().index();
        QTest::mouseClick(f.Panel().ApplyButton, Qt::LeftButton);
        QCOMPARE(f.Stack().index(), steps + 1);
        QCOMPARE(f.Look(a).Name, QString("Small print"));
        QCOMPARE(f.Look(b).FontSize, 10);  // the sheet's 18 at 576 lines
        QCOMPARE(f.Look(b).FontName, QString("DejaVu Sans"));

        // New texts take the chosen style.
        TElementNode &c = f.AddText(f.Project(), "C");
        QCOMPARE(f.Look(c).Name, QString("Small print"));

        // Renaming carries the texts and the choice along.
        Type(f.Panel().NameEdit, "Fine print");
        QCOMPARE(f.Look(a).Name, QString("Fine print"));
        QCOMPARE(f.Panel().CurrentStyle(), QString("Fine print"));
        QCOMPARE(f.Main().Document().CurrentStyle(), QString("Fine print"));

        // Deleting leaves the texts' looks and nothing chosen.
        QTest::mouseClick(f.Panel().DeleteButton, Qt::LeftButton);
        QVERIFY(!f.Listed().contains("Fine print"));
        QCOMPARE(f.Look(a).Name, QString());
        QCOMPARE(f.Look(a).FontSize, 10);
        QCOMPARE(f.Panel().CurrentStyle(), QString());
        QVERIFY(!f.Panel().ApplyButton->isEnabled());
        f.Stack().undo();
        QCOMPARE(f.Look(a).Name, QString("Fine print"));

        // A new style starts from the focused text.
        f.Focus(b);
        QTest::mouseClick(f.Panel().NewButton, Qt::LeftButton);
        QCOMPARE(f.Panel().CurrentStyle(), QString("Style"));
        QCOMPARE(FindProjectStyle(ProjectStylesOf(f.Main().Document().Tree()), "Style")->FontSize, 10);
    }

    void linkedBlockLaysOutWithThePanelsStyle()
    {
        TStyledRoll f(ICreditPrompts::TImportMode::Link);
        QVERIFY(f.Prompts.Errors.isEmpty());
        const auto *block = dynamic_cast<const TVmElementCreditBlock *>(f.Project().Child(0)->Element());
        QVERIFY(block != nullptr);
        // The block's styles come in at the film's size (576 lines: 54 becomes 29).
        f.Panel().ChooseStyle("Heading");
        QCOMPARE(f.Panel().SizeEdit->value(), 29);
        const auto headingPixels = [&] {
            TFrameRenderer renderer;
            renderer.RenderFrame(f.Main().Document().Tree(), 0, false);
            return block->LayoutFor(FilmOf(f.Project())).Pieces().front().Lines.front().Layout->font().pixelSize();
        };
        QCOMPARE(headingPixels(), 29);
        f.Panel().SizeEdit->setValue(40);
        QCOMPARE(headingPixels(), 40);
        // A font typed letter by letter is one step, taken when the name is complete.
        const int steps = f.Stack().index();
        Type(f.Panel().FontEdit->lineEdit(), "DejaVu Serif");
        QCOMPARE(f.Stack().index(), steps + 1);
        QCOMPARE(headingPixels(), 40);
        QCOMPARE(block->LayoutFor(FilmOf(f.Project())).Pieces().front().Lines.front().Layout->font().family(), QString("DejaVu Serif"));
        f.Stack().undo();
        f.Panel().AlignEdit->setCurrentIndex(eaLeft);
        QCOMPARE(FindProjectStyle(ProjectStylesOf(f.Main().Document().Tree()), "Heading")->HAlign, eaLeft);
        f.Stack().undo();
        f.Stack().undo();
        QCOMPARE(headingPixels(), 29);
    }
};

QTEST_MAIN(StylesPanelTest)
#include "StylesPanel.moc"
