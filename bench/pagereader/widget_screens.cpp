#include "widget_screens.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

namespace {

QPalette paletteFor(Theme theme) {
  QPalette palette = QApplication::style()->standardPalette();
  if (theme == Theme::Light) return palette;
  const QColor window("#353535"), base("#2A2A2A"), text("#E6E6E6"), dim("#7F7F7F");
  palette.setColor(QPalette::Window, window);
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Base, base);
  palette.setColor(QPalette::AlternateBase, QColor("#323232"));
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::Button, window);
  palette.setColor(QPalette::ButtonText, text);
  palette.setColor(QPalette::Highlight, QColor("#2A82DA"));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::PlaceholderText, dim);
  palette.setColor(QPalette::Light, QColor("#505050"));
  palette.setColor(QPalette::Midlight, QColor("#424242"));
  palette.setColor(QPalette::Mid, QColor("#2F2F2F"));
  palette.setColor(QPalette::Dark, QColor("#232323"));
  palette.setColor(QPalette::Shadow, QColor("#141414"));
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(QPalette::Disabled, role, dim);
  palette.setColor(QPalette::Disabled, QPalette::Base, window);
  return palette;
}

// Strings a widget would show as they are: '&' marks a shortcut in buttons and labels.
QStringList plain(const QStringList& pool) {
  QStringList out;
  for (const QString& s : pool)
    if (!s.contains('&')) out.push_back(s);
  return out;
}

// The box of `text` drawn with `font`, placed in `area` of widget `w` as `alignment` says, in
// coordinates of `top`.
QRect placed(const QWidget* w, const QWidget* top, QRect area, const QString& text,
             const QFont& font, Qt::Alignment alignment) {
  const QFontMetrics metrics(font);
  const QRect local = QStyle::alignedRect(
      Qt::LeftToRight, alignment, QSize(metrics.horizontalAdvance(text), metrics.height()), area);
  return QRect(w->mapTo(top, local.topLeft()), local.size());
}

// Reads every visible text of the widget tree under `top` with where it is drawn.
class TruthCollector {
 public:
  explicit TruthCollector(QWidget* top) : top_(top) {}

  std::vector<TruthLine> collect() {
    for (QWidget* w : top_->findChildren<QWidget*>()) {
      if (!w->isVisibleTo(top_)) continue;
      visit(w);
    }
    return lines_;
  }

 private:
  // Text cut off by the window's edge is not on the screen to be read.
  void add(const QString& text, QRect box) {
    if (!text.trimmed().isEmpty() && top_->rect().contains(box)) lines_.push_back({text, box});
  }

  void visit(QWidget* w) {
    const QFont font = w->font();
    if (auto* label = qobject_cast<QLabel*>(w)) {
      add(label->text(),
          placed(w, top_, label->contentsRect(), label->text(), font, label->alignment()));
    } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
      QStyleOptionButton option;
      option.initFrom(check);
      option.text = check->text();
      const QRect area = w->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, w);
      add(check->text(),
          placed(w, top_, area, check->text(), font, Qt::AlignLeft | Qt::AlignVCenter));
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
      add(button->text(), placed(w, top_, w->rect(), button->text(), font, Qt::AlignCenter));
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
      QStyleOptionComboBox option;
      option.initFrom(combo);
      const QRect area =
          w->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, w);
      add(combo->currentText(), placed(w, top_, area.adjusted(2, 0, 0, 0), combo->currentText(),
                                       font, Qt::AlignLeft | Qt::AlignVCenter));
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      if (qobject_cast<QSpinBox*>(w->parentWidget())) return;  // read with its spin box
      const QString text = edit->text().isEmpty() ? edit->placeholderText() : edit->text();
      add(text, placed(w, top_, w->rect().adjusted(4, 0, 0, 0), text, font,
                       Qt::AlignLeft | Qt::AlignVCenter));
    } else if (auto* spin = qobject_cast<QSpinBox*>(w)) {
      add(spin->text(), placed(w, top_, w->rect().adjusted(4, 0, 0, 0), spin->text(), font,
                               Qt::AlignLeft | Qt::AlignVCenter));
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
      QStyleOptionGroupBox option;
      option.initFrom(group);
      option.text = group->title();
      option.subControls = QStyle::SC_GroupBoxLabel;
      const QRect area =
          w->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, w);
      add(group->title(), placed(w, top_, area, group->title(), font, Qt::AlignCenter));
    } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
      for (int i = 0; i < tabs->count(); ++i) {
        add(tabs->tabText(i),
            placed(w, top_, tabs->tabRect(i), tabs->tabText(i), font, Qt::AlignCenter));
      }
    } else if (auto* header = qobject_cast<QHeaderView*>(w)) {
      auto* model = header->model();
      for (int i = 0; i < header->count(); ++i) {
        const QString text = model->headerData(i, header->orientation()).toString();
        const QRect section(header->sectionViewportPosition(i), 0, header->sectionSize(i),
                            header->height());
        add(text, placed(header->viewport(), top_, section.adjusted(4, 0, 0, 0), text, font,
                         Qt::AlignLeft | Qt::AlignVCenter));
      }
    } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
      for (int r = 0; r < table->rowCount(); ++r) {
        for (int c = 0; c < table->columnCount(); ++c) {
          const QTableWidgetItem* item = table->item(r, c);
          if (!item) continue;
          const QRect cell = table->visualItemRect(item).adjusted(3, 0, -3, 0);
          add(item->text(), placed(table->viewport(), top_, cell, item->text(), font,
                                   Qt::Alignment(item->textAlignment())));
        }
      }
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
      for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        const QRect row = list->visualItemRect(item).adjusted(3, 0, 0, 0);
        add(item->text(), placed(list->viewport(), top_, row, item->text(), font,
                                 Qt::AlignLeft | Qt::AlignVCenter));
      }
    }
  }

  QWidget* top_;
  std::vector<TruthLine> lines_;
};

