#include "ui/user_interface.h"

namespace tarvo {

void UserInterface::RunDumpView(DumpView&) {}

}  // namespace tarvo
