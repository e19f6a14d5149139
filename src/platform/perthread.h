#pragma once
// An object kept per thread: made on the thread's first use, destroyed when
// the thread ends, for worker threads of any kind (QThread, std::thread), and
// at exit for the thread that ends the program.
//
// Not a C++ thread_local with a destructor: MinGW-w64's emulated thread-local
// storage may be freed before those destructors run (a known fault of that
// toolchain), which corrupts the heap as a worker thread ends. Qt's thread
// storage holds a plain pointer and deletes the object itself, but only when
// a thread ends: the main thread's object would outlive the program unfreed,
// so the store's own end frees the object of the thread that runs it.

#include <QThreadStorage>

namespace kelvaron::platform {

// Not copyable, as its QThreadStorage is not.
template <typename T>
class PerThreadStore {
 public:
  ~PerThreadStore() {
    if (storage_.hasLocalData()) storage_.setLocalData(nullptr);  // deletes the object
  }

  T& local() {
    if (!storage_.hasLocalData()) storage_.setLocalData(new T());
    return *storage_.localData();
  }

 private:
  QThreadStorage<T*> storage_;
};

/// This thread's object of type `T` (one per type and thread), value-initialised on first use.
template <typename T>
T& perThread() {
  static PerThreadStore<T> store;
  return store.local();
}

}  // namespace kelvaron::platform
