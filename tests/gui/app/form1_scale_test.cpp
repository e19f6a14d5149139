// The window's texts at the desktop's scale (run at QT_SCALE_FACTOR 1, 1.5
// and 2): every caption fits its control as designed, in a readable size.

#include "app/form1controls.h"
#include "form1fixture.h"

#include <QGroupBox>
#include <QStyleOptionFrame>

using namespace kelvaron;
using namespace kelvaron::test;

namespace {

// The width a line edit gives its text: its contents less the margins it
// keeps at both ends and the cursor.
int lineEditRoom(QLineEdit* edit) {
  QStyleOptionFrame option;
  option.initFrom(edit);
  option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
  const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
  const QMargins margins = edit->textMargins();
  return contents.width() - margins.left() - margins.right() - 2 * 2 - 1;
}

}  // namespace

class Form1ScaleTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { isolateSettings(); }

  // Regression: "keine" was cut at 1.5, and the hour list was set in 7 pt.
  void captionsFitTheirControls() {
    Window w;
    w->show();
    w->cmd_file_Click();
    for (const ControlSpec& row : form1Controls()) {
      const QString caption = QString::fromUtf8(row.caption);
      auto* widget = w->findChild<QWidget*>(row.name);
      if (caption.isEmpty() || !widget || row.kind == ControlKind::FileList) continue;
      int room = widget->contentsRect().width();
      if (row.kind == ControlKind::Button) room -= 2 * widget->style()->pixelMetric(QStyle::PM_ButtonMargin);
      if (row.kind == ControlKind::TextBox) room = lineEditRoom(qobject_cast<QLineEdit*>(widget));
      if (row.kind == ControlKind::ComboBox) room = lineEditRoom(qobject_cast<QComboBox*>(widget)->lineEdit());
      if (qobject_cast<QGroupBox*>(widget)) room -= 12;  // the title's inset and padding
      const QFont font =
          row.kind == ControlKind::ComboBox ? qobject_cast<QComboBox*>(widget)->lineEdit()->font() : widget->font();
      QVERIFY2(QFontMetrics(font).horizontalAdvance(caption) <= room, row.name);
      if (row.kind != ControlKind::PictureButton) QVERIFY2(font.pointSizeF() >= 8.0, row.name);
    }
    // The hour list in the size of the box's text, and every hour fits the box.
    auto* hours = w->combo_zeit;
    QVERIFY(hours->view()->font().pointSizeF() >= 8.0);
    for (int i = 0; i < hours->count(); ++i)
      QVERIFY(QFontMetrics(hours->lineEdit()->font()).horizontalAdvance(hours->itemText(i)) <=
              lineEditRoom(hours->lineEdit()));
  }
};

QTEST_MAIN(Form1ScaleTest)
#include "form1_scale_test.moc"
