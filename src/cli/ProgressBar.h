#pragma once

#include <QElapsedTimer>

namespace velmora::cli {

// A one-line progress bar on stderr (frames done / total, frames per second, time left),
// drawn only when stderr is a terminal.
class TProgressBar
{
public:
    TProgressBar(int total, bool wanted);
    void Update(int done);
    void Finish();

private:
    void Draw(int done);

    int m_total;
    bool m_enabled;
    bool m_drawn = false;
    QElapsedTimer m_clock;
    qint64 m_lastDraw = -1000;
};

} // namespace velmora::cli
