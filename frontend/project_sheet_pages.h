// The three pages of the project edit sheet. Each fills its fields from a
// project's settings and stores them back; the sheet writes the project.
#pragma once

#include <QWidget>
#include <array>

#include "projects/project.h"

class QCheckBox;
class QFormLayout;
class QLineEdit;
class QPushButton;

namespace tarn::dorn {

class CTPropertyPage : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;

  virtual void Load(const tProject& project) = 0;
  virtual void Apply(tProject& project) const = 0;
  // What keeps the page's values from being stored; empty when they may be.
  virtual QString Problem() const { return QString(); }

 protected:
  // A field with "..." beside it that chooses a directory into the field.
  QLineEdit* AddDirectoryField(QFormLayout* form, const QString& caption, const char* objectName);
  QLineEdit* AddField(QFormLayout* form, const QString& caption, const char* objectName);
};

// "Info": the name, the locations and the access list.
class CTDefineProjectPage : public CTPropertyPage {
  Q_OBJECT

 public:
  explicit CTDefineProjectPage(QWidget* parent = nullptr);

  void Load(const tProject& project) override;
  void Apply(tProject& project) const override;
  // A project location that does not exist.
  QString Problem() const override;

  QLineEdit* NameField() const { return name_; }
  QLineEdit* LocationField() const { return location_; }
  QLineEdit* WorkfileLocationField() const { return workfileLocation_; }
  QLineEdit* AccessListField() const { return accessList_; }

 private:
  QLineEdit* name_;
  QLineEdit* location_;
  QLineEdit* workfileLocation_;
  // Shadow directories are not offered: the field stays hidden and empty,
  // so saving a project clears any shadow location it had.
  QLineEdit* shadowLocation_;
  QLineEdit* accessList_;
  QString loadedLocation_;
};

// "Settings": journals, paths, the comment prefix and the retry count.
class CTEnvPropertyPage : public CTPropertyPage {
  Q_OBJECT

 public:
  explicit CTEnvPropertyPage(QWidget* parent = nullptr);

  void Load(const tProject& project) override;
  void Apply(tProject& project) const override;
  // A retry count that is no whole number of at least 1. An empty field
  // means the count the project inherits, and shows it greyed.
  QString Problem() const override;

  QLineEdit* Field(Setting setting) const;

 private:
  QLineEdit* commentPrefix_;
  QLineEdit* globalJournalName_;
  QLineEdit* journalName_;
  QLineEdit* journalPath_;
  QLineEdit* logfilePath_;
  QLineEdit* tempfilePath_;
  QLineEdit* retryCount_;
  int inheritedRetryCount_ = 0;
};

// "Attributes": the eight attribute flags new logfiles get.
class CTProjectAttributesPage : public CTPropertyPage {
  Q_OBJECT

 public:
  explicit CTProjectAttributesPage(QWidget* parent = nullptr);

  void Load(const tProject& project) override;
  void Apply(tProject& project) const override;

  QCheckBox* Box(Setting setting) const;

 private:
  std::array<QCheckBox*, 8> boxes_{};
};

}  // namespace tarn::dorn
