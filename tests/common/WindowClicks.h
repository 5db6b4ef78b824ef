#pragma once

#include <QTest>
#include <QWidget>

namespace kx12r {

// Pointer input where the window system would send it: to the widget on top at that point of
// the top-level window, whatever lies beneath it.
inline QWidget& WidgetOnTopAt(QWidget& widget, QPoint point_in_widget, QPoint* local) {
  QWidget& window = *widget.window();
  const QPoint point = widget.mapTo(&window, point_in_widget);
  QWidget* target = window.childAt(point);
  if (target == nullptr) target = &window;
  *local = target->mapFrom(&window, point);
  return *target;
}

// Moves the pointer over a point of `widget`, in its own pixels, from a pixel away: a pointer
// already resting there brings no move event. Returns the widget under the pointer.
inline QWidget* HoverOver(QWidget& widget, QPoint point_in_widget) {
  QPoint at;
  QWidget& target = WidgetOnTopAt(widget, point_in_widget, &at);
  QTest::mouseMove(&target, at + QPoint(1, 1));
  QTest::mouseMove(&target, at);
  return &target;
}

// A click at a point of `widget`; returns the widget that took it.
inline QWidget* ClickOver(QWidget& widget, QPoint point_in_widget, bool twice = false) {
  HoverOver(widget, point_in_widget);
  QPoint at;
  QWidget& target = WidgetOnTopAt(widget, point_in_widget, &at);
  QTest::mouseClick(&target, Qt::LeftButton, {}, at);
  if (twice) QTest::mouseDClick(&target, Qt::LeftButton, {}, at);
  return &target;
}

}  // namespace kx12r
