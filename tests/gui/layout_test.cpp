// The window as drawn: names, places, sizes, colours, fonts, design texts and
// tab order of every control, and the two panels as mirror copies.

#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "gui_support.h"

namespace fragtally::testing {
namespace {

QRect Twips(int left, int top, int width, int height) { return QRect(left / 15, top / 15, width / 15, height / 15); }

struct LabelRow {
  const char* first;
  const char* second;
  int left, top, width, height;
  QRgb colour;
  const char* text;
  bool centred;
};

const QRgb kWhite = qRgb(255, 255, 255), kYellow = qRgb(255, 255, 0), kCyan = qRgb(0, 255, 255),
           kGreen = qRgb(0, 255, 0), kRed = qRgb(255, 0, 0);

// Every label of a panel, in twips, as the window was drawn.
const LabelRow kLabels[] = {
    {"Label1", "Label74", 480, 960, 3135, 255, kWhite, "Stats for Morvel", false},
    {"Label2", "Label73", 480, 1320, 3135, 255, kWhite, "kills       deaths    suicides     frags", false},
    {"Label3", "Label72", 480, 1560, 735, 255, kCyan, "123456", false},
    {"Label31", "Label44", 1200, 1560, 735, 255, kCyan, "123456", true},
    {"Label32", "Label43", 2040, 1560, 735, 255, kCyan, "123456", true},
    {"Label33", "Label42", 2880, 1560, 735, 255, kCyan, "123456", true},
    {"Label4", "Label71", 480, 1920, 3135, 255, kWhite, "Accuracy info:", false},
    {"Label5", "Label70", 480, 2280, 855, 255, kYellow, "Gauntlet:", false},
    {"Label14", "Label61", 1440, 2280, 1455, 255, kWhite, "123455/5567890", false},
    {"Label6", "Label69", 480, 2520, 855, 255, kYellow, "Machine:", false},
    {"Label15", "Label60", 1440, 2520, 1455, 255, kWhite, "123455/5567890", false},
    {"Label23", "Label52", 3000, 2520, 615, 255, kCyan, "100%", false},
    {"Label7", "Label68", 480, 2760, 855, 255, kYellow, "Shotgun:", false},
    {"Label16", "Label59", 1440, 2760, 1455, 255, kWhite, "123455/5567890", false},
    {"Label24", "Label51", 3000, 2760, 615, 255, kCyan, "100%", false},
    {"Label8", "Label67", 480, 3000, 855, 255, kYellow, "Grenade:", false},
    {"Label17", "Label58", 1440, 3000, 1455, 255, kWhite, "123455/5567890", false},
    {"Label25", "Label50", 3000, 3000, 615, 255, kCyan, "100%", false},
    {"Label9", "Label66", 480, 3240, 855, 255, kYellow, "Rocket:", false},
    {"Label18", "Label57", 1440, 3240, 1455, 255, kWhite, "123455/5567890", false},
    {"Label26", "Label49", 3000, 3240, 615, 255, kCyan, "100%", false},
    {"Label10", "Label65", 480, 3480, 855, 255, kYellow, "Shaft:", false},
    {"Label19", "Label56", 1440, 3480, 1455, 255, kWhite, "123455/5567890", false},
    {"Label27", "Label48", 3000, 3480, 615, 255, kCyan, "100%", false},
    {"Label11", "Label64", 480, 3720, 855, 255, kYellow, "Rail:", false},
    {"Label20", "Label55", 1440, 3720, 1455, 255, kWhite, "123455/5567890", false},
    {"Label28", "Label47", 3000, 3720, 615, 255, kCyan, "100%", false},
    {"Label12", "Label63", 480, 3960, 855, 255, kYellow, "Plasma:", false},
    {"Label21", "Label54", 1440, 3960, 1455, 255, kWhite, "123455/5567890", false},
    {"Label29", "Label46", 3000, 3960, 615, 255, kCyan, "100%", false},
    {"Label13", "Label62", 480, 4200, 855, 255, kYellow, "BFG:", false},
    {"Label22", "Label53", 1440, 4200, 1455, 255, kWhite, "123455/5567890", false},
    {"Label30", "Label45", 3000, 4200, 615, 255, kCyan, "100%", false},
    {"Label34", "Label41", 480, 4560, 855, 255, kGreen, "dmggiven:", false},
    {"Label35", "Label40", 1440, 4560, 2175, 255, kCyan, "1234567890", false},
    {"Label36", "Label39", 480, 4800, 855, 255, kRed, "dmgrecvd:", false},
    {"Label37", "Label38", 1440, 4800, 2175, 255, kCyan, "1234567890", false},
};

class WindowLayout : public ::testing::Test {
 protected:
  WindowFixture w;
};

TEST_F(WindowLayout, WindowHasItsCaptionFixedClientSizeAndIcon) {
  EXPECT_EQ(w.form.objectName(), "Form1");
  EXPECT_EQ(w.form.windowTitle(), "Fragtally by Morvel version 050");
  EXPECT_EQ(w.form.size(), QSize(545, 432));
  EXPECT_EQ(w.form.minimumSize(), QSize(545, 432));
  EXPECT_EQ(w.form.maximumSize(), QSize(545, 432));
  ASSERT_FALSE(w.form.windowIcon().isNull());
  EXPECT_EQ(w.form.windowIcon().pixmap(32, 32).size(), QSize(32, 32));
}

TEST_F(WindowLayout, ControlsOnTheWindowHaveTheirPlacesAndTexts) {
  struct Expected {
    const char* name;
    QRect rect;
    const char* text;
  };
  for (const Expected& e : {Expected{"Frame1", Twips(120, 120, 3855, 5655), "Статистика первого игрока"},
                            Expected{"Frame2", Twips(4200, 120, 3855, 5655), "Статистика второго игрока"}}) {
    auto* frame = Control<QGroupBox>(w.form, e.name);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->parentWidget(), &w.form);
    EXPECT_EQ(frame->geometry(), e.rect) << e.name;
    EXPECT_EQ(frame->title(), QString::fromUtf8(e.text));
    EXPECT_FALSE(frame->font().bold());
  }
  for (const Expected& e : {Expected{"Command2", Twips(120, 5880, 3855, 495), "Показать рейтинги"},
                            Expected{"Command1", Twips(4200, 5880, 3855, 495), "Занести новую статистику"}}) {
    auto* button = Control<QPushButton>(w.form, e.name);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->parentWidget(), &w.form);
    EXPECT_EQ(button->geometry(), e.rect) << e.name;
    EXPECT_EQ(button->text(), QString::fromUtf8(e.text));
  }
  // The import button uses the panel labels' bold font, the ratings button the window's.
  EXPECT_TRUE(Control<QPushButton>(w.form, "Command1")->font().bold());
  EXPECT_DOUBLE_EQ(Control<QPushButton>(w.form, "Command1")->font().pointSizeF(), 8.25);
  EXPECT_FALSE(Control<QPushButton>(w.form, "Command2")->font().bold());

