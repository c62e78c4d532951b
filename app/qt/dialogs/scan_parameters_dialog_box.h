// DLG_PARAM, "Volume Scanning Parameters", drawn over the core's
// ScanParametersDialog model: "&Logical Origin" (edit 532), "&Cluster
// Size" (edit 533), "&Automatic Search" (148, disabled), OK (101), Cancel
// (100) and help. OK hands both edits to the model, which keeps the dialog
// open with a beep on a value it refuses; Cancel, Esc and the close box
// cancel.
#pragma once

#include <QLineEdit>

#include "dialogs/model_dialog.h"
#include "ui/scan_parameters_dialog.h"

namespace tarvo {

class ScanParametersDialogBox : public ModelDialog<ScanParametersDialog> {
  Q_OBJECT
 public:
  ScanParametersDialogBox(ScanParametersDialog& model, QWidget* parent);

 private:
  void Sync() override {}

  QLineEdit* origin_ = nullptr;
  QLineEdit* clusterSize_ = nullptr;
};

}  // namespace tarvo
