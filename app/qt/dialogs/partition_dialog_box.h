// DLG_PART, "Select Partition", drawn over the core's PartitionDialog model:
// eight rows of a radio button (300 + row, enabled for a listed partition),
// the partition's name (400 + row), "Offset" (500 + row) and "Nr Sect."
// (600 + row); OK (101), Cancel (100) and help. OK without a chosen row
// lets the model say "Please select a partition on the volume." and the
// dialog stays. Esc is Cancel; the close box is the model's Close, which
// drops the drive.
#pragma once

#include <QButtonGroup>
#include <QLabel>
#include <QRadioButton>
#include <array>

#include "dialogs/model_dialog.h"
#include "ui/partition_dialog.h"

namespace tarvo {

class PartitionDialogBox : public ModelDialog<PartitionDialog> {
  Q_OBJECT
 public:
  PartitionDialogBox(PartitionDialog& model, QWidget* parent);

 private:
  void Sync() override;

  QButtonGroup group_;
  std::array<QRadioButton*, 8> radios_{};
  std::array<std::array<QLabel*, 3>, 8> texts_{};
};

}  // namespace tarvo
