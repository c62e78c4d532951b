// The one context object: every record of a run, passed explicitly.
//
// There are no hidden globals, so a test can hold several volumes at once.
// The ports (SCSI manager, user interface) are owned by the front end and
// must outlive the context.
#pragma once

#include "device/device_state.h"
#include "device/scsi_manager.h"
#include "hfs/volume_state.h"
#include "transfer/log_file.h"
#include "transfer/type_creator.h"
#include "ui/listing.h"
#include "ui/menu_state.h"
#include "ui/messages.h"
#include "ui/program_settings.h"
#include "ui/services.h"
#include "ui/user_interface.h"

namespace tarvo {

struct Context {
  ScsiManager* scsi = nullptr;
  UserInterface* ui = nullptr;
  MessageTable messages;
  ServicesState services;
  DeviceState device;
  VolumeState volume;
  ProgramSettings settings;
  LogFile log;
  TypeCreatorTable typeCreators;
  ListingView listing;
  MenuState menu;  // what the menu bar and buttons show, after the last command
};

}  // namespace tarvo
