#include "ui/user_interface.h"

#include "ui/attributes_dialog.h"
#include "ui/rescue_dialog.h"
#include "ui/scan_parameters_dialog.h"

namespace tarvo {

void UserInterface::RunRescueDialog(RescueDialog& dialog) { dialog.Cancel(); }

void UserInterface::RunScanParametersDialog(ScanParametersDialog& dialog) { dialog.Cancel(); }

void UserInterface::RunAttributesDialog(AttributesDialog& dialog) { dialog.Cancel(); }

void UserInterface::RunDumpView(DumpView&) {}

}  // namespace tarvo
