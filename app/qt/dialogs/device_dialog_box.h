// DLG_DEV, "Device selection", drawn over the core's DeviceDialog model:
// eight rows of a radio button (300 + target, "0 " .. "7 ") with the
// drive's vendor (400 + target), model (500 + target) and release
// (600 + target) under the headings "Id", "Typ", "Model" and "Release";
// the "Driver:" line (308); OK (101), Cancel (100), "Next Host" (309),
// "Preceding Host" (310) and help. Every click goes to the model, the view
// is redrawn from it, and the dialog ends when the model closes. Esc is
// Cancel; the close box is the model's Close.
#pragma once

#include <QButtonGroup>
#include <QLabel>
#include <QRadioButton>
#include <array>

#include "dialogs/model_dialog.h"
#include "ui/device_dialog.h"

namespace tarvo {

// The dialog is accepted once a drive is chosen.
inline int ResultCode(DriveChoice choice) {
  return choice == DriveChoice::kChosen ? QDialog::Accepted : QDialog::Rejected;
}

class DeviceDialogBox : public ModelDialog<DeviceDialog> {
  Q_OBJECT
 public:
  DeviceDialogBox(DeviceDialog& model, QWidget* parent);

 private:
  void Sync() override;

  QButtonGroup group_;
  std::array<QRadioButton*, 8> radios_{};
  std::array<std::array<QLabel*, 3>, 8> texts_{};
  QLabel* driver_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* preceding_ = nullptr;
};

}  // namespace tarvo
