// The property pages: construction, filling, and what the three pages share.
#include "ui/pages/PropertyPages.h"

#include "controls/AlignmentFrame.h"
#include "controls/GDIPColorDisplay.h"
#include "controls/GPWinControl.h"
#include "controls/VelmoraSpinEdit.h"
#include "core/credits/ElementCreditBlock.h"
#include "core/elements/ElementCard.h"
#include "core/elements/ElementImage.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"
#include "core/elements/Interfaces.h"
#include "ui/pages/PageLayout.h"
#include "ui/prompts/Prompts.h"
#include "ui/tree/TreeClipboard.h"
#include "ui/tree/TreeImages.h"
#include "ui/window/EditorContext.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QScopeGuard>
#include <QStackedWidget>

namespace velmora {

TPropertyPages::TPropertyPages(TEditorContext &context, const TTreeImages &images, QObject *parent)
    : QObject(parent), m_context(context), m_images(images)
{
    Pages = new QStackedWidget;
    Pages->setObjectName(QStringLiteral("Pages"));
    CreateActions(images);
    PageProject = CreateProjectPage();
    PageTextElement = CreateTextPage();
    PageImage = CreateImagePage();
    PageNone = CreateNonePage();
    for (QWidget *page : {PageProject, PageTextElement, PageImage, PageNone})
        Pages->addWidget(page);
    Pages->setCurrentWidget(PageNone);

    connect(&Document(), &TDocument::Changed, this, [this](const TDocumentChange &change) {
        if (change.Kind == TDocumentChange::TKind::ElementFields)
            ElementChanged(change.Element);
        if (change.Kind == TDocumentChange::TKind::ElementReplaced && m_current == change.Old)
            m_context.Run([&] { Show(change.Node->Element()); });
    });
    connect(&Document(), &TDocument::NodeAboutToBeRemoved, this, [this](TElementNode *node) { NodeRemoving(*node); });
    connect(&Document(), &TDocument::TreeAboutToBeReset, this, [this] { NodeRemoving(Document().Tree().Root()); });
    for (QWidget *page : {PageImage, PageProject}) {
        page->setAcceptDrops(true);
        page->installEventFilter(this);
    }
}

void TPropertyPages::CreateActions(const TTreeImages &images)
{
    const auto make = [&](const QString &caption, int icon, const char *name, void (TPropertyPages::*handler)()) {
        // The stack holds them, so they live in the window with the pages.
        auto *action = new QAction(images.Icon(icon), caption, Pages);
        action->setObjectName(QString::fromLatin1(name));
        action->setIconVisibleInMenu(icon >= 0);
        connect(action, &QAction::triggered, this, [this, handler] { m_context.Run([this, handler] { (this->*handler)(); }); });
        return action;
    };
    ActLoadImage = make(QStringLiteral("Load Image"), -1, "ActLoadImage", &TPropertyPages::ActLoadImageExecute);
    ActProjectLoadImage = make(QStringLiteral("Load Background Image"), TreeImageIndex::LoadBackground, "ActProjectLoadImage",
        &TPropertyPages::ActProjectLoadImageExecute);
    ActProjectClearImage = make(QStringLiteral("Clear Background Image"), -1, "ActProjectClearImage",
        &TPropertyPages::ActProjectClearImageExecute);
}

void TPropertyPages::UpdateActions()
{
    ActLoadImage->setEnabled(queryInterface<IElementImage>(m_current) != nullptr);
    ActProjectLoadImage->setEnabled(true);
    if (const auto *background = queryInterface<IProjectBackground>(m_current))
        ActProjectClearImage->setEnabled(background->GetBackground() != nullptr);
}

void TPropertyPages::Show(IElement *element)
{
    // Setting the controls runs their handlers; the guard keeps them from writing back.
    m_filling = true;
    const auto lower = qScopeGuard([this] { m_filling = false; });
    // Edits of the element shown now are steps of their own.
    Document().BreakMerge();
    m_current = element;
    Pages->setCurrentWidget(PageNone);
    if (element != nullptr)
        Fill(*element);
}

void TPropertyPages::Clear()
{
    m_current = nullptr;
    Pages->setCurrentWidget(PageNone);
}

void TPropertyPages::NodeRemoving(const TElementNode &node)
{
    if (NodeOfElement(node, m_current) != nullptr) {
        Clear();
        Q_EMIT CurrentChanged();
    }
}

void TPropertyPages::AddPage(const TElementKind &kind, QWidget *page, std::function<void(IElement &)> fill)
{
    Pages->addWidget(page);
    m_kindPages.push_back({&kind, page, std::move(fill)});
}

bool TPropertyPages::eventFilter(QObject *watched, QEvent *event)
{
    auto *page = qobject_cast<QWidget *>(watched);
    const bool picture = page == PageImage ? For<IElementImage>(page) != nullptr : For<IProjectBackground>(page) != nullptr;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (picture && !DroppedImageFiles(drag->mimeData()).isEmpty())
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (picture && LoadDroppedPicture(page, DroppedImageFiles(drop->mimeData())))
            drop->acceptProposedAction();
        else
            drop->ignore();
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

bool TPropertyPages::LoadDroppedPicture(QWidget *page, const QStringList &files)
{
    TElementNode *node = CurrentNode();
    if (files.isEmpty() || node == nullptr)
        return false;
    m_context.Run([&] {
        if (page == PageImage)
            LoadImage(Document(), *node, files.first());
        else
            LoadBackground(Document(), *node, files.first());
    });
    ImagePreview->update();
    ProjectBackgroundpreview->update();
    return true;
}

QWidget *TPropertyPages::CreateNonePage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PageNone"));
    auto *layout = new QVBoxLayout(page);
    auto *nothing = new QLabel(QStringLiteral("Nothing Selected"), page);
    nothing->setAlignment(Qt::AlignCenter);
    layout->addWidget(nothing);
    return page;
}

void TPropertyPages::Fill(IElement &element)
{
    const TElementKind &kind = element.GetClass();
    if (&kind == &TVmElementProject::Kind) {
        Pages->setCurrentWidget(PageProject);
        FillProject(*queryInterface<IProject>(&element));
    } else if (&kind == &TVmElementText::Kind) {
        Pages->setCurrentWidget(PageTextElement);
        FillText(element);
    } else if (&kind == &TVmElementImage::Kind) {
        Pages->setCurrentWidget(PageImage);
        FillImage(element);
    } else {
        for (const TKindPage &page : m_kindPages)
            if (page.Kind == &kind) {
                Pages->setCurrentWidget(page.Page);
                page.Fill(element);
            }
    }
}

void TPropertyPages::FillAlignment(const IElement &element, TAlignments *picker)
{
    if (const auto *horizontal = queryInterface<IElementHorizontalAlign>(&element))
        picker->SetHAlign(horizontal->GetHorizontalAlign());
    if (const auto *vertical = queryInterface<IElementVerticalAlign>(&element))
        picker->SetVAlign(vertical->GetVerticalAlign());
}

void TPropertyPages::FillMargins(const IElementMargins &margins, QCheckBox *toggle, TVelmoraSpinEdit *value,
    TVelmoraSpinEdit *topOffset)
{
    toggle->setChecked(margins.GetUseFixedHeight());
    value->setEnabled(toggle->isChecked());
    value->SetValue(margins.GetFixedHeight());
    topOffset->SetValue(margins.GetTopOffset());
}

void TPropertyPages::FixedHeightToggleClick(QCheckBox *toggle, TVelmoraSpinEdit *value)
{
    if (Filling())
        return;
    auto *margins = For<IElementMargins>(toggle);
    if (margins == nullptr)
        return;
    const bool enabled = toggle->isChecked();
    value->setEnabled(enabled);
    Change(toggle, Fields::UseFixedHeight, enabled);
    // The stored height is kept while the toggle is off and shown again when it comes back.
    if (enabled)
        value->SetValue(margins->GetFixedHeight());
}

void TPropertyPages::FixedHeightChange(TVelmoraSpinEdit *value)
{
    if (Filling())
        return;
    if (For<IElementMargins>(value) != nullptr) {
        if (value->Value() < 0)
            value->SetValue(0);
        Change(value, Fields::FixedHeight, value->Value());
    }
}

void TPropertyPages::TopOffsetChange(TVelmoraSpinEdit *offset)
{
    if (Filling())
        return;
    Change(offset, Fields::TopOffset, offset->Value());
}

IElement *TPropertyPages::ElementFor(const QWidget *control) const
{
    // A control of a page not shown (left behind by a removal or a focus change) edits nothing.
    const QWidget *shown = Pages->currentWidget();
    for (const QWidget *widget = control; widget != nullptr; widget = widget->parentWidget())
        if (widget == shown)
            return m_current;
    return nullptr;
}

TElementNode *TPropertyPages::CurrentNode() const
{
    return NodeOfElement(Document().Tree().Root(), CurrentElement());
}

TDocument &TPropertyPages::Document() const
{
    return m_context.Document();
}

template <typename Facet>
bool TPropertyPages::ChooseColor(const QWidget *page, const TField<Facet, TArgb> &field, TGDIPColorDisplay *swatch)
{
    IElement *element = ElementFor(page);
    if (queryInterface<Facet>(element) == nullptr)
        return false;
    // The frame follows every colour tried; only OK leaves a step.
    TLiveValue live(Document(), element, field);
    const auto show = [&](quint32 color) {
        if (!Filling()) {
            const QScopedValueRollback editing(m_editing, true);
            live.Show(color);
        }
        swatch->SetColor(color);
    };
    const bool kept = m_context.Prompts().ChooseColor(live.Original(), show).has_value();
    const QScopedValueRollback editing(m_editing, true);
    const TArgb shown = field.Get(*queryInterface<Facet>(element));
    live.Cancel();
    if (kept) {
        // The colour goes to the whole selection of this kind as one step, as typed edits do.
        Change(page, field, shown);
    } else {
        swatch->SetColor(live.Original());
    }
    return kept;
}
template bool TPropertyPages::ChooseColor(const QWidget *, const TField<IProject, TArgb> &, TGDIPColorDisplay *);
template bool TPropertyPages::ChooseColor(const QWidget *, const TField<IGDIPFont, TArgb> &, TGDIPColorDisplay *);

void TPropertyPages::ElementChanged(IElement *element)
{
    if (m_editing || Filling() || element == nullptr || element != CurrentElement())
        return;
    m_context.Run([&] { Show(element); });
}

std::vector<IElement *> TPropertyPages::EditedElements(IElement &element, bool shared) const
{
    std::vector<IElement *> elements{&element};
    const TElementNode *own = CurrentNode();
    if (!shared || own == nullptr || !own->IsSelected())
        return elements;
    ForEachNode(Document().Tree().Root(), [&](TElementNode &node) {
        if (&node != own && node.IsSelected() && node.Element() != nullptr && &node.Element()->GetClass() == &element.GetClass())
            elements.push_back(node.Element());
    });
    return elements;
}

bool TPropertyPages::SharedField(const void *field)
{
    return field != &Fields::Text && field != &Fields::ImageSize && field != &Fields::SpecificDims;
}

} // namespace velmora
