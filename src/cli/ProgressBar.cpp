#include "cli/ProgressBar.h"

#include <QString>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace velmora::cli {

TProgressBar::TProgressBar(int total, bool wanted) : m_total(std::max(0, total)), m_enabled(wanted && isatty(STDERR_FILENO))
{
    m_clock.start();
}

void TProgressBar::Update(int done)
{
    // Ten redraws a second are plenty and keep the terminal cheap.
    if (!m_enabled || (m_clock.elapsed() - m_lastDraw < 100 && done < m_total))
        return;
    m_lastDraw = m_clock.elapsed();
    Draw(done);
}

void TProgressBar::Draw(int done)
{
    constexpr int Width = 30;
    const double fraction = m_total > 0 ? std::min(1.0, double(done) / m_total) : 1.0;
    const int filled = int(fraction * Width);
    const double seconds = m_clock.elapsed() / 1000.0;
    const double fps = seconds > 0 ? done / seconds : 0.0;
    const int left = fps > 0 ? int((m_total - done) / fps + 0.5) : 0;
    const QString line = QStringLiteral("\r[%1%2] %3/%4 frames  %5 fps  %6:%7 left ")
                             .arg(QString(filled, QLatin1Char('#')), QString(Width - filled, QLatin1Char('.')))
                             .arg(done)
                             .arg(m_total)
                             .arg(fps, 0, 'f', 1)
                             .arg(left / 60)
                             .arg(left % 60, 2, 10, QLatin1Char('0'));
    std::fputs(qPrintable(line), stderr);
    std::fflush(stderr);
    m_drawn = true;
}

void TProgressBar::Finish()
{
    if (m_drawn) {
        std::fputs("\n", stderr);
        std::fflush(stderr);
    }
}

} // namespace velmora::cli
