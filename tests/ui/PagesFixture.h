#pragma once

// Helpers for the property page tests: the real window with a project, a text and an image,
// driven the way a user drives the pages.
#include "EditorFixture.h"

#include "controls/AlignmentFrame.h"
#include "controls/GDIPColorDisplay.h"
#include "controls/GDIPFontCombo.h"
#include "controls/GPWinControl.h"
#include "controls/VelmoraSpinEdit.h"
#include "core/elements/ElementText.h"
#include "core/typedfiler/CodePage.h"
#include "ui/pages/PropertyPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVariantMap>

namespace velmora::test {

struct TPagesFixture : TEditorFixture
{
    QTemporaryDir Folder;
    TElementNode *TextNode = nullptr;
    TElementNode *ImageNode = nullptr;

    TPagesFixture()
    {
        TextNode = &AddText(Project(), QStringLiteral("Closing credits"));
        ImageNode = &AddImage(Project(), QStringLiteral("Logo"));
        Saved();
    }

    TPropertyPages &Pages() { return Window->PropertyPages(); }
    QWidget *ShownPage() { return Window->Controls().Pages->currentWidget(); }
    bool Modified() { return Window->Document().Modified(); }
    bool PreviewScheduled() { return Window->PreviewUpdatePending(); }

    // Selects node as a click does, then forgets the preview update that selecting asks for.
    void Select(TElementNode &node)
    {
        Focus(node);
        Window->CancelPreviewUpdate();
    }
    // Saves the project, so the modified flag starts out clear.
    void Saved()
    {
        Window->Document().SaveProjectAs(Folder.filePath(QStringLiteral("roll.vmz")));
        Window->CancelPreviewUpdate();
    }
    // A solid picture file of the given size.
    QString PictureFile(const QString &name, QSize size, QColor color = Qt::red)
    {
        QImage picture(size, QImage::Format_ARGB32);
        picture.fill(color);
        const QString path = Folder.filePath(name);
        picture.save(path);
        return path;
    }
    // Loads a picture into the image element through the page's command.
    void LoadPicture(const QString &path)
    {
        Select(*ImageNode);
        Prompts.Files.push_back(path);
        Pages().ImageLoadImageButton->click();
        Window->CancelPreviewUpdate();
    }
};

// Picks entry index of a drop-down list with the keyboard, as a user would.
inline void Choose(QComboBox *combo, int index)
{
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

// Replaces the text of a spin edit by typing value.
inline void Type(TVelmoraSpinEdit *edit, int value)
{
    edit->selectAll();
    QTest::keyClicks(edit, QString::number(value));
}

// Every property an element shows on its pages, by name.
inline QVariantMap Properties(const IElement *element)
{
    QVariantMap map;
    if (const auto *project = queryInterface<IProject>(element)) {
        map[QStringLiteral("Width")] = project->GetWidth();
        map[QStringLiteral("Height")] = project->GetHeight();
        map[QStringLiteral("ContentSize")] = project->GetContentSize();
        map[QStringLiteral("BackColor")] = project->GetBackColor();
        map[QStringLiteral("FrameRate")] = project->GetFrameRate();
        map[QStringLiteral("ScrollRate")] = project->GetScrollRate();
    }
    if (const auto *background = queryInterface<IProjectBackground>(element)) {
        map[QStringLiteral("WrapMode")] = background->GetWrapMode();
        map[QStringLiteral("Background")] = background->GetBackground() != nullptr;
    }
    if (const auto *text = queryInterface<IElementText>(element)) {
        QString value;
        text->GetText(value);
        map[QStringLiteral("Text")] = value;
    }
    if (const auto *font = queryInterface<IGDIPFont>(element)) {
        QByteArray name;
        font->GetFontName(name);
        map[QStringLiteral("FontName")] = FromSystemCodePage(name);
        map[QStringLiteral("FontSize")] = font->GetFontSize();
        map[QStringLiteral("Color")] = font->GetColor();
    }
    if (const auto *horizontal = queryInterface<IElementHorizontalAlign>(element))
        map[QStringLiteral("HAlign")] = int(horizontal->GetHorizontalAlign());
    if (const auto *vertical = queryInterface<IElementVerticalAlign>(element))
        map[QStringLiteral("VAlign")] = int(vertical->GetVerticalAlign());
    if (const auto *margins = queryInterface<IElementMargins>(element)) {
        map[QStringLiteral("TopOffset")] = margins->GetTopOffset();
        map[QStringLiteral("UseFixedHeight")] = margins->GetUseFixedHeight();
        map[QStringLiteral("FixedHeight")] = margins->GetFixedHeight();
    }
    if (const auto *text = dynamic_cast<const TVmElementText *>(element))
        map[QStringLiteral("SmallCaps")] = text->GetSmallCaps();
    if (const auto *indents = queryInterface<IElementIndents>(element)) {
        map[QStringLiteral("LeftIndent")] = indents->GetLeftIndent();
        map[QStringLiteral("RightIndent")] = indents->GetRightIndent();
    }
    if (const auto *image = queryInterface<IElementImage>(element)) {
        map[QStringLiteral("SpecificDims")] = image->GetSpecificDims();
        map[QStringLiteral("ImageWidth")] = image->GetWidth();
        map[QStringLiteral("ImageHeight")] = image->GetHeight();
    }
    return map;
}

// The properties whose values differ between before and after, with their new values.
inline QVariantMap Changes(const QVariantMap &before, const QVariantMap &after)
{
    QVariantMap changed;
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        if (before.value(it.key()) != it.value())
            changed[it.key()] = it.value();
    return changed;
}

// A row of a handler table: what the user does and what it must write and trigger.
struct THandlerRow
{
    const char *Name;
    std::function<void(TPagesFixture &)> Act;
    QVariantMap Expected;
    bool Preview = true;
};

// Runs each row on a fresh window with element shown: only the expected properties change,
// the document is marked modified, and the preview follows where it should.
inline void CheckHandlerRows(const std::vector<THandlerRow> &rows, TElementNode *(*element)(TPagesFixture &))
{
    for (const THandlerRow &row : rows) {
        TPagesFixture f;
        TElementNode &node = *element(f);
        f.Select(node);
        QVERIFY2(!f.Modified(), row.Name);
        const QVariantMap before = Properties(node.Element());
        row.Act(f);
        const QVariantMap changed = Changes(before, Properties(node.Element()));
        if (changed != row.Expected)
            qWarning() << row.Name << "changed" << changed << "expected" << row.Expected;
        QVERIFY2(changed == row.Expected, row.Name);
        QVERIFY2(f.Modified(), row.Name);
        QVERIFY2(f.PreviewScheduled() == row.Preview, row.Name);
    }
}

} // namespace velmora::test
