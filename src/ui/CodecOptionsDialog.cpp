#include "ui/CodecOptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr int BytesPerKilobyte = 1024;

// The slider shows quality in percent; the options keep it on the 0..10000 scale.
int QualityPercent(int quality)
{
    return std::clamp(int(std::lround(quality / 100.0)), 0, 100);
}

int Kilobytes(int bytesPerSecond)
{
    return std::max(1, int(std::lround(double(bytesPerSecond) / BytesPerKilobyte)));
}

} // namespace

TCodecOptionsDialog::TCodecOptionsDialog(const TAVICompressorOptions &options, QWidget *parent)
    : QDialog(parent), m_options(options), m_codecs(AvailableCodecs())
{
    setWindowTitle(QStringLiteral("Video Compression"));
    setObjectName(QStringLiteral("CodecOptionsDialog"));

    CodecList = new QComboBox(this);
    CodecList->setObjectName(QStringLiteral("CodecList"));
    for (const TCodecInfo &codec : m_codecs)
        CodecList->addItem(QStringLiteral("%1 (%2)").arg(codec.Title, QString::fromLatin1(codec.Handler).trimmed()));
    CodecNote = new QLabel(this);
    CodecNote->setObjectName(QStringLiteral("CodecNote"));

    QualityLabel = new QLabel(this);
    Quality = new QSlider(Qt::Horizontal, this);
    Quality->setObjectName(QStringLiteral("Quality"));
    Quality->setRange(0, 100);
    Quality->setPageStep(10);
    Quality->setValue(QualityPercent(options.Quality));
    connect(Quality, &QSlider::valueChanged, this, [this](int value) { QualityLabel->setText(QString::number(value)); });
    QualityLabel->setText(QString::number(Quality->value()));
    QualityLabel->setMinimumWidth(QualityLabel->fontMetrics().horizontalAdvance(QStringLiteral("100")));

    KeyFrames = new QCheckBox(QStringLiteral("Key frame every"), this);
    KeyFrames->setObjectName(QStringLiteral("KeyFrames"));
    KeyFrames->setChecked(options.CompressFlags & AVICOMPRESSF_KEYFRAMES);
    KeyFrameEvery = new QSpinBox(this);
    KeyFrameEvery->setObjectName(QStringLiteral("KeyFrameEvery"));
    KeyFrameEvery->setRange(1, 10000);
    KeyFrameEvery->setSuffix(QStringLiteral(" frames"));
    KeyFrameEvery->setValue(std::max(1, options.KeyFrameEvery));

    DataRate = new QCheckBox(QStringLiteral("Data rate"), this);
    DataRate->setObjectName(QStringLiteral("DataRate"));
    DataRate->setChecked(options.CompressFlags & AVICOMPRESSF_DATARATE);
    KilobytesPerSecond = new QSpinBox(this);
    KilobytesPerSecond->setObjectName(QStringLiteral("KilobytesPerSecond"));
    KilobytesPerSecond->setRange(1, 2000000);
    KilobytesPerSecond->setSuffix(QStringLiteral(" KB/sec"));
    KilobytesPerSecond->setValue(Kilobytes(options.BytesPerSecond));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Compressor:"), CodecList);
    form->addRow(QString(), CodecNote);
    auto *quality = new QHBoxLayout;
    quality->addWidget(Quality, 1);
    quality->addWidget(QualityLabel);
    form->addRow(QStringLiteral("Compression Quality:"), quality);
    form->addRow(KeyFrames, KeyFrameEvery);
    form->addRow(DataRate, KilobytesPerSecond);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!m_codecs.empty());

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(CodecList, &QComboBox::currentIndexChanged, this, &TCodecOptionsDialog::CodecChanged);
    connect(KeyFrames, &QCheckBox::toggled, this, &TCodecOptionsDialog::UpdateEnabling);
    connect(DataRate, &QCheckBox::toggled, this, &TCodecOptionsDialog::UpdateEnabling);

    // The codec of the options, else the first one this machine has.
    const QByteArray handler = NormalizedHandler(options.Handler.toLatin1());
    const auto chosen = std::find_if(m_codecs.begin(), m_codecs.end(),
        [&handler](const TCodecInfo &codec) { return codec.Handler == handler; });
    CodecList->setCurrentIndex(chosen != m_codecs.end() ? int(chosen - m_codecs.begin()) : 0);
    CodecChanged();
}

const TCodecInfo *TCodecOptionsDialog::SelectedCodec() const
{
    const int index = CodecList->currentIndex();
    return index >= 0 && index < int(m_codecs.size()) ? &m_codecs[std::size_t(index)] : nullptr;
}

void TCodecOptionsDialog::CodecChanged()
{
    const TCodecInfo *codec = SelectedCodec();
    CodecNote->setText(codec ? codec->Note : QStringLiteral("No codec is available on this machine."));
    UpdateEnabling();
}

void TCodecOptionsDialog::UpdateEnabling()
{
    const TCodecInfo *codec = SelectedCodec();
    const bool quality = codec && codec->HasQuality;
    const bool keyFrames = codec && codec->HasKeyFrames;
    const bool dataRate = codec && codec->HasDataRate;
    Quality->setEnabled(quality);
    QualityLabel->setEnabled(quality);
    KeyFrames->setEnabled(keyFrames);
    KeyFrameEvery->setEnabled(keyFrames && KeyFrames->isChecked());
    DataRate->setEnabled(dataRate);
    KilobytesPerSecond->setEnabled(dataRate && DataRate->isChecked());
}

TAVICompressorOptions TCodecOptionsDialog::Options() const
{
    TAVICompressorOptions options = m_options;
    if (const TCodecInfo *codec = SelectedCodec())
        options.Handler = QString::fromLatin1(codec->Handler);
    // A setting left alone keeps its exact value; the controls round it for display.
    if (Quality->value() != QualityPercent(m_options.Quality))
        options.Quality = Quality->value() * 100;
    if (KilobytesPerSecond->value() != Kilobytes(m_options.BytesPerSecond))
        options.BytesPerSecond = KilobytesPerSecond->value() * BytesPerKilobyte;
    options.KeyFrameEvery = KeyFrameEvery->value();
    options.CompressFlags &= ~(AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_DATARATE);
    if (KeyFrames->isChecked())
        options.CompressFlags |= AVICOMPRESSF_KEYFRAMES;
    if (DataRate->isChecked())
        options.CompressFlags |= AVICOMPRESSF_DATARATE;
    return options;
}

} // namespace velmora
