#include "scan/filescan.h"
#include "scan/scanpipeline.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <random>
#include <thread>
#include <tuple>
#include <vector>

using kelvaron::ScanItem;
using kelvaron::ScanPipeline;
using kelvaron::ScanPipelineBase;
using kelvaron::ScanTurn;

namespace {

using namespace std::chrono_literals;

ScanItem item(int i, const QString& key = {}) { return {QString::number(i), false, {}, key}; }

// Feeds `n` items, item i keyed by keys[i % keys.size()] when keys are given.
ScanPipelineBase::Feed feedOf(int n, const QStringList& keys = {}) {
  return [n, keys](const ScanPipelineBase::Add& add) {
    for (int i = 0; i < n; ++i) add(item(i, keys.isEmpty() ? QString() : keys[i % keys.size()]));
  };
}

// Jobs that end in a random order still come back in feed order, each once,
// with counts that add up; every third job fails.
TEST(ScanPipeline, OutcomesComeBackInFeedOrder) {
  const std::tuple<int, int> cases[] = {{1, 0}, {1, 5}, {2, 1}, {2, 50}, {4, 200}, {8, 3}};
  for (const auto& [jobs, n] : cases) {
    ScanPipeline<int> pipeline(jobs, 1 << 20);
    std::vector<int> seen;
    const bool finished = pipeline.run(
        feedOf(n),
        [](const ScanItem& it, ScanTurn& turn) {
          thread_local std::minstd_rand random(std::hash<std::thread::id>()(std::this_thread::get_id()));
          std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
          const int i = it.path.toInt();
          if (i % 3 == 2) turn.setFailed();
          return i;
        },
        [&](const ScanItem& it, int&& outcome) {
          EXPECT_EQ(it.path.toInt(), outcome);
          seen.push_back(outcome);
        });
    EXPECT_TRUE(finished);
    std::vector<int> expected(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) expected[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(seen, expected) << jobs << " jobs";
    const kelvaron::ScanCounts counts = pipeline.counts();
    EXPECT_EQ(counts.found, n);
    EXPECT_EQ(counts.analysed, n);
    EXPECT_EQ(counts.failures, n / 3);
  }
}

// Items of one key put their result in place in feed order, whatever order
// the workers take them in; other keys are not held back by them.
TEST(ScanPipeline, ItemsOfOneKeyEndInFeedOrder) {
  std::mutex mutex;
  QHash<QString, QList<int>> committed;
  ScanPipeline<int> pipeline(4, 1 << 20);
  pipeline.run(
      feedOf(60, {"a", "b", "", "a", "c"}),
      [&](const ScanItem& it, ScanTurn& turn) {
        const int i = it.path.toInt();
        // Earlier items of a key take longest, so a worker would overtake them.
        std::this_thread::sleep_for(std::chrono::microseconds((60 - i) * 40));
        turn.waitForEarlier();
        std::lock_guard lock(mutex);
        committed[it.key].append(i);
        return i;
      },
      [](const ScanItem&, int&&) {});
  for (const char* key : {"a", "b", "c"}) {
    QList<int> sorted = committed[key];
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(committed[key], sorted) << key;
  }
  EXPECT_EQ(committed["a"].size(), 24);
}

// A job that waits for its turn finds every earlier outcome handed back.
TEST(ScanPipeline, HeadWaitsForEveryEarlierDelivery) {
  std::atomic<int> delivered{0};
  ScanPipeline<bool> pipeline(4, 1 << 20);
  std::vector<bool> inTurn;
  pipeline.run(
      feedOf(40),
      [&](const ScanItem& it, ScanTurn& turn) {
        const bool head = turn.waitForHead();
        return head && delivered.load() == it.path.toInt();
      },
      [&](const ScanItem&, bool&& ok) {
        inTurn.push_back(ok);
        ++delivered;
      });
  EXPECT_EQ(inTurn, std::vector<bool>(40, true));
}

// The bytes held by items not yet handed back stay within the budget; the
// next item is let through even when it alone is larger.
TEST(ScanPipeline, HeldBytesStayWithinTheBudget) {
  const std::tuple<std::size_t, std::size_t> cases[] = {{1000, 300}, {1000, 999}, {1000, 5000}};
  for (const auto& [budget, size] : cases) {
    std::mutex mutex;
    std::size_t held = 0, most = 0;
    ScanPipeline<int> pipeline(4, budget);
    pipeline.run(
        feedOf(30),
        [&, size = size](const ScanItem&, ScanTurn& turn) {
          turn.admit(size);
          {
            std::lock_guard lock(mutex);
            held += size;
            most = std::max(most, held);
          }
          std::this_thread::sleep_for(200us);
          turn.keep(size / 2);
          std::lock_guard lock(mutex);
          held -= size - size / 2;
          return 0;
        },
        [&, size = size](const ScanItem&, int&&) {
          std::lock_guard lock(mutex);
          held -= size / 2;
        });
    EXPECT_LE(most, std::max(budget, size) + size) << budget << " " << size;
    EXPECT_EQ(held, 0u);
  }
}

// A stop ends the feed's search and the running jobs, in either phase, well
// within a second; what comes back is a prefix of the items, in order, and a
// job cut short is told through goOn().
TEST(ScanPipeline, StopEndsSearchAndAnalysesWithinASecond) {
  enum Phase { WhileFeeding, WhileAnalysing };
  for (const Phase phase : {WhileFeeding, WhileAnalysing}) {
    std::atomic<bool> stop{false};
    ScanPipeline<int> pipeline(2, 1 << 20, [&] { return stop.load(); });
    std::vector<int> seen;
    std::chrono::steady_clock::time_point stoppedAt;
    std::thread stopper([&] {
      std::this_thread::sleep_for(100ms);
      stoppedAt = std::chrono::steady_clock::now();
      stop = true;
    });
    const bool finished = pipeline.run(
        [&](const ScanPipelineBase::Add& add) {
          // An endless search unless stopped; in the second phase a short one.
          for (int i = 0; phase == WhileFeeding ? !pipeline.stopRequested() : i < 4; ++i) {
            add(item(i));
            std::this_thread::sleep_for(1ms);
          }
        },
        [](const ScanItem& it, ScanTurn& turn) {
          // A long analysis that asks whether to go on, as a reader does. Timed by
          // the clock: a short sleep may return at once (mingw's rounds down to 0 ms).
          const auto until = std::chrono::steady_clock::now() + (it.path.toInt() < 2 ? 0s : 20s);
          while (std::chrono::steady_clock::now() < until && turn.goOn()) std::this_thread::sleep_for(1ms);
          return turn.goOn() ? it.path.toInt() : -1;
        },
        [&](const ScanItem&, int&& outcome) { seen.push_back(outcome); });
    const auto took = std::chrono::steady_clock::now() - stoppedAt;
    stopper.join();
    EXPECT_FALSE(finished);
    EXPECT_LT(took, 1s) << phase;
    ASSERT_GE(seen.size(), phase == WhileAnalysing ? 2u : 0u);
    for (std::size_t i = 0; i < seen.size(); ++i) {
      if (seen[i] < 0) continue;
      EXPECT_EQ(seen[i], static_cast<int>(i));
    }
  }
}

class FileScan : public ::testing::Test {
 protected:
  QString file(const QString& name, const QByteArray& bytes) {
    QFile f(m_dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return f.fileName();
  }
  kelvaron::FileScanSettings settings() {
    kelvaron::FileScanSettings s;
    s.reportFolder = m_out.path();
    s.date = QDate(2026, 1, 2);
    return s;
  }
  QStringList reports() const { return QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden); }
  QTemporaryDir m_dir, m_out;
};

// A file's report appears only when the file was fully analysed: a stop or an
// unreadable file leaves nothing behind, not even a temporary file.
TEST_F(FileScan, ReportOnlyForAFullAnalysis) {
  const QString good = file("motor.asm", "x 3 3 BOLT 3 4 y 3 3 NUT 3 4 z");
  const std::tuple<QString, bool, bool, QStringList> cases[] = {
      // path, the listener goes on, ends well, reports afterwards
      {good, true, true, {"motor__Kelvaron.txt"}},
      {good, false, false, {}},
      {m_dir.filePath("gone.asm"), true, false, {}},
  };
  for (const auto& [path, goOn, ok, expected] : cases) {
    QDir(m_out.path()).removeRecursively();
    QDir().mkpath(m_out.path());
    // Stops at the second name, as a stop request would.
    struct Listener : kelvaron::FileListener {
      bool goOn = true;
      int names = 0;
      void heading(std::string_view) override {}
      bool component(const kelvaron::ComponentView&) override { return goOn || ++names < 2; }
    } listener;
    listener.goOn = goOn;
    const kelvaron::FileOutcome outcome = kelvaron::analyseFile({path, false, {}, {}}, settings(), &listener);
    EXPECT_EQ(outcome.ok(), ok) << path.toStdString() << outcome.error.toStdString();
    EXPECT_EQ(outcome.stopped, !goOn);
    EXPECT_EQ(reports(), expected);
    EXPECT_EQ(outcome.reportPath.isEmpty(), expected.isEmpty());
  }
}

}  // namespace
