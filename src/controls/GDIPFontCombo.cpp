#include "controls/GDIPFontCombo.h"

#include "core/elements/FontFaces.h"
#include "core/error.h"

#include <QFontDatabase>

namespace velmora {

namespace {

// Names that fontconfig maps to metric-compatible installed families; the renderer
// draws with them, so they are offered like installed families.
const char *const CompatibleFamilies[] = {"Arial", "Times New Roman", "Courier New"};

} // namespace

TGDIPFontCombo::TGDIPFontCombo(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    setMaxVisibleItems(8);
    connect(this, &QComboBox::activated, this, [this] { Q_EMIT OnChange(); });
    FillFamilies();
}

void TGDIPFontCombo::FillFamilies()
{
    // Every family with its faces ("Liberation Sans Bold"): the renderer reads the suffix.
    QStringList families = FontFaceNames();
    for (const char *name : CompatibleFamilies) {
        const QString family = QString::fromLatin1(name);
        if (!families.contains(family, Qt::CaseInsensitive))
            for (const char *face : {"", " Bold", " Italic", " Bold Italic"})
                families.append(family + QLatin1String(face));
    }
    const QSignalBlocker block(this);
    clear();
    addItems(families);
    setCurrentIndex(-1);
}

QString TGDIPFontCombo::GetSelectedFamily() const
{
    return currentIndex() < 0 ? QString() : currentText();
}

void TGDIPFontCombo::SelectFamily(const QString &family)
{
    for (int index = 0; index < count(); ++index) {
        if (itemText(index).compare(family, Qt::CaseInsensitive) == 0) {
            setCurrentIndex(index);
            return;
        }
    }
    throw EVelmoraError(QStringLiteral("Font(%1) is not installed or is incompatible with GDI+").arg(family));
}

} // namespace velmora
