#include "ui/panels/DialogPlacement.h"

#include "ui/window/EditorContext.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace velmora {

void KeepClearOf(QWidget &dialog, const QRect &area)
{
    const QRect frame = dialog.frameGeometry();
    if (area.isEmpty() || !frame.intersects(area))
        return;
    const QScreen *screen = dialog.screen() != nullptr ? dialog.screen() : QGuiApplication::primaryScreen();
    const QRect room = screen != nullptr ? screen->availableGeometry() : area.united(frame);
    const QSize size = frame.size();
    constexpr int Gap = 8;
    // The dialog's top left in each place, kept level with the match where it can be.
    const auto level = [&](int y) { return std::clamp(y, room.top(), std::max(room.top(), room.bottom() - size.height())); };
    const auto across = [&](int x) { return std::clamp(x, room.left(), std::max(room.left(), room.right() - size.width())); };
    const QPoint places[] = {
        {area.right() + Gap, level(area.top())},
        {area.left() - Gap - size.width(), level(area.top())},
        {across(frame.left()), area.bottom() + Gap},
        {across(frame.left()), area.top() - Gap - size.height()},
    };
    for (const QPoint &place : places) {
        const QRect moved(place, size);
        if (room.contains(moved)) {
            dialog.move(dialog.pos() + (place - frame.topLeft()));
            return;
        }
    }
    // No side has room for all of it: the side with the most.
    const int right = room.right() - area.right();
    const int left = area.left() - room.left();
    const int below = room.bottom() - area.bottom();
    const int above = area.top() - room.top();
    const int most = std::max({right, left, below, above});
    QPoint place = most == right   ? QPoint(room.right() - size.width(), level(area.top()))
                   : most == left  ? QPoint(room.left(), level(area.top()))
                   : most == below ? QPoint(across(frame.left()), room.bottom() - size.height())
                                   : QPoint(across(frame.left()), room.top());
    dialog.move(dialog.pos() + (place - frame.topLeft()));
}

void KeepClearOfFocused(QWidget &dialog, TEditorContext &context)
{
    if (!dialog.isVisible())
        return;
    // The roll goes to the element now, so the dialog knows where it is drawn.
    context.LayOut();
    if (context.FocusedArea)
        KeepClearOf(dialog, context.FocusedArea());
}

} // namespace velmora
