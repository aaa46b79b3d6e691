#include "core/edit/CreditEdits.h"

#include "core/render/CreditFit.h"
#include "core/credits/CreditSource.h"
#include "core/document/Document.h"
#include "core/edit/EditCommands.h"
#include "core/edit/StyleCommands.h"
#include "core/edit/CreditSheet.h"
#include "core/render/LayoutPass.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QUndoStack>

namespace velmora {

namespace {

QString ProjectDirOf(const TDocument &document)
{
    return document.ProjectFileName().isEmpty() ? QString() : QFileInfo(document.ProjectFileName()).absolutePath();
}

// Opens one undo step named text for as long as it lives.
class TOneStep
{
public:
    TOneStep(TDocument &document, const QString &text) : m_stack(document.UndoStack()) { m_stack.beginMacro(text); }
    ~TOneStep() { m_stack.endMacro(); }
    TOneStep(const TOneStep &) = delete;
    TOneStep &operator=(const TOneStep &) = delete;

private:
    QUndoStack &m_stack;
};

void PushEndGap(TDocument &document, int height, const QString &text)
{
    if (height <= 0)
        return;
    std::vector<std::unique_ptr<TElementNode>> gap;
    gap.push_back(MakeRunningTimeGap(height));
    document.Push(new TInsertNodes(document, std::move(gap), *document.ProjectNode(), TAttachMode::AddChildLast, text));
}

// How wide the band is that node is drawn in.
qint32 BandWidthOf(const TElementTree &tree, const TElementNode &node)
{
    const TElementNode *projectNode = tree.ProjectNode();
    const auto *project = queryInterface<IProject>(projectNode->Element());
    QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&pixel);
    std::vector<TPlacedNode> placements;
    TLayoutPass pass(FilmOf(*projectNode));
    pass.MeasureOnly = true;
    pass.Placements = &placements;
    const qint32 height = std::max(1, project->GetHeight());
    pass.RenderNode(*projectNode, painter, TLayoutRect{0, 0, std::max(1, project->GetWidth()), height}, height);
    for (const TPlacedNode &placed : placements)
        if (placed.Node == &node)
            return placed.Width;
    return project->GetWidth();
}

} // namespace

std::vector<TElementNode *> InsertCredits(TDocument &document, std::vector<std::unique_ptr<TElementNode>> nodes,
                                          const TProjectStyles &styles, const std::optional<TTemplateSettings> &film)
{
    const TInsertionPoint point = InsertionPointFor(document.Tree());
    if (nodes.empty() || point.Parent == nullptr || document.ProjectNode() == nullptr)
        return {};
    TElementNode *target = point.Parent;
    TAttachMode attach = TAttachMode::AddChildLast;
    if (point.Index < point.Parent->ChildCount()) {
        target = point.Parent->Child(point.Index);
        attach = TAttachMode::InsertBefore;
    }
    const QString text = QStringLiteral("Import Credits");
    auto *insert = new TInsertNodes(document, std::move(nodes), *target, attach, text);
    {
        const TOneStep step(document, text);
        if (film) {
            IElement *element = document.ProjectNode()->Element();
            ChangeValue(document, element, Fields::FilmSize, TFilmSize{film->ContentSize, film->Width, film->Height});
            ChangeValue(document, element, Fields::FrameRate, film->FrameRate);
            ChangeValue(document, element, Fields::ScrollRate, film->ScrollRate);
            ChangeValue(document, element, Fields::BackColor, film->BackColor);
        }
        AddMissingStyles(document, styles, text);
        document.Push(insert);
    }
    return insert->Nodes();
}

bool ChangeWorksheet(TDocument &document, TElementNode &node, const QString &worksheet)
{
    const auto *block = dynamic_cast<const TVmElementCreditBlock *>(node.Element());
    if (block == nullptr || !block->Linked() || worksheet == block->Source().Worksheet)
        return false;
    document.Push(new TReplaceElement(document, node, ReloadedCreditBlock(*block, ProjectDirOf(document), worksheet),
                                      QStringLiteral("Choose Worksheet")));
    return true;
}

void ReloadCreditBlocks(TDocument &document,
                        std::vector<std::pair<TElementNode *, std::unique_ptr<TVmElementCreditBlock>>> reloaded)
{
    if (reloaded.empty())
        return;
    const QString text = QStringLiteral("Reload Credits");
    const TOneStep step(document, text);
    for (auto &[node, block] : reloaded)
        document.Push(new TReplaceElement(document, *node, std::move(block), text));
}

bool UnlinkCredits(TDocument &document, TElementNode &node)
{
    const auto *block = dynamic_cast<const TVmElementCreditBlock *>(node.Element());
    const TElementNode *projectNode = document.ProjectNode();
    const auto *project = projectNode ? queryInterface<IProject>(projectNode->Element()) : nullptr;
    if (block == nullptr || project == nullptr)
        return false;
    // The elements go where the block is, in its band (a column's, say), at the project's film.
    static const TProjectStyles none;
    const TFilm film = FilmOf(node);
    TCreditBlock elements = UnlinkedCreditElements(*block, BandWidthOf(document.Tree(), node), project->GetHeight(),
                                                   ProjectDirOf(document), film.Styles != nullptr ? *film.Styles : none);
    const QString text = QStringLiteral("Unlink Credits");
    const TOneStep step(document, text);
    if (!elements.Nodes.empty())
        document.Push(new TInsertNodes(document, std::move(elements.Nodes), node, TAttachMode::InsertBefore, text));
    document.Push(new TRemoveNodes(document, {&node}));
    return true;
}

void ApplyElasticFit(TDocument &document, TElasticPlan plan)
{
    const QString text = QStringLiteral("Fit to Running Time");
    const TOneStep step(document, text);
    if (plan.OldGap != nullptr)
        document.Push(new TRemoveNodes(document, {plan.OldGap}));
    ChangeValue(document, document.ProjectNode()->Element(), Fields::ScrollRate, qint32(plan.Fit->ScrollRate));
    for (auto &[node, stretches] : plan.Stretches) {
        const auto &block = *static_cast<const TVmElementCreditBlock *>(node->Element());
        while (!stretches.empty() && stretches.back() == 0)
            stretches.pop_back();
        if (stretches != block.Stretches())
            document.Push(new TReplaceElement(document, *node, StretchedCreditBlock(block, std::move(stretches)), text));
    }
    PushEndGap(document, plan.Fit->Gap, text);
}

void ApplyRunningTimeFit(TDocument &document, const TRunningTimePlan &plan)
{
    const QString text = QStringLiteral("Fit to Running Time");
    const TOneStep step(document, text);
    if (plan.OldGap != nullptr)
        document.Push(new TRemoveNodes(document, {plan.OldGap}));
    ChangeValue(document, document.ProjectNode()->Element(), Fields::ScrollRate, qint32(plan.Fit.ScrollRate));
    PushEndGap(document, plan.Fit.Gap, text);
}

} // namespace velmora
