#include "device/scsi_manager.h"


namespace tarvo {

void FailWithSense(Srb& srb, std::uint8_t senseKey, std::uint8_t asc) {
  srb.sense.fill(0);
  srb.sense[0] = 0x70;  // current error, fixed format
  srb.sense[2] = senseKey;
  srb.sense[7] = 10;  // additional sense length
  srb.sense[12] = asc;
  srb.targetStat = 0x02;  // CHECK CONDITION
  srb.status = kSsErr;
}

}  // namespace tarvo
