// The codec choice shown before a video is written.
#include "ui/generate/CodecOptionsDialog.h"

#include "core/error.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

using namespace velmora;

namespace {

// Selects the codec with this handler code; false when this machine lacks it.
bool Select(TCodecOptionsDialog &dialog, const QByteArray &handler)
{
    const std::vector<TFormatCodec> codecs = AvailableCodecs();
    for (std::size_t i = 0; i < codecs.size(); ++i)
        if (codecs[i].Handler == handler) {
            dialog.CodecList->setCurrentIndex(int(i));
            return true;
        }
    return false;
}

} // namespace

class GenerateCodecDialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsTheCodecsOfThisMachine()
    {
        const TCodecOptionsDialog dialog(DefaultCompressorOptions());
        const std::vector<TFormatCodec> codecs = AvailableCodecs();
        QCOMPARE(dialog.CodecList->count(), int(codecs.size()));
        QVERIFY(dialog.CodecList->findText(QStringLiteral("Cinepak (CVID)")) >= 0);
        QVERIFY(dialog.CodecList->findText(QStringLiteral("Uncompressed (DIB)")) >= 0);
        // The default codec is preselected with its note and the default settings.
        QCOMPARE(dialog.SelectedCodec()->Handler, QByteArray("CVID"));
        QCOMPARE(dialog.CodecNote->text(), dialog.SelectedCodec()->Note);
        QCOMPARE(dialog.Quality->value(), 50);
        QCOMPARE(dialog.KeyFrameEvery->value(), 18);
        QCOMPARE(dialog.KilobytesPerSecond->value(), 150);
        QVERIFY(dialog.KeyFrames->isChecked() && dialog.DataRate->isChecked());
    }

    void preselectsTheRememberedChoice_data()
    {
        QTest::addColumn<QString>("handler");
        QTest::addColumn<QByteArray>("selected");
        QTest::newRow("remembered") << "MJPG" << QByteArray("MJPG");
        QTest::newRow("lower case, unpadded") << "dib" << QByteArray("DIB ");
        QTest::newRow("unknown code: the first codec") << "ZZZZ" << AvailableCodecs().front().Handler;
    }
    void preselectsTheRememberedChoice()
    {
        QFETCH(QString, handler);
        QFETCH(QByteArray, selected);
        TAVICompressorOptions options = DefaultCompressorOptions();
        options.Handler = handler;
        const TCodecOptionsDialog dialog(options);
        QCOMPARE(dialog.SelectedCodec()->Handler, selected);
        QCOMPARE(dialog.Options().Handler, QString::fromLatin1(selected));
    }

    void enablesTheSettingsEachCodecTakes_data()
    {
        QTest::addColumn<QByteArray>("handler");
        QTest::addColumn<bool>("quality");
        QTest::addColumn<bool>("keyFrames");
        QTest::addColumn<bool>("dataRate");
        QTest::newRow("cinepak") << QByteArray("CVID") << true << true << true;
        QTest::newRow("motion jpeg") << QByteArray("MJPG") << true << false << false;
        QTest::newRow("ffv1") << QByteArray("FFV1") << false << true << false;
        QTest::newRow("mpeg-4") << QByteArray("FMP4") << true << true << true;
        QTest::newRow("uncompressed") << QByteArray("DIB ") << false << false << false;
    }
    void enablesTheSettingsEachCodecTakes()
    {
        QFETCH(QByteArray, handler);
        QFETCH(bool, quality);
        QFETCH(bool, keyFrames);
        QFETCH(bool, dataRate);
        TAVICompressorOptions options = DefaultCompressorOptions();
        options.Handler = QStringLiteral("H264");  // start elsewhere so the change is seen
        TCodecOptionsDialog dialog(options);
        if (!Select(dialog, handler))
            QSKIP("this codec is not available here");
        QCOMPARE(dialog.Quality->isEnabled(), quality);
        QCOMPARE(dialog.KeyFrames->isEnabled(), keyFrames);
        QCOMPARE(dialog.KeyFrameEvery->isEnabled(), keyFrames);
        QCOMPARE(dialog.DataRate->isEnabled(), dataRate);
        QCOMPARE(dialog.KilobytesPerSecond->isEnabled(), dataRate);
        QCOMPARE(dialog.CodecNote->text(), FindCodecByHandler(handler)->Note);
        // An unchecked setting is off, and its field with it.
        if (keyFrames) {
            dialog.KeyFrames->setChecked(false);
            QVERIFY(!dialog.KeyFrameEvery->isEnabled());
            QCOMPARE(dialog.Options().CompressFlags & AVICOMPRESSF_KEYFRAMES, 0u);
        }
    }

    void returnsTheChosenSettings()
    {
        TAVICompressorOptions options = DefaultCompressorOptions();
        options.Width = 320;
        options.Quality = 5050;  // left alone, kept exactly
        options.BytesPerSecond = 100000;
        TCodecOptionsDialog dialog(options);
        QVERIFY(Select(dialog, "MJPG"));
        TAVICompressorOptions chosen = dialog.Options();
        QCOMPARE(chosen.Handler, QStringLiteral("MJPG"));
        QCOMPARE(chosen.Quality, 5050);
        QCOMPARE(chosen.BytesPerSecond, 100000);
        QCOMPARE(chosen.Width, 320);

        dialog.Quality->setValue(80);
        dialog.KeyFrameEvery->setValue(25);
        dialog.KilobytesPerSecond->setValue(300);
        dialog.DataRate->setChecked(false);
        chosen = dialog.Options();
        QCOMPARE(chosen.Quality, 8000);
        QCOMPARE(chosen.KeyFrameEvery, 25);
        QCOMPARE(chosen.BytesPerSecond, 300 * 1024);
        QCOMPARE(chosen.CompressFlags & (AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_DATARATE), AVICOMPRESSF_KEYFRAMES);
        QCOMPARE(dialog.QualityLabel->text(), QStringLiteral("80"));
    }

    // Alpha is offered only where the codec's profile carries it; the rest follows the table.
    void theFormatChoiceOffersWhatEachFormatHas()
    {
        TDeliveryChoice start;
        start.Format = QStringLiteral("mov");
        start.Codec = QStringLiteral("prores");
        start.Profile = QStringLiteral("4444");
        start.Alpha = true;
        start.Rate = {30000, 1001};
        TDeliveryDialog dialog(start, 25);
        QVERIFY(dialog.Choice() == start);
        QVERIFY(dialog.Alpha->isEnabled());

        dialog.ProfileList->setCurrentIndex(dialog.ProfileList->findData(QStringLiteral("hq")));
        QVERIFY(!dialog.Alpha->isEnabled());
        QVERIFY(!dialog.Choice().Alpha);

        dialog.FormatList->setCurrentIndex(dialog.FormatList->findData(QStringLiteral("mp4")));
        QCOMPARE(dialog.CodecList->count(), 2);
        QCOMPARE(dialog.Choice().Codec, QStringLiteral("h264"));
        QVERIFY(!dialog.Alpha->isEnabled());

        dialog.FormatList->setCurrentIndex(dialog.FormatList->findData(QStringLiteral("avi")));
        QVERIFY(!dialog.CodecList->isEnabled());  // the codec dialog follows the file name
        dialog.RateList->setCurrentIndex(0);
        QCOMPARE(dialog.RateList->currentText(), QStringLiteral("Project (25)"));
        QCOMPARE(dialog.Choice().Rate.Num, 0);
        QCOMPARE(dialog.Choice().Format, QStringLiteral("avi"));
    }

    // An empty start timecode shows where the run starts: the project's start plus the in point,
    // as the run will label it; a typed one wins, and a format without timecode shows none.
    void showsTheRunStartFromTheProjectsStart()
    {
        TDeliveryChoice start;
        start.Format = QStringLiteral("mov");
        start.Codec = QStringLiteral("h264");
        TDeliveryDialog dialog(start, 25);
        TGenerateRange offered;
        offered.RollStart = QStringLiteral("01:00:00:00");
        dialog.SetRange(offered, 500);
        QCOMPARE(dialog.StartTimecode->placeholderText(), QStringLiteral("01:00:00:00"));
        QCOMPARE(RunTimecode(dialog.Range(), true, {25, 1}), QStringLiteral("01:00:00:00"));
        dialog.InPoint->setText(QStringLiteral("100"));
        dialog.OutPoint->setText(QStringLiteral("104"));
        QCOMPARE(dialog.StartTimecode->placeholderText(), QStringLiteral("01:00:04:00"));
        QCOMPARE(RunTimecode(dialog.Range(), true, {25, 1}), QStringLiteral("01:00:04:00"));
        dialog.StartTimecode->setText(QStringLiteral("05:00:00:00"));
        QCOMPARE(RunTimecode(dialog.Range(), true, {25, 1}), QStringLiteral("05:00:00:00"));
        dialog.StartTimecode->clear();
        dialog.FormatList->setCurrentIndex(dialog.FormatList->findData(QStringLiteral("mp4")));
        QCOMPARE(dialog.StartTimecode->placeholderText(), QStringLiteral("none"));
        QCOMPARE(RunTimecode(dialog.Range(), false, {25, 1}), QString());

        // A drop-frame start at a rate that cannot count it is refused before anything runs.
        offered.RollStart = QStringLiteral("01:00:00;00");
        TDeliveryDialog dropped(start, 25);
        dropped.SetRange(offered, 500);
        QVERIFY_THROWS_EXCEPTION(EVelmoraError, dropped.Range());
        dropped.RateList->setCurrentIndex(dropped.RateList->findData(QStringLiteral("30000/1001")));
        QCOMPARE(dropped.Range().RollStart, QStringLiteral("01:00:00;00"));
    }
};

QTEST_MAIN(GenerateCodecDialogTest)
#include "GenerateCodecDialog.moc"
