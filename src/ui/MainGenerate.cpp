// The Generate command of the main window and the frame stepping it drives.
#include "ui/MainWindow.h"

#include "ui/GenerationCommand.h"

#include <QSignalBlocker>
#include <QSlider>

namespace velmora {

void TMain::ActGenerateFramesExecute()
{
    if (m_generation == nullptr)
        m_generation = new TGenerationCommand(*this);
    m_generation->Execute();
}

void TMain::ShowFrameAt(int position)
{
    // Without the slider's change event the frame is rendered once, and at this position even
    // when the render lowers the slider's range below it.
    const QSignalBlocker blocker(TrackBar);
    TrackBar->setValue(position);
    // A position asked for (a played or generated frame) wins over a pending scroll to the selection.
    m_showFocused = false;
    RenderFrame();
}

} // namespace velmora
