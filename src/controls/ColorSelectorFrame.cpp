#include "controls/ColorSelectorFrame.h"

#include "controls/GDIPColorDisplay.h"
#include "controls/HSVLibrary.h"
#include "controls/IEEE754.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {

constexpr int DiscAreaSize = 111;
constexpr int DiscSize = DiscAreaSize - 10;
constexpr int StripWidth = 256;
constexpr int StripHeight = 11;
const QColor MarkerGrey(128, 128, 128);

QSlider *MakeBar(QWidget *parent, const char *name, const QString &hint, int maximum, int value)
{
    auto *bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(QLatin1String(name));
    bar->setToolTip(hint);
    bar->setRange(0, maximum);
    bar->setValue(value);
    return bar;
}

QLabel *MakeStrip(QWidget *parent, const char *name)
{
    auto *strip = new QLabel(parent);
    strip->setObjectName(QLatin1String(name));
    return strip;
}

QLineEdit *MakeReadout(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    return edit;
}

QSpinBox *MakeComponent(QWidget *parent, const char *name, const QString &caption, int row, int value)
{
    auto *label = new QLabel(caption, parent);
    label->setGeometry(8, 18 + row * 23, 40, 20);
    auto *edit = new QSpinBox(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setRange(0, 255);
    edit->setValue(value);
    edit->setGeometry(52, 18 + row * 23, 80, 21);
    label->setBuddy(edit);
    return edit;
}

// The disc with black shown transparent, so the panel shows through around it.
QPixmap DiscPixmap(const QImage &disc)
{
    QImage shown = disc.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < shown.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(shown.scanLine(y));
        for (int x = 0; x < shown.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == 0)
                line[x] = 0;
        }
    }
    return QPixmap::fromImage(shown);
}

} // namespace

TGDIPColorSelector::TGDIPColorSelector(QWidget *parent) : QWidget(parent)
{
    BuildControls();
    TimerUpdate.setObjectName(QStringLiteral("TimerUpdate"));
    TimerUpdate.setSingleShot(true);
    TimerUpdate.setInterval(100);
    connect(&TimerUpdate, &QTimer::timeout, this, &TGDIPColorSelector::TimerUpdateTimer);
    ScheduleUpdate();
    ApplyHSV();
}

void TGDIPColorSelector::BuildControls()
{
    setFixedSize(321, 245);

    ImageHS = new QLabel(this);
    ImageHS->setObjectName(QStringLiteral("ImageHS"));
    ImageHS->setGeometry(0, 0, DiscAreaSize, DiscAreaSize);
    ImageHS->setAlignment(Qt::AlignCenter);
    ImageHS->installEventFilter(this);

    ColorPreview = new TGDIPColorDisplay(this);
    ColorPreview->setObjectName(QStringLiteral("ColorPreview"));
    ColorPreview->setGeometry(116, 6, 58, 99);

    auto *rgbGroup = new QGroupBox(QStringLiteral("RGB"), this);
    rgbGroup->setGeometry(180, 0, 141, 111);
    RedValueEdit = MakeComponent(rgbGroup, "RedValueEdit", QStringLiteral("Red"), 0, 0);
    GreenValueEdit = MakeComponent(rgbGroup, "GreenValueEdit", QStringLiteral("Green"), 1, 0);
    BlueValueEdit = MakeComponent(rgbGroup, "BlueValueEdit", QStringLiteral("Blue"), 2, 0);
    AlphaValueEdit = MakeComponent(rgbGroup, "AlphaValueEdit", QStringLiteral("Alpha"), 3, 255);

    // The caption's "&&" is how a literal ampersand is written in a group caption.
    auto *hsvGroup = new QGroupBox(QStringLiteral("Hue, Saturation && Value"), this);
    hsvGroup->setGeometry(0, 113, 321, 132);
    TrackBarHue = MakeBar(hsvGroup, "TrackBarHue", QStringLiteral("Hue"), 360, 180);
    TrackBarSaturation = MakeBar(hsvGroup, "TrackBarSaturation", QStringLiteral("Saturation"), 255, 255);
    TrackBarValue = MakeBar(hsvGroup, "TrackBarValue", QStringLiteral("Value"), 255, 255);
    ImageHue = MakeStrip(hsvGroup, "ImageHue");
    ImageSaturation = MakeStrip(hsvGroup, "ImageSaturation");
    ImageValue = MakeStrip(hsvGroup, "ImageValue");
    editHueValue = MakeReadout(hsvGroup, "editHueValue");
    editSatValue = MakeReadout(hsvGroup, "editSatValue");
    EditValueValue = MakeReadout(hsvGroup, "EditValueValue");
    QSlider *bars[] = {TrackBarHue, TrackBarSaturation, TrackBarValue};
    QLabel *strips[] = {ImageHue, ImageSaturation, ImageValue};
    QLineEdit *readouts[] = {editHueValue, editSatValue, EditValueValue};
    for (int k = 0; k < 3; ++k) {
        strips[k]->setGeometry(8, 18 + k * 37, StripWidth, StripHeight);
        bars[k]->setGeometry(4, 30 + k * 37, StripWidth + 8, 20);
        readouts[k]->setGeometry(272, 24 + k * 37, 42, 21);
        connect(bars[k], &QSlider::valueChanged, this, &TGDIPColorSelector::TrackBarHSVChange);
    }
    for (QSpinBox *edit : {RedValueEdit, GreenValueEdit, BlueValueEdit})
        connect(edit, &QSpinBox::valueChanged, this, &TGDIPColorSelector::RGBChange);
    connect(AlphaValueEdit, &QSpinBox::valueChanged, this, &TGDIPColorSelector::AlphaValueChanging);
}

