#include "core/edit/StyleLooks.h"

#include "core/document/ElementTree.h"
#include "core/typedfiler/CodePage.h"

#include <algorithm>
#include <functional>

namespace velmora {

TProjectStyle LookOf(const IElement &element)
{
    TProjectStyle look;
    if (const auto *styled = queryInterface<IElementStyled>(&element)) {
        look.Name = styled->GetStyleName();
        look.Leading = styled->GetLeading();
        look.Tracking = styled->GetTracking();
    }
    if (const auto *font = queryInterface<IGDIPFont>(&element)) {
        QByteArray name;
        font->GetFontName(name);
        look.FontName = FromSystemCodePage(name);
        look.FontSize = font->GetFontSize();
        look.Color = font->GetColor();
    }
    if (const auto *align = queryInterface<IElementHorizontalAlign>(&element))
        look.HAlign = align->GetHorizontalAlign();
    return look;
}

void ApplyLook(IElement &element, const TProjectStyle &look)
{
    if (auto *styled = queryInterface<IElementStyled>(&element)) {
        styled->SetStyleName(look.Name);
        styled->SetLeading(look.Leading);
        styled->SetTracking(look.Tracking);
    }
    if (auto *font = queryInterface<IGDIPFont>(&element)) {
        font->SetFontName(ToSystemCodePage(look.FontName));
        font->SetFontSize(look.FontSize);
        font->SetColor(look.Color);
    }
    if (auto *align = queryInterface<IElementHorizontalAlign>(&element))
        align->SetHorizontalAlign(look.HAlign);
}

bool TakesStyle(const IElement *element)
{
    return queryInterface<IElementStyled>(element) != nullptr && queryInterface<IGDIPFont>(element) != nullptr;
}

namespace {
void CollectTexts(const TElementNode &node, const std::function<void(IElement *)> &take)
{
    if (TakesStyle(node.Element()))
        take(node.Element());
    for (const auto &child : node.Children())
        CollectTexts(*child, take);
}
} // namespace

std::vector<IElement *> StyleUsers(const TElementTree &tree, const QString &name)
{
    std::vector<IElement *> users;
    CollectTexts(tree.Root(), [&](IElement *element) {
        if (SameStyleName(queryInterface<IElementStyled>(element)->GetStyleName(), name))
            users.push_back(element);
    });
    return users;
}

std::vector<IElement *> StyleTargets(const std::vector<TElementNode *> &nodes)
{
    std::vector<IElement *> targets;
    for (const TElementNode *node : nodes)
        if (node != nullptr)
            CollectTexts(*node, [&](IElement *element) {
                // A column selected with its pair must not count its texts twice.
                if (std::find(targets.begin(), targets.end(), element) == targets.end())
                    targets.push_back(element);
            });
    return targets;
}

TProjectStyle Restyled(const TProjectStyle &look, const TProjectStyle &before, const TProjectStyle &after)
{
    TProjectStyle result = look;
    result.Name = after.Name;
    const auto take = [&](auto TProjectStyle::*field) {
        if (before.*field != after.*field)
            result.*field = after.*field;
    };
    take(&TProjectStyle::FontName);
    take(&TProjectStyle::FontSize);
    take(&TProjectStyle::Color);
    take(&TProjectStyle::HAlign);
    take(&TProjectStyle::Leading);
    take(&TProjectStyle::Tracking);
    return result;
}

const TProjectStyles &ProjectStylesOf(const TElementTree &tree)
{
    static const TProjectStyles none;
    const TElementNode *project = tree.ProjectNode();
    const auto *styles = project ? queryInterface<IProjectStyles>(project->Element()) : nullptr;
    return styles ? styles->GetStyles() : none;
}

} // namespace velmora
