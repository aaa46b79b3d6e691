// Kind registry, interface facets, captions, icons, child kinds and drop rules of the kinds.
#include "core/credits/ElementCreditBlock.h"
#include "core/elements/ElementCard.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementError.h"
#include "core/elements/ElementImage.h"
#include "core/document/ElementCatalogue.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

using namespace velmora;

namespace {

const std::array<const char *, 7> KindNames{"TVmElementProject", "TVmElementText", "TVmElementColumn",
    "TVmElementColumns", "TVmElementImage", "TVmElementCreditBlock", "TVmElementCard"};

TEST(ElementKinds, RegisteredInOrderAndCreatedByName)
{
    const auto &kinds = RegisteredElementKinds();
    ASSERT_EQ(kinds.size(), KindNames.size());
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        EXPECT_STREQ(kinds[i]->Name, KindNames[i]);
        EXPECT_EQ(FindElementKind(KindNames[i]), kinds[i]);
        const auto element = CreateElement(KindNames[i]);
        EXPECT_EQ(&element->GetClass(), kinds[i]);
    }
    EXPECT_EQ(FindElementKind("TVmElement"), nullptr);
}

TEST(ElementKinds, UnknownNameFailsWithMessage)
{
    try {
        CreateElement("TVmElementBogus");
        FAIL() << "no error";
    } catch (const EElementError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Class TVmElementBogus not found"));
    }
}

