#include "frontend/add_user_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace tarn::dorn {

AddUserDialog::AddUserDialog(QWidget* parent) : QDialog(parent), name_(new QLineEdit(this)) {
  setWindowTitle(tr("Add TARN User"));
  // A user name becomes an INI key and an entry of comma-separated lists.
  name_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^=,;\\[\\]\\s]{0,79}")), this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(tr("Enter TARN User Name:"), this));
  layout->addWidget(name_);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString AddUserDialog::UserName() const { return name_->text(); }

}  // namespace tarn::dorn
