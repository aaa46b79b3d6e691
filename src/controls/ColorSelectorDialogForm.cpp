#include "controls/ColorSelectorDialogForm.h"

#include <QPushButton>

namespace velmora {

TColorSelectorDialog::TColorSelectorDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Selector Color"));
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
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    connect(m_frame, &TGDIPColorSelector::OnChange, this, [this](QObject *sender, quint32 color) {
        if (m_handler)
            m_handler(sender, color);
        Q_EMIT OnColorChange(color);
    });
}

void TColorSelectorDialog::SetColor(quint32 color)
{
    m_frame->SetColor(color);
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
