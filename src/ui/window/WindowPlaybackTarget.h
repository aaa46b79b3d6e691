#pragma once

#include "ui/preview/Player.h"

namespace velmora {

class TMain;

// The preview of the main window as the player sees it: position, range and rates of the
// open project, frames shown through the window's own renderer.
class TWindowPlaybackTarget : public IPlaybackTarget
{
public:
    explicit TWindowPlaybackTarget(TMain &main) : m_main(main) {}
    int Position() const override;
    int PositionRange() const override;
    int ScrollRate() const override;
    int FrameRate() const override;
    bool CanPlay() const override;
    void ShowFrame(int position) override;

private:
    TMain &m_main;
};

} // namespace velmora
