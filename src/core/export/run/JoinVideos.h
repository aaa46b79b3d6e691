#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// Puts video files rendered as consecutive slices of one roll (render --chunk) into one file
// without coding the frames again: each part's packets follow the previous part's last frame.
// The first part's timecode stays. Returns the frames written. Throws EExportError naming the
// part that cannot be read or does not match the first; the output appears only when whole.
int JoinVideos(const QStringList &parts, const QString &output);

} // namespace velmora
