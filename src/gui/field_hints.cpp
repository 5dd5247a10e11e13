#include "gui/field_hints.hpp"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "gui/ui_text.hpp"
#include "model/input_ranges.hpp"

namespace dodavev {
namespace {

constexpr const char* kPrefix = "Edit1_";
constexpr const char* kHintProperty = "fieldHint";
constexpr const char* kBadProperty = "badField";

// The caption a form row gives the edit, without its mnemonic marker.
QString CaptionOf(const QLineEdit& edit) {
  const QWidget* parent = edit.parentWidget();
  if (parent == nullptr) return {};
  for (const QLabel* label : parent->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (label->buddy() == &edit) return label->text().remove(QLatin1Char('&'));
  }
  // A form row's caption without a buddy, for the edit or the row that holds it.
  for (const QWidget* w = &edit; w->parentWidget() != nullptr; w = w->parentWidget()) {
    if (const auto* form = qobject_cast<const QFormLayout*>(w->parentWidget()->layout())) {
      if (const auto* label =
              qobject_cast<const QLabel*>(form->labelForField(const_cast<QWidget*>(w))))
        return label->text().remove(QLatin1Char('&'));
    }
  }
  return {};
}

QString GroupOf(const QLineEdit& edit) {
  for (const QWidget* w = edit.parentWidget(); w != nullptr; w = w->parentWidget()) {
    if (const auto* group = qobject_cast<const QGroupBox*>(w)) return group->title();
  }
  return {};
}

}  // namespace

QString FieldHint(const QLineEdit& edit) {
  const QString name = edit.objectName();
  const QString field = name.mid(static_cast<qsizetype>(std::char_traits<char>::length(kPrefix)));
  if (const InputRange* range = FindInputRange(FromQt(field)))
    return ToQt(DescribeInputRange(*range));
  const QString caption = CaptionOf(edit);
  const QString group = GroupOf(edit);
  if (caption.isEmpty()) return group;
  if (group.isEmpty()) return caption;
  return group + QStringLiteral(": ") + caption;
}

void SetFieldTooltips(QWidget* root) {
  for (QLineEdit* edit : root->findChildren<QLineEdit*>()) {
    if (!edit->objectName().startsWith(QLatin1String(kPrefix))) continue;
    const QString hint = FieldHint(*edit);
    edit->setProperty(kHintProperty, hint);
    if (!IsMarkedBad(*edit)) edit->setToolTip(hint);
  }
}

void MarkBadFields(QWidget* root, const std::vector<UnreadableField>& bad) {
  for (QLineEdit* edit : root->findChildren<QLineEdit*>()) {
    if (!edit->objectName().startsWith(QLatin1String(kPrefix))) continue;
    const std::string name = FromQt(edit->objectName());
    const UnreadableField* mark = nullptr;
    for (const UnreadableField& f : bad) {
      if (f.name == name) mark = &f;
    }
    const QString hint = edit->property(kHintProperty).toString();
    if (mark != nullptr) {
      edit->setProperty(kBadProperty, true);
      edit->setStyleSheet(QStringLiteral("QLineEdit { border: 2px solid #d00000; }"));
      edit->setToolTip(ToQt(mark->reason) +
                       (hint.isEmpty() ? QString() : QStringLiteral("\n") + hint));
    } else if (IsMarkedBad(*edit)) {
      edit->setProperty(kBadProperty, false);
      edit->setStyleSheet(QString());
      edit->setToolTip(hint);
    }
  }
}

bool IsMarkedBad(const QWidget& edit) {
  return edit.property(kBadProperty).toBool();
}

}  // namespace dodavev
