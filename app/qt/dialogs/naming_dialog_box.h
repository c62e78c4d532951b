// DLG_OPT, "Advanced copy options", drawn over the core's NamingDialog
// model: the radio group "Filenaming convention" with 400 "Long file
// names", 401 "Short file names" and 402 "Renaming on the fly", the radio
// group "Copy mode" with 410..416 in the Options menu's order (data,
// resource, MacBinary, BinHex, AppleSingle, AppleDouble, text; a click
// takes effect at once), OK (101), Cancel (100) and help.
#pragma once

#include <QButtonGroup>

#include "dialogs/model_dialog.h"
#include "ui/copy_option_dialogs.h"

namespace tarvo {

class NamingDialogBox : public ModelDialog<NamingDialog> {
  Q_OBJECT
 public:
  NamingDialogBox(NamingDialog& model, QWidget* parent);

 private:
  void Sync() override;

  QButtonGroup group_;
  QButtonGroup modes_;  // ids: positions in kCopyModeNames
};

}  // namespace tarvo
