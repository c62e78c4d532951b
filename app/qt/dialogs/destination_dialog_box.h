// DLG_DEST, "Target Directory", drawn over the core's DestinationDialog
// model: the path (1131, "Path :"), the directory list (1133,
// "Directories") and the drive list (1134, "Drives"), " [:\]" (534),
// " [..]" (535), "Create new" (503), the confirm button (113, captioned by
// the model: "Copy in current directory" or "OK"), "Cancel" (100) and help.
// A double click in a list opens the directory or drive; Esc and the close
// box cancel.
#pragma once

#include <QLabel>
#include <QListWidget>

#include "dialogs/model_dialog.h"
#include "ui/destination_dialog.h"

namespace tarvo {

class DestinationDialogBox : public ModelDialog<DestinationDialog> {
  Q_OBJECT
 public:
  DestinationDialogBox(DestinationDialog& model, QWidget* parent);

 private:
  void Sync() override;

  QLabel* path_ = nullptr;
  QListWidget* directories_ = nullptr;
  QListWidget* drives_ = nullptr;
};

}  // namespace tarvo