quint32 TGDIPColorSelector::GetColor() const
{
    return quint32(AlphaValueEdit->value()) << 24 | quint32(RedValueEdit->value()) << 16
        | quint32(GreenValueEdit->value()) << 8 | quint32(BlueValueEdit->value());
}

void TGDIPColorSelector::SetColor(quint32 color)
{
    {
        // The four fields are set together; the RGB direction then runs once for all of them.
        const QSignalBlocker blockAlpha(AlphaValueEdit);
        const QSignalBlocker blockRed(RedValueEdit);
        const QSignalBlocker blockGreen(GreenValueEdit);
        const QSignalBlocker blockBlue(BlueValueEdit);
        AlphaValueEdit->setValue(int(color >> 24 & 0xFF));
        RedValueEdit->setValue(int(color >> 16 & 0xFF));
        GreenValueEdit->setValue(int(color >> 8 & 0xFF));
        BlueValueEdit->setValue(int(color & 0xFF));
    }
    ApplyRGB();
}

void TGDIPColorSelector::CommitEdits()
{
    for (QSpinBox *edit : {RedValueEdit, GreenValueEdit, BlueValueEdit, AlphaValueEdit})
        edit->interpretText();
}

void TGDIPColorSelector::TrackBarHSVChange()
{
    ApplyHSV();
}

void TGDIPColorSelector::RGBChange()
{
    ApplyRGB();
}

void TGDIPColorSelector::AlphaValueChanging()
{
    ColorPreview->SetColor(GetColor());
    ScheduleUpdate();
}

void TGDIPColorSelector::ApplyHSV()
{
    if (m_updatingFromHSV || m_updatingFromRGB)
        return;
    const QScopedValueRollback guard(m_updatingFromHSV, true);
    double hue = TrackBarHue->value();
    const double saturation = TrackBarSaturation->value() / 255.0;
    const double value = TrackBarValue->value() / 255.0;
    if (saturation == 0)
        hue = UndefinedHue;
    const TRGBReal rgb = HSVtoRGB(hue, saturation, value);
    RedValueEdit->setValue(RoundHalfEven(255 * rgb.R));
    GreenValueEdit->setValue(RoundHalfEven(255 * rgb.G));
    BlueValueEdit->setValue(RoundHalfEven(255 * rgb.B));
    UpdateReadouts();
    DrawGradientStrips();
    ColorPreview->SetColor(GetColor());
    ScheduleUpdate();
}

