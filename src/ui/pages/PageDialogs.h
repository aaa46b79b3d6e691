#pragma once

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace velmora {

class TColorSelectorDialog;
class TMultilineEditor;

// The colour dialog opened on initial, reporting every colour picked to live.
std::unique_ptr<TColorSelectorDialog> MakeColorDialog(QWidget *parent, quint32 initial,
    std::function<void(quint32)> live);

// The multi-line editor with text loaded, reporting every change of its text to edited.
// It starts empty, so loading a non-empty text reports once.
std::unique_ptr<TMultilineEditor> MakeMultilineEditor(QWidget *parent, const QString &text,
    std::function<void(const QString &)> edited);

} // namespace velmora
