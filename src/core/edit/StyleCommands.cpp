#include "core/edit/StyleCommands.h"

#include "core/document/Document.h"
#include "core/edit/StyleLooks.h"
#include "core/credits/CreditStyleBridge.h"
#include "core/elements/Interfaces.h"
#include "core/sheets/CreditStyles.h"

#include <algorithm>

namespace velmora {

namespace {

IProjectStyles *StylesFacet(TDocument &document)
{
    TElementNode *project = document.ProjectNode();
    return project ? queryInterface<IProjectStyles>(project->Element()) : nullptr;
}

bool Push(TDocument &document, TProjectStyles after, std::vector<TChangeStyles::TTextChange> texts, const QString &text,
          const QString &edited = QString(), const QString &editedTo = QString(), quint64 session = 0)
{
    IProjectStyles *facet = StylesFacet(document);
    if (facet == nullptr)
        return false;
    std::erase_if(texts, [](const TChangeStyles::TTextChange &change) { return change.Before == change.After; });
    if (after == facet->GetStyles() && texts.empty())
        return false;
    auto *command = new TChangeStyles(document, facet->GetStyles(), std::move(after), std::move(texts), text);
    command->SetEdited(edited, editedTo, session);
    document.Push(command);
    return true;
}

} // namespace

TChangeStyles::TChangeStyles(TDocument &document, TProjectStyles before, TProjectStyles after,
                             std::vector<TTextChange> texts, const QString &text)
    : QUndoCommand(text), m_document(document), m_before(std::move(before)), m_after(std::move(after)),
      m_texts(std::move(texts))
{
}

bool TChangeStyles::mergeWith(const QUndoCommand *other)
{
    const auto *next = dynamic_cast<const TChangeStyles *>(other);
    if (next == nullptr || m_session == 0 || next->m_session != m_session || !SameStyleName(next->m_edited, m_editedTo))
        return false;
    m_after = next->m_after;
    m_editedTo = next->m_editedTo;
    for (const TTextChange &change : next->m_texts) {
        const auto mine = std::find_if(m_texts.begin(), m_texts.end(),
                                       [&change](const TTextChange &own) { return own.Element == change.Element; });
        if (mine == m_texts.end())
            m_texts.push_back(change);
        else
            mine->After = change.After;
    }
    setObsolete(m_before == m_after && std::all_of(m_texts.begin(), m_texts.end(), [](const TTextChange &change) {
                    return change.Before == change.After;
                }));
    return true;
}

void TChangeStyles::redo()
{
    Apply(m_after, true);
}

void TChangeStyles::undo()
{
    Apply(m_before, false);
}

void TChangeStyles::Apply(const TProjectStyles &styles, bool after)
{
    if (IProjectStyles *facet = StylesFacet(m_document)) {
        facet->SetStyles(styles);
        // Linked credit blocks lay out with these styles: the frame may change.
        m_document.NotifyElementChanged(m_document.ProjectNode()->Element());
    }
    for (const TTextChange &change : m_texts) {
        ApplyLook(*change.Element, after ? change.After : change.Before);
        m_document.NotifyElementChanged(change.Element);
    }
}

bool ApplyStyle(TDocument &document, const std::vector<TElementNode *> &nodes, const QString &name)
{
    const IProjectStyles *facet = StylesFacet(document);
    const TProjectStyle *style = facet ? FindProjectStyle(facet->GetStyles(), name) : nullptr;
    if (style == nullptr)
        return false;
    std::vector<TChangeStyles::TTextChange> texts;
    for (IElement *element : StyleTargets(nodes))
        texts.push_back({element, LookOf(*element), *style});
    return Push(document, facet->GetStyles(), std::move(texts), QStringLiteral("Apply Style"));
}

bool ChangeStyle(TDocument &document, const QString &name, const TProjectStyle &edited, quint64 session)
{
    const IProjectStyles *facet = StylesFacet(document);
    if (facet == nullptr)
        return false;
    TProjectStyles styles = facet->GetStyles();
    const auto found = std::find_if(styles.begin(), styles.end(),
                                    [&name](const TProjectStyle &style) { return SameStyleName(style.Name, name); });
    const TProjectStyle after = BoundedStyle(edited);
    if (found == styles.end() || after.Name.isEmpty())
        return false;
    // A new name must not be another style's.
    const TProjectStyle *other = FindProjectStyle(styles, after.Name);
    if (other != nullptr && other != &*found)
        return false;
    const TProjectStyle before = *found;
    *found = after;
    std::vector<TChangeStyles::TTextChange> texts;
    for (IElement *element : StyleUsers(document.Tree(), before.Name)) {
        const TProjectStyle look = LookOf(*element);
        texts.push_back({element, look, Restyled(look, before, after)});
    }
    return Push(document, std::move(styles), std::move(texts), QStringLiteral("Change Style"), before.Name, after.Name,
                session);
}

bool AddStyle(TDocument &document, const TProjectStyle &style)
{
    return AddMissingStyles(document, {style}, QStringLiteral("New Style"));
}

bool AddMissingStyles(TDocument &document, const TProjectStyles &styles, const QString &text)
{
    const IProjectStyles *facet = StylesFacet(document);
    if (facet == nullptr)
        return false;
    TProjectStyles after = facet->GetStyles();
    for (const TProjectStyle &style : styles) {
        const TProjectStyle bounded = BoundedStyle(style);
        if (!bounded.Name.isEmpty() && FindProjectStyle(after, bounded.Name) == nullptr)
            after.push_back(bounded);
    }
    return Push(document, std::move(after), {}, text);
}

bool RemoveStyle(TDocument &document, const QString &name)
{
    const IProjectStyles *facet = StylesFacet(document);
    if (facet == nullptr || FindProjectStyle(facet->GetStyles(), name) == nullptr)
        return false;
    TProjectStyles after = facet->GetStyles();
    std::erase_if(after, [&name](const TProjectStyle &style) { return SameStyleName(style.Name, name); });
    std::vector<TChangeStyles::TTextChange> texts;
    for (IElement *element : StyleUsers(document.Tree(), name)) {
        TProjectStyle look = LookOf(*element);
        TProjectStyle unlinked = look;
        unlinked.Name.clear();
        texts.push_back({element, std::move(look), std::move(unlinked)});
    }
    return Push(document, std::move(after), std::move(texts), QStringLiteral("Delete Style"));
}

QString UnusedStyleName(const TProjectStyles &styles, const QString &base)
{
    QString name = base;
    for (int n = 2; FindProjectStyle(styles, name) != nullptr; ++n)
        name = QStringLiteral("%1 %2").arg(base).arg(n);
    return name;
}

namespace {
void StyleTexts(TElementNode &node, const TProjectStyle &style, bool inColumns)
{
    if (IElement *element = node.Element(); TakesStyle(element)) {
        TProjectStyle look = style;
        if (inColumns)
            look.HAlign = LookOf(*element).HAlign;
        ApplyLook(*element, look);
    }
    const bool columns = inColumns || node.Facets().ColumnSet;
    for (const auto &child : node.Children())
        StyleTexts(*child, style, columns);
}
} // namespace

void GiveNewTextTheDefaultLook(const TDocument &document, TElementNode &node)
{
    if (!TakesStyle(node.Element()) || FindProjectStyle(ProjectStylesOf(document.Tree()), document.CurrentStyle()) != nullptr)
        return;
    const TElementNode *projectNode = document.Tree().ProjectNode();
    const auto *project = projectNode ? queryInterface<IProject>(projectNode->Element()) : nullptr;
    const int filmHeight = project ? std::max(1, project->GetHeight()) : 1080;
    const TCreditStyles builtIn(1080);
    const TProjectStyles looks = SheetProjectStyles(builtIn, QString(), filmHeight / 1080.0);
    const TProjectStyle *text = FindProjectStyle(looks, QStringLiteral("Text"));
    if (text == nullptr)
        return;
    TProjectStyle look = *text;
    look.Name.clear();
    ApplyLook(*node.Element(), look);
}

void StyleNewTexts(const TDocument &document, TElementNode &subtree)
{
    if (const TProjectStyle *style = FindProjectStyle(ProjectStylesOf(document.Tree()), document.CurrentStyle()))
        StyleTexts(subtree, *style, false);
}

} // namespace velmora
