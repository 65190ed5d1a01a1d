// "Change File Attributes": eight three-state buttons, one per logfile
// attribute. An undetermined button leaves that attribute as it is.
#pragma once

#include <QCheckBox>
#include <array>

#include "frontend/header_commands.h"
#include "frontend/header_dialog.h"

namespace tarn::dorn {

class AttributesDialog : public HeaderDialog {
  Q_OBJECT

 public:
  // Single file: each button starts as the header has the attribute;
  // several files: all start undetermined.
  AttributesDialog(const HeaderDialogContext& context, QWidget* parent = nullptr);

  std::string Command() const override;
  AttributeStates States() const;
  // By the attribute's bit number in the logfile header.
  QCheckBox* Button(int bit) const { return buttons_[static_cast<std::size_t>(bit)]; }

 public slots:
  void accept() override;

 private:
  std::array<QCheckBox*, 8> buttons_{};
};

}  // namespace tarn::dorn
