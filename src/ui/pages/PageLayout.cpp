#include "ui/pages/PageLayout.h"

#include "controls/VelmoraSpinEdit.h"
#include "core/elements/FitRect.h"
#include "ui/tree/TreeImages.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QMouseEvent>
#include <QFormLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>

namespace velmora {

namespace {

constexpr int HeaderHeight = 33;

QWidget *MakeHeader(const QIcon &icon, const QString &caption)
{
    auto *header = new QWidget;
    header->setObjectName(QStringLiteral("Header"));
    header->setFixedHeight(HeaderHeight);
    header->setAutoFillBackground(true);
    QPalette palette = header->palette();
    palette.setColor(QPalette::Window, QColor(128, 128, 128));
    palette.setColor(QPalette::WindowText, Qt::white);
    header->setPalette(palette);

    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *picture = new QLabel(header);
    picture->setPixmap(icon.pixmap(TreeImageSize, TreeImageSize));
    picture->setFixedSize(TreeImageSize, TreeImageSize);
    layout->addWidget(picture);
    auto *title = new QLabel(caption, header);
    title->setObjectName(QStringLiteral("HeaderCaption"));
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    layout->addWidget(title, 1);
    return header;
}

// Forwards a left click on a caption label to its check box.
class TCaptionClick : public QObject
{
public:
    TCaptionClick(QLabel *caption, QCheckBox *box) : QObject(caption), m_box(box) { caption->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && m_box->isEnabled()) {
            m_box->click();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QCheckBox *m_box;
};

} // namespace

QFormLayout *BuildPropertyPage(QWidget *page, const QIcon &icon, const QString &caption)
{
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    auto *scrollBox = new QScrollArea(page);
    scrollBox->setFrameShape(QFrame::NoFrame);
    scrollBox->setWidgetResizable(true);
    scrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The themed background shows through the box.
    scrollBox->viewport()->setAutoFillBackground(false);
    pageLayout->addWidget(scrollBox);

    auto *content = new QWidget;
    content->setAutoFillBackground(false);
    auto *contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->addWidget(MakeHeader(icon, caption));

    auto *form = new QFormLayout;
    form->setContentsMargins(4, 6, 4, 6);
    form->setHorizontalSpacing(6);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    contentLayout->addLayout(form);
    contentLayout->addStretch(1);
    scrollBox->setWidget(content);
    return form;
}

QWidget *WrappingCheckBox(QCheckBox *box, const QString &caption)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    box->setAccessibleName(caption);
    layout->addWidget(box, 0, Qt::AlignTop);
    auto *label = new QLabel(caption, row);
    label->setObjectName(box->objectName() + QStringLiteral("Caption"));
    label->setWordWrap(true);
    new TCaptionClick(label, box);
    layout->addWidget(label, 1);
    return row;
}

QLayout *FixedHeightRow(QWidget *toggle, QWidget *value)
{
    auto *row = new QHBoxLayout;
    row->addWidget(toggle);
    row->addWidget(value, 1);
    return row;
}

TVelmoraSpinEdit *MakeSpinEdit(QWidget *parent, const char *name, int min, int max)
{
    auto *edit = new TVelmoraSpinEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->SetMinValue(min);
    edit->SetMaxValue(max);
    return edit;
}

TVelmoraSpinEdit *TopOffsetRow(QWidget *page, QFormLayout &form, const char *name)
{
    // Far enough to pull an element over a whole UHD frame, either way.
    TVelmoraSpinEdit *offset = MakeSpinEdit(page, name, -10000, 10000);
    form.addRow(QStringLiteral("Top Offset"), offset);
    return offset;
}

void PaintThumbnail(QPainter &canvas, const QSize &size, const QImage *image)
{
    // The surface is persistent: without this an element without an image would show the last one drawn.
    canvas.setCompositionMode(QPainter::CompositionMode_Source);
    canvas.fillRect(QRect(QPoint(0, 0), size), Qt::transparent);
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (size.isEmpty() || image == nullptr || image->isNull())
        return;
    double scale = 1.0;
    TLayoutRect fitted;
    FitRect(TLayoutRect{0, 0, image->width(), image->height()}, TLayoutRect{0, 0, size.width(), size.height()}, scale,
        fitted, FitFlags::CenterVertically | FitFlags::CenterHorizontally);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    canvas.drawImage(QRect(fitted.X, fitted.Y, fitted.Width, fitted.Height), *image);
}

} // namespace velmora
