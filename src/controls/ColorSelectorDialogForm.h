#pragma once

#include "controls/ColorSelectorFrame.h"

#include <QDialog>

namespace velmora {

// Modal dialog around one colour selector; reports the final colour when it closes.
class TColorSelectorDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TColorSelectorDialog(QWidget *parent = nullptr);

    // Passes the colour to the selector.
    void SetColor(quint32 color);
    // Installs the handler called with every reported colour (replaces any earlier one).
    void SetColorChangeHandler(TColorChangeEvent handler);
    TGDIPColorSelector *Frame() const { return m_frame; }

    // Commits a field being typed in and reports the final colour, then closes.
    void done(int result) override;

Q_SIGNALS:
    // Every colour the selector reports, for callers that prefer a signal.
    void OnColorChange(quint32 AlphaColor);

private:
    TGDIPColorSelector *m_frame = nullptr;
    TColorChangeEvent m_handler;
};

} // namespace velmora
