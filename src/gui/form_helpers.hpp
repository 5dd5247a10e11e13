// Small builders for the pages: captioned edits, grouped check boxes and radio pairs, each
// control named after its input so the window finds it by name.
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QString>

namespace dodavev::ui {

// A group box holding a form of captioned rows.
QGroupBox* FormGroup(const QString& title, QFormLayout** form);

// One row "caption  [edit]"; `labelName` names the caption when the window shows and
// hides it with the edit.
QLineEdit* AddEdit(QFormLayout* form, const char* name, const QString& caption,
                   const char* labelName = nullptr);

// A row whose value is a label the core writes (a solid angle, a reaction label).
QLabel* AddValueLabel(QFormLayout* form, const char* name, const QString& caption);

// Two radio buttons of one exclusive group in a row.
QButtonGroup* AddRadioPair(QFormLayout* form, const QString& caption, const char* firstName,
                           const QString& firstText, const char* secondName,
                           const QString& secondText);

QCheckBox* MakeCheck(const char* name, const QString& text);
QPushButton* MakeButton(const char* name, const QString& text);

// A multi-line layer text in a fixed-width font; Tab moves on instead of typing a tab.
QPlainTextEdit* MakeLayerText(const char* name);

}  // namespace dodavev::ui
