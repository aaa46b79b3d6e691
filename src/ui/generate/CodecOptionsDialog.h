#pragma once

#include "core/export/avi/AVICompressor.h"
#include "core/export/formats/OutputFormats.h"
#include "core/export/formats/OutputFormats.h"
#include "ui/generate/GenerateRange.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;

namespace velmora {

// The codec choice before a video is written: the codecs this machine can encode and the
// settings each of them takes.
class TCodecOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    TCodecOptionsDialog(const TAVICompressorOptions &options, QWidget *parent = nullptr);

    // The options handed in, with the user's choices.
    TAVICompressorOptions Options() const;
    // The codec shown as chosen; null when this machine has none.
    const TFormatCodec *SelectedCodec() const;

    QComboBox *CodecList = nullptr;
    QLabel *CodecNote = nullptr;
    QLabel *QualityLabel = nullptr;
    QSlider *Quality = nullptr;
    QCheckBox *KeyFrames = nullptr;
    QSpinBox *KeyFrameEvery = nullptr;
    QCheckBox *DataRate = nullptr;
    QSpinBox *KilobytesPerSecond = nullptr;

private:
    void CodecChanged();
    void UpdateEnabling();

    TAVICompressorOptions m_options;
    std::vector<TFormatCodec> m_codecs;
};

// The first question of Generate: the format of the output (AVI goes on to the codec dialog
// above), the codec and profile of the others, alpha, the file's frame rate and the scale.
class TDeliveryDialog : public QDialog
{
    Q_OBJECT
public:
    TDeliveryDialog(const TDeliveryChoice &choice, int projectRate, QWidget *parent = nullptr);

    // The choice as the controls show it.
    TDeliveryChoice Choice() const;
    // Offers range of a roll of frameCount frames; without it the dialog asks no range.
    void SetRange(const TGenerateRange &range, int frameCount);
    // The range as typed; throws EVelmoraError saying what is wrong with it.
    TGenerateRange Range() const;
    // Closes only on a range the roll can give, and says why not in the note.
    void accept() override;

    QComboBox *FormatList = nullptr;
    QComboBox *CodecList = nullptr;
    QComboBox *ProfileList = nullptr;
    QCheckBox *Alpha = nullptr;
    QComboBox *RateList = nullptr;
    QSpinBox *Scale = nullptr;
    QLabel *Note = nullptr;
    QLineEdit *InPoint = nullptr;
    QLineEdit *OutPoint = nullptr;
    QLineEdit *StartTimecode = nullptr;
    QLabel *RangeNote = nullptr;

private:
    // The rate the file's frames and timecodes count at.
    TFrameRate FileRate() const;
    const TOutputFormat *SelectedFormat() const;
    const TFormatCodec *SelectedCodec() const;
    const TCodecProfile *SelectedProfile() const;
    void FillCodecs(const QString &wanted);
    void FillProfiles(const QString &wanted);
    void UpdateEnabling();
    // Shows in the empty start timecode where the run will start: the project's start plus the in point.
    void ShowRunStart();

    int m_projectRate;
    int m_frameCount = -1;
    QString m_rollStart;
};

} // namespace velmora
