#include "platform/programio.h"

#include "platform/nativepath.h"
#include "platform/windowsnames.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <algorithm>
#include <string>
#endif

namespace kelvaron::platform {

#ifdef _WIN32

namespace {

HANDLE consoleOf(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}

UINT g_savedCodePage = 0;

void restoreCodePage() {
  if (g_savedCodePage != 0) ::SetConsoleOutputCP(g_savedCodePage);
}

}  // namespace

QStringList programArguments(int, char**) {
  QStringList args;
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!wide) return args;
  // Windows takes "/" and "\" alike; the arguments carry "\" only, so
  // paths are taken apart and shown one way ("C:/a/top.asm" is C:\a\top.asm).
  for (int i = 1; i < count; ++i) args.append(QString::fromWCharArray(wide[i]).replace(u'/', u'\\'));
  ::LocalFree(wide);
  return args;
}

void prepareStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  // Messages written with printf go to the console as UTF-8 bytes too; the
  // console's own code page comes back when the program ends.
  if ((consoleOf(stdout) || consoleOf(stderr)) && g_savedCodePage == 0) {
    g_savedCodePage = ::GetConsoleOutputCP();
    if (::SetConsoleOutputCP(CP_UTF8))
      std::atexit(restoreCodePage);
    else
      g_savedCodePage = 0;
  }
}

bool writeText(std::FILE* stream, std::string_view bytes) {
  const HANDLE console = consoleOf(stream);
  if (!console) return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
  static std::mutex lock;
  static std::map<HANDLE, std::string> held;  // the unfinished sequence of each console
  const std::lock_guard guard(lock);
  std::fflush(stream);
  std::string& pending = held[console];
  pending.append(bytes);
  const std::size_t whole = wholeUtf8Prefix(pending);
  const QString text = QString::fromUtf8(pending.data(), static_cast<qsizetype>(whole));
  pending.erase(0, whole);
  const auto* chars = reinterpret_cast<const wchar_t*>(text.utf16());
  qsizetype done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<qsizetype>(text.size() - done, 8192));
    if (!::WriteConsoleW(console, chars + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

#else

QStringList programArguments(int argc, char** argv) {
  QStringList args;
  for (int i = 1; i < argc; ++i) args.append(fromNativeBytes(argv[i]));
  return args;
}

void prepareStandardStreams() {}

bool writeText(std::FILE* stream, std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}

#endif

}  // namespace kelvaron::platform
