#include "scan/scanpipeline.h"

#include <thread>
#include <vector>

namespace kelvaron {

bool ScanTurn::goOn() const { return !m_pipeline.stopRequested(); }

bool ScanTurn::waitForHead() {
  ScanPipelineBase& p = m_pipeline;
  ScanPipelineBase::Lock lock(p.m_mutex);
  p.waitUntil(p.m_moved, lock, [&] { return p.isHead(m_index); });
  return p.isHead(m_index);
}

void ScanTurn::admit(std::size_t bytes) {
  ScanPipelineBase& p = m_pipeline;
  ScanPipelineBase::Lock lock(p.m_mutex);
  p.waitUntil(p.m_moved, lock, [&] { return p.isHead(m_index) || p.m_held + bytes <= p.m_heldBudget; });
  p.m_held += bytes;
  m_admitted += bytes;
}

void ScanTurn::waitForEarlier() {
  if (m_earlier < 0) return;
  ScanPipelineBase& p = m_pipeline;
  ScanPipelineBase::Lock lock(p.m_mutex);
  p.waitUntil(p.m_moved, lock, [&] { return p.m_slots[static_cast<std::size_t>(m_earlier)].done; });
}

ScanPipelineBase::ScanPipelineBase(int jobs, std::size_t heldBudget, std::function<bool()> stop)
    : m_jobs(std::max(jobs, 1)), m_heldBudget(heldBudget), m_stop(std::move(stop)) {}

ScanCounts ScanPipelineBase::counts() const {
  return {m_found.load(std::memory_order_relaxed), m_analysed.load(std::memory_order_relaxed),
          m_failures.load(std::memory_order_relaxed)};
}

bool ScanPipelineBase::stopRequested() const {
  if (m_stopSeen.load(std::memory_order_relaxed)) return true;
  if (!m_stop || !m_stop()) return false;
  m_stopSeen.store(true, std::memory_order_relaxed);
  return true;
}

void ScanPipelineBase::work() {
  for (;;) {
    Lock lock(m_mutex);
    waitUntil(m_arrived, lock, [&] { return m_next < m_slots.size() || !m_searching; });
    if (m_next >= m_slots.size() || stopRequested()) break;
    const std::size_t i = m_next++;
    // A deque's elements stay in place while others are appended.
    const ScanItem& item = m_slots[i].item;
    ScanTurn turn(*this, i, m_slots[i].earlier);
    lock.unlock();
    runJob(item, turn);
    lock.lock();
    m_slots[i].kept = turn.m_kept;
    m_held = m_held - turn.m_admitted + turn.m_kept;
    m_slots[i].done = true;
    m_analysed.fetch_add(1, std::memory_order_relaxed);
    if (turn.m_failed) m_failures.fetch_add(1, std::memory_order_relaxed);
    m_moved.notify_all();
  }
  std::lock_guard lock(m_mutex);
  if (--m_running == 0) m_allDone.notify_one();
}

bool ScanPipelineBase::runAll(const Feed& feed, const std::function<void()>& idle) {
  m_running = m_jobs;
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(m_jobs));
  for (int j = 0; j < m_jobs; ++j) pool.emplace_back([this] { work(); });

  QHash<QString, std::ptrdiff_t> lastWithKey;
  std::ptrdiff_t count = 0;
  feed([&](ScanItem item) {
    std::ptrdiff_t earlier = -1;
    if (!item.key.isEmpty()) {
      if (const auto it = lastWithKey.constFind(item.key); it != lastWithKey.cend()) earlier = *it;
      lastWithKey.insert(item.key, count);
    }
    ++count;
    {
      std::lock_guard lock(m_mutex);
      m_slots.push_back({std::move(item), earlier, false, 0});
      grow();
    }
    m_found.fetch_add(1, std::memory_order_relaxed);
    m_arrived.notify_one();
  });
  Lock lock(m_mutex);
  m_searching = false;
  const std::size_t n = m_slots.size();
  m_arrived.notify_all();
  m_moved.notify_all();

  // Each outcome goes back as soon as every one before it has. The workers do
  // not wake this thread for each item (thousands of small files would spend
  // more time switching than scanning); it looks every few milliseconds
  // instead, and at once when the last worker ends.
  while (m_delivered < n) {
    while (m_delivered < n && m_slots[m_delivered].done) {
      const std::size_t i = m_delivered;
      lock.unlock();
      deliver(i, m_slots[i].item);  // no slot is added any more: the reference stays valid
      lock.lock();
      m_held -= m_slots[i].kept;
      ++m_delivered;
      m_moved.notify_all();
    }
    if (m_delivered == n || (m_running == 0 && !m_slots[m_delivered].done)) break;  // all done, or stopped
    lock.unlock();
    if (idle) idle();
    lock.lock();
    if (m_running > 0) m_allDone.wait_for(lock, std::chrono::milliseconds(2));
  }
  lock.unlock();
  for (auto& t : pool) t.join();
  return !stopRequested();
}

}  // namespace kelvaron
