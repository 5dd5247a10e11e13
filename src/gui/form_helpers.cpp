#include "gui/form_helpers.hpp"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QWidget>

namespace dodavev::ui {

QGroupBox* FormGroup(const QString& title, QFormLayout** form) {
  auto* box = new QGroupBox(title);
  auto* layout = new QFormLayout(box);
  layout->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  layout->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  *form = layout;
  return box;
}

QLineEdit* AddEdit(QFormLayout* form, const char* name, const QString& caption,
                   const char* labelName) {
  auto* edit = new QLineEdit;
  edit->setObjectName(QString::fromLatin1(name));
  // Wide enough for a number such as 9.64e22 or a long exponent, no wider.
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 14);
  auto* label = new QLabel(caption);
  if (labelName != nullptr) label->setObjectName(QString::fromLatin1(labelName));
  label->setBuddy(edit);
  form->addRow(label, edit);
  return edit;
}

QLabel* AddValueLabel(QFormLayout* form, const char* name, const QString& caption) {
  auto* value = new QLabel;
  value->setObjectName(QString::fromLatin1(name));
  value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont bold = value->font();
  bold.setBold(true);
  value->setFont(bold);
  form->addRow(caption, value);
  return value;
}

QButtonGroup* AddRadioPair(QFormLayout* form, const QString& caption, const char* firstName,
                           const QString& firstText, const char* secondName,
                           const QString& secondText) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* first = new QRadioButton(firstText);
  first->setObjectName(QString::fromLatin1(firstName));
  auto* second = new QRadioButton(secondText);
  second->setObjectName(QString::fromLatin1(secondName));
  layout->addWidget(first);
  layout->addWidget(second);
  layout->addStretch(1);
  auto* group = new QButtonGroup(row);
  group->addButton(first);
  group->addButton(second);
  if (caption.isEmpty()) {
    form->addRow(row);
  } else {
    form->addRow(caption, row);
  }
  return group;
}

QCheckBox* MakeCheck(const char* name, const QString& text) {
  auto* box = new QCheckBox(text);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

QPushButton* MakeButton(const char* name, const QString& text) {
  auto* button = new QPushButton(text);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

QPlainTextEdit* MakeLayerText(const char* name) {
  auto* text = new QPlainTextEdit;
  text->setObjectName(QString::fromLatin1(name));
  text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text->setTabChangesFocus(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setMinimumHeight(text->fontMetrics().lineSpacing() * 8);
  return text;
}

}  // namespace dodavev::ui
