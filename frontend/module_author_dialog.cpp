#include "frontend/module_author_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "frontend/front_text.h"
#include "frontend/header_commands.h"

namespace tarn::dorn {

ModuleAuthorDialog::ModuleAuthorDialog(const HeaderDialogContext& context, QWidget* parent)
    : HeaderDialog(context, tr("Modify Module Author"), parent),
      current_(new QLineEdit(Qs(context.details.owner), this)),
      authors_(new QComboBox(this)) {
  current_->setReadOnly(true);
  authors_->addItems(Qs(context.details.accessList).split(QLatin1Char(','), Qt::SkipEmptyParts));
  authors_->setCurrentIndex(-1);
  authors_->setMinimumContentsLength(24);
  Body()->addWidget(new QLabel(tr("The current module author is:"), this));
  Body()->addWidget(current_);
  Body()->addWidget(new QLabel(tr("Select the new module author:"), this));
  Body()->addWidget(authors_);
  AddButtons();
  Body()->setSizeConstraint(QLayout::SetFixedSize);
  QPushButton* ok = Buttons()->button(QDialogButtonBox::Ok);
  ok->setEnabled(false);
  connect(authors_, &QComboBox::currentIndexChanged, ok,
          [ok](int index) { ok->setEnabled(index >= 0); });
}

std::string ModuleAuthorDialog::Command() const {
  return AuthorCommand(authors_->currentText().toStdString());
}

void ModuleAuthorDialog::accept() {
  if (authors_->currentIndex() < 0) return;
  const std::string file = Context().files.front();
  const std::string logfile = Context().workspace->LogfilePath(file);
  const std::string author = authors_->currentText().toStdString();
  if (RunOn(file, Command())) {
    if (Context().showStatus) {
      // The name the logfile is known by: the file's name as listed.
      Context().showStatus(FrontText(msg::kChangedAuthor, file, author));
    }
    QDialog::accept();
    return;
  }
  ShowFailure(FrontText(msg::kModifyAuthorFailed, logfile));
  reject();
}

}  // namespace tarn::dorn
