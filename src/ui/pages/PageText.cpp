// The text page: text, font, colour, alignment and margins of a text element.
#include "ui/pages/PropertyPages.h"

#include "core/edit/StyleCommands.h"
#include "core/edit/StyleLooks.h"
#include "core/elements/ProjectStyle.h"

#include "controls/AlignmentFrame.h"
#include "controls/GDIPColorDisplay.h"
#include "controls/GDIPFontCombo.h"
#include "controls/VelmoraSpinEdit.h"
#include "core/elements/ElementText.h"
#include "core/error.h"
#include "core/typedfiler/CodePage.h"
#include "ui/tree/TreeImages.h"
#include "ui/window/EditorContext.h"
#include "ui/pages/PageLayout.h"
#include "ui/prompts/Prompts.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QComboBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <optional>

namespace velmora {

QWidget *TPropertyPages::CreateTextPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PageTextElement"));
    QFormLayout *form = BuildPropertyPage(page, m_images.Icon(TreeImageIndex::Text),
        QStringLiteral("Text Properties"));

    // The project style the text follows; choosing one applies it, as the Styles panel does.
    TextStyle = new QComboBox(page);
    TextStyle->setObjectName(QStringLiteral("TextStyle"));
    TextStyle->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    TextStyle->setMinimumContentsLength(6);
    form->addRow(QStringLiteral("Style"), TextStyle);
    connect(TextStyle, &QComboBox::activated, this, [this](int index) { m_context.Run([&] { TextStyleChange(index); }); });

    auto *textRow = new QHBoxLayout;
    textRow->setSpacing(2);
    TextText = new QLineEdit(page);
    TextText->setObjectName(QStringLiteral("TextText"));
    textRow->addWidget(TextText, 1);
    TextTextButton = new QPushButton(QStringLiteral("..."), page);
    TextTextButton->setObjectName(QStringLiteral("TextTextButton"));
    TextTextButton->setFixedWidth(24);
    textRow->addWidget(TextTextButton);
    form->addRow(QStringLiteral("Text"), textRow);
    connect(TextText, &QLineEdit::textChanged, this, [this] { TextTextChange(); });
    connect(TextTextButton, &QPushButton::clicked, this, [this] { m_context.Run([this] { TextTextButtonClick(); }); });

    TextFont = new TGDIPFontCombo(page);
    TextFont->setObjectName(QStringLiteral("TextFont"));
    // Long family names must not widen the page.
    TextFont->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    TextFont->setMinimumContentsLength(6);
    form->addRow(QStringLiteral("Font Family"), TextFont);
    connect(TextFont, &TGDIPFontCombo::OnChange, this, [this] { TextFontChange(); });

    TextFontSize = MakeSpinEdit(page, "TextFontSize", 1, 1024);
    form->addRow(QStringLiteral("Font Size"), TextFontSize);
    connect(TextFontSize, &TVelmoraSpinEdit::OnChange, this, [this] { TextFontSizeChange(); });

    TextColor = new TGDIPColorDisplay(page);
    TextColor->setObjectName(QStringLiteral("TextColor"));
    TextColor->setFixedSize(60, 21);
    TextColor->setCursor(Qt::PointingHandCursor);
    form->addRow(QStringLiteral("Color"), TextColor);
    connect(TextColor, &TGDIPColorDisplay::OnClick, this, [this] { m_context.Run([this] { TextColorClick(); }); });

    TextAlign = new TAlignments(page);
    TextAlign->setObjectName(QStringLiteral("TextAlign"));
    TextAlign->SetAllowVerticalAlign(true);
    form->addRow(QStringLiteral("Alignment"), TextAlign);
    connect(TextAlign, &TAlignments::OnAlignmentChange, this,
        [this](QObject *, TElementHAlignment hAlign, TElementVAlignment vAlign) { TextAlignAlignmentChange(hAlign, vAlign); });

    TextTopOffset = TopOffsetRow(page, *form, "TextTopOffset");
    connect(TextTopOffset, &TVelmoraSpinEdit::OnChange, this, [this] { TextTopOffsetChange(); });

    // Where a text sits within its band: what Unlink gives each credit line.
    TextLeftIndent = MakeSpinEdit(page, "TextLeftIndent", -20000, 20000);
    form->addRow(QStringLiteral("Left Indent"), TextLeftIndent);
    connect(TextLeftIndent, &TVelmoraSpinEdit::OnChange, this, [this] { TextIndentChange(TextLeftIndent); });
    TextRightIndent = MakeSpinEdit(page, "TextRightIndent", -20000, 20000);
    form->addRow(QStringLiteral("Right Indent"), TextRightIndent);
    connect(TextRightIndent, &TVelmoraSpinEdit::OnChange, this, [this] { TextIndentChange(TextRightIndent); });
    TextSmallCaps = new QCheckBox(QStringLiteral("Small Caps"), page);
    TextSmallCaps->setObjectName(QStringLiteral("TextSmallCaps"));
    form->addRow(QString(), TextSmallCaps);
    connect(TextSmallCaps, &QCheckBox::toggled, this, [this](bool on) {
        if (!Filling())
            Change(TextSmallCaps, Fields::SmallCaps, on);
    });

    TextFixedHeightToggle = new QCheckBox(QStringLiteral("Fixed Height"), page);
    TextFixedHeightToggle->setObjectName(QStringLiteral("TextFixedHeightToggle"));
    TextFixedHeight = MakeSpinEdit(page, "TextFixedHeight", 0, 20000);
    TextFixedHeight->setEnabled(false);
    form->addRow(FixedHeightRow(TextFixedHeightToggle, TextFixedHeight));
    connect(TextFixedHeightToggle, &QCheckBox::toggled, this, [this] { TextFixedHeightToggleClick(); });
    connect(TextFixedHeight, &TVelmoraSpinEdit::OnChange, this, [this] { TextFixedHeightChange(); });
    return page;
}

