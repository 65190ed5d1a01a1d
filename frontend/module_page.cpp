#include "frontend/module_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "frontend/front_text.h"

namespace tarn::dorn {
namespace {

QLineEdit* ReadOnlyField(QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setReadOnly(true);
  return field;
}

QPlainTextEdit* ReadOnlyText(QWidget* parent) {
  auto* text = new QPlainTextEdit(parent);
  text->setReadOnly(true);
  return text;
}

}  // namespace

QString AttributeTitle(int bit) {
  static const char* const kTitles[] = {"Check Locks",     "Delete Workfile",  "Expand Keywords",
                                        "Protect Logfile", "Protect Workfile", "Binary File",
                                        "Journal Changes", "Compress Logfile"};
  return QObject::tr(kTitles[bit]);
}

ModulePage::ModulePage(QWidget* parent)
    : QWidget(parent),
      author_(ReadOnlyField(this)),
      newestTrunk_(ReadOnlyField(this)),
      lockCount_(ReadOnlyField(this)),
      commentPrefix_(ReadOnlyField(this)),
      defaultBranch_(ReadOnlyField(this)),
      revisionCount_(ReadOnlyField(this)),
      accessList_(ReadOnlyText(this)),
      labels_(ReadOnlyText(this)),
      description_(ReadOnlyText(this)) {
  auto* form = new QFormLayout;
  form->addRow(tr("Original Author:"), author_);
  form->addRow(tr("Newest Trunk Revision:"), newestTrunk_);
  form->addRow(tr("Lock Count:"), lockCount_);
  form->addRow(tr("Comment Prefix:"), commentPrefix_);
  form->addRow(tr("Default Branch:"), defaultBranch_);
  form->addRow(tr("Revision Count:"), revisionCount_);
  form->addRow(tr("Access List:"), accessList_);
  form->addRow(tr("Labels:"), labels_);
  form->addRow(tr("Module Description:"), description_);

  auto* box = new QGroupBox(tr("Attributes"), this);
  auto* grid = new QGridLayout(box);
  for (int bit = 0; bit < kAttributeCount; ++bit) {
    auto* button = new QCheckBox(AttributeTitle(bit), box);
    button->setTristate(true);
    button->setCheckState(Qt::PartiallyChecked);
    // The tab shows the attributes; changing them is the header dialogs' work.
    button->setAttribute(Qt::WA_TransparentForMouseEvents);
    button->setFocusPolicy(Qt::NoFocus);
    attributes_[static_cast<std::size_t>(bit)] = button;
    grid->addWidget(button, bit / 4, bit % 4);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(box);
}

void ModulePage::Show(const LogfileDetails& details) {
  author_->setText(Qs(details.owner));
  newestTrunk_->setText(Qs(details.newestTrunk));
  lockCount_->setText(QString::number(details.lockCount));
  commentPrefix_->setText(Qs(details.commentPrefix));
  defaultBranch_->setText(Qs(details.defaultBranch));
  revisionCount_->setText(QString::number(details.revisionCount));
  accessList_->setPlainText(Qs(details.accessList).split(QLatin1Char(','), Qt::SkipEmptyParts).join(QLatin1Char('\n')));
  QStringList labels;
  for (const LabelDetails& label : details.labels) labels << Qs(label.revisionAndLabel);
  labels_->setPlainText(labels.join(QLatin1Char('\n')));
  description_->setPlainText(Qs(details.description));
  for (int bit = 0; bit < kAttributeCount; ++bit) {
    attributes_[static_cast<std::size_t>(bit)]->setCheckState(
        (details.attributes >> bit) & 1 ? Qt::Checked : Qt::Unchecked);
  }
}

void ModulePage::Clear() {
  for (QLineEdit* field :
       {author_, newestTrunk_, lockCount_, commentPrefix_, defaultBranch_, revisionCount_}) {
    field->clear();
  }
  accessList_->clear();
  labels_->clear();
  description_->clear();
  for (QCheckBox* button : attributes_) button->setCheckState(Qt::PartiallyChecked);
}

}  // namespace tarn::dorn