void TGDIPColorSelector::ApplyRGB()
{
    if (m_updatingFromHSV || m_updatingFromRGB)
        return;
    const QScopedValueRollback guard(m_updatingFromRGB, true);
    const THSVReal hsv = RGBtoHSV(RedValueEdit->value(), GreenValueEdit->value(), BlueValueEdit->value());
    TrackBarHue->setValue(IsNaN(hsv.H) ? 0 : RoundHalfEven(hsv.H));
    TrackBarSaturation->setValue(RoundHalfEven(255 * hsv.S));
    TrackBarValue->setValue(RoundHalfEven(hsv.V));
    UpdateReadouts();
    DrawGradientStrips();
    ColorPreview->SetColor(GetColor());
    ScheduleUpdate();
}

void TGDIPColorSelector::UpdateReadouts()
{
    const int saturation = TrackBarSaturation->value();
    editHueValue->setText(saturation == 0 ? QStringLiteral("0") : QString::number(TrackBarHue->value()));
    editSatValue->setText(QString::number(saturation));
    EditValueValue->setText(QString::number(TrackBarValue->value()));
}

void TGDIPColorSelector::DrawGradientStrips()
{
    const int hue = TrackBarHue->value();
    const int saturation = TrackBarSaturation->value();
    const int value = TrackBarValue->value();
    const std::pair<QLabel *, TGradientStrip> strips[] = {
        {ImageHue, TGradientStrip::Hue},
        {ImageSaturation, TGradientStrip::Saturation},
        {ImageValue, TGradientStrip::Value},
    };
    for (const auto &[label, kind] : strips) {
        QImage strip(StripWidth, StripHeight, QImage::Format_RGB32);
        DrawGradientStrip(strip, kind, hue, saturation, value);
        label->setPixmap(QPixmap::fromImage(strip));
    }
}

void TGDIPColorSelector::DrawDisc()
{
    const int size = ImageHS->height() - 10;
    m_disc = QImage(size, size, QImage::Format_RGB32);
    m_disc.fill(Qt::black);
    DrawHueSaturationDisc(m_disc, size, TrackBarHue->value(), TrackBarSaturation->value(), TrackBarValue->value(),
                          MarkerGrey, MarkerGrey);
    ImageHS->setPixmap(DiscPixmap(m_disc));
}

void TGDIPColorSelector::ScheduleUpdate()
{
    m_discDirty = true;
    // Re-arming a running timer must not restart it: a burst is reported once.
    if (!TimerUpdate.isActive())
        TimerUpdate.start();
}

void TGDIPColorSelector::TimerUpdateTimer()
{
    TimerUpdate.stop();
    if (m_discDirty) {
        DrawDisc();
        m_discDirty = false;
    }
    Q_EMIT OnChange(this, GetColor());
}

void TGDIPColorSelector::PickFromDisc(QPoint pos)
{
    const int half = ImageHS->height() / 2;
    const int dx = pos.x() - half;
    const int dy = pos.y() - half;
    int hue = RoundHalfEven(std::atan2(double(-dy), double(dx)) * 180 / std::numbers::pi + 360);
    if (hue < 0)
        hue += 360;
    else if (hue > 360)
        hue -= 360;
    const int dist = RoundHalfEven(std::sqrt(double(dx * dx + dy * dy)));
    const int saturation = dist < half ? RoundHalfAway(dist * 255.0 / half) : 255;
    {
        const QSignalBlocker blockHue(TrackBarHue);
        const QSignalBlocker blockSaturation(TrackBarSaturation);
        TrackBarHue->setValue(hue);
        TrackBarSaturation->setValue(saturation);
    }
    ApplyHSV();
}

bool TGDIPColorSelector::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ImageHS) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            ImageHSMouseDown(static_cast<QMouseEvent *>(event)->position().toPoint());
            return true;
        case QEvent::MouseMove:
            ImageHSMouseMove(static_cast<QMouseEvent *>(event)->position().toPoint());
            return true;
        case QEvent::MouseButtonRelease:
            ImageHSMouseUp();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TGDIPColorSelector::ImageHSMouseDown(QPoint pos)
{
    m_dragging = true;
    PickFromDisc(pos);
}

void TGDIPColorSelector::ImageHSMouseMove(QPoint pos)
{
    if (m_dragging)
        PickFromDisc(pos);
}

void TGDIPColorSelector::ImageHSMouseUp()
{
    m_dragging = false;
}

} // namespace velmora