// A list or table as tall and wide as its entries, without scroll bars.
void showWholeContents(QAbstractScrollArea* area) {
  area->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

// A field wide enough to show all of its text, as a form laid out for it would be.
QLineEdit* field(const QString& text) {
  auto* edit = new QLineEdit(text);
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(text) + 24);
  return edit;
}

QString number(Picker& picker) { return QString::number(picker.number(1, 99999)); }

QWidget* dialog(Picker& picker, const Corpus& corpus) {
  auto* top = new QWidget;
  auto* layout = new QVBoxLayout(top);
  auto* title = new QLabel(picker.pick(corpus.titles, 1).front());
  QFont bold = title->font();
  bold.setBold(true);
  bold.setPixelSize(bold.pixelSize() * 5 / 4);
  title->setFont(bold);
  layout->addWidget(title);
  for (const QString& message : picker.pick(plain(corpus.messages), 2))
    layout->addWidget(new QLabel(message));
  layout->addWidget(field(picker.pick(corpus.values, 1).front()));
  layout->addWidget(new QCheckBox(picker.pick(plain(corpus.settings), 1).front()));
  auto* buttons = new QDialogButtonBox;
  const QStringList names = picker.pick(plain(corpus.buttons), 3);
  for (int i = 0; i < names.size(); ++i) {
    auto* button = buttons->addButton(names[i], QDialogButtonBox::ActionRole);
    button->setEnabled(i != 0);  // one greyed out, as a dialog often has
  }
  layout->addSpacing(8);
  layout->addWidget(buttons);
  return top;
}

QWidget* form(Picker& picker, const Corpus& corpus) {
  auto* top = new QWidget;
  auto* row = new QHBoxLayout(top);
  auto* sidebar = new QListWidget;
  sidebar->addItems(picker.pick(corpus.sidebar, 7));
  sidebar->setCurrentRow(1);
  showWholeContents(sidebar);
  row->addWidget(sidebar);

  auto* right = new QVBoxLayout;
  auto* tabs = new QTabBar;
  for (const QString& tab : picker.pick(plain(corpus.buttons), 3)) tabs->addTab(tab);
  right->addWidget(tabs);
  auto* group = new QGroupBox(picker.pick(plain(corpus.titles), 1).front());
  auto* fields = new QFormLayout(group);
  fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  const QStringList names = picker.pick(plain(corpus.settings), 5);
  auto* combo = new QComboBox;
  combo->addItems(picker.pick(corpus.values, 3));
  fields->addRow(names.value(0), combo);
  fields->addRow(names.value(1), field(picker.pick(corpus.cells, 1).front()));
  auto* spin = new QSpinBox;
  spin->setRange(0, 100000);
  spin->setValue(picker.number(1, 9999));
  fields->addRow(names.value(2), spin);
  auto* disabled = new QComboBox;
  disabled->addItems(picker.pick(corpus.values, 1));
  disabled->setEnabled(false);
  fields->addRow(names.value(3), disabled);
  fields->addRow(new QCheckBox(names.value(4)));
  right->addWidget(group);
  right->addStretch();
  row->addLayout(right);
  return top;
}