  auto* text2 = Control<QPlainTextEdit>(w.form, "Text2");
  ASSERT_NE(text2, nullptr);
  EXPECT_EQ(text2->parentWidget(), &w.form);
  EXPECT_EQ(text2->geometry(), Twips(240, 5160, 3975, 495));
  EXPECT_EQ(text2->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_TRUE(text2->toPlainText().isEmpty());
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

TEST_F(WindowLayout, EveryPanelLabelHasItsPlaceColourFontAndDesignText) {
  for (const LabelRow& row : kLabels) {
    for (auto [frame, name] : {std::pair{"Frame1", row.first}, std::pair{"Frame2", row.second}}) {
      SCOPED_TRACE(name);
      auto* label = Control<QLabel>(w.form, name);
      ASSERT_NE(label, nullptr);
      EXPECT_EQ(label->parentWidget()->objectName(), frame);
      EXPECT_EQ(label->geometry(), Twips(row.left, row.top, row.width, row.height));
      EXPECT_EQ(label->text(), QString::fromUtf8(row.text));
      EXPECT_EQ(label->palette().color(QPalette::WindowText).rgb(), row.colour);
      EXPECT_FALSE(label->autoFillBackground());  // transparent over the picture
      EXPECT_EQ(label->textFormat(), Qt::PlainText);
      EXPECT_EQ(bool(label->alignment() & Qt::AlignHCenter), row.centred);
      const QFont font = label->font();
      EXPECT_TRUE(font.bold());
      EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.25);
      EXPECT_EQ(font.families().value(0), "MS Sans Serif");
      EXPECT_TRUE(font.families().contains("DejaVu Sans"));  // Cyrillic where that font is missing
    }
  }
  EXPECT_EQ(w.form.findChildren<QLabel*>(QRegularExpression("^Label\\d+$")).size(), 74);
}

TEST_F(WindowLayout, SelectorsArePlainDropDownListsOnButtonFace) {
  for (auto [frame, name] : {std::pair{"Frame1", "Combo1"}, std::pair{"Frame2", "Combo2"}}) {
    auto* combo = Control<QComboBox>(w.form, name);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->parentWidget()->objectName(), frame);
    EXPECT_EQ(combo->geometry(), Twips(120, 240, 3615, 315));
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
    EXPECT_EQ(picture->geometry(), Twips(120, 720, 3600, 4800));
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

TEST_F(WindowLayout, TwoPanelsAreMirrorCopies) {
  auto* frame1 = Control<QGroupBox>(w.form, "Frame1");
  auto* frame2 = Control<QGroupBox>(w.form, "Frame2");
  ASSERT_TRUE(frame1 && frame2);
  EXPECT_EQ(frame1->size(), frame2->size());
  EXPECT_EQ(frame1->y(), frame2->y());
  QList<QWidget*> first = frame1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  QList<QWidget*> second = frame2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  ASSERT_EQ(first.size(), 39);
  ASSERT_EQ(first.size(), second.size());
  auto partner = [](const QString& name) {
    // Label n of the first panel is Label 75 - n of the second.
    if (name.startsWith("Label")) return "Label" + QString::number(75 - name.mid(5).toInt());
    return name.left(name.size() - 1) + "2";
  };
  for (QWidget* a : first) {
    SCOPED_TRACE(a->objectName().toStdString());
    auto* b = frame2->findChild<QWidget*>(partner(a->objectName()), Qt::FindDirectChildrenOnly);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->metaObject(), b->metaObject());
    EXPECT_EQ(a->geometry(), b->geometry());
    EXPECT_EQ(first.indexOf(a), second.indexOf(b));
    EXPECT_EQ(a->font(), b->font());
    EXPECT_EQ(a->palette().color(QPalette::WindowText), b->palette().color(QPalette::WindowText));
    if (auto* la = qobject_cast<QLabel*>(a)) {
      auto* lb = qobject_cast<QLabel*>(b);
      EXPECT_EQ(la->text(), lb->text());
      EXPECT_EQ(la->alignment(), lb->alignment());
    }
  }
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
