// The image page: picture, display size, alignment and margins of an image element.
#include "ui/pages/PropertyPages.h"

#include "core/elements/ElementImage.h"

#include "controls/AlignmentFrame.h"
#include "controls/GPWinControl.h"
#include "controls/VelmoraSpinEdit.h"
#include "core/typedfiler/CodePage.h"
#include "ui/tree/TreeImages.h"
#include "ui/window/EditorContext.h"
#include "ui/pages/PageLayout.h"
#include "ui/prompts/Prompts.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <algorithm>
#include <cmath>

namespace velmora {

QWidget *TPropertyPages::CreateImagePage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PageImage"));
    QFormLayout *form = BuildPropertyPage(page, m_images.Icon(TreeImageIndex::Image),
        QStringLiteral("Image Properties"));

    ImagePreview = new TGDIPCanvas(page);
    ImagePreview->setObjectName(QStringLiteral("ImagePreview"));
    ImagePreview->setFixedSize(185, 89);
    form->addRow(ImagePreview);
    connect(ImagePreview, &TGDIPCanvas::OnPaint, this, [this](QPainter *canvas) { ImagePreviewPaint(canvas); });

    ImageLoadImageButton = new QPushButton(QStringLiteral("Load Image"), page);
    ImageLoadImageButton->setObjectName(QStringLiteral("ImageLoadImageButton"));
    form->addRow(ImageLoadImageButton);
    connect(ImageLoadImageButton, &QPushButton::clicked, this, [this] { m_context.Run([this] { ActLoadImageExecute(); }); });

    ImageSpecificDims = new QCheckBox(QStringLiteral("Use Specific Dimensions"), page);
    ImageSpecificDims->setObjectName(QStringLiteral("ImageSpecificDims"));
    form->addRow(ImageSpecificDims);
    connect(ImageSpecificDims, &QCheckBox::toggled, this, [this] { ImageSpecificDimsClick(); });

    ImageWidth = MakeSpinEdit(page, "ImageWidth", 0, 20000);
    ImageWidth->setEnabled(false);
    form->addRow(QStringLiteral("Width"), ImageWidth);
    connect(ImageWidth, &TVelmoraSpinEdit::OnChange, this, [this] { ImageWidthChange(); });
    ImageHeight = MakeSpinEdit(page, "ImageHeight", 0, 20000);
    ImageHeight->setEnabled(false);
    form->addRow(QStringLiteral("Height"), ImageHeight);
    connect(ImageHeight, &TVelmoraSpinEdit::OnChange, this, [this] { ImageHeightChange(); });

    ImageMaintainAspect = new QCheckBox(page);
    ImageMaintainAspect->setObjectName(QStringLiteral("ImageMaintainAspect"));
    ImageMaintainAspect->setChecked(true);
    // The caption is wider than the page with many fonts: it wraps instead of widening the page.
    form->addRow(WrappingCheckBox(ImageMaintainAspect, QStringLiteral("Maintain Orignal Aspect Ratio")));

    ImageFilename = new QLabel(page);
    ImageFilename->setObjectName(QStringLiteral("ImageFilename"));
    // A long path is cut off at the page's edge; the tool tip shows all of it.
    ImageFilename->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    form->addRow(QStringLiteral("Source"), ImageFilename);

    ImageAlign = new TAlignments(page);
    ImageAlign->setObjectName(QStringLiteral("ImageAlign"));
    ImageAlign->SetAllowVerticalAlign(true);
    form->addRow(QStringLiteral("Alignment"), ImageAlign);
    connect(ImageAlign, &TAlignments::OnAlignmentChange, this,
        [this](QObject *, TElementHAlignment hAlign, TElementVAlignment vAlign) { ImageAlignAlignmentChange(hAlign, vAlign); });

    ImageTopOffset = TopOffsetRow(page, *form, "ImageTopOffset");
    connect(ImageTopOffset, &TVelmoraSpinEdit::OnChange, this, [this] { ImageTopOffsetChange(); });

    ImageFixedHeightToggle = new QCheckBox(QStringLiteral("Fixed Height"), page);
    ImageFixedHeightToggle->setObjectName(QStringLiteral("ImageFixedHeightToggle"));
    ImageFixedHeight = MakeSpinEdit(page, "ImageFixedHeight", 0, 20000);
    ImageFixedHeight->setEnabled(false);
    form->addRow(FixedHeightRow(ImageFixedHeightToggle, ImageFixedHeight));
    connect(ImageFixedHeightToggle, &QCheckBox::toggled, this, [this] { ImageFixedHeightToggleClick(); });
    connect(ImageFixedHeight, &TVelmoraSpinEdit::OnChange, this, [this] { ImageFixedHeightChange(); });
    return page;
}