void TPropertyPages::FillText(IElement &element)
{
    // A family missing here is reported once the rest of the page shows this element,
    // so no control is left showing (and writing back) another element's value.
    std::optional<EVelmoraError> fontError;
    if (const auto *font = queryInterface<IGDIPFont>(&element)) {
        QByteArray name;
        font->GetFontName(name);
        try {
            TextFont->SelectFamily(FromSystemCodePage(name));
        } catch (const EVelmoraError &error) {
            TextFont->setCurrentIndex(-1);
            fontError = error;
        }
        TextFontSize->SetValue(font->GetFontSize());
        TextColor->SetColor(font->GetColor());
    }
    if (const auto *text = queryInterface<IElementText>(&element)) {
        QString value;
        text->GetText(value);
        TextText->setText(value);
    }
    FillStyles(element);
    FillAlignment(element, TextAlign);
    if (const auto *margins = queryInterface<IElementMargins>(&element))
        FillMargins(*margins, TextFixedHeightToggle, TextFixedHeight, TextTopOffset);
    if (const auto *indents = queryInterface<IElementIndents>(&element)) {
        TextLeftIndent->SetValue(indents->GetLeftIndent());
        TextRightIndent->SetValue(indents->GetRightIndent());
    }
    if (const auto *text = dynamic_cast<const TVmElementText *>(&element))
        TextSmallCaps->setChecked(text->GetSmallCaps());
    if (fontError)
        throw *fontError;
}

void TPropertyPages::FillStyles(const IElement &element)
{
    const auto *styled = queryInterface<IElementStyled>(&element);
    const QString current = styled ? styled->GetStyleName() : QString();
    TextStyle->clear();
    TextStyle->addItem(QStringLiteral("(none)"), QString());
    int shown = 0;
    for (const TProjectStyle &style : ProjectStylesOf(Document().Tree())) {
        TextStyle->addItem(style.Name, style.Name);
        if (!current.isEmpty() && SameStyleName(style.Name, current))
            shown = TextStyle->count() - 1;
    }
    TextStyle->setCurrentIndex(shown);
    TextStyle->setEnabled(TextStyle->count() > 1);
}

void TPropertyPages::TextStyleChange(int index)
{
    const QString name = TextStyle->itemData(index).toString();
    TElementNode *node = CurrentNode();
    if (Filling() || node == nullptr || For<IElementText>(TextStyle) == nullptr)
        return;
    if (name.isEmpty()) {
        // A text keeps its look when it leaves its style; the list shows the style it follows.
        FillStyles(*CurrentElement());
        return;
    }
    // The whole selection of texts takes it, as edits of the page's other fields do.
    std::vector<TElementNode *> nodes;
    const bool selection = node->IsSelected();
    ForEachNode(Document().Tree().Root(), [&](TElementNode &other) {
        if (&other == node || (selection && other.IsSelected()))
            nodes.push_back(&other);
    });
    ApplyStyle(Document(), nodes, name);
}

void TPropertyPages::TextTextChange()
{
    if (!Filling())
        Change(PageTextElement, Fields::Text, TextText->text());
}

void TPropertyPages::TextTextButtonClick()
{
    const auto *text = For<IElementText>(PageTextElement);
    if (text == nullptr)
        return;
    QString original;
    text->GetText(original);
    if (!m_context.Prompts().EditMultilineText(original, [this](const QString &edited) { TextEdited(edited); })) {
        TextEdited(original);
        // Loading the text into the editor counted as an edit, also when it was cancelled.
        Document().MarkModified();
    }
    // The one-line field shows the result, so typing in it next does not bring back the old text.
    QString result;
    if (const auto *current = For<IElementText>(PageTextElement))
        current->GetText(result);
    const auto guard = FillGuard();
    TextText->setText(result);
}

void TPropertyPages::TextEdited(const QString &text)
{
    if (!Filling())
        Change(PageTextElement, Fields::Text, text);
}

void TPropertyPages::TextFontChange()
{
    if (!Filling())
        Change(PageTextElement, Fields::FontName, ToSystemCodePage(TextFont->GetSelectedFamily()));
}

void TPropertyPages::TextFontSizeChange()
{
    if (!Filling())
        Change(PageTextElement, Fields::FontSize, TextFontSize->Value());
}

void TPropertyPages::TextColorClick()
{
    if (Filling())
        return;
    // Cancelling still counts as an edit of the text, as the page always did.
    if (!ChooseColor(PageTextElement, Fields::TextColor, TextColor) && For<IGDIPFont>(PageTextElement) != nullptr)
        Document().MarkModified();
}

void TPropertyPages::TextAlignAlignmentChange(TElementHAlignment hAlign, TElementVAlignment vAlign)
{
    if (!Filling())
        Change(PageTextElement, Fields::Alignment, TAlignmentPair{hAlign, vAlign});
}

void TPropertyPages::TextFixedHeightToggleClick()
{
    FixedHeightToggleClick(TextFixedHeightToggle, TextFixedHeight);
}

void TPropertyPages::TextFixedHeightChange()
{
    FixedHeightChange(TextFixedHeight);
}

void TPropertyPages::TextTopOffsetChange()
{
    TopOffsetChange(TextTopOffset);
}

void TPropertyPages::TextIndentChange(TVelmoraSpinEdit *indent)
{
    if (!Filling())
        Change(indent, indent == TextLeftIndent ? Fields::LeftIndent : Fields::RightIndent, indent->Value());
}

} // namespace velmora
