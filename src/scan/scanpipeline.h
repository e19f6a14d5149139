#pragma once
// A folder scan's workers: items fed in search order while the search runs,
// analysed by several threads at once, their outcomes handed back in search
// order on the thread that runs the scan. Shared by the command line and the
// window; knows nothing of printing, reports or widgets.

#include "search/batchscan.h"

#include <QHash>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

namespace kelvaron {

/// One file for the workers: a FILE argument or a match of a folder's search.
struct ScanItem {
  QString path;             ///< as given, or as the search found it
  bool fromFolder = false;  ///< a match of a search: a folder there is skipped
  FoundEntry entry;         ///< what the search knew of a match
  /// Items with the same non-empty key finish in feed order: a later one
  /// waits for the earlier before it puts its result in place (the report
  /// path, so of two same-named assemblies the later one's report stays).
  QString key;
};

/// How far a scan has come; each count only grows.
struct ScanCounts {
  std::int64_t found = 0;     ///< items fed so far
  std::int64_t analysed = 0;  ///< items whose job has ended
  std::int64_t failures = 0;  ///< jobs that said they failed
};

class ScanPipelineBase;

/// What a job may ask of the scan while it runs on a worker. One per item.
class ScanTurn {
 public:
  /// False once the scan is asked to stop: a job's yield hook.
  bool goOn() const;
  /// Waits until every earlier item has been handed back, so the job may
  /// write where the delivery writes. False when the scan stopped first.
  bool waitForHead();
  /// Counts `bytes` the job is about to hold (the file it reads); waits while
  /// the items not yet handed back hold more than the budget, unless this
  /// item is next. Once per job.
  void admit(std::size_t bytes);
  /// Waits until the earlier item with the same key has ended.
  void waitForEarlier();
  /// What the outcome holds until it is handed back (gathered output).
  void keep(std::size_t bytes) { m_kept = bytes; }
  /// Counts the item as a failure in the progress counts.
  void setFailed() { m_failed = true; }
  std::size_t index() const { return m_index; }

 private:
  friend class ScanPipelineBase;
  ScanTurn(ScanPipelineBase& pipeline, std::size_t index, std::ptrdiff_t earlier)
      : m_pipeline(pipeline), m_index(index), m_earlier(earlier) {}
  ScanPipelineBase& m_pipeline;
  std::size_t m_index;
  std::ptrdiff_t m_earlier;
  std::size_t m_admitted = 0;
  std::size_t m_kept = 0;
  bool m_failed = false;
};

/// The outcome-free part of ScanPipeline: threads, order, memory and stop.
class ScanPipelineBase {
 public:
  /// Hands one item to the workers; called by a feed on the scan's thread.
  using Add = std::function<void(ScanItem item)>;
  /// Calls its argument for every item, in order; the analyses start while it runs.
  using Feed = std::function<void(const Add& add)>;

  ScanPipelineBase(const ScanPipelineBase&) = delete;
  ScanPipelineBase& operator=(const ScanPipelineBase&) = delete;

  /// The counts as they stand; safe from any thread, also during run().
  ScanCounts counts() const;
  /// Whether the stop predicate has answered true.
  bool stopRequested() const;

 protected:
  /// `jobs` workers (at least one); items not yet handed back may hold
  /// `heldBudget` bytes together besides the next one; `stop` (optional) is
  /// asked often, from every thread, and once true ends the scan.
  ScanPipelineBase(int jobs, std::size_t heldBudget, std::function<bool()> stop);
  virtual ~ScanPipelineBase() = default;

  /// Runs the scan: false when it was stopped.
  bool runAll(const Feed& feed, const std::function<void()>& idle);
  /// Runs item `index` on a worker and stores its outcome (under m_mutex).
  virtual void runJob(const ScanItem& item, ScanTurn& turn) = 0;
  /// Hands item `index`'s outcome back, on the scan's thread, lock not held.
  virtual void deliver(std::size_t index, const ScanItem& item) = 0;
  /// Makes room for the outcome of a new item (under m_mutex).
  virtual void grow() = 0;