// Which of the twelve facets each kind offers, in registration order.
TEST(ElementKinds, FacetsPerKind)
{
    struct Row
    {
        const char *name;
        std::array<bool, 12> has; // IElement .. IElementImage in declaration order
    };
    const Row rows[] = {
        {"TVmElementProject", {1, 1, 1, 0, 1, 1, 0, 0, 0, 0, 0, 0}},
        {"TVmElementText", {1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 1, 0}},
        {"TVmElementColumn", {1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"TVmElementColumns", {1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"TVmElementImage", {1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1}},
        {"TVmElementCreditBlock", {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto e = CreateElement(row.name);
        IElement *p = e.get();
        const std::array<bool, 12> has{queryInterface<IElement>(p) != nullptr, queryInterface<IElementRender>(p) != nullptr,
            queryInterface<IElementContainer>(p) != nullptr, queryInterface<IElementColumnSet>(p) != nullptr,
            queryInterface<IProject>(p) != nullptr, queryInterface<IProjectBackground>(p) != nullptr,
            queryInterface<IElementText>(p) != nullptr, queryInterface<IGDIPFont>(p) != nullptr,
            queryInterface<IElementMargins>(p) != nullptr, queryInterface<IElementHorizontalAlign>(p) != nullptr,
            queryInterface<IElementVerticalAlign>(p) != nullptr, queryInterface<IElementImage>(p) != nullptr};
        EXPECT_EQ(has, row.has);
    }
}

TEST(ElementKinds, GuidsParseAndDiffer)
{
    EXPECT_EQ(IElement::Guid.ToString(), QStringLiteral("{B91D0E41-FF2C-44D8-AB16-4B18C92D2BB3}"));
    EXPECT_EQ(IElementVerticalAlign::Guid.ToString(), QStringLiteral("{048644B8-BC59-49F9-9306-EC26A08E397F}"));
    const std::set<QString> distinct{IElement::Guid.ToString(), IElementRender::Guid.ToString(),
        IElementContainer::Guid.ToString(), IElementColumnSet::Guid.ToString(), IProject::Guid.ToString(),
        IProjectBackground::Guid.ToString(), IElementText::Guid.ToString(), IGDIPFont::Guid.ToString(),
        IElementMargins::Guid.ToString(), IElementHorizontalAlign::Guid.ToString(),
        IElementVerticalAlign::Guid.ToString(), IElementImage::Guid.ToString()};
    EXPECT_EQ(distinct.size(), 12u);
}

// Caption, editability and icons for column -1 and another column.
TEST(ElementKinds, CaptionsAndIcons)
{
    struct Row
    {
        const char *name;
        const char *caption;
        bool captionForColumn0;
        bool editable;
        std::array<int, 4> iconsMain;  // kinds normal, selected, state, overlay at column -1
        std::array<int, 4> iconsOther; // the same at column 0
    };
    const Row rows[] = {
        {"TVmElementProject", "Velmora Project", false, true, {0, 0, 0, 0}, {-1, -1, -1, -1}},
        {"TVmElementText", "Text Element", false, false, {1, 1, 1, 1}, {-1, -1, -1, -1}},
        {"TVmElementColumn", "Column", true, true, {2, 2, 2, 2}, {2, 2, 2, 2}},
        {"TVmElementColumns", "Columns", true, true, {3, 3, 3, 3}, {3, 3, 3, 3}},
        {"TVmElementImage", "New Image", true, true, {4, 4, -1, -1}, {4, 4, -1, -1}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto e = CreateElement(row.name);
        QString caption = QStringLiteral("untouched");
        e->GetCaption(-1, caption);
        EXPECT_EQ(caption, QString::fromLatin1(row.caption));
        caption = QStringLiteral("untouched");
        e->GetCaption(0, caption);
        EXPECT_EQ(caption, row.captionForColumn0 ? QString::fromLatin1(row.caption) : QStringLiteral("untouched"));
        EXPECT_EQ(e->CanEditCaption(-1), row.editable);
        for (int kind = 0; kind < 4; ++kind) {
            EXPECT_EQ(e->GetImageIndex(-1, TTreeImageKind(kind)), row.iconsMain[kind]);
            EXPECT_EQ(e->GetImageIndex(0, TTreeImageKind(kind)), row.iconsOther[kind]);
        }
    }
}

TEST(ElementKinds, ChildClasses)
{
    const std::vector<const TElementKind *> content{&TVmElementText::Kind, &TVmElementColumns::Kind, &TVmElementImage::Kind,
                                                    &TVmElementCreditBlock::Kind};
    std::vector<const TElementKind *> projectContent = content;
    projectContent.push_back(&TVmElementCard::Kind);
    EXPECT_EQ(ChildKindsOf(TVmElementProject::Kind), projectContent);
    EXPECT_EQ(ChildKindsOf(TVmElementColumn::Kind), content);
    // A card holds what a column holds, and never another card.
    EXPECT_EQ(ChildKindsOf(TVmElementCard::Kind), content);
    EXPECT_EQ(ChildKindsOf(TVmElementColumns::Kind), std::vector<const TElementKind *>{&TVmElementColumn::Kind});
    EXPECT_TRUE(ChildKindsOf(TVmElementText::Kind).empty());
    EXPECT_TRUE(ChildKindsOf(TVmElementImage::Kind).empty());
    EXPECT_TRUE(ChildKindsOf(TVmElementCreditBlock::Kind).empty());
}

TEST(ElementKinds, RenamingInPlace)
{
    TVmElementColumns columns;
    EXPECT_TRUE(columns.SetCaption(-1, QStringLiteral("Cast")));
    QString caption;
    columns.GetCaption(3, caption);
    EXPECT_EQ(caption, QStringLiteral("Cast"));

    // A text's caption follows its text; renaming it is accepted and ignored.
    TVmElementText text;
    EXPECT_TRUE(text.SetCaption(-1, QStringLiteral("Other")));
    text.GetCaption(-1, caption);
    EXPECT_EQ(caption, QStringLiteral("Text Element"));

    // The project name is kept in the 8-bit code page; what it lacks becomes "?".
    TVmElementProject project;
    EXPECT_TRUE(project.SetCaption(-1, QStringLiteral("Caf\u00e9 \u0141\u00f3d\u017a")));
    project.GetCaption(-1, caption);
    EXPECT_EQ(caption, QStringLiteral("Caf\u00e9 ?\u00f3d?"));
}

TEST(ElementKinds, TextCaptionIsFirstLine)
{
    const std::pair<QString, QString> rows[] = {
        {QStringLiteral("Directed by"), QStringLiteral("Directed by")},
        {QStringLiteral("Cast\r\nCrew"), QStringLiteral("Cast...")},
        {QStringLiteral("\r\nCrew"), QStringLiteral("...")},
        {QStringLiteral("Cast\nCrew"), QStringLiteral("Cast\nCrew")},
        {QStringLiteral("Cast\r"), QStringLiteral("Cast...")},
        {QString(), QString()},
    };
    TVmElementText text;
    for (const auto &[value, expected] : rows) {
        text.SetText(value);
        QString caption;
        text.GetCaption(-1, caption);
        EXPECT_EQ(caption, expected) << value.toStdString();
    }
}

// Every dragged kind against every target kind and the modes above, onto and below.
TEST(ElementKinds, DropTable)
{
    // Targets in registration order: project, text, column, columns, image, credit block, card;
    // modes "above onto below".
    const std::pair<const char *, std::array<const char *, 7>> rows[] = {
        {"TVmElementProject", {"---", "---", "---", "---", "---", "---", "---"}},
        {"TVmElementText", {"-o-", "a-b", "-o-", "a-b", "a-b", "a-b", "-o-"}},
        {"TVmElementImage", {"-o-", "a-b", "-o-", "a-b", "a-b", "a-b", "-o-"}},
        {"TVmElementCreditBlock", {"-o-", "a-b", "-o-", "a-b", "a-b", "a-b", "-o-"}},
        {"TVmElementColumns", {"-o-", "a-b", "-o-", "---", "---", "---", "-o-"}},
        {"TVmElementColumn", {"---", "---", "a-b", "aob", "---", "---", "---"}},
        {"TVmElementCard", {"-o-", "---", "---", "---", "---", "---", "a-b"}},
    };
    for (const auto &[dragged, allowed] : rows) {
        const auto source = CreateElement(dragged);
        for (std::size_t t = 0; t < KindNames.size(); ++t) {
            const auto target = CreateElement(KindNames[t]);
            for (int mode = 0; mode <= 3; ++mode) {
                const bool expected = mode > 0 && allowed[t][mode - 1] != '-';
                EXPECT_EQ(CanDropKindOn(source->GetClass(), target->GetClass(), TDropMode(mode)), expected)
                    << dragged << " on " << KindNames[t] << " mode " << mode;
            }
        }
    }
}

} // namespace
