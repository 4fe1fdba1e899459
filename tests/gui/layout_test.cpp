// The Qt window as built from the layout table: every control where the
// table puts it, with its colours, fonts, design texts and tab order, and the
// labels drawn over the panel pictures.

#include <cstdlib>

#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/main_window/layout.h"
#include "gui_support.h"
#include "window/qt/qt_translations.h"

namespace fragtally::testing {
namespace {

QRect Pixels(const TwipRect& r) {
  return QRect(TwipsToPixels(r.Left), TwipsToPixels(r.Top), TwipsToPixels(r.Width), TwipsToPixels(r.Height));
}

// Where a control of the table is in the client area below the menu bar, in pixels.
QRect OnWindow(const ControlSpec& control) {
  QRect rect = Pixels(control.Rect);
  if (const ControlSpec* container = FindControl(control.Container)) rect.translate(Pixels(container->Rect).topLeft());
  return rect;
}

class WindowLayout : public ::testing::Test {
 protected:
  WindowFixture w;
};

TEST_F(WindowLayout, WindowHasItsCaptionFixedClientSizeAndIcon) {
  EXPECT_EQ(w.form.objectName(), "Form1");
  EXPECT_EQ(w.form.windowTitle(), "Fragtally by Morvel version 050");
  // The menu bar adds its height on top; the controls' area keeps its size.
  const QRect client = w.form.ClientArea();
  EXPECT_EQ(client.size(), QSize(545, 432));
  EXPECT_EQ(w.form.size(), QSize(545, client.top() + 432 + 27)) << "and the status line under the table's area";
  EXPECT_EQ(w.form.minimumSize(), w.form.size());
  EXPECT_EQ(w.form.maximumSize(), w.form.size());
  ASSERT_FALSE(w.form.windowIcon().isNull());
  EXPECT_EQ(w.form.windowIcon().pixmap(32, 32).size(), QSize(32, 32));
}

TEST_F(WindowLayout, EveryControlOfTheTableIsWhereTheTableSays) {
  std::size_t found = 0;
  for (const ControlSpec& control : Form1Controls()) {
    SCOPED_TRACE(control.Name);
    auto* widget = w.form.findChild<QWidget*>(QString::fromLatin1(control.Name));
    ASSERT_NE(widget, nullptr);
    ++found;
    EXPECT_EQ(QRect(widget->mapTo(&w.form, QPoint(0, 0)) - w.form.ClientArea().topLeft(), widget->size()),
              OnWindow(control));
    EXPECT_EQ(widget->parentWidget()->objectName(), control.Container);
  }
  EXPECT_EQ(found, 83u);
  for (const char* name : {"Frame1", "Frame2"}) {
    auto* frame = Control<QGroupBox>(w.form, name);
    EXPECT_EQ(frame->title(), QString::fromUtf8(FindControl(name)->DesignText));
    EXPECT_FALSE(frame->font().bold());
  }
  EXPECT_EQ(Control<QPushButton>(w.form, "Command1")->text(), "Занести новую статистику");
  EXPECT_EQ(Control<QPushButton>(w.form, "Command2")->text(), "Показать рейтинги");
  // The import button uses the panel labels' bold font, the ratings button the window's.
  EXPECT_TRUE(Control<QPushButton>(w.form, "Command1")->font().bold());
  EXPECT_DOUBLE_EQ(Control<QPushButton>(w.form, "Command1")->font().pointSizeF(), 8.25);
  EXPECT_FALSE(Control<QPushButton>(w.form, "Command2")->font().bold());

  auto* text2 = Control<QPlainTextEdit>(w.form, "Text2");
  EXPECT_EQ(text2->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_TRUE(text2->toPlainText().isEmpty());
}

TEST_F(WindowLayout, TheStatusLineLiesUnderTheTableAndShowsThePresentersText) {
  auto* status = Control<QLabel>(w.form, kStatusLineName);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->parentWidget(), &w.form);
  EXPECT_EQ(QRect(status->pos() - w.form.ClientArea().topLeft(), status->size()), Pixels(kStatusLineRect));
  EXPECT_GT(status->geometry().top(), Control<QPushButton>(w.form, "Command2")->geometry().bottom());
  EXPECT_LE(status->geometry().bottom(), w.form.rect().bottom());
  EXPECT_EQ(status->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(status->text(), "") << "empty until the first import";

  w.form.state().StatusLine = "Импорт в 21:15 занёс 2 игры из 1 игровой сессии, новых игроков: 2.";
  w.form.session().Refresh();
  EXPECT_EQ(status->text(), "Импорт в 21:15 занёс 2 игры из 1 игровой сессии, новых игроков: 2.");
}

TEST_F(WindowLayout, QtsOwnButtonsAndFileDialogSpeakRussian) {
  ASSERT_TRUE(InstallQtTranslations(*QCoreApplication::instance())) << "Qt's Russian translations are installed";
  QMessageBox question(QMessageBox::Question, "t", "q", QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(question.button(QMessageBox::Yes)->text().remove('&'), "Да");
  EXPECT_EQ(question.button(QMessageBox::No)->text().remove('&'), "Нет");
  QFileDialog dialog(nullptr, "t");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  auto* look_in = dialog.findChild<QLabel*>("lookInLabel");
  ASSERT_NE(look_in, nullptr);
  EXPECT_NE(look_in->text(), "Look in:");
  auto* file_name = dialog.findChild<QLabel*>("fileNameLabel");
  ASSERT_NE(file_name, nullptr);
  EXPECT_NE(file_name->text(), "File &name:");
}

TEST_F(WindowLayout, TraceBoxNeverCoversAPanelLabel) {
  w.form.show();
  auto* text2 = Control<QPlainTextEdit>(w.form, "Text2");
  EXPECT_FALSE(text2->isVisible());
  // It would: the box overlaps the damage rows of both panels.
  const QRect box = text2->geometry();
  bool overlaps = false;
  for (QLabel* label : w.form.findChildren<QLabel*>())
    if (label->objectName().startsWith("Label"))
      overlaps |= QRect(label->mapTo(&w.form, QPoint(0, 0)), label->size()).intersects(box);
  EXPECT_TRUE(overlaps);
}

TEST_F(WindowLayout, EveryPanelLabelHasItsColourFontAndDesignText) {
  int labels = 0;
  for (const ControlSpec& control : Form1Controls()) {
    if (control.Kind != ControlKind::Label) continue;
    SCOPED_TRACE(control.Name);
    auto* label = Control<QLabel>(w.form, control.Name);
    ASSERT_NE(label, nullptr);
    ++labels;
    EXPECT_EQ(label->text(), QString::fromUtf8(control.DesignText));
    EXPECT_EQ(label->palette().color(QPalette::WindowText),
              QColor(control.TextColour.Red, control.TextColour.Green, control.TextColour.Blue));
    EXPECT_FALSE(label->autoFillBackground());  // transparent over the picture
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(bool(label->alignment() & Qt::AlignHCenter), control.Align == TextAlign::Centre);
    const QFont font = label->font();
    EXPECT_TRUE(font.bold());
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.25);
    EXPECT_EQ(font.families().value(0), "MS Sans Serif");
    EXPECT_TRUE(font.families().contains("DejaVu Sans"));  // Cyrillic where that font is missing
  }
  EXPECT_EQ(labels, 74);
  EXPECT_EQ(w.form.findChildren<QLabel*>(QRegularExpression("^Label\\d+$")).size(), 74);
}

// Drawn as a person sees it: each label's text lies within its own box, and
// the labels of a panel show over its picture.
TEST_F(WindowLayout, RenderedLabelsShowTheirTextOverThePicture) {
  w.form.show();
  const QImage image = w.form.grab(w.form.ClientArea()).toImage();
  for (const char* name : {"Label4", "Label71", "Label34", "Label36"}) {
    SCOPED_TRACE(name);
    const ControlSpec* control = FindControl(name);
    const QRect box = OnWindow(*control);
    const QColor colour(control->TextColour.Red, control->TextColour.Green, control->TextColour.Blue);
    int inked = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
      for (int x = box.left(); x <= box.right(); ++x) {
        const QColor pixel = image.pixelColor(x, y);
        if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                std::abs(pixel.blue() - colour.blue()) < 60)
          ++inked;
      }
    EXPECT_GT(inked, 10) << "the caption's colour shows inside its box";
  }
}

TEST_F(WindowLayout, SelectorsArePlainDropDownListsOnButtonFace) {
  for (auto [frame, name] : {std::pair{"Frame1", "Combo1"}, std::pair{"Frame2", "Combo2"}}) {
    auto* combo = Control<QComboBox>(w.form, name);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->parentWidget()->objectName(), frame);
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(combo->count(), 0);
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->palette().color(QPalette::Base), combo->palette().color(QPalette::Button));
  }
}

