#pragma once

#include <QLabel>
#include <QTimer>

namespace velmora {

class TDocument;

// The status bar's font warning: font names no installed family matches and characters no
// installed font can draw, the same warnings velmora-cli info prints. It follows the
// document's edits, checked once the edits of a moment are done.
class TFontWarningPanel final : public QLabel
{
public:
    TFontWarningPanel(TDocument &document, QWidget *parent);

    // Checks the project now (tests and a freshly opened file need not wait).
    void Update();

private:
    TDocument &m_document;
    QTimer m_timer;
};

} // namespace velmora
