#pragma once

#include "core/export/AVICompressor.h"
#include "core/export/OutputFormats.h"

#include <QObject>
#include <QString>
#include <atomic>

namespace velmora {

class TMain;

// The Generate command of the main window: the output and codec choice, then a run that
// renders every frame through the window's own preview, so the video holds what the user watches.
class TGenerationCommand : public QObject
{
    Q_OBJECT
public:
    explicit TGenerationCommand(TMain &main);

    // Runs the command to its end; the window is back in its editing state when it returns.
    // A run that fails throws the error that names the file.
    void Execute();

    // The name the output dialog proposes next: the saved project's name, else the name the
    // dialog had last, with the extension of the chosen format.
    QString ProposedOutputName() const;
    // The format, codec, alpha, rate and scale chosen last in this session.
    const TDeliveryChoice &Delivery() const { return m_delivery; }
    // The codec and settings chosen last in this session; the next run offers them.
    const TAVICompressorOptions &CodecChoice() const { return m_codecChoice; }

private:
    TMain &m_main;
    QString m_outputFileName;
    TAVICompressorOptions m_codecChoice = DefaultCompressorOptions();
    TDeliveryChoice m_delivery;
    std::atomic<bool> m_cancel{false};
};

} // namespace velmora
