#pragma once
// Waiting for queued work in GoogleTest cases. Qt Test's QTRY_ macros only
// return from the function on failure, which GoogleTest would count as a pass.

#include <QDeadlineTimer>
#include <QTest>

namespace kelvaron::bomtest {

/// Runs the event loop until `condition` holds (true) or 20 s have passed (false).
template <typename Condition>
bool waitFor(Condition condition) {
  const QDeadlineTimer deadline(20000);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(5);
  }
  return true;
}

}  // namespace kelvaron::bomtest
