// DLG_MCOP, "Copy PC -> Mac", drawn over the core's MacCopyDialog model:
// the mask (1135, "Filename:"; Enter takes it), the path (1131), the file
// list (1132, "Files", multiple selection), the directory list (1133), the
// drive list (1134), " [:\]" (534), " [..]" (535), the copy buttons
// "Selection" (114), "All Files" (116), "Directory" (117) under "Click
// Button to Copy:", "Total" (1130), "Cancel/Exit" (100) and help.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "dialogs/model_dialog.h"
#include "ui/mac_copy_dialog.h"

namespace tarvo {

class MacCopyDialogBox : public ModelDialog<MacCopyDialog> {
  Q_OBJECT
 public:
  MacCopyDialogBox(MacCopyDialog& model, QWidget* parent);

 private:
  void Sync() override;

  QLineEdit* mask_ = nullptr;
  QLabel* path_ = nullptr;
  QLabel* total_ = nullptr;
  QListWidget* files_ = nullptr;
  QListWidget* directories_ = nullptr;
  QListWidget* drives_ = nullptr;
  bool syncing_ = false;
};

}  // namespace tarvo
