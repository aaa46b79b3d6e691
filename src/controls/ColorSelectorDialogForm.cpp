#include "controls/ColorSelectorDialogForm.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

namespace velmora {

std::optional<quint32> ParseHexColor(const QString &text, quint32 alpha)
{
    static const QRegularExpression pattern(QStringLiteral("^#?([0-9A-Fa-f]{6}|[0-9A-Fa-f]{8})$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QString digits = match.captured(1);
    const quint32 value = digits.toUInt(nullptr, 16);
    return digits.size() == 8 ? value : (alpha & 0xFF000000u) | value;
}

QString HexColorText(quint32 color)
{
    const bool opaque = (color >> 24) == 0xFF;
    return QStringLiteral("#%1").arg(opaque ? color & 0xFFFFFFu : color, opaque ? 6 : 8, 16, QLatin1Char('0')).toUpper();
}

TColorSelectorDialog::TColorSelectorDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Choose Color"));
    setFixedSize(321, 281);
    m_frame = new TGDIPColorSelector(this);
    m_frame->setObjectName(QStringLiteral("ColorSelector"));
    m_frame->move(0, 0);

    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("ButtonOk"));
    ok->setGeometry(158, 250, 75, 25);
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    cancel->setGeometry(240, 250, 75, 25);
    // A colour from a style guide or another program arrives as a hex value.
    m_hex = new QLineEdit(this);
    m_hex->setObjectName(QStringLiteral("HexValue"));
    m_hex->setGeometry(6, 250, 100, 25);
    m_hex->setPlaceholderText(QStringLiteral("#RRGGBB"));
    m_hex->setToolTip(QStringLiteral("The colour as #RRGGBB, or #AARRGGBB with its opacity"));
    connect(m_hex, &QLineEdit::editingFinished, this, &TColorSelectorDialog::ApplyHex);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    connect(m_frame, &TGDIPColorSelector::OnChange, this, [this](QObject *sender, quint32 color) {
        if (!m_hex->hasFocus())
            m_hex->setText(HexColorText(color));
        if (m_handler)
            m_handler(sender, color);
        Q_EMIT OnColorChange(color);
    });
}

void TColorSelectorDialog::SetColor(quint32 color)
{
    m_frame->SetColor(color);
    m_hex->setText(HexColorText(color));
}

void TColorSelectorDialog::ApplyHex()
{
    if (const auto color = ParseHexColor(m_hex->text(), m_frame->GetColor()))
        m_frame->SetColor(*color);
    else
        m_hex->setText(HexColorText(m_frame->GetColor())); // what cannot be read goes back
}

void TColorSelectorDialog::SetColorChangeHandler(TColorChangeEvent handler)
{
    m_handler = std::move(handler);
}

void TColorSelectorDialog::done(int result)
{
    // Taking the focus away commits an edit being typed in; the frame is then
    // asked directly as well, since focus changes need an active window.
    if (QWidget *focused = focusWidget())
        focused->clearFocus();
    m_frame->CommitEdits();
    m_frame->TimerUpdateTimer();
    QDialog::done(result);
}

} // namespace velmora
