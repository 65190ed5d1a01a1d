#include "frontend/attributes_dialog.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include "frontend/front_text.h"
#include "frontend/module_page.h"

namespace tarn::dorn {

AttributesDialog::AttributesDialog(const HeaderDialogContext& context, QWidget* parent)
    : HeaderDialog(context, tr("Change File Attributes"), parent) {
  // The buttons in the order a person reads them: check locks, delete
  // workfile, expand keywords, protect logfile, binary file, protect
  // workfile, journal changes, compress logfile.
  const int order[] = {0, 1, 2, 3, 5, 4, 6, 7};
  auto* grid = new QGridLayout;
  for (int place = 0; place < 8; ++place) {
    const int bit = order[place];
    auto* button = new QCheckBox(AttributeTitle(bit), this);
    button->setTristate(true);
    if (IsMultiFile()) {
      button->setCheckState(Qt::PartiallyChecked);
    } else {
      button->setCheckState((Context().details.attributes >> bit) & 1 ? Qt::Checked
                                                                      : Qt::Unchecked);
    }
    buttons_[static_cast<std::size_t>(bit)] = button;
    grid->addWidget(button, place / 2, place % 2);
  }
  Body()->addLayout(grid);
  AddButtons();
  Body()->setSizeConstraint(QLayout::SetFixedSize);
}

AttributeStates AttributesDialog::States() const {
  AttributeStates states{};
  for (std::size_t bit = 0; bit < buttons_.size(); ++bit) {
    switch (buttons_[bit]->checkState()) {
      case Qt::Checked:
        states[bit] = TriState::kChecked;
        break;
      case Qt::Unchecked:
        states[bit] = TriState::kClear;
        break;
      case Qt::PartiallyChecked:
        states[bit] = TriState::kUndetermined;
        break;
    }
  }
  return states;
}

std::string AttributesDialog::Command() const { return AttributesCommand(States()); }

void AttributesDialog::accept() {
  Finish([this](const std::string& file) {
    return FrontText(msg::kModifyAttributesFailed, file, Context().workspace->LogfilePath(file));
  });
}

}  // namespace tarn::dorn
