#pragma once

#include "controls/ColorSelectorFrame.h"

#include <QDialog>
#include <optional>

class QLineEdit;

namespace velmora {

// The colour a hex value names: "#RRGGBB" keeps alpha's opacity, "#AARRGGBB" sets its own;
// the "#" may be left out. Nothing for anything else.
std::optional<quint32> ParseHexColor(const QString &text, quint32 alpha);
// "#RRGGBB" for an opaque colour, "#AARRGGBB" otherwise.
QString HexColorText(quint32 color);

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
    // The hex field: shows the colour, and sets it when a value is typed.
    QLineEdit *HexEdit() const { return m_hex; }

    // Commits a field being typed in and reports the final colour, then closes.
    void done(int result) override;

Q_SIGNALS:
    // Every colour the selector reports, for callers that prefer a signal.
    void OnColorChange(quint32 AlphaColor);

private:
    void ApplyHex();

    TGDIPColorSelector *m_frame = nullptr;
    QLineEdit *m_hex = nullptr;
    TColorChangeEvent m_handler;
};

} // namespace velmora
