#pragma once

#include "core/document/Document.h"
#include "core/export/avi/AVICompressor.h"
#include "core/export/formats/OutputFormats.h"
#include "ui/generate/GenerateRange.h"

#include <QString>
#include <functional>
#include <optional>

namespace velmora {

// Every question, message and file dialog of the editor, so tests can answer them.
class IEditorPrompts : public IDocumentPrompts
{
public:
    // The standard error box.
    virtual void ShowError(const QString &message) = 0;
    // A message box saying how something went.
    virtual void ShowInformation(const QString &message) = 0;
    // An image to load into an element or as the background; empty: cancelled.
    virtual QString ChooseImageFile() = 0;
    // The format, codec, alpha and rate of the next Generate, and the part of the roll of
    // frameCount frames it writes, changed in place; false: cancelled.
    virtual bool ChooseDelivery(TDeliveryChoice &choice, TGenerateRange &range, int projectRate, int frameCount) = 0;
    // The video to write, proposed is the suggested name; empty: cancelled.
    virtual QString ChooseOutputFile(const QString &proposed) = 0;
    // The codec and its settings for the video, changed in place; false: cancelled.
    virtual bool ChooseCodecOptions(TAVICompressorOptions &options) = 0;
    // The colour dialog opened on initial; live gets every colour picked while it is open.
    // The colour chosen with OK, or nothing when it was cancelled.
    virtual std::optional<quint32> ChooseColor(quint32 initial, const std::function<void(quint32)> &live) = 0;
    // The multi-line editor loaded with text; edited gets the whole text after every change.
    // True when it was closed with OK.
    virtual bool EditMultilineText(const QString &text, const std::function<void(const QString &)> &edited) = 0;
    // The starting point of a new project, a row of names; nothing when cancelled.
    virtual std::optional<int> ChooseProjectTemplate(const QStringList &names) = 0;
};

} // namespace velmora
