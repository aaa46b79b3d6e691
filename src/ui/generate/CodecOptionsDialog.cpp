#include "ui/generate/CodecOptionsDialog.h"

#include "core/error.h"
#include "core/render/Timecode.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QSignalBlocker>
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
    for (const TFormatCodec &codec : m_codecs)
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
        [&handler](const TFormatCodec &codec) { return codec.Handler == handler; });
    CodecList->setCurrentIndex(chosen != m_codecs.end() ? int(chosen - m_codecs.begin()) : 0);
    CodecChanged();
}

const TFormatCodec *TCodecOptionsDialog::SelectedCodec() const
{
    const int index = CodecList->currentIndex();
    return index >= 0 && index < int(m_codecs.size()) ? &m_codecs[std::size_t(index)] : nullptr;
}

void TCodecOptionsDialog::CodecChanged()
{
    const TFormatCodec *codec = SelectedCodec();
    CodecNote->setText(codec ? codec->Note : QStringLiteral("No codec is available on this machine."));
    UpdateEnabling();
}

void TCodecOptionsDialog::UpdateEnabling()
{
    const TFormatCodec *codec = SelectedCodec();
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
    if (const TFormatCodec *codec = SelectedCodec())
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

TDeliveryDialog::TDeliveryDialog(const TDeliveryChoice &choice, int projectRate, QWidget *parent)
    : QDialog(parent), m_projectRate(projectRate)
{
    setWindowTitle(QStringLiteral("Generate"));
    setObjectName(QStringLiteral("DeliveryDialog"));
    FormatList = new QComboBox(this);
    FormatList->setObjectName(QStringLiteral("FormatList"));
    for (const TOutputFormat &format : OutputFormats())
        FormatList->addItem(format.Title, format.Name);
    CodecList = new QComboBox(this);
    CodecList->setObjectName(QStringLiteral("DeliveryCodecList"));
    ProfileList = new QComboBox(this);
    ProfileList->setObjectName(QStringLiteral("ProfileList"));
    Alpha = new QCheckBox(QStringLiteral("Without background (alpha)"), this);
    Alpha->setObjectName(QStringLiteral("Alpha"));
    RateList = new QComboBox(this);
    RateList->setObjectName(QStringLiteral("RateList"));
    RateList->addItem(QStringLiteral("Project (%1)").arg(projectRate), QString());
    for (const char *rate : {"24000/1001", "24", "25", "30000/1001", "30", "50", "60000/1001", "60"})
        RateList->addItem(QString::fromLatin1(rate), QString::fromLatin1(rate));
    Scale = new QSpinBox(this);
    Scale->setObjectName(QStringLiteral("Scale"));
    Scale->setRange(1, 8);
    Scale->setPrefix(QStringLiteral("x "));
    Note = new QLabel(this);
    Note->setObjectName(QStringLiteral("DeliveryNote"));
    Note->setWordWrap(true);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Format:"), FormatList);
    form->addRow(QStringLiteral("Codec:"), CodecList);
    form->addRow(QStringLiteral("Profile:"), ProfileList);
    form->addRow(QString(), Alpha);
    form->addRow(QStringLiteral("Frame rate:"), RateList);
    form->addRow(QStringLiteral("Scale:"), Scale);
    form->addRow(QString(), Note);
    // The part of the roll, shown once SetRange offers one.
    InPoint = new QLineEdit(this);
    InPoint->setObjectName(QStringLiteral("InPoint"));
    InPoint->setPlaceholderText(QStringLiteral("first frame"));
    OutPoint = new QLineEdit(this);
    OutPoint->setObjectName(QStringLiteral("OutPoint"));
    OutPoint->setPlaceholderText(QStringLiteral("last frame"));
    StartTimecode = new QLineEdit(this);
    StartTimecode->setObjectName(QStringLiteral("StartTimecode"));
    StartTimecode->setPlaceholderText(QStringLiteral("place in the roll"));
    StartTimecode->setToolTip(QStringLiteral("Timecode of the first frame written, for QuickTime and MXF files and DPX and "
                                             "OpenEXR sequences; HH:MM:SS;FF is drop-frame, at 29.97 and 59.94 only"));
    RangeNote = new QLabel(this);
    RangeNote->setObjectName(QStringLiteral("RangeNote"));
    RangeNote->setWordWrap(true);
    for (QLineEdit *point : {InPoint, OutPoint})
        point->setToolTip(QStringLiteral("A frame number or HH:MM:SS:FF at the file's rate; both included. Empty: from "
                                         "the start, to the end"));
    form->addRow(QStringLiteral("In:"), InPoint);
    form->addRow(QStringLiteral("Out:"), OutPoint);
    form->addRow(QStringLiteral("Start timecode:"), StartTimecode);
    form->addRow(QString(), RangeNote);
    for (QWidget *row : {static_cast<QWidget *>(InPoint), static_cast<QWidget *>(OutPoint),
                         static_cast<QWidget *>(StartTimecode), static_cast<QWidget *>(RangeNote)})
        form->setRowVisible(row, false);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    const int format = FormatList->findData(choice.Format);
    FormatList->setCurrentIndex(std::max(format, 0));
    FillCodecs(choice.Codec);
    FillProfiles(choice.Profile);
    Alpha->setChecked(choice.Alpha);
    const int rate = choice.Rate.Num > 0 ? RateList->findData(choice.Rate.Text()) : 0;
    RateList->setCurrentIndex(std::max(rate, 0));
    Scale->setValue(std::max(1, choice.Scale));
    UpdateEnabling();

    connect(FormatList, &QComboBox::currentIndexChanged, this, [this] {
        FillCodecs(QString());
        FillProfiles(QString());
        UpdateEnabling();
    });
    connect(CodecList, &QComboBox::currentIndexChanged, this, [this] {
        FillProfiles(QString());
        UpdateEnabling();
    });
    connect(ProfileList, &QComboBox::currentIndexChanged, this, &TDeliveryDialog::UpdateEnabling);
    connect(FormatList, &QComboBox::currentIndexChanged, this, &TDeliveryDialog::ShowRunStart);
    connect(RateList, &QComboBox::currentIndexChanged, this, &TDeliveryDialog::ShowRunStart);
    connect(InPoint, &QLineEdit::textChanged, this, &TDeliveryDialog::ShowRunStart);
    connect(OutPoint, &QLineEdit::textChanged, this, &TDeliveryDialog::ShowRunStart);
}

void TDeliveryDialog::ShowRunStart()
{
    const TOutputFormat *format = SelectedFormat();
    QString shown = QStringLiteral("none");
    try {
        TGenerateRange range;
        const TFrameRate rate = FileRate();
        range.First = ParseRollPoint(InPoint->text(), rate, QStringLiteral("In"), 0);
        range.Last = ParseRollPoint(OutPoint->text(), rate, QStringLiteral("Out"), -1);
        range.RollStart = m_rollStart;
        if (const QString start = RunTimecode(range, format != nullptr && format->Timecode, rate); !start.isEmpty())
            shown = start;
    } catch (const EVelmoraError &) {
        // The note says what is wrong once OK is pressed; until then the entry shows nothing computed.
        shown = QStringLiteral("place in the roll");
    }
    StartTimecode->setPlaceholderText(shown);
}

const TOutputFormat *TDeliveryDialog::SelectedFormat() const
{
    return FindFormat(FormatList->currentData().toString());
}

const TFormatCodec *TDeliveryDialog::SelectedCodec() const
{
    const TOutputFormat *format = SelectedFormat();
    return format && format->Kind != TSinkKind::Avi ? FindCodec(*format, CodecList->currentData().toString()) : nullptr;
}

const TCodecProfile *TDeliveryDialog::SelectedProfile() const
{
    const TFormatCodec *codec = SelectedCodec();
    return codec ? FindProfile(*codec, ProfileList->currentData().toString()) : nullptr;
}

void TDeliveryDialog::FillCodecs(const QString &wanted)
{
    const QSignalBlocker blocker(CodecList);
    CodecList->clear();
    const TOutputFormat *format = SelectedFormat();
    if (format && format->Kind != TSinkKind::Avi)
        for (const TFormatCodec &codec : format->Codecs)
            CodecList->addItem(codec.Title, codec.Name);
    CodecList->setCurrentIndex(std::max(0, CodecList->findData(wanted)));
}

void TDeliveryDialog::FillProfiles(const QString &wanted)
{
    const QSignalBlocker blocker(ProfileList);
    ProfileList->clear();
    if (const TFormatCodec *codec = SelectedCodec())
        for (const TCodecProfile &profile : codec->Profiles)
            ProfileList->addItem(profile.Title, profile.Name);
    ProfileList->setCurrentIndex(std::max(0, ProfileList->findData(wanted)));
}

void TDeliveryDialog::UpdateEnabling()
{
    const TOutputFormat *format = SelectedFormat();
    const bool avi = format && format->Kind == TSinkKind::Avi;
    CodecList->setEnabled(!avi && CodecList->count() > 1);
    ProfileList->setEnabled(!avi && ProfileList->count() > 1);
    const TCodecProfile *profile = SelectedProfile();
    const bool alpha = profile && profile->CarriesAlpha();
    Alpha->setEnabled(alpha);
    if (!alpha)
        Alpha->setChecked(false);
    Note->setText(avi ? QStringLiteral("The codec and its settings are chosen after the file name.")
                      : alpha ? QString()
                              : QStringLiteral("This codec carries no alpha channel."));
}

TDeliveryChoice TDeliveryDialog::Choice() const
{
    TDeliveryChoice choice;
    if (const TOutputFormat *format = SelectedFormat())
        choice.Format = format->Name;
    choice.Codec = CodecList->currentData().toString();
    choice.Profile = ProfileList->currentData().toString();
    choice.Alpha = Alpha->isEnabled() && Alpha->isChecked();
    const QString rate = RateList->currentData().toString();
    if (rate.isEmpty() || !ParseFrameRate(rate, choice.Rate))
        choice.Rate = {0, 1};
    choice.Scale = Scale->value();
    return choice;
}

TFrameRate TDeliveryDialog::FileRate() const
{
    const TDeliveryChoice choice = Choice();
    return choice.Rate.Num > 0 ? choice.Rate : TFrameRate{std::max(1, m_projectRate), 1};
}

void TDeliveryDialog::SetRange(const TGenerateRange &range, int frameCount)
{
    m_frameCount = frameCount;
    const int base = TimecodeBase(FileRate());
    InPoint->setText(range.First > 0 ? FormatTimecode(range.First, base) : QString());
    OutPoint->setText(range.Last >= 0 ? FormatTimecode(range.Last, base) : QString());
    StartTimecode->setText(range.Timecode);
    m_rollStart = range.RollStart;
    ShowRunStart();
    RangeNote->setText(QStringLiteral("The roll has %1 frames (%2).").arg(frameCount).arg(FormatTimecode(frameCount, base)));
    auto *form = findChild<QFormLayout *>();
    for (QWidget *row : {static_cast<QWidget *>(InPoint), static_cast<QWidget *>(OutPoint),
                         static_cast<QWidget *>(StartTimecode), static_cast<QWidget *>(RangeNote)})
        form->setRowVisible(row, true);
}

TGenerateRange TDeliveryDialog::Range() const
{
    TGenerateRange range;
    const TFrameRate rate = FileRate();
    range.First = ParseRollPoint(InPoint->text(), rate, QStringLiteral("In"), 0);
    range.Last = ParseRollPoint(OutPoint->text(), rate, QStringLiteral("Out"), -1);
    range.Timecode = StartTimecode->text().trimmed();
    range.RollStart = m_rollStart;
    if (const TOutputFormat *format = SelectedFormat(); format != nullptr && m_frameCount >= 0)
        RunTimecode(range, format->Timecode, rate);  // throws for a project's start the file's rate cannot count
    if (const QString refusal = GenerateRangeRefusal(range, std::max(0, m_frameCount), rate);
        m_frameCount >= 0 && !refusal.isEmpty())
        throw EVelmoraError(refusal);
    return range;
}

void TDeliveryDialog::accept()
{
    if (m_frameCount >= 0) {
        try {
            Range();
        } catch (const EVelmoraError &error) {
            RangeNote->setText(error.message());
            RangeNote->setStyleSheet(QStringLiteral("color: #b00000"));
            return;
        }
    }
    QDialog::accept();
}

} // namespace velmora
