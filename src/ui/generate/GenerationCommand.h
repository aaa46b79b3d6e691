#pragma once

#include "core/export/run/GenerationRun.h"

#include "core/export/avi/AVICompressor.h"
#include "core/export/formats/OutputFormats.h"
#include "ui/generate/GenerateRange.h"

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
// A job: it says how far it got and how it ended by signal, and whoever shows that listens.
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
    // Offers delivery next (the choice of an earlier session).
    void SetDelivery(const TDeliveryChoice &delivery) { m_delivery = delivery; }
    // The part of the roll and start timecode chosen last in this session.
    const TGenerateRange &Range() const { return m_range; }
    // The codec and settings chosen last in this session; the next run offers them.
    const TAVICompressorOptions &CodecChoice() const { return m_codecChoice; }

    // Stops the run after the frame it is writing; the file keeps the frames written.
    void Cancel() { m_cancel.store(true); }

Q_SIGNALS:
    // A run starts writing fileName over positions 0..range.
    void Started(const QString &fileName, int range);
    // Positions first..end are the run's part; position is reached; text says frames, speed and time left.
    void Progress(int first, int end, int position, const QString &text);
    // What the run says about its output (a data rate it cannot hold), with the file's name.
    void OutputNote(const QString &text);
    // The run is over, whatever its outcome.
    void Finished(const velmora::TGenerationResult &result);

private:
    TMain &m_main;
    QString m_outputFileName;
    TAVICompressorOptions m_codecChoice = DefaultCompressorOptions();
    TDeliveryChoice m_delivery;
    TGenerateRange m_range;
    std::atomic<bool> m_cancel{false};
};

} // namespace velmora
