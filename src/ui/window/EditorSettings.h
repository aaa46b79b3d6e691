#pragma once

#include <QSettings>

namespace velmora {

struct TDeliveryChoice;

// The editor's settings file (recent projects, layout, view, last choices), per user.
QSettings EditorSettings();

// A delivery choice as the settings keep it, and back; a stored format no longer known gives
// the default choice.
void WriteDeliveryChoice(QSettings &settings, const TDeliveryChoice &choice);
TDeliveryChoice ReadDeliveryChoice(const QSettings &settings);

} // namespace velmora
