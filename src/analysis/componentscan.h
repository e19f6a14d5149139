#pragma once
// Finding the component records of an assembly in its bytes.

#include "platform/nametext.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <string_view>

namespace kelvaron {

/// Called now and then during long work so a window can serve its event queue.
/// Returning false asks the work to stop as soon as it can.
using YieldHook = std::function<bool()>;

/// One component record: the name as bytes of the file (Windows-1252; only
/// ASCII letters, digits, "_", "-" and the six German umlauts survive) and the
/// 1-based positions of its first byte and of the end bound.
struct Component {
  QByteArray name;
  std::int64_t nameStart = 0;
  std::int64_t end = 0;
  NameEncoding encoding = NameEncoding::Windows1252;

  QString text() const { return nameText(std::string_view(name.constData(), std::size_t(name.size())), encoding); }
  bool operator==(const Component&) const = default;
};

/// One component as the scan meets it; `name` is valid during the call only.
/// A name of the format reader has no position in the file: both are 0.
struct ComponentView {
  std::string_view name;
  std::int64_t nameStart = 0;
  std::int64_t end = 0;
  NameEncoding encoding = NameEncoding::Windows1252;

  QString text() const { return nameText(name, encoding); }
};

/// Receives each component in file order; returning false stops the scan.
using ComponentSink = std::function<bool(const ComponentView&)>;

/// Streams the component records of an assembly's bytes to `sink`, in file
/// order, holding no more than one name at a time.
/// Each record starts at a "3 3 " marker; the name runs from the byte after the
/// marker to the byte before the next "@model_type", else before the next
/// "3 4 ", else to the end, cut at the first space, CR or LF, with bytes other
/// than letters, digits, umlauts, "_" and "-" left out. Names whose first eight
/// characters are "ASSEMBLY" are skipped. Linear in the size of `bytes`.
/// `yield` is called about once per megabyte. Returns false when the sink or
/// the yield hook asked to stop.
bool scanComponents(std::string_view bytes, const ComponentSink& sink, const YieldHook& yield = {});

}  // namespace kelvaron
