#pragma once
// The main window's controls as one table: the window is built from it and the
// tests walk it.

#include <QString>
#include <span>

class QWidget;

namespace kelvaron {

/// Window geometry unit: 15 twips to a pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;
constexpr int twipsToPixels(int twips) { return twips / kTwipsPerPixel; }

enum class ControlKind {
  Timer,
  Frame,          ///< panel: QGroupBox when it has a caption, else QFrame
  TextBox,        ///< QLineEdit
  Button,         ///< QPushButton
  PictureButton,  ///< QPushButton showing its icon above its caption
  Label,          ///< QLabel
  Picture,        ///< QLabel holding a pixmap
  ComboBox,       ///< editable QComboBox
  ListBox,        ///< QListWidget, not sorted
  DriveList,      ///< widgets::DriveListBox
  DirList,        ///< widgets::DirListBox
  FileList,       ///< widgets::FileListBox; the caption is its pattern
};

/// One control: geometry in twips inside its container; tab -1 for none.
struct ControlSpec {
  const char* name;
  ControlKind kind;
  const char* container;  ///< "" for the window itself
  const char* caption;
  int left, top, width, height;
  int tab;
  bool hidden;
};

/// One outline line of a panel, end points in twips in the panel's coordinates.
struct LineSpec {
  const char* name;
  const char* container;
  int x1, y1, x2, y2;
};

/// The controls in creation order.
std::span<const ControlSpec> form1Controls();
/// The outline lines of the browse and report-folder panels.
std::span<const LineSpec> form1Lines();

/// The window's client area as designed and its size at run time, in twips.
inline constexpr int kFormWidth = 8000;
inline constexpr int kFormHeight = 6885;

/// Creates every control of the tables on `form` (objectName = control name),
/// with geometry, captions, colours, pictures, tab order, stacking and start-up
/// visibility.
void createForm1Controls(QWidget* form);

}  // namespace kelvaron