void TPropertyPages::FillImage(IElement &element)
{
    if (const auto *image = queryInterface<IElementImage>(&element)) {
        ImageSpecificDims->setChecked(image->GetSpecificDims());
        ImageWidth->SetValue(image->GetWidth());
        ImageHeight->SetValue(image->GetHeight());
        ImageWidth->setEnabled(ImageSpecificDims->isChecked());
        ImageHeight->setEnabled(ImageSpecificDims->isChecked());
        QByteArray fileName;
        image->GetFileName(fileName);
        QString shown = FromSystemCodePage(fileName);
        // A stored picture that cannot be shown is kept as it is; the page says why it shows nothing.
        if (const auto *element = dynamic_cast<const TVmElementImage *>(image); element && !element->PictureProblem().isEmpty())
            shown = QStringLiteral("%1 (%2)").arg(shown, element->PictureProblem()).trimmed();
        ImageFilename->setText(shown);
        ImageFilename->setToolTip(ImageFilename->text());
    }
    FillAlignment(element, ImageAlign);
    if (const auto *margins = queryInterface<IElementMargins>(&element))
        FillMargins(*margins, ImageFixedHeightToggle, ImageFixedHeight, ImageTopOffset);
}

void TPropertyPages::ImageSpecificDimsClick()
{
    if (Filling())
        return;
    if (const auto *image = For<IElementImage>(PageImage)) {
        Change(PageImage, Fields::SpecificDims, ImageSpecificDims->isChecked());
        // Not guarded: where a shown value changes, its aspect steps run.
        ImageWidth->SetValue(image->GetWidth());
        ImageHeight->SetValue(image->GetHeight());
        ImageWidth->setEnabled(ImageSpecificDims->isChecked());
        ImageHeight->setEnabled(ImageSpecificDims->isChecked());
    }
}

void TPropertyPages::ImageWidthChange()
{
    ImageDimensionChange(ImageWidth, ImageHeight, true);
}

void TPropertyPages::ImageHeightChange()
{
    ImageDimensionChange(ImageHeight, ImageWidth, false);
}

void TPropertyPages::ImageDimensionChange(TVelmoraSpinEdit *edited, TVelmoraSpinEdit *other, bool width)
{
    if (Filling())
        return;
    const auto *image = For<IElementImage>(PageImage);
    if (image == nullptr)
        return;
    if (edited->Value() < 0)
        edited->SetValue(0);
    const qint32 value = edited->Value();
    qint32 otherValue = width ? image->GetHeight() : image->GetWidth();
    const QImage *picture = image->GetImage();
    // Without a picture of some size there is no aspect to keep.
    const bool follows = ImageMaintainAspect->isChecked() && picture != nullptr && picture->width() > 0 && picture->height() > 0;
    if (follows) {
        const double ratio = double(value) / (width ? picture->width() : picture->height());
        const double scaled = std::trunc((width ? picture->height() : picture->width()) * ratio);
        // Kept within what the other field shows, so a thin picture cannot grow without bound.
        otherValue = qint32(std::min<double>(scaled, other->MaxValue()));
    }
    // Both sides are one edit.
    Change(PageImage, Fields::ImageSize, width ? QSize(value, otherValue) : QSize(otherValue, value));
    if (follows) {
        const auto guard = FillGuard();
        other->SetValue(otherValue);
    }
}

void TPropertyPages::ImageAlignAlignmentChange(TElementHAlignment hAlign, TElementVAlignment vAlign)
{
    if (!Filling())
        Change(PageImage, Fields::Alignment, TAlignmentPair{hAlign, vAlign});
}

void TPropertyPages::ImageFixedHeightToggleClick()
{
    FixedHeightToggleClick(ImageFixedHeightToggle, ImageFixedHeight);
}

void TPropertyPages::ImageFixedHeightChange()
{
    FixedHeightChange(ImageFixedHeight);
}

void TPropertyPages::ImageTopOffsetChange()
{
    TopOffsetChange(ImageTopOffset);
}

void TPropertyPages::ImagePreviewPaint(QPainter *canvas)
{
    const auto *image = For<IElementImage>(PageImage);
    PaintThumbnail(*canvas, ImagePreview->size(), image != nullptr ? image->GetImage() : nullptr);
}

void TPropertyPages::ActLoadImageExecute()
{
    if (For<IElementImage>(PageImage) == nullptr)
        return;
    const QString fileName = m_context.Prompts().ChooseImageFile();
    TElementNode *node = CurrentNode();
    if (!fileName.isEmpty() && node != nullptr)
        LoadImage(Document(), *node, fileName);
    else {
        // A cancelled choice still counts and shows the element again, as the page always did.
        Document().MarkModified();
        m_context.ScheduleRedraw();
    }
    ImagePreview->repaint();
    Show(CurrentElement());
}

} // namespace velmora
