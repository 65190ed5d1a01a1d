#include "frontend/revision_page.h"

#include <QDateTime>
#include <QFormLayout>
#include <QLabel>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>

#include "frontend/front_text.h"

namespace tarn::dorn {
namespace {

QLineEdit* ReadOnlyField(QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setReadOnly(true);
  return field;
}

}  // namespace

QString LongDateText(std::int64_t seconds) {
  const QDateTime time = QDateTime::fromSecsSinceEpoch(seconds);
  return QLocale::c().toString(time, QStringLiteral("dddd HH:mm:ss MM/dd/yy"));
}

RevisionPage::RevisionPage(QWidget* parent)
    : QWidget(parent),
      list_(new QListWidget(this)),
      creator_(ReadOnlyField(this)),
      lockedBy_(ReadOnlyField(this)),
      lastEdit_(ReadOnlyField(this)),
      checkinDate_(ReadOnlyField(this)),
      compressedFrom_(ReadOnlyField(this)),
      compressedTo_(ReadOnlyField(this)),
      comment_(new QPlainTextEdit(this)) {
  comment_->setReadOnly(true);
  auto* sizes = new QHBoxLayout;
  sizes->addWidget(compressedFrom_);
  sizes->addWidget(new QLabel(tr("to:"), this));
  sizes->addWidget(compressedTo_);
  auto* form = new QFormLayout;
  form->addRow(tr("Creator:"), creator_);
  form->addRow(tr("Locked by:"), lockedBy_);
  form->addRow(tr("Last file edit:"), lastEdit_);
  form->addRow(tr("Check In date:"), checkinDate_);
  form->addRow(tr("Compressed from:"), sizes);
  form->addRow(tr("Check In Comment:"), comment_);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(form, 2);
  connect(list_, &QListWidget::currentRowChanged, this, &RevisionPage::ShowRevision);
}

void RevisionPage::Show(const LogfileDetails& details) {
  revisions_ = details.revisions;
  const QSignalBlocker blocker(list_);
  list_->clear();
  QStringList entries;
  for (const RevisionDetails& revision : revisions_) {
    entries << tr("Revision %1").arg(Qs(revision.number));
  }
  list_->addItems(entries);
  list_->setCurrentRow(revisions_.empty() ? -1 : 0);
  ShowRevision(list_->currentRow());
}

void RevisionPage::Clear() {
  revisions_.clear();
  const QSignalBlocker blocker(list_);
  list_->clear();
  ShowRevision(-1);
}

QStringList RevisionPage::Entries() const {
  QStringList entries;
  for (int row = 0; row < list_->count(); ++row) entries << list_->item(row)->text();
  return entries;
}

int RevisionPage::SelectedRow() const { return list_->currentRow(); }

void RevisionPage::ShowRevision(int row) {
  if (row < 0 || row >= static_cast<int>(revisions_.size())) {
    for (QLineEdit* field :
         {creator_, lockedBy_, lastEdit_, checkinDate_, compressedFrom_, compressedTo_}) {
      field->clear();
    }
    comment_->clear();
    return;
  }
  const RevisionDetails& revision = revisions_[static_cast<std::size_t>(row)];
  creator_->setText(Qs(revision.creator));
  lockedBy_->setText(Qs(revision.locker));
  lastEdit_->setText(LongDateText(revision.editTime));
  checkinDate_->setText(LongDateText(revision.checkinTime));
  compressedFrom_->setText(revision.compressed ? QString::number(revision.sizeBefore) : QString());
  compressedTo_->setText(revision.compressed ? QString::number(revision.sizeAfter) : QString());
  QString comment = Qs(revision.description);
  comment.replace(QLatin1Char('\n'), QLatin1Char(' '));
  comment_->setPlainText(comment);
}

}  // namespace tarn::dorn
