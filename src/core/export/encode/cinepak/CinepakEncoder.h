#pragma once

#include "core/export/encode/VideoEncoder.h"
#include "core/export/encode/cinepak/CinepakStrip.h"

#include <vector>

namespace velmora {

// Velmora's own Cinepak encoder: 12-bit frames cut into strips, each with V1 and V4 codebooks
// trained on the strip's distinct vectors; inter frames keep unchanged blocks and send only the
// codebook entries that pay. Strips are coded side by side on the given threads.
class TCinepakEncoder final : public IVideoEncoder
{
public:
    // Throws EExportError for sizes the format cannot hold.
    explicit TCinepakEncoder(const TEncoderSettings &settings);

    void Encode(const QImage &frame, TPacketList &out) override;
    void Flush(TPacketList &) override {}
    void DescribeStream(avi::TStreamSetup &setup) const override;

    // The picture a decoder shows after the frames encoded so far, top-down Format_BGR888.
    QImage ShownFrame() const;

    // Squared error one bit is worth at a quality (below 0 when a data rate asks for it).
    static double LambdaFor(double quality);
    // How strips are coded at a quality.
    static cinepak::TStripPlan PlanFor(double quality);
    // The lowest data rate, in bytes per second, that frames of these settings can be held to
    // over a run; a lower cap is held at this one.
    static qint64 LowestHeldRate(const TEncoderSettings &settings);
    // Block rows of each strip for a quality and a coded height.
    static std::vector<int> StripRowsFor(int quality, int codedHeight);

private:
    void Convert(const QImage &frame, int firstPatchRow, int endPatchRow);
    QByteArray EncodeFrame(const QImage &frame, const cinepak::TStripPlan &plan);

    TEncoderSettings m_settings;
    int m_codedWidth;
    int m_codedHeight;
    std::vector<int> m_stripRows;              // block rows of each strip
    std::vector<cinepak::TPatch> m_patches;    // the frame in hand, patch rows of m_codedWidth / 2
    QImage m_previous;                         // the frame before, to find rows that did not change
    std::vector<cinepak::TStripState> m_strips;
    std::vector<cinepak::TStripScratch> m_scratch;  // one a thread
    int m_frameIndex = 0;
    // Data-rate control: bytes spent against bytes allowed, and the resulting correction.
    double m_spent = 0;
    double m_allowed = 0;
    double m_rateIntegral = 0;
};

// A warning when the settings' data rate cannot be held at their film size (it is then held at
// the lowest rate that can be), or leaves each frame far fewer bytes than a credit frame needs
// at the default quality (the picture then turns coarse); empty otherwise.
QString CinepakDataRateWarning(const TEncoderSettings &settings);

} // namespace velmora
