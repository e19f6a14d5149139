// Objects kept per thread: one per thread, kept across uses, destroyed intact
// and once when the thread ends, for every kind of thread the readers run on,
// and at exit for the thread that ends the program.

#include "platform/perthread.h"

#include <QThread>
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace kelvaron::platform {
namespace {

std::atomic<int> g_made{0};
std::atomic<int> g_ended{0};
std::atomic<int> g_damaged{0};

// Holds heap memory, as the readers' buffers do, and checks at its end that
// its storage still holds what it was given.
struct Held {
  static constexpr unsigned kIntact = 0x5AFE5AFE;
  unsigned mark = kIntact;
  std::string text = std::string(4096, 'x');
  Held() { ++g_made; }
  ~Held() {
    if (mark != kIntact || text != std::string(4096, 'x')) ++g_damaged;
    mark = 0;
    ++g_ended;
  }
};

// Takes this thread's object three times: the same one each time.
bool usesOneObject() {
  Held* first = &perThread<Held>();
  first->text[0] = 'x';  // touches the heap buffer
  return &perThread<Held>() == first && &perThread<Held>() == first;
}

TEST(PerThread, OneObjectPerThreadDestroyedIntactWhenTheThreadEnds) {
  struct Case {
    const char* kind;
    std::function<void(const std::function<void()>&)> run;  // runs the work on a new thread and waits for its end
  } cases[] = {
      {"std::thread", [](const std::function<void()>& work) { std::thread(work).join(); }},
      {"QThread",
       [](const std::function<void()>& work) {
         QThread* thread = QThread::create(work);
         thread->start();
         thread->wait();
         delete thread;
       }},
  };
  constexpr int kThreads = 40;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    g_made = g_ended = g_damaged = 0;
    std::atomic<int> same{0};
    for (int i = 0; i < kThreads; ++i)
      c.run([&] {
        if (usesOneObject()) ++same;
      });
    EXPECT_EQ(same.load(), kThreads) << "each thread keeps its object across uses";
    EXPECT_EQ(g_made.load(), kThreads) << "one object per thread";
    // On Windows, Qt ends a std::thread's objects from a watcher thread shortly after the thread.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (g_ended.load() < kThreads && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(g_ended.load(), kThreads) << "every object ends with its thread";
    EXPECT_EQ(g_damaged.load(), 0) << "an object's storage was freed before its end";
  }
}

// Says on stderr that it ended, for a test that can only watch a process end.
struct EndsLoudly {
  ~EndsLoudly() { std::fputs("the exiting thread's object ended\n", stderr); }
};

// The main thread never ends as a thread: its object ends when the program
// exits, rather than being left to the operating system unfreed.
TEST(PerThreadDeathTest, TheExitingThreadsObjectEndsAtExit) {
  EXPECT_EXIT(
      {
        perThread<EndsLoudly>();
        std::exit(0);
      },
      testing::ExitedWithCode(0), "the exiting thread's object ended");
}

}  // namespace
}  // namespace kelvaron::platform
