#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;

namespace velmora {

class TGDIPColorDisplay;

// Handler of a colour change: the selector that changed and its ARGB colour.
using TColorChangeEvent = std::function<void(QObject *Sender, quint32 AlphaColor)>;

// Colour picker with a hue/saturation disc, HSV bars with gradient strips and ARGB fields.
// Both views are kept in step; every change is reported once per burst, 100 ms later.
class TGDIPColorSelector : public QWidget
{
    Q_OBJECT
public:
    explicit TGDIPColorSelector(QWidget *parent = nullptr);

    // ARGB made of the alpha, red, green and blue fields.
    quint32 GetColor() const;
    // Sets the four fields from an ARGB value and moves the bars to match.
    void SetColor(quint32 color);

    // Applies a pending disc redraw and reports the current colour now.
    void TimerUpdateTimer();
    // Takes over any text typed into the colour fields but not yet committed.
    void CommitEdits();

    // Current picture of the disc (101 x 101, black where nothing is drawn).
    const QImage &DiscImage() const { return m_disc; }

Q_SIGNALS:
    // Raised after every change, delayed and coalesced.
    void OnChange(QObject *Sender, quint32 AlphaColor);

private:
    void TrackBarHSVChange();
    void RGBChange();
    void AlphaValueChanging();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void ImageHSMouseDown(QPoint pos);
    void ImageHSMouseMove(QPoint pos);
    void ImageHSMouseUp();

    void PickFromDisc(QPoint pos);
    void ApplyHSV();
    void ApplyRGB();
    void UpdateReadouts();
    void DrawGradientStrips();
    void DrawDisc();
    void ScheduleUpdate();
    void BuildControls();

    QLabel *ImageHS = nullptr;
    TGDIPColorDisplay *ColorPreview = nullptr;
    QSlider *TrackBarHue = nullptr;
    QSlider *TrackBarSaturation = nullptr;
    QSlider *TrackBarValue = nullptr;
    QLabel *ImageHue = nullptr;
    QLabel *ImageSaturation = nullptr;
    QLabel *ImageValue = nullptr;
    QLineEdit *editHueValue = nullptr;
    QLineEdit *editSatValue = nullptr;
    QLineEdit *EditValueValue = nullptr;
    QSpinBox *RedValueEdit = nullptr;
    QSpinBox *GreenValueEdit = nullptr;
    QSpinBox *BlueValueEdit = nullptr;
    QSpinBox *AlphaValueEdit = nullptr;
    QTimer TimerUpdate{this};

    QImage m_disc;
    bool m_updatingFromHSV = false;
    bool m_updatingFromRGB = false;
    bool m_dragging = false;
    bool m_discDirty = false;
};

} // namespace velmora
