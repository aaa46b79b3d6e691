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
#include "ui/credits/CreditCommands.h"
#include "ui/tree/ElementTreeModel.h"
#include "ui/window/MainWindow.h"
#include "ui/pages/PageCard.h"
#include "ui/pages/PageCreditBlock.h"
#include "ui/pages/PageLayout.h"
#include "ui/prompts/Prompts.h"
#include "ui/tree/TreeClipboard.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QStackedWidget>

namespace velmora {

TPropertyPages::TPropertyPages(TMain &main, TMainControls &controls) : m_main(main)
{
    controls.PageProject = CreateProjectPage();
    controls.PageTextElement = CreateTextPage();
    controls.PageImage = CreateImagePage();
    controls.PageNone = CreateNonePage();
    controls.ProjectContentSize = ProjectContentSize;
    for (QWidget *page : {controls.PageProject, controls.PageTextElement, controls.PageImage, controls.PageNone})
        controls.Pages->addWidget(page);
    m_cardPage = new TCardPage(main);

    const auto run = [this](QAction *action, void (TPropertyPages::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { m_main.RunHandler([this, handler] { (this->*handler)(); }); });
    };
    run(m_main.Controls().ActLoadImage, &TPropertyPages::ActLoadImageExecute);
    run(m_main.Controls().ActProjectLoadImage, &TPropertyPages::ActProjectLoadImageExecute);
    run(m_main.Controls().ActProjectClearImage, &TPropertyPages::ActProjectClearImageExecute);
    connect(&Document(), &TDocument::Changed, this, [this](const TDocumentChange &change) {
        if (change.Kind == TDocumentChange::TKind::ElementFields)
            ElementChanged(change.Element);
    });
    for (QWidget *page : {m_main.Controls().PageImage, m_main.Controls().PageProject}) {
        page->setAcceptDrops(true);
        page->installEventFilter(this);
    }
}

bool TPropertyPages::eventFilter(QObject *watched, QEvent *event)
{
    auto *page = qobject_cast<QWidget *>(watched);
    const bool picture = page == m_main.Controls().PageImage ? For<IElementImage>(page) != nullptr : For<IProjectBackground>(page) != nullptr;
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
    m_main.RunHandler([&] {
        if (page == m_main.Controls().PageImage)
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

void TPropertyPages::Fill(IElement *element)
{
    if (element == nullptr)
        return;
    const TElementKind &kind = element->GetClass();
    if (&kind == &TVmElementProject::Kind) {
        m_main.Controls().Pages->setCurrentWidget(m_main.Controls().PageProject);
        FillProject(*queryInterface<IProject>(element));
    } else if (&kind == &TVmElementText::Kind) {
        m_main.Controls().Pages->setCurrentWidget(m_main.Controls().PageTextElement);
        FillText(*element);
    } else if (&kind == &TVmElementImage::Kind) {
        m_main.Controls().Pages->setCurrentWidget(m_main.Controls().PageImage);
        FillImage(*element);
    } else if (&kind == &TVmElementCreditBlock::Kind) {
        m_main.CreditCommands().BlockPage().Fill(element);
    } else if (&kind == &TVmElementCard::Kind) {
        m_cardPage->Fill(element);
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
    const QWidget *shown = m_main.Controls().Pages->currentWidget();
    for (const QWidget *widget = control; widget != nullptr; widget = widget->parentWidget())
        if (widget == shown)
            return m_main.CurrentElement();
    return nullptr;
}

IElement *TPropertyPages::CurrentElement() const
{
    return m_main.CurrentElement();
}

TElementNode *TPropertyPages::CurrentNode() const
{
    return NodeOfElement(Document().Tree().Root(), CurrentElement());
}

TDocument &TPropertyPages::Document() const
{
    return m_main.Document();
}

bool TPropertyPages::Filling() const
{
    return m_main.FillingPanels();
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
    const bool kept = m_main.Prompts().ChooseColor(live.Original(), show).has_value();
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
    m_main.RunHandler([&] { m_main.ShowElementProperties(element); });
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
