#pragma once

#include "core/export/AVICompressor.h"
#include "core/export/CodecCatalog.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
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
    const TCodecInfo *SelectedCodec() const;

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
    std::vector<TCodecInfo> m_codecs;
};

} // namespace velmora
