// Qt for the in-process tests: one offscreen QApplication, and pumping its events.
// (Kept apart from DisplayHost.h: Qt's application header declares X11's `Display`.)
#ifndef BRINDLE_TESTS_DISPLAY_DISPLAY_TEST_SUPPORT_H
#define BRINDLE_TESTS_DISPLAY_DISPLAY_TEST_SUPPORT_H

#include <functional>

namespace display_test {

// The offscreen application, made on the main thread before the first test.
void application();
// Handles the events pending now.
void pump_once();
// Handles events until `done` is true (true), or a generous deadline passes (false):
// a bound against hanging, not a measure of speed.
bool pump_until(const std::function<bool()> &done);
// Turns Qt's accessibility on or off, as a screen reader asking for it would: only while
// it is on does Qt send its accessibility events (QAccessible::updateAccessibility).
void set_accessibility_active(bool active);

}  // namespace display_test

#endif  // BRINDLE_TESTS_DISPLAY_DISPLAY_TEST_SUPPORT_H