  std::mutex m_mutex;

 private:
  friend class ScanTurn;
  struct Slot {
    ScanItem item;
    std::ptrdiff_t earlier = -1;  // the nearest earlier item with the same key, else -1
    bool done = false;
    std::size_t kept = 0;
  };
  using Lock = std::unique_lock<std::mutex>;
  // Waits in bounded steps, so a stop is seen, until `ready` holds.
  template <class Ready>
  void waitUntil(std::condition_variable& cv, Lock& lock, const Ready& ready) {
    while (!ready() && !stopRequested()) cv.wait_for(lock, std::chrono::milliseconds(20));
  }
  bool isHead(std::size_t i) const { return !m_searching && m_delivered == i; }
  void work();

  int m_jobs;
  std::size_t m_heldBudget;
  std::function<bool()> m_stop;
  mutable std::atomic<bool> m_stopSeen{false};
  std::deque<Slot> m_slots;  // a deque keeps earlier slots in place while new ones are added
  std::condition_variable m_moved;    // an outcome was handed back, memory was given back, or a job ended
  std::condition_variable m_arrived;  // an item was added, or the search ended
  std::condition_variable m_allDone;  // the last worker has ended
  bool m_searching = true;            // outcomes wait until the search ends, so its messages come first
  std::size_t m_next = 0;             // the next item a worker takes
  std::size_t m_delivered = 0;        // items handed back; the next one is "the head"
  std::size_t m_held = 0;             // bytes held by items that are not the head
  int m_running = 0;
  std::atomic<std::int64_t> m_found{0};
  std::atomic<std::int64_t> m_analysed{0};
  std::atomic<std::int64_t> m_failures{0};
};

/// A scan whose jobs give an `Outcome` each.
///
///   ScanPipeline<FileOutcome> scan(jobs, budget, [&] { return stop.load(); });
///   scan.run(feed, [&](const ScanItem& item, ScanTurn& turn) { return analyse(item, turn); },
///            [&](const ScanItem& item, FileOutcome&& outcome) { show(item, outcome); });
template <class Outcome>
class ScanPipeline final : public ScanPipelineBase {
 public:
  /// Runs on a worker, several at once for different items.
  using Job = std::function<Outcome(const ScanItem& item, ScanTurn& turn)>;
  /// Runs on the scan's thread, once for each ended item, in feed order,
  /// after the feed has returned.
  using Deliver = std::function<void(const ScanItem& item, Outcome&& outcome)>;

  ScanPipeline(int jobs, std::size_t heldBudget, std::function<bool()> stop = {})
      : ScanPipelineBase(jobs, heldBudget, std::move(stop)) {}

  /// Runs `feed` on the calling thread while the workers run `job`, then
  /// hands every outcome to `deliver` in order. `idle` (optional) is called
  /// every few milliseconds while the scan waits for the next outcome. After
  /// a stop the items not yet ended are not handed back. False when stopped.
  bool run(const Feed& feed, Job job, Deliver deliver, const std::function<void()>& idle = {}) {
    m_job = std::move(job);
    m_deliver = std::move(deliver);
    return runAll(feed, idle);
  }

 private:
  void grow() override { m_outcomes.emplace_back(); }
  void runJob(const ScanItem& item, ScanTurn& turn) override {
    Outcome outcome = m_job(item, turn);
    std::lock_guard lock(m_mutex);
    m_outcomes[turn.index()].emplace(std::move(outcome));
  }
  void deliver(std::size_t index, const ScanItem& item) override {
    std::optional<Outcome> outcome;
    {
      std::lock_guard lock(m_mutex);
      outcome.swap(m_outcomes[index]);
    }
    if (outcome) m_deliver(item, std::move(*outcome));
  }

  Job m_job;
  Deliver m_deliver;
  std::deque<std::optional<Outcome>> m_outcomes;
};

}  // namespace kelvaron
