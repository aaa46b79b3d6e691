#pragma once

#include <QComboBox>

namespace velmora {

// Drop-down list of the font families the renderer can draw with.
class TGDIPFontCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit TGDIPFontCombo(QWidget *parent = nullptr);

    // Rebuilds the entries from the installed fonts.
    void FillFamilies();
    // The selected entry's text, or empty when nothing is selected.
    QString GetSelectedFamily() const;
    // Selects the entry equal to family ignoring letter case, without raising OnChange;
    // throws EVelmoraError when there is no such entry (the selection stays).
    void SelectFamily(const QString &family);

Q_SIGNALS:
    // Raised when the user picks an entry.
    void OnChange();
};

} // namespace velmora
