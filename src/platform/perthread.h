#pragma once
// An object kept per thread: made on the thread's first use, destroyed when
// the thread ends, for worker threads of any kind (QThread, std::thread).
//
// Not a C++ thread_local with a destructor: MinGW-w64's emulated thread-local
// storage may be freed before those destructors run (a known fault of that
// toolchain), which corrupts the heap as a worker thread ends. Qt's thread
// storage holds a plain pointer and deletes the object itself.

#include <QThreadStorage>

namespace kelvaron::platform {

/// This thread's object of type `T` (one per type and thread), value-initialised on first use.
template <typename T>
T& perThread() {
  static QThreadStorage<T*> storage;
  if (!storage.hasLocalData()) storage.setLocalData(new T());
  return *storage.localData();
}

}  // namespace kelvaron::platform
