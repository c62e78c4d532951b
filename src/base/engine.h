// The engine: every record of a run below the user interface, handed down
// explicitly to each operation.
//
// There are no hidden globals, so a test can hold several volumes at once.
// The ports (SCSI manager, user interface) are owned by the front end and
// must outlive the engine.
#pragma once

#include "base/device_state.h"
#include "base/log_file.h"
#include "base/messages.h"
#include "base/program_settings.h"
#include "base/services.h"
#include "base/type_creator.h"
#include "base/user_interface.h"
#include "base/volume_state.h"

namespace tarvo {

class ScsiManager;  // the SCSI port (device/scsi_manager.h)

struct Engine {
  ScsiManager* scsi = nullptr;
  UserInterface* ui = nullptr;
  MessageTable messages;
  ServicesState services;
  DeviceState device;
  VolumeState volume;
  ProgramSettings settings;
  LogFile log;
  TypeCreatorTable typeCreators;
};

}  // namespace tarvo
