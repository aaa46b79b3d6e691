#pragma once

#include "core/export/run/GenerationRun.h"

#include "core/export/avi/AVICompressor.h"
#include "core/export/formats/OutputFormats.h"

#include <QObject>
#include <QString>
#include <atomic>

namespace velmora {

class TMain;

// The progress bar's text during a run: percent, frames per second and the time left, from
// frames written in elapsedSeconds and the position reached of range.
QString GenerationProgressText(int framesWritten, double elapsedSeconds, int position, int range);
// What the window says when a run ends: file, frames, size (bytes < 0: not one file) and time;
// or, cancelled, the frames the file keeps. Empty for outcomes that say nothing.
QString GenerationEndMessage(const QString &fileName, const TGenerationResult &result, qint64 bytes, double seconds);

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
