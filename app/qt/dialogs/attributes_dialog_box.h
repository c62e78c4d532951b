// DLG_ATTR, "File Attributes", drawn over the core's AttributesDialog
// model: "Filename" (edit 516, at most 31 characters), "Creator" (538) and
// "Filetype" (539) under "Signature" (4 characters each), "Creation Date"
// (118-122) and "Last Mod. Date" (123-127) as day, month, year and, after
// "Time", hour and minute, "Filelength" with "Data fork" (536) and
// "Resource fork" (537), read-only; "Identification" (131, disabled),
// "Advanced" (130), "Write" (540, disabled for a read-only dialog), "Quit"
// (541) and help.
//
// Write hands every edit to the model; the model keeps the dialog open
// (with a beep) on a field it refuses. Advanced opens DLG_ATT2 over this
// dialog. Quit, Esc and the close box end it with 0.
#pragma once

#include <QLineEdit>
#include <array>

#include "dialogs/model_dialog.h"
#include "ui/attributes_dialog.h"

namespace tarvo {

class AttributesDialogBox : public ModelDialog<AttributesDialog> {
  Q_OBJECT
 public:
  AttributesDialogBox(AttributesDialog& model, QWidget* parent);

 private:
  using DateEdits = std::array<QLineEdit*, 5>;

  void Sync() override;
  void ShowExtents();
  void TakeEdits();

  QLineEdit* name_ = nullptr;
  QLineEdit* creator_ = nullptr;
  QLineEdit* type_ = nullptr;
  DateEdits created_{};
  DateEdits modified_{};
};

}  // namespace tarvo