TEST_F(WindowLayout, PicturesShowTheBuiltInPictureBehindTheLabels) {
  for (auto [frame, name] : {std::pair{"Frame1", "Image1"}, std::pair{"Frame2", "Image2"}}) {
    auto* picture = Control<QLabel>(w.form, name);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->pixmap().size(), QSize(240, 320));  // shown unscaled
    EXPECT_TRUE(picture->hasScaledContents());
    // Children are stacked in creation order: the picture is the lowest.
    auto* box = Control<QGroupBox>(w.form, frame);
    QList<QWidget*> stacked = box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    int picture_at = stacked.indexOf(picture);
    for (int i = 0; i < stacked.size(); ++i)
      if (qobject_cast<QLabel*>(stacked[i]) && stacked[i] != picture) {
        EXPECT_GT(i, picture_at);
      }
  }
  // Grey: the built-in picture has no colour cast worth the name.
  QImage image = Control<QLabel>(w.form, "Image1")->pixmap().toImage();
  QRgb middle = image.pixel(120, 160);
  EXPECT_LT(std::abs(qRed(middle) - qGreen(middle)), 12);
}

TEST_F(WindowLayout, TabOrderRunsImportTraceFirstPanelSecondPanelRatings) {
  std::vector<QString> order;
  QWidget* start = Control<QPushButton>(w.form, "Command1");
  QWidget* widget = start;
  do {
    if (widget->focusPolicy() & Qt::TabFocus) order.push_back(widget->objectName());
    widget = widget->nextInFocusChain();
  } while (widget != start && order.size() < 20);
  EXPECT_EQ(order, (std::vector<QString>{"Command1", "Text2", "Combo1", "Combo2", "Command2"}));
}

}  // namespace
}  // namespace fragtally::testing