QWidget* table(Picker& picker, const Corpus& corpus) {
  auto* top = new QWidget;
  auto* layout = new QVBoxLayout(top);
  const int rows = 10;
  auto* table = new QTableWidget(rows, 4);
  table->setHorizontalHeaderLabels(picker.pick(plain(corpus.buttons), 4));
  table->verticalHeader()->hide();
  table->setAlternatingRowColors(true);
  const QStringList names = picker.pick(corpus.cells, rows);
  const QStringList values = picker.pick(corpus.values, rows);
  for (int r = 0; r < rows; ++r) {
    table->setItem(r, 0, new QTableWidgetItem(names.value(r)));
    table->setItem(r, 1, new QTableWidgetItem(values.value(r)));
    auto* count = new QTableWidgetItem(number(picker));
    count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(r, 2, count);
    table->setItem(r, 3, new QTableWidgetItem(picker.date(2016)));
  }
  table->resizeColumnsToContents();
  table->resizeRowsToContents();
  showWholeContents(table);
  layout->addWidget(table);
  return top;
}

QWidget* list(Picker& picker, const Corpus& corpus) {
  auto* top = new QWidget;
  auto* layout = new QVBoxLayout(top);
  auto* search = new QLineEdit;
  search->setPlaceholderText(picker.pick(plain(corpus.buttons), 1).front());
  layout->addWidget(search);
  auto* items = new QListWidget;
  items->addItems(picker.pick(corpus.cells, 6) + picker.pick(corpus.values, 3));
  items->item(4)->setFlags(Qt::NoItemFlags);  // a disabled entry
  items->setCurrentRow(2);
  showWholeContents(items);
  layout->addWidget(items);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (const QString& name : picker.pick(plain(corpus.buttons), 2))
    buttons->addWidget(new QPushButton(name));
  layout->addLayout(buttons);
  return top;
}

QString screenName(WidgetScreen screen) {
  switch (screen) {
    case WidgetScreen::Dialog:
      return "dialog";
    case WidgetScreen::Form:
      return "form";
    case WidgetScreen::Table:
      return "table";
    case WidgetScreen::List:
      return "list";
  }
  return "dialog";
}

}  // namespace

RenderedScene renderWidgets(const WidgetRecipe& recipe, const Corpus& corpus) {
  Picker picker(recipe.seed);
  QFont font(corpus.sansFamily);
  font.setPixelSize(recipe.pixelSize);
  QApplication::setFont(font);
  QApplication::setPalette(paletteFor(recipe.theme));

  std::unique_ptr<QWidget> top;
  switch (recipe.screen) {
    case WidgetScreen::Dialog:
      top.reset(dialog(picker, corpus));
      break;
    case WidgetScreen::Form:
      top.reset(form(picker, corpus));
      break;
    case WidgetScreen::Table:
      top.reset(table(picker, corpus));
      break;
    case WidgetScreen::List:
      top.reset(list(picker, corpus));
      break;
  }
  top->ensurePolished();
  top->adjustSize();
  // adjustSize() keeps a window within two thirds of the (offscreen, small) screen; a screenshot
  // shows the whole window.
  top->resize(top->size().expandedTo(top->sizeHint()));

  RenderedScene scene;
  scene.image = QImage(top->size() * recipe.scale, QImage::Format_RGB32);
  scene.image.setDevicePixelRatio(recipe.scale);
  top->render(&scene.image);
  scene.image.setDevicePixelRatio(1);
  for (TruthLine& line : TruthCollector(top.get()).collect()) {
    line.box = QRect(line.box.topLeft() * recipe.scale, line.box.size() * recipe.scale);
    scene.lines.push_back(line);
  }
  return scene;
}

QString widgetSceneName(const WidgetRecipe& recipe) {
  return QString("toolkit-%1-%2-%3-%4px-x%5-%6")
      .arg(screenName(recipe.screen), recipe.theme == Theme::Light ? "light" : "dark",
           scriptName(recipe.script))
      .arg(recipe.pixelSize * recipe.scale, 2, 10, QChar('0'))
      .arg(recipe.scale)
      .arg(recipe.seed);
}
