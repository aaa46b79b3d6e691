// The property pages: construction, filling, and what the three pages share.
#include "ui/PropertyPages.h"

#include "controls/AlignmentFrame.h"
#include "controls/VelmoraSpinEdit.h"
#include "core/elements/ElementImage.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"
#include "core/elements/Interfaces.h"
#include "ui/ElementTreeModel.h"
#include "ui/MainWindow.h"
#include "ui/PageLayout.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QStackedWidget>

namespace velmora {

TPropertyPages::TPropertyPages(TMain &main) : m_main(main)
{
    m_main.PageProject = CreateProjectPage();
    m_main.PageTextElement = CreateTextPage();
    m_main.PageImage = CreateImagePage();
    m_main.PageNone = CreateNonePage();
    m_main.ProjectContentSize = ProjectContentSize;
    for (QWidget *page : {m_main.PageProject, m_main.PageTextElement, m_main.PageImage, m_main.PageNone})
        m_main.Pages->addWidget(page);

    const auto run = [this](QAction *action, void (TPropertyPages::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { m_main.RunHandler([this, handler] { (this->*handler)(); }); });
    };
    run(m_main.ActLoadImage, &TPropertyPages::ActLoadImageExecute);
    run(m_main.ActProjectLoadImage, &TPropertyPages::ActProjectLoadImageExecute);
    run(m_main.ActProjectClearImage, &TPropertyPages::ActProjectClearImageExecute);
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
        m_main.Pages->setCurrentWidget(m_main.PageProject);
        FillProject(*queryInterface<IProject>(element));
    } else if (&kind == &TVmElementText::Kind) {
        m_main.Pages->setCurrentWidget(m_main.PageTextElement);
        FillText(*element);
    } else if (&kind == &TVmElementImage::Kind) {
        m_main.Pages->setCurrentWidget(m_main.PageImage);
        FillImage(*element);
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
    margins->SetUseFixedHeight(enabled);
    // The stored height is kept while the toggle is off and shown again when it comes back.
    if (enabled)
        value->SetValue(margins->GetFixedHeight());
    Edited();
}

void TPropertyPages::FixedHeightChange(TVelmoraSpinEdit *value)
{
    if (Filling())
        return;
    if (auto *margins = For<IElementMargins>(value)) {
        if (value->Value() < 0)
            value->SetValue(0);
        margins->SetFixedHeight(value->Value());
        Edited();
    }
}

void TPropertyPages::TopOffsetChange(TVelmoraSpinEdit *offset)
{
    if (Filling())
        return;
    if (auto *margins = For<IElementMargins>(offset)) {
        margins->SetTopOffset(offset->Value());
        Edited();
    }
}

IElement *TPropertyPages::ElementFor(const QWidget *control) const
{
    // A control of a page not shown (left behind by a removal or a focus change) edits nothing.
    const QWidget *shown = m_main.Pages->currentWidget();
    for (const QWidget *widget = control; widget != nullptr; widget = widget->parentWidget())
        if (widget == shown)
            return m_main.CurrentElement();
    return nullptr;
}

IElement *TPropertyPages::CurrentElement() const
{
    return m_main.CurrentElement();
}

bool TPropertyPages::Filling() const
{
    return m_main.FillingPanels;
}

void TPropertyPages::Edited()
{
    m_main.SchedulePreviewUpdate();
    m_main.MarkModified();
}

void TPropertyPages::RepaintCurrentNode()
{
    const IElement *current = m_main.CurrentElement();
    if (current == nullptr)
        return;
    std::function<const TElementNode *(const TElementNode &)> find = [&](const TElementNode &node) -> const TElementNode * {
        if (node.Element() == current)
            return &node;
        for (const auto &child : node.Children())
            if (const TElementNode *found = find(*child))
                return found;
        return nullptr;
    };
    if (const TElementNode *node = find(m_main.Document().Tree().Root()))
        m_main.TreeModel->NodeChanged(*node);
}

} // namespace velmora
