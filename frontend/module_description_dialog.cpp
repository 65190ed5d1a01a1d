#include "frontend/module_description_dialog.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "frontend/front_text.h"
#include "frontend/header_commands.h"

namespace tarn::dorn {
namespace {

QPlainTextEdit* TextField(QWidget* parent) {
  auto* field = new QPlainTextEdit(parent);
  field->setTabChangesFocus(true);
  field->setMinimumSize(field->fontMetrics().averageCharWidth() * 72,
                        field->fontMetrics().lineSpacing() * 6);
  return field;
}

}  // namespace

ModuleDescriptionDialog::ModuleDescriptionDialog(const HeaderDialogContext& context,
                                                 QWidget* parent)
    : HeaderDialog(context, tr("Modify module description"), parent),
      existing_(TextField(this)),
      new_(TextField(this)) {
  existing_->setReadOnly(true);
  existing_->setPlainText(IsMultiFile() ? CatalogueText(msg::kMultiFileDescription)
                                        : Qs(Context().details.description));
  Body()->addWidget(new QLabel(tr("Existing Description:"), this));
  Body()->addWidget(existing_);
  Body()->addWidget(new QLabel(tr("New Description:"), this));
  Body()->addWidget(new_);
  AddButtons();
  new_->setFocus();
}

std::string ModuleDescriptionDialog::Command() const {
  return DescriptionCommand(new_->toPlainText().toStdString());
}

void ModuleDescriptionDialog::accept() {
  Finish([this](const std::string& file) {
    return FrontText(msg::kModifyAttributesFailed, file, Context().workspace->LogfilePath(file));
  });
}

}  // namespace tarn::dorn
