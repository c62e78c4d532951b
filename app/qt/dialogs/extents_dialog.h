// DLG_ATT2, "For spelunking fans...": a file's name (516), "File #" (547)
// and the three extents of each fork, "Data extents" (548) and "Ressource
// extents" (549), as the core's AttributesDialog gives them. OK (101) and
// Esc end it with 1, the close box with 0.
#pragma once

#include "dialogs/tarvo_dialog.h"
#include "ui/attributes_dialog.h"

namespace tarvo {

class ExtentsDialog : public TarvoDialog {
  Q_OBJECT
 public:
  ExtentsDialog(const ExtentsInfo& info, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace tarvo
